#pragma once

#include "base/UserError.h"

namespace morvane {

// The one error type of making and applying patches. Its message says what is wrong in the
// user's terms, as a clause in lower case with no closing full stop, so the caller can put the
// file names in front of it: "Cannot apply \"fix.bps\": " + message + ".".
class PatchError : public UserError {
public:
    using UserError::UserError;
};

} // namespace morvane
