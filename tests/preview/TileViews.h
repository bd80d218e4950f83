#pragma once

#include <QColor>
#include <QImage>

#include <array>

class QWidget;

namespace morvane {
class PictureBox;
}

namespace morvane::test {

// A hidden picture box of side x side pixels filled with one colour.
PictureBox* FilledBox(QWidget* parent, int side, QColor color);

// The sheet's 24 tile pictures, 32x32 each. Every pixel of every picture has its own colour (red
// names the tile, green and blue the column and row), so a copy that lands in the wrong place, is
// mirrored or shifted shows up as a wrong pixel.
std::array<QImage, 24> TileViews();

} // namespace morvane::test
