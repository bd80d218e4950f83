#pragma once

#include "base/UserError.h"

namespace morvane {

// The one error type of the ROM file access. Its message names the file, what failed and the
// system's reason, in words the window can show as they stand.
class RomFileError : public UserError {
public:
    using UserError::UserError;
};

} // namespace morvane
