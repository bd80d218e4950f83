#pragma once

#include "SpriteBlock.h"

#include <array>

namespace morvane {

// A drawing area of at least 32 x 32 pixels with a persistent image, in pixel units: what a tile
// is painted into. The window's tile views implement it; tests use an in-memory image.
class TileSurface {
public:
    virtual ~TileSurface() = default;
    // Clears the whole image to the area's background colour.
    virtual void ClearToBackground() = 0;
    virtual void SetPixel(int x, int y, PackedColor color) = 0;
    // Sets pixels (0, y) to (7, y), one row of a tile: the same as eight SetPixel calls, which is
    // what it does unless the surface can store a row at once.
    virtual void SetTileRow(int y, const std::array<PackedColor, kTileSide>& colors)
    {
        for (int x = 0; x < kTileSide; ++x)
            SetPixel(x, y, colors[static_cast<std::size_t>(x)]);
    }
    // Copies the 8 x 8 square at (0, 0) onto the 32 x 32 square at (0, 0) of the same image,
    // so that every tile pixel becomes a 4 x 4 block.
    virtual void StretchTileToView() = 0;
};

// Where the drawing finds the display colours at the moment it draws: the window's four palette
// swatches, which are the authoritative copy of those colours.
class SwatchSource {
public:
    virtual ~SwatchSource() = default;
    virtual PackedColor SwatchColor(int value) const = 0;
};

} // namespace morvane
