#include "BlockDifference.h"

#include "sprite/TileCodec.h"

#include <algorithm>

namespace morvane {

BlockDifference CompareBlocks(const SpriteBlock& before, const SpriteBlock& after)
{
    BlockDifference difference;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] != after[i])
            ++difference.bytes;
    }
    for (std::size_t tile = 0; tile < before.size(); tile += kTileBytes) {
        if (!std::equal(before.begin() + std::ptrdiff_t(tile),
                before.begin() + std::ptrdiff_t(tile + kTileBytes),
                after.begin() + std::ptrdiff_t(tile)))
            ++difference.tiles;
    }
    // Each tile row is two bytes, one per bit plane; a pixel changes when either of its bits does.
    for (std::size_t at = 0; at < before.size(); at += 2) {
        const auto old = DecodeRow(before[at], before[at + 1]);
        const auto now = DecodeRow(after[at], after[at + 1]);
        for (std::size_t column = 0; column < old.size(); ++column) {
            if (old[column] != now[column])
                ++difference.pixels;
        }
    }
    return difference;
}

} // namespace morvane
