#include "TileViews.h"

#include "widgets/PictureBox.h"

namespace morvane::test {

PictureBox* FilledBox(QWidget* parent, int side, QColor color)
{
    auto* box = new PictureBox(parent);
    box->resize(side, side);
    box->Image().fill(color);
    return box;
}

std::array<QImage, 24> TileViews()
{
    std::array<QImage, 24> views;
    for (int tile = 0; tile < 24; ++tile) {
        QImage& view = views[std::size_t(tile)] = QImage(32, 32, QImage::Format_RGB32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x)
                view.setPixel(x, y, qRgb(10 * tile + 5, 8 * x, 8 * y));
        }
    }
    return views;
}

} // namespace morvane::test
