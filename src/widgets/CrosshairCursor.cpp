#include "CrosshairCursor.h"

#include <QBitmap>
#include <QPixmap>

namespace morvane {

namespace {

constexpr int kSize = 32;
constexpr int kHot = 15;
constexpr int kFrom = 6;
constexpr int kTo = 24;

bool OnLine(int x, int y)
{
    return (x == kHot && y >= kFrom && y <= kTo) || (y == kHot && x >= kFrom && x <= kTo);
}

} // namespace

QImage CrosshairImage()
{
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (OnLine(x, y))
                image.setPixel(x, y, ((x + y) % 2 == 0) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    return image;
}

QCursor CrosshairCursor()
{
#ifdef Q_OS_WIN
    // Bitmap 1 with mask 0 inverts the screen beneath, as the crosshair is meant to.
    QImage bits(kSize, kSize, QImage::Format_Mono);
    bits.fill(0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (OnLine(x, y))
                bits.setPixel(x, y, 1);
    QImage mask(kSize, kSize, QImage::Format_Mono);
    mask.fill(0);
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), kHot, kHot);
#else
    return QCursor(QPixmap::fromImage(CrosshairImage()), kHot, kHot);
#endif
}

} // namespace morvane
