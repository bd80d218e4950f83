#include "TileViews.h"

#include "widgets/PictureBox.h"

#include <QCoreApplication>
#include <QResizeEvent>

namespace morvane::test {

void SizeBox(PictureBox* box, int width, int height)
{
    const QSize before = box->size();
    box->resize(width, height);
    QResizeEvent resized(box->size(), before);
    QCoreApplication::sendEvent(box, &resized);
}

PictureBox* FilledBox(QWidget* parent, int side, QColor color)
{
    auto* box = new PictureBox(parent);
    SizeBox(box, side, side);
    box->Image().fill(color);
    return box;
}

TileViews::TileViews()
{
    for (int tile = 0; tile < 24; ++tile) {
        QImage view(32, 32, QImage::Format_RGB32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x)
                view.setPixel(x, y, qRgb(10 * tile + 5, 8 * x, 8 * y));
        }
        views[static_cast<std::size_t>(tile)] = view;
    }
}

const QImage& TileViews::Image(int tile) const
{
    return views[static_cast<std::size_t>(tile)];
}

} // namespace morvane::test
