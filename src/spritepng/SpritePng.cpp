#include "SpritePng.h"

#include "PixelValues.h"
#include "PngDecoder.h"
#include "base/MessageText.h"
#include "qtcolour/PackedColourQt.h"
#include "sprite/DisplayPalette.h"
#include "sprite/FrameLayout.h"
#include "sprite/RomFile.h"
#include "sprite/RomFileError.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <algorithm>

namespace morvane {

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw SpritePngError(message.toStdString());
}

const QString& SpriteKind()
{
    static const QString kind = QStringLiteral("a sprite image");
    return kind;
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

// Writes a frame's pixel values into an indexed image, its top row at line `top`.
void DrawFrame(QImage& image, const FramePixels& pixels, int top)
{
    for (int y = 0; y < kFrameSide; ++y)
        std::copy(pixels[static_cast<std::size_t>(y)].begin(),
            pixels[static_cast<std::size_t>(y)].end(), image.scanLine(top + y));
}

SpriteBlock Decode(
    const PngPicture& picture, const std::optional<Palette>& extra, const QString& subject)
{
    return BlockOfValues(ReadPixelValues(picture, extra, subject).data(), kSpriteImageWidth);
}

} // namespace

Palette PaletteColours(PngPalette palette)
{
    if (palette == PngPalette::DisplayDefaults)
        return kDefaultPalette;
    return {PackRgb(255, 255, 255), PackRgb(170, 170, 170), PackRgb(85, 85, 85), PackRgb(0, 0, 0)};
}

QImage IndexedCanvas(int width, int height, const Palette& colours)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorCount(4);
    for (int value = 0; value < 4; ++value)
        image.setColor(value, ToQRgb(colours[static_cast<std::size_t>(value)]));
    return image;
}

QImage SpriteToImage(const SpriteBlock& block, const Palette& colours)
{
    QImage image = IndexedCanvas(kSpriteImageWidth, kSpriteImageHeight, colours);
    for (int frame = 0; frame < kFramesPerSprite; ++frame)
        DrawFrame(image, DecodeFrame(block, frame), kFrameSide * frame);
    return image;
}

SpriteBlock ImageToSprite(const QImage& image, const std::optional<Palette>& extra)
{
    const QString subject = QStringLiteral("The image");
    CheckImageSize(image, QSize(kSpriteImageWidth, kSpriteImageHeight), SpriteKind(), subject);
    return Decode(PictureOfImage(image), extra, subject);
}

QImage FrameToImage(const SpriteBlock& block, int frame, const Palette& colours)
{
    QImage image = IndexedCanvas(kFrameImageSide, kFrameImageSide, colours);
    DrawFrame(image, DecodeFrame(block, frame), 0);
    return image;
}

FramePixels ImageToFrame(const QImage& image, const std::optional<Palette>& extra)
{
    const QString subject = QStringLiteral("The image");
    CheckImageSize(
        image, QSize(kFrameImageSide, kFrameImageSide), QStringLiteral("a frame image"), subject);
    const std::vector<std::uint8_t> values = ReadPixelValues(PictureOfImage(image), extra, subject);
    FramePixels pixels {};
    for (std::size_t y = 0; y < pixels.size(); ++y)
        std::copy_n(values.begin() + std::ptrdiff_t(y * pixels[y].size()), pixels[y].size(),
            pixels[y].begin());
    return pixels;
}

QByteArray PngData(const QImage& image, const QString& what)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        Refuse(QStringLiteral("The %1 cannot be made: %2.").arg(what, writer.errorString()));
    return bytes;
}

QByteArray SpritePngData(const SpriteBlock& block, PngPalette palette)
{
    return PngData(SpriteToImage(block, PaletteColours(palette)), QStringLiteral("sprite image"));
}

void WriteSpritePng(const QString& path, const SpriteBlock& block, PngPalette palette)
{
    const QByteArray bytes = SpritePngData(block, palette);
    try {
        ReplaceWholeFile(QFile::encodeName(path).toStdString(),
            {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                static_cast<std::size_t>(bytes.size())});
    } catch (const RomFileError& error) {
        // The message names the file as the system spells it; show it as the caller does.
        QString message = QString::fromStdString(error.what());
        message.replace(QFile::decodeName(QFile::encodeName(path)), path);
        Refuse(message);
    }
}

QByteArray ReadImageFile(const QString& path, const QString& subject)
{
    // Opening a named pipe waits until some other program writes to it, and a device may never
    // end; neither can hold an image file, so they are refused before the open.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir())
        Refuse(QStringLiteral("%1 cannot be read: it is a pipe or a device, not an image file.")
                   .arg(subject));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(QStringLiteral("%1 cannot be read: %2.").arg(subject, file.errorString()));
    if (file.size() > kMaxSpritePngBytes)
        Refuse(QStringLiteral("%1 cannot be read: it is %2 bytes long, and a sprite image file is "
                              "never larger than %3 bytes.")
                   .arg(subject)
                   .arg(file.size())
                   .arg(kMaxSpritePngBytes));
    // Read one byte past the limit in case the file grows while it is read.
    QByteArray bytes = file.read(kMaxSpritePngBytes + 1);
    if (bytes.size() > kMaxSpritePngBytes)
        Refuse(QStringLiteral("%1 cannot be read: it is larger than %2 bytes.")
                   .arg(subject)
                   .arg(kMaxSpritePngBytes));
    if (file.error() != QFile::NoError)
        Refuse(QStringLiteral("%1 cannot be read: %2.").arg(subject, file.errorString()));
    return bytes;
}

SpriteBlock DecodeSpritePng(
    const QByteArray& file, const QString& subject, const std::optional<Palette>& extra)
{
    if (file.size() > kMaxSpritePngBytes)
        Refuse(QStringLiteral("%1 cannot be read: it is larger than %2 bytes, and a sprite image "
                              "file never is.")
                   .arg(subject)
                   .arg(kMaxSpritePngBytes));
    const PngPicture picture
        = DecodePng(file, QSize(kSpriteImageWidth, kSpriteImageHeight), SpriteKind(), subject);
    return Decode(picture, extra, subject);
}

SpriteBlock ReadSpritePng(const QString& path, const std::optional<Palette>& extra)
{
    const QString subject = QString::fromStdString(Quoted(path.toStdString()));
    return DecodeSpritePng(ReadImageFile(path, subject), subject, extra);
}

} // namespace morvane
