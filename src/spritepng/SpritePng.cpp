#include "SpritePng.h"

#include "qtcolour/PackedColourQt.h"
#include "sprite/DisplayPalette.h"
#include "sprite/FrameLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <vector>

namespace morvane {

namespace {

// The pixel values of a whole sprite image, pixels[y][x]: the six frames stacked top to bottom.
using SheetValues = std::array<std::array<std::uint8_t, kSpriteImageWidth>, kSpriteImageHeight>;

SheetValues DecodeBlock(const SpriteBlock& block)
{
    SheetValues values {};
    for (int frame = 0; frame < kFramesPerSprite; ++frame) {
        const FramePixels pixels = DecodeFrame(block, frame);
        std::copy(pixels.begin(), pixels.end(), values.begin() + kFrameSide * frame);
    }
    return values;
}

SpriteBlock EncodeBlock(const SheetValues& values)
{
    SpriteBlock block {};
    for (int frame = 0; frame < kFramesPerSprite; ++frame) {
        FramePixels pixels {};
        std::copy_n(values.begin() + kFrameSide * frame, kFrameSide, pixels.begin());
        EncodeFrame(pixels, frame, block);
    }
    return block;
}

QString RgbText(QRgb colour)
{
    return QStringLiteral("RGB(%1, %2, %3)")
        .arg(qRed(colour))
        .arg(qGreen(colour))
        .arg(qBlue(colour));
}

QString PixelText(int x, int y)
{
    return QStringLiteral("pixel (%1, %2)").arg(x).arg(y);
}

QString Quoted(const QString& path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

[[noreturn]] void Refuse(const QString& message)
{
    throw SpritePngError(message.toStdString());
}

// A colour set an image's colours may be read in, with the words that name it in messages.
struct ColourSet {
    QString name;
    std::array<QRgb, 4> colours;

    bool Holds(QRgb rgb) const
    {
        return std::find(colours.begin(), colours.end(), rgb) != colours.end();
    }
};

ColourSet MakeSet(const QString& name, const Palette& palette)
{
    ColourSet set {name, {}};
    for (std::size_t i = 0; i < palette.size(); ++i)
        set.colours[i] = ToQRgb(palette[i]);
    return set;
}

std::vector<ColourSet> CandidateSets(const std::optional<Palette>& extra)
{
    std::vector<ColourSet> sets {
        MakeSet(QStringLiteral("the four greys"), PaletteColours(PngPalette::HardwareGreys)),
        MakeSet(QStringLiteral("the four default display colours"),
            PaletteColours(PngPalette::DisplayDefaults))};
    if (extra)
        sets.push_back(MakeSet(QStringLiteral("the current display colours"), *extra));
    return sets;
}

QString ListOfSets(const std::vector<ColourSet>& sets)
{
    QString text = sets.front().name;
    for (std::size_t i = 1; i < sets.size(); ++i)
        text += (i + 1 == sets.size() ? QStringLiteral(" or ") : QStringLiteral(", "))
            + sets[i].name;
    return text;
}

struct PixelColour {
    int x = 0;
    int y = 0;
    QRgb rgb = 0;
};

// Reads an image by its colours (rule 3 of ImageToSprite). `colourAt` gives the colour with
// alpha of a pixel, or nothing for an index that has no colour entry.
template <typename ColourAt>
SheetValues ReadByColour(
    const QString& subject, const std::optional<Palette>& extra, ColourAt colourAt)
{
    const std::vector<ColourSet> sets = CandidateSets(extra);
    // Where each set was ruled out, to name the colour that did it if nothing else fits.
    std::vector<std::optional<PixelColour>> ruledOut(sets.size());
    std::size_t alive = sets.size();
    for (int y = 0; y < kSpriteImageHeight; ++y) {
        for (int x = 0; x < kSpriteImageWidth; ++x) {
            const QRgb colour = colourAt(x, y);
            if (qAlpha(colour) == 0)
                continue;
            if (qAlpha(colour) != 255)
                Refuse(QStringLiteral("%1 has a partly transparent pixel at (%2, %3) (alpha %4); "
                                      "a sprite pixel is either opaque or, for value 0, fully "
                                      "transparent.")
                           .arg(subject)
                           .arg(x)
                           .arg(y)
                           .arg(qAlpha(colour)));
            const QRgb rgb = qRgb(qRed(colour), qGreen(colour), qBlue(colour));
            for (std::size_t k = 0; k < sets.size(); ++k) {
                if (!ruledOut[k] && !sets[k].Holds(rgb)) {
                    ruledOut[k] = PixelColour {x, y, rgb};
                    --alive;
                }
            }
            if (alive > 0)
                continue;
            for (std::size_t k = 0; k < sets.size(); ++k) {
                if (sets[k].Holds(rgb)) {
                    const PixelColour& other = *ruledOut[k];
                    Refuse(QStringLiteral("%1 mixes colour sets: %2 at %3 is one of %4, but %5 at "
                                          "%6 is not; a sprite image keeps to one set.")
                               .arg(subject, RgbText(rgb), PixelText(x, y), sets[k].name,
                                   RgbText(other.rgb), PixelText(other.x, other.y)));
                }
            }
            Refuse(QStringLiteral("%1 has the colour %2 at %3, which is not one of %4.")
                       .arg(subject, RgbText(rgb), PixelText(x, y), ListOfSets(sets)));
        }
    }

    std::size_t chosen = 0;
    while (ruledOut[chosen])
        ++chosen;
    const ColourSet& set = sets[chosen];
    SheetValues values {};
    for (int y = 0; y < kSpriteImageHeight; ++y) {
        for (int x = 0; x < kSpriteImageWidth; ++x) {
            const QRgb colour = colourAt(x, y);
            if (qAlpha(colour) == 0)
                continue;
            const QRgb rgb = qRgb(qRed(colour), qGreen(colour), qBlue(colour));
            std::vector<int> matches;
            for (int value = 0; value < 4; ++value) {
                if (set.colours[static_cast<std::size_t>(value)] == rgb)
                    matches.push_back(value);
            }
            if (matches.size() > 1)
                Refuse(QStringLiteral("%1 uses %2 at %3, which is colour %4 and colour %5 of %6 "
                                      "alike, so its pixel value cannot be told.")
                           .arg(subject, RgbText(rgb), PixelText(x, y))
                           .arg(matches[0])
                           .arg(matches[1])
                           .arg(set.name));
            values[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]
                = static_cast<std::uint8_t>(matches.front());
        }
    }
    return values;
}

bool IsIndexed(const QImage& image)
{
    return image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono
        || image.format() == QImage::Format_MonoLSB;
}

SpriteBlock Decode(const QImage& image, const std::optional<Palette>& extra, const QString& subject)
{
    if (image.isNull())
        Refuse(QStringLiteral("%1 holds no picture.").arg(subject));
    if (image.width() != kSpriteImageWidth || image.height() != kSpriteImageHeight)
        Refuse(QStringLiteral("%1 is %2 x %3 pixels; a sprite image must be %4 x %5.")
                   .arg(subject)
                   .arg(image.width())
                   .arg(image.height())
                   .arg(kSpriteImageWidth)
                   .arg(kSpriteImageHeight));

    if (!IsIndexed(image)) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        return EncodeBlock(
            ReadByColour(subject, extra, [&](int x, int y) { return argb.pixel(x, y); }));
    }

    struct StrayIndex {
        int x;
        int y;
        int index;
    };
    std::optional<StrayIndex> firstStray;
    SheetValues values {};
    for (int y = 0; y < kSpriteImageHeight && !firstStray; ++y) {
        for (int x = 0; x < kSpriteImageWidth && !firstStray; ++x) {
            const int index = image.pixelIndex(x, y);
            if (index > 3)
                firstStray = StrayIndex {x, y, index};
            else
                values[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]
                    = static_cast<std::uint8_t>(index);
        }
    }
    if (!firstStray)
        return EncodeBlock(values);

    // Indices past 3 may still be a picture in one of the colour sets, as a paint program
    // leaves it; only when the colours do not fit either is the stray index the problem.
    const QList<QRgb> table = image.colorTable();
    try {
        return EncodeBlock(ReadByColour(subject, extra, [&](int x, int y) -> QRgb {
            const int index = image.pixelIndex(x, y);
            // An index with no colour entry fits no set: half-transparent black is refused.
            return index < table.size() ? table[index] : qRgba(0, 0, 0, 128);
        }));
    } catch (const SpritePngError&) {
        Refuse(QStringLiteral("%1 uses palette index %2 at %3; only 0 to 3 are pixel values, and "
                              "its colours do not all belong to one of %4 either.")
                   .arg(subject)
                   .arg(firstStray->index)
                   .arg(PixelText(firstStray->x, firstStray->y))
                   .arg(ListOfSets(CandidateSets(extra))));
    }
}

// The pixel size is checked from the header before decoding; this limit is a second fence in
// case the pixel data disagrees with it. It is process-wide, so the old value is put back.
class DecodeAllocationLimit {
public:
    DecodeAllocationLimit() : saved_(QImageReader::allocationLimit())
    {
        QImageReader::setAllocationLimit(1);
    }
    ~DecodeAllocationLimit() { QImageReader::setAllocationLimit(saved_); }
    DecodeAllocationLimit(const DecodeAllocationLimit&) = delete;
    DecodeAllocationLimit& operator=(const DecodeAllocationLimit&) = delete;

private:
    int saved_;
};

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr int kPngSignatureBytes = 8;
// Signature, IHDR length and type, width, height, bit depth, then the colour type.
constexpr int kColourTypeAt = 25;
constexpr int kPaletteColourType = 3;

} // namespace

Palette PaletteColours(PngPalette palette)
{
    if (palette == PngPalette::DisplayDefaults)
        return kDefaultPalette;
    return {PackRgb(255, 255, 255), PackRgb(170, 170, 170), PackRgb(85, 85, 85), PackRgb(0, 0, 0)};
}

QImage SpriteToImage(const SpriteBlock& block, const Palette& colours)
{
    QImage image(kSpriteImageWidth, kSpriteImageHeight, QImage::Format_Indexed8);
    image.setColorCount(4);
    for (int value = 0; value < 4; ++value)
        image.setColor(value, ToQRgb(colours[static_cast<std::size_t>(value)]));
    const SheetValues values = DecodeBlock(block);
    for (int y = 0; y < kSpriteImageHeight; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < kSpriteImageWidth; ++x)
            line[x] = values[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    }
    return image;
}

SpriteBlock ImageToSprite(const QImage& image, const std::optional<Palette>& extra)
{
    return Decode(image, extra, QStringLiteral("The image"));
}

void WriteSpritePng(const QString& path, const SpriteBlock& block, PngPalette palette)
{
    // The image is written beside the target and then put in its place. Over a device or a pipe
    // that would replace the device node itself (as root, /dev/full or /dev/null would become a
    // PNG file), and a write that fails on it would go unnoticed, so such targets are refused.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile() && !existing.isDir())
        Refuse(QStringLiteral("%1 cannot be written: it is a pipe or a device, not an image file.")
                   .arg(Quoted(path)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        Refuse(QStringLiteral("%1 cannot be written: %2.").arg(Quoted(path), file.errorString()));
    QImageWriter writer(&file, "png");
    if (!writer.write(SpriteToImage(block, PaletteColours(palette)))) {
        file.cancelWriting();
        Refuse(QStringLiteral("%1 cannot be written: %2.").arg(Quoted(path), writer.errorString()));
    }
    if (!file.commit())
        Refuse(QStringLiteral("%1 cannot be written: %2.").arg(Quoted(path), file.errorString()));
}

SpriteBlock ReadSpritePng(const QString& path, const std::optional<Palette>& extra)
{
    const QString subject = Quoted(path);
    // Opening a named pipe waits until some other program writes to it, and a device may never
    // end; neither can hold a sprite image, so they are refused before the open.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir())
        Refuse(QStringLiteral("%1 cannot be read: it is a pipe or a device, not an image file.")
                   .arg(subject));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(QStringLiteral("%1 cannot be read: %2.").arg(subject, file.errorString()));
    const QByteArray header = file.peek(kColourTypeAt + 1);
    if (header.isEmpty())
        Refuse(QStringLiteral("%1 cannot be read: the file is empty.").arg(subject));
    if (!header.startsWith(QByteArray(kPngSignature, kPngSignatureBytes)))
        Refuse(QStringLiteral("%1 cannot be read: it is not a PNG image.").arg(subject));

    QImageReader reader(&file, "png");
    const QSize size = reader.size();
    if (!size.isValid())
        Refuse(
            QStringLiteral("%1 cannot be read: its header is damaged or incomplete.").arg(subject));
    if (size != QSize(kSpriteImageWidth, kSpriteImageHeight))
        Refuse(QStringLiteral("%1 is %2 x %3 pixels; a sprite image must be %4 x %5.")
                   .arg(subject)
                   .arg(size.width())
                   .arg(size.height())
                   .arg(kSpriteImageWidth)
                   .arg(kSpriteImageHeight));

    QImage image;
    {
        const DecodeAllocationLimit limit;
        if (!reader.read(&image))
            Refuse(QStringLiteral("%1 cannot be read: %2.").arg(subject, reader.errorString()));
    }
    // The image reader hands grey-level PNGs of 1, 2 or 4 bits over as indexed images (with
    // index 0 black); their pixels are grey levels, so they are read by colour.
    const bool storedWithPalette = header.size() > kColourTypeAt
        && static_cast<unsigned char>(header[kColourTypeAt]) == kPaletteColourType;
    if (IsIndexed(image) && !storedWithPalette)
        image = image.convertToFormat(QImage::Format_ARGB32);
    return Decode(image, extra, subject);
}

} // namespace morvane
