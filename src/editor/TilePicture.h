#pragma once

#include "sprite/SpriteBlock.h"

#include <QImage>

namespace morvane {

// A tile as the sprite sheet shows it: 32 x 32 pixels, each tile pixel a 4 x 4 block in the
// display colour it was drawn or painted in. The window's views and the preview show these
// pictures as they are.

// The picture of one tile, each pixel in the display colour of its value.
QImage DrawTilePicture(const TileBytes& tile, const Palette& colours);

// Fills tile pixel (column, row) of a picture, the 4 x 4 block at (4 column, 4 row).
void FillTilePixel(QImage& picture, int column, int row, PackedColor colour);

} // namespace morvane
