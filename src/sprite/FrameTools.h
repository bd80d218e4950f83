#pragma once

#include "SpriteBlock.h"

namespace morvane {

// The artist's tools over a sprite block. The frame tools work on the 16 x 16 frame that holds a
// given tile (its four tiles together, as the pose is seen), the fill on one tile, the swap on
// the whole block. Each returns the changed block and leaves every byte outside the frame, tile
// or block it names exactly as it was. A tile outside 0..23 or a pixel value outside 0..3 throws
// std::out_of_range: no tool guesses which tile or value was meant.
enum class FrameTool {
    FlipHorizontally, // pixel (x, y) goes to (15 - x, y): left and right exchanged
    FlipVertically, // (x, y) goes to (x, 15 - y)
    RotateClockwise, // a quarter turn: (x, y) goes to (15 - y, x)
    RotateAnticlockwise, // (x, y) goes to (y, 15 - x)
    ShiftLeft, // one pixel, the leftmost column wrapping round to the right edge
    ShiftRight,
    ShiftUp,
    ShiftDown,
};

SpriteBlock ApplyFrameTool(const SpriteBlock& block, int tile, FrameTool tool);

// Where pixel (x, y), each 0..15, of a frame after `tool` comes from in the frame before it: what
// moves with the pixel values (the colours each was shown in) moves by the same rule.
struct FramePoint {
    int x;
    int y;
};
FramePoint FrameToolSource(FrameTool tool, int x, int y);

// Sets every pixel of tile 0..23 to `value` 0..3.
SpriteBlock FillTile(const SpriteBlock& block, int tile, int value);

// Exchanges pixel values `a` and `b` (0..3) in every pixel of every tile; the other two values
// stay. Swapping a value with itself changes nothing.
SpriteBlock SwapPixelValues(const SpriteBlock& block, int a, int b);

} // namespace morvane
