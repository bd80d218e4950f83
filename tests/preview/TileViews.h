#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <array>

namespace morvane {
class PictureBox;
}

namespace morvane::test {

// Gives a hidden picture box its image size at once; Qt delays the resize event until showing.
void SizeBox(PictureBox* box, int width, int height);
// A box of the given size filled with one colour.
PictureBox* FilledBox(QWidget* parent, int side, QColor color);

// The sheet's 24 tile pictures, 32x32 each. Every pixel of every picture has its own colour (red
// names the tile, green and blue the column and row), so a copy that lands in the wrong place, is
// mirrored or shifted shows up as a wrong pixel.
class TileViews {
public:
    TileViews();
    std::array<QImage, 24> views;
    const QImage& Image(int tile) const;
};

} // namespace morvane::test
