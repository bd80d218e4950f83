#pragma once

#include <stdexcept>
#include <string>

namespace morvane {

// The one error type of making and applying patches. Its message says what is wrong in the
// user's terms, as a clause in lower case with no closing full stop, so the caller can put the
// file names in front of it: "Cannot apply \"fix.bps\": " + message + ".".
class PatchError : public std::runtime_error {
public:
    explicit PatchError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace morvane
