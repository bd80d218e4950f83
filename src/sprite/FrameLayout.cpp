#include "FrameLayout.h"

#include "TileCodec.h"

namespace morvane {

FramePixels DecodeFrame(const SpriteBlock& block, int frame)
{
    FramePixels pixels {};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int tile = TileOfFrame(frame, quarter);
        const int left = TileColumnInFrame(tile) * kTileSide;
        const int top = TileRowInFrame(tile) * kTileSide;
        for (int row = 0; row < kTileSide; ++row) {
            const std::size_t at = static_cast<std::size_t>(kTileBytes * tile + 2 * row);
            const auto values = DecodeRow(block[at], block[at + 1]);
            for (int column = 0; column < kTileSide; ++column)
                pixels[static_cast<std::size_t>(top + row)][static_cast<std::size_t>(left + column)]
                    = values[static_cast<std::size_t>(column)];
        }
    }
    return pixels;
}

void EncodeFrame(const FramePixels& pixels, int frame, SpriteBlock& block)
{
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int tile = TileOfFrame(frame, quarter);
        const int left = TileColumnInFrame(tile) * kTileSide;
        const int top = TileRowInFrame(tile) * kTileSide;
        for (int row = 0; row < kTileSide; ++row) {
            std::array<std::uint8_t, 8> values {};
            for (int column = 0; column < kTileSide; ++column)
                values[static_cast<std::size_t>(column)] = pixels[static_cast<std::size_t>(
                    top + row)][static_cast<std::size_t>(left + column)];
            const auto [plane0, plane1] = EncodeRow(values);
            const std::size_t at = static_cast<std::size_t>(kTileBytes * tile + 2 * row);
            block[at] = plane0;
            block[at + 1] = plane1;
        }
    }
}

} // namespace morvane
