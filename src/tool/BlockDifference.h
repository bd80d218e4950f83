#pragma once

#include "sprite/SpriteBlock.h"

namespace morvane {

// How far an imported block is from the one in the ROM image, in the user's terms (pixels) and
// in the file's (bytes).
struct BlockDifference {
    int pixels = 0;
    int bytes = 0;
};

BlockDifference CompareBlocks(const SpriteBlock& before, const SpriteBlock& after);

} // namespace morvane
