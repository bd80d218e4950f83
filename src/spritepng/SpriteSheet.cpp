#include "SpriteSheet.h"

#include "PixelValues.h"
#include "PngDecoder.h"

namespace morvane {

namespace {

QRect CellOf(int index)
{
    return {kSpriteImageWidth * (index % kSheetSpritesAcross),
        kSpriteImageHeight * (index / kSheetSpritesAcross), kSpriteImageWidth, kSpriteImageHeight};
}

} // namespace

QImage SheetToImage(const SpriteSet& sprites, const Palette& colours)
{
    QImage sheet = IndexedCanvas(kSheetWidth, kSheetHeight, colours);
    for (int index = 0; index < kSpriteCount; ++index) {
        const QImage sprite = SpriteToImage(sprites[static_cast<std::size_t>(index)], colours);
        const QRect cell = CellOf(index);
        for (int y = 0; y < kSpriteImageHeight; ++y)
            std::copy_n(sprite.constScanLine(y), kSpriteImageWidth,
                sheet.scanLine(cell.top() + y) + cell.left());
    }
    return sheet;
}

QByteArray SheetPngData(const SpriteSet& sprites, PngPalette palette)
{
    return PngData(SheetToImage(sprites, PaletteColours(palette)), QStringLiteral("sprite sheet"));
}

SpriteSet DecodeSheetPng(const QByteArray& file, const QString& subject)
{
    if (file.size() > kMaxSpritePngBytes)
        throw SpritePngError(QStringLiteral("%1 cannot be read: it is larger than %2 bytes, and a "
                                            "sprite sheet file never is.")
                                 .arg(subject)
                                 .arg(kMaxSpritePngBytes)
                                 .toStdString());
    const PngPicture picture = DecodePng(
        file, QSize(kSheetWidth, kSheetHeight), QStringLiteral("a sprite sheet"), subject);
    const std::vector<std::uint8_t> values = ReadPixelValues(picture, {}, subject);
    SpriteSet sprites {};
    for (int index = 0; index < kSpriteCount; ++index) {
        const QRect cell = CellOf(index);
        sprites[static_cast<std::size_t>(index)] = BlockOfValues(
            values.data() + std::ptrdiff_t(cell.top()) * kSheetWidth + cell.left(), kSheetWidth);
    }
    return sprites;
}

} // namespace morvane
