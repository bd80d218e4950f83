#include "TilePicture.h"

#include "qtcolour/PackedColourQt.h"

#include <algorithm>
#include <cstring>

namespace morvane {

TilePicture::TilePicture(QImage& image) : image_(image)
{
    if (image_.size() != QSize(kSide, kSide) || image_.format() != QImage::Format_RGB32)
        image_ = QImage(kSide, kSide, QImage::Format_RGB32);
}

void TilePicture::FillTilePixel(int column, int row, PackedColor color)
{
    const QRgb rgb = ToQRgb(color);
    for (int y = 4 * row; y < 4 * row + 4; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::fill(line + 4 * column, line + 4 * column + 4, rgb);
    }
}

void TilePicture::ClearToBackground()
{
    // Nothing to clear: the picture has no background of its own, and the stretch draws over
    // every pixel.
}

void TilePicture::SetPixel(int x, int y, PackedColor color)
{
    if (image_.valid(x, y))
        image_.setPixel(x, y, ToQRgb(color));
}

void TilePicture::SetTileRow(int y, const std::array<PackedColor, kTileSide>& colors)
{
    // A whole row straight into the scan line: pixel by pixel, QImage::setPixel and its checks
    // made up a third of a Load Sprite.
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::transform(colors.begin(), colors.end(), line, ToQRgb);
}

void TilePicture::StretchTileToView()
{
    // In place, without a copy of the tile: this runs for each of a sprite's 24 tiles on every
    // Load Sprite. Tile row r becomes picture rows 4r to 4r + 3. Going from the last tile row
    // back, tile row r is still intact when its turn comes, since only rows from 4r + 4 on have
    // been written; row 4r + 3 is drawn from it and the other three are copies of that row.
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    for (int r = kTileSide - 1; r >= 0; --r) {
        const auto* in = reinterpret_cast<const QRgb*>(bits + r * stride);
        auto* out = reinterpret_cast<QRgb*>(bits + (4 * r + 3) * stride);
        for (int x = 0; x < kSide; ++x)
            out[x] = in[x / 4];
        for (int copy = 0; copy < 3; ++copy)
            std::memcpy(bits + (4 * r + copy) * stride, out, kSide * sizeof(QRgb));
    }
}

} // namespace morvane
