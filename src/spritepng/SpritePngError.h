#pragma once

#include "base/UserError.h"

namespace morvane {

// The one error of the sprite image exchange. Its message names the file (or "The image"), what
// is wrong with it and, for a wrong pixel, where the first one is, so it can be shown as it is.
class SpritePngError : public UserError {
public:
    using UserError::UserError;
};

} // namespace morvane
