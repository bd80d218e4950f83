#pragma once

#include "SpriteBlock.h"

#include <array>
#include <cstdint>

namespace morvane {

// Where every tile of a sprite goes on screen and in images. The 24 tiles form six frames of
// 16 x 16 pixels; frame f is made of tiles 4f .. 4f + 3 in reading order:
//
//     x: 0       8      16
//        +-------+-------+  y = 0
//        | 4f    | 4f+1  |
//        +-------+-------+  y = 8
//        | 4f+2  | 4f+3  |
//        +-------+-------+  y = 16
inline constexpr int kFramesPerSprite = 6;
inline constexpr int kFrameSide = 2 * kTileSide;

constexpr int FrameOfTile(int tile)
{
    return tile / 4;
}
constexpr int TileOfFrame(int frame, int quarter)
{
    return 4 * frame + quarter;
}
// The tile's column (0 left, 1 right) and row (0 top, 1 bottom) inside its frame, in tiles.
constexpr int TileColumnInFrame(int tile)
{
    return tile % 4 % 2;
}
constexpr int TileRowInFrame(int tile)
{
    return tile % 4 / 2;
}

// The sprite sheet shows the frames three across: 0, 1, 2 in the upper row, 3, 4, 5 below.
inline constexpr int kSheetFramesAcross = 3;
constexpr int FrameColumnInSheet(int frame)
{
    return frame % kSheetFramesAcross;
}
constexpr int FrameRowInSheet(int frame)
{
    return frame / kSheetFramesAcross;
}

// Every sprite picture on screen shows a Game Boy pixel as 4 x 4 screen pixels: a tile's view is
// 32 x 32, a frame's 64 x 64.
inline constexpr int kScreenScale = 4;
inline constexpr int kTileViewSide = kScreenScale * kTileSide;

// The pixel values 0..3 of one frame, pixels[y][x].
using FramePixels = std::array<std::array<std::uint8_t, kFrameSide>, kFrameSide>;

FramePixels DecodeFrame(const SpriteBlock& block, int frame);
// Rewrites the four tiles of frame `frame` in the block; no other byte changes.
void EncodeFrame(const FramePixels& pixels, int frame, SpriteBlock& block);

} // namespace morvane
