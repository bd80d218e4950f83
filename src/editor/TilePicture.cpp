#include "TilePicture.h"

#include "qtcolour/PackedColourQt.h"
#include "sprite/FrameLayout.h"
#include "sprite/TileCodec.h"

#include <algorithm>
#include <cstring>

namespace morvane {

QImage DrawTilePicture(const TileBytes& tile, const Palette& colours)
{
    QImage picture(kTileViewSide, kTileViewSide, QImage::Format_RGB32);
    QRgb shade[4];
    std::transform(colours.begin(), colours.end(), shade, ToQRgb);
    // Straight into the scan lines: a Load Sprite draws 24 of these, and pixel by pixel the
    // image's checks alone would cost more than the file reads. Tile row r becomes picture rows
    // 4r to 4r + 3, the first drawn and the other three copied from it.
    uchar* bits = picture.bits();
    const qsizetype stride = picture.bytesPerLine();
    for (int row = 0; row < kTileSide; ++row) {
        const std::uint8_t plane0 = tile[static_cast<std::size_t>(2 * row)];
        const std::uint8_t plane1 = tile[static_cast<std::size_t>(2 * row + 1)];
        uchar* first = bits + kScreenScale * row * stride;
        auto* line = reinterpret_cast<QRgb*>(first);
        for (int column = 0; column < kTileSide; ++column)
            std::fill_n(line + kScreenScale * column, kScreenScale,
                shade[PixelValue(plane0, plane1, column)]);
        for (int copy = 1; copy < kScreenScale; ++copy)
            std::memcpy(first + copy * stride, first, kTileViewSide * sizeof(QRgb));
    }
    return picture;
}

void FillTilePixel(QImage& picture, int column, int row, PackedColor colour)
{
    const QRgb rgb = ToQRgb(colour);
    for (int y = kScreenScale * row; y < kScreenScale * (row + 1); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        std::fill_n(line + kScreenScale * column, kScreenScale, rgb);
    }
}

} // namespace morvane
