#pragma once

#include <stdexcept>
#include <string>

namespace morvane {

// The one error of the sprite image exchange. Its message names the file (or "The image"), what
// is wrong with it and, for a wrong pixel, where the first one is, so it can be shown as it is.
class SpritePngError : public std::runtime_error {
public:
    explicit SpritePngError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace morvane
