#include "TileBits.h"

#include "TileCodec.h"

namespace morvane {

namespace {

std::size_t Entry(int column, int row)
{
    return static_cast<std::size_t>(8 * row + column + 1);
}

std::size_t RowByte(int tile, int row)
{
    return static_cast<std::size_t>(kTileBytes * tile + 2 * row);
}

} // namespace

void UnpackTileBits(const SpriteBlock& block, int tile, BitTable& plane0, BitTable& plane1)
{
    for (int row = 0; row < kTileSide; ++row) {
        const std::size_t at = RowByte(tile, row);
        for (int column = 0; column < kTileSide; ++column) {
            plane0[Entry(column, row)] = static_cast<std::uint8_t>(PlaneBit(block[at], column));
            plane1[Entry(column, row)] = static_cast<std::uint8_t>(PlaneBit(block[at + 1], column));
        }
    }
}

void SetPixelBits(BitTable& plane0, BitTable& plane1, int column, int row, int value)
{
    plane0[Entry(column, row)] = static_cast<std::uint8_t>(value & 1);
    plane1[Entry(column, row)] = static_cast<std::uint8_t>(value >> 1 & 1);
}

void RepackTileRow(
    SpriteBlock& block, int tile, int row, const BitTable& plane0, const BitTable& plane1)
{
    unsigned low = 0;
    unsigned high = 0;
    for (int column = 0; column < kTileSide; ++column) {
        low |= (plane0[Entry(column, row)] != 0 ? 1u : 0u) << (7 - column);
        high |= (plane1[Entry(column, row)] != 0 ? 1u : 0u) << (7 - column);
    }
    const std::size_t at = RowByte(tile, row);
    block[at] = static_cast<std::uint8_t>(low);
    block[at + 1] = static_cast<std::uint8_t>(high);
}

} // namespace morvane
