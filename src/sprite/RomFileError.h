#pragma once

#include <stdexcept>
#include <string>

namespace morvane {

// The one error type of the ROM file access. Its message names the file, what failed and the
// system's reason, in words the window can show as they stand.
class RomFileError : public std::runtime_error {
public:
    explicit RomFileError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace morvane
