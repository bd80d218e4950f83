#pragma once

#include "SpriteBlock.h"

#include <array>
#include <cstdint>

namespace morvane {

// The selected tile unpacked for painting: one table per bit plane, entry 8 * row + column + 1
// (entries 1..64; entry 0 is unused so the numbering matches the editor's).
using BitTable = std::array<std::uint8_t, 65>;

// Fills both tables from tile `tile` of the block.
void UnpackTileBits(const SpriteBlock& block, int tile, BitTable& plane0, BitTable& plane1);

// Sets one pixel's two bits from its value 0..3: the low bit into plane 0, the high into plane 1.
void SetPixelBits(BitTable& plane0, BitTable& plane1, int column, int row, int value);

// Rebuilds row `row` of tile `tile` in the block from the tables: exactly two bytes change.
void RepackTileRow(
    SpriteBlock& block, int tile, int row, const BitTable& plane0, const BitTable& plane1);

} // namespace morvane
