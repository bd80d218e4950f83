#include "SpriteImage.h"

#include "base/MessageText.h"
#include "sprite/RomFile.h"
#include "sprite/RomFileError.h"
#include "spritepng/ImageFile.h"
#include "spritepng/PixelValues.h"
#include "spritepng/PngDecoder.h"

#include <QFile>

#include <algorithm>

namespace morvane {

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw SpritePngError(message.toStdString());
}

// An image of any other size is refused before a pixel is read; `kind` names what it must be
// ("a sprite image").
void CheckImageSize(const QImage& image, QSize size, const QString& kind, const QString& subject)
{
    if (image.isNull())
        Refuse(QStringLiteral("%1 holds no picture.").arg(subject));
    if (image.size() != size)
        Refuse(QStringLiteral("%1 is %2 x %3 pixels; %4 must be %5 x %6.")
                   .arg(subject)
                   .arg(image.width())
                   .arg(image.height())
                   .arg(kind)
                   .arg(size.width())
                   .arg(size.height()));
}

// The pixels of a QImage in the form the PNG decoder gives them: an indexed image keeps its
// indices and colour table, any other is turned into colours with alpha.
PngPicture PictureOfImage(const QImage& image)
{
    PngPicture picture;
    picture.width = image.width();
    picture.height = image.height();
    const std::size_t pixels = static_cast<std::size_t>(image.width()) * image.height();
    const bool indexed = image.format() == QImage::Format_Indexed8
        || image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
    if (indexed) {
        picture.indexed = true;
        const QList<QRgb> table = image.colorTable();
        picture.palette.assign(table.begin(), table.end());
        picture.indices.resize(pixels);
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x) {
                // Read straight from the scan line: pixelIndex() complains about an index
                // without a colour entry instead of giving it.
                const int index = image.format() == QImage::Format_Indexed8 ? line[x]
                    : image.format() == QImage::Format_Mono ? (line[x >> 3] >> (7 - (x & 7))) & 1
                                                            : (line[x >> 3] >> (x & 7)) & 1;
                picture.indices[static_cast<std::size_t>(y) * std::size_t(image.width())
                    + std::size_t(x)]
                    = static_cast<std::uint8_t>(index);
            }
        }
        return picture;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    picture.colours.resize(pixels);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::copy(
            line, line + argb.width(), picture.colours.begin() + std::ptrdiff_t(y) * argb.width());
    }
    return picture;
}

std::vector<std::uint8_t> ValuesOfImage(
    const QImage& image, QSize size, const QString& kind, const std::optional<Palette>& extra)
{
    const QString subject = QStringLiteral("The image");
    CheckImageSize(image, size, kind, subject);
    return ReadPixelValues(PictureOfImage(image), extra, subject.toStdString());
}

} // namespace

QImage ToQImage(const IndexedImage& picture)
{
    QImage image(picture.width, picture.height, QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(picture.palette.begin(), picture.palette.end()));
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.Row(y), picture.width, image.scanLine(y));
    return image;
}

QImage SpriteToImage(const SpriteBlock& block, const Palette& colours)
{
    return ToQImage(SpritePicture(block, colours));
}

SpriteBlock ImageToSprite(const QImage& image, const std::optional<Palette>& extra)
{
    return BlockOfValues(ValuesOfImage(image, QSize(kSpriteImageWidth, kSpriteImageHeight),
                             QStringLiteral("a sprite image"), extra)
                             .data(),
        kSpriteImageWidth);
}

QImage FrameToImage(const SpriteBlock& block, int frame, const Palette& colours)
{
    return ToQImage(FramePicture(block, frame, colours));
}

FramePixels ImageToFrame(const QImage& image, const std::optional<Palette>& extra)
{
    const std::vector<std::uint8_t> values = ValuesOfImage(
        image, QSize(kFrameImageSide, kFrameImageSide), QStringLiteral("a frame image"), extra);
    FramePixels pixels {};
    for (std::size_t y = 0; y < pixels.size(); ++y)
        std::copy_n(values.begin() + std::ptrdiff_t(y * pixels[y].size()), pixels[y].size(),
            pixels[y].begin());
    return pixels;
}

void WriteSpritePng(const QString& path, const SpriteBlock& block, PngPalette palette)
{
    const std::vector<std::uint8_t> bytes = SpritePngData(block, palette);
    try {
        ReplaceWholeFile(QFile::encodeName(path).toStdString(), bytes);
    } catch (const RomFileError& error) {
        // The message names the file as the system spells it; show it as the caller does.
        QString message = QString::fromStdString(error.what());
        message.replace(QFile::decodeName(QFile::encodeName(path)), path);
        Refuse(message);
    }
}

SpriteBlock ReadSpritePng(const QString& path, const std::optional<Palette>& extra)
{
    const std::string subject = Quoted(path.toStdString());
    return DecodeSpritePng(
        ReadImageFile(QFile::encodeName(path).toStdString(), subject), subject, extra);
}

} // namespace morvane
