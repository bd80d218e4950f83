#pragma once

#include "spritepng/SpriteSheet.h"

#include <array>

namespace morvane {

// Which sprites an image does not hold whole while the other one does: there is nothing to
// compare pixel by pixel, so the picture marks the whole sprite.
using SpritesMissingFromOne = std::array<bool, kSpriteCount>;

// The picture "diff --png" writes: the sheet of the edited sprites laid out as "export --sheet"
// lays it out, in the four hardware greys, every pixel whose value differs from the original's
// in pure red (255, 0, 0), and every sprite without a difference dimmed to greys of half the
// contrast, so the eye goes to the sprites that changed. An indexed image of nine colours.
IndexedImage DiffPicture(
    const SpriteSet& original, const SpriteSet& edited, const SpritesMissingFromOne& missing);

} // namespace morvane
