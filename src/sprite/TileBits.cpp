#include "TileBits.h"

#include "TileCodec.h"

#include <string>

namespace morvane {

void UnpackTileBits(const SpriteBlock& block, int tile, BitTable& plane0, BitTable& plane1)
{
    for (int row = 0; row < kTileSide; ++row) {
        const std::size_t at = static_cast<std::size_t>(kTileBytes * tile + 2 * row);
        const std::string low = ByteToBits(block[at]);
        const std::string high = ByteToBits(block[at + 1]);
        for (int column = 0; column < kTileSide; ++column) {
            const std::size_t entry = static_cast<std::size_t>(8 * row + column + 1);
            plane0[entry] = low[static_cast<std::size_t>(column)] == '1' ? 1 : 0;
            plane1[entry] = high[static_cast<std::size_t>(column)] == '1' ? 1 : 0;
        }
    }
}

void SetPixelBits(BitTable& plane0, BitTable& plane1, int column, int row, std::string_view code)
{
    const std::size_t entry = static_cast<std::size_t>(8 * row + column + 1);
    plane0[entry] = code.size() > 0 && code[0] == '1';
    plane1[entry] = code.size() > 1 && code[1] == '1';
}

void RepackTileRow(
    SpriteBlock& block, int tile, int row, const BitTable& plane0, const BitTable& plane1)
{
    std::string low(8, '0');
    std::string high(8, '0');
    for (int column = 0; column < kTileSide; ++column) {
        const std::size_t entry = static_cast<std::size_t>(8 * row + column + 1);
        low.at(static_cast<std::size_t>(column)) = plane0[entry] ? '1' : '0';
        high.at(static_cast<std::size_t>(column)) = plane1[entry] ? '1' : '0';
    }
    const std::size_t at = static_cast<std::size_t>(kTileBytes * tile + 2 * row);
    block[at] = BitsToByte(low);
    block[at + 1] = BitsToByte(high);
}

} // namespace morvane
