#pragma once

#include "SpriteBlock.h"

namespace morvane {

// The display colours Load Rom installs, one per pixel value: magenta RGB(223, 0, 200), black,
// white and blue. The PNG exchange writes and recognises the same four.
inline constexpr Palette kDefaultPalette
    = {PackRgb(223, 0, 200), PackRgb(0, 0, 0), PackRgb(255, 255, 255), PackRgb(0, 0, 255)};

} // namespace morvane
