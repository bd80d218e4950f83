#pragma once

#include <stdexcept>
#include <string>

namespace morvane {

// A refusal whose message a user can read as it stands: it names the file (or what was given),
// what failed and why. Each layer throws its own kind, so a caller that adds to the message can
// tell them apart, and a program that only shows the message catches this one type.
class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace morvane
