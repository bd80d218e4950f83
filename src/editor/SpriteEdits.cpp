#include "SpriteEdits.h"

#include "TilePicture.h"
#include "qtcolour/PackedColourQt.h"
#include "sprite/FrameLayout.h"
#include "sprite/TileCodec.h"

namespace morvane {

namespace {

// The tile of a frame that holds frame pixel (x, y).
std::size_t TileAt(int frame, int x, int y)
{
    return static_cast<std::size_t>(TileOfFrame(frame, 2 * (y / kTileSide) + x / kTileSide));
}

} // namespace

SpriteState FrameToolEdit(const SpriteState& state, int tile, FrameTool tool)
{
    SpriteState after {ApplyFrameTool(state.block, tile, tool), state.pictures};
    const int frame = FrameOfTile(tile);
    for (int y = 0; y < kFrameSide; ++y) {
        for (int x = 0; x < kFrameSide; ++x) {
            const FramePoint from = FrameToolSource(tool, x, y);
            // Every screen pixel of a tile pixel's 4 x 4 block shows its colour.
            const QRgb shown = state.pictures[TileAt(frame, from.x, from.y)].pixel(
                kScreenScale * (from.x % kTileSide), kScreenScale * (from.y % kTileSide));
            FillTilePixel(
                after.pictures[TileAt(frame, x, y)], x % kTileSide, y % kTileSide, ToPacked(shown));
        }
    }
    return after;
}

SpriteState PixelValueEdit(
    const SpriteState& state, const SpriteBlock& block, const Palette& colours)
{
    SpriteState after {block, state.pictures};
    for (int t = 0; t < kTilesPerSprite; ++t) {
        for (int r = 0; r < kTileSide; ++r) {
            const auto at = static_cast<std::size_t>(kTileBytes * t + 2 * r);
            if (block[at] == state.block[at] && block[at + 1] == state.block[at + 1])
                continue;
            for (int c = 0; c < kTileSide; ++c) {
                const int value = PixelValue(block[at], block[at + 1], c);
                if (value != PixelValue(state.block[at], state.block[at + 1], c))
                    FillTilePixel(after.pictures[static_cast<std::size_t>(t)], c, r,
                        colours[static_cast<std::size_t>(value)]);
            }
        }
    }
    return after;
}

} // namespace morvane
