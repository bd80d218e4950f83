#pragma once

#include "sprite/SpriteBlock.h"

namespace morvane {

// How far one block is from another, in the user's terms (pixels, tiles) and in the file's
// (bytes).
struct BlockDifference {
    int pixels = 0;
    int bytes = 0;
    int tiles = 0;
};

BlockDifference CompareBlocks(const SpriteBlock& before, const SpriteBlock& after);

} // namespace morvane
