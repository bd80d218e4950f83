// Random and damaged sprite images thrown at the reader: random bytes, real sprite PNGs with
// bytes flipped, cut, inserted or repeated, and random pictures of every QImage format. Nothing
// may crash (the sanitizer build runs this too); a refusal is always a SpritePngError naming its
// subject. Where the input is clean by construction, the exact block it must give (or that it
// must be refused) is checked.
#include "CraftedPng.h"
#include "HostileFiles.h"
#include "TestData.h"
#include "qtcolour/PackedColourQt.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

#include <array>
#include <optional>

using namespace morvane;
using namespace morvane::test;

namespace {

constexpr quint32 kDefaultSeed = 20261207;
constexpr int kCasesPerKind = 500;

// The seed of this run: fixed, so a failure repeats, unless MORVANE_FUZZ_SEED asks for another.
quint32 RunSeed()
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("MORVANE_FUZZ_SEED").toUInt(&ok);
    return ok ? seed : kDefaultSeed;
}

// What a clean input must give; an input damaged at random promises nothing but no crash and a
// clean refusal.
struct Expectation {
    std::optional<SpriteBlock> block;
    bool refused = false;
};

// QImage formats whose 8-bit colours and alpha come back unchanged from ARGB32, so a clean
// picture in them must read exactly.
bool KeepsColoursExactly(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
        return true;
    default:
        return false;
    }
}

bool IsIndexedFormat(QImage::Format format)
{
    return format == QImage::Format_Indexed8 || format == QImage::Format_Mono
        || format == QImage::Format_MonoLSB;
}

bool InAnySet(QRgb rgb, const std::optional<Palette>& extra)
{
    for (const PngPalette set : {PngPalette::HardwareGreys, PngPalette::DisplayDefaults}) {
        for (const PackedColor c : PaletteColours(set))
            if (ToQRgb(c) == rgb)
                return true;
    }
    if (extra) {
        for (const PackedColor c : *extra)
            if (ToQRgb(c) == rgb)
                return true;
    }
    return false;
}

// The block whose sprite image shows these pixel values: frame f = tile / 4 fills rows 16f to
// 16f + 15 with its four tiles in reading order, and pixel value v is bit 0 of v in plane 0 and
// bit 1 in plane 1, leftmost pixel in bit 7.
SpriteBlock BlockOfValues(const std::array<std::array<int, 16>, 96>& values)
{
    SpriteBlock block {};
    for (int tile = 0; tile < 24; ++tile) {
        for (int row = 0; row < 8; ++row) {
            std::uint8_t plane0 = 0;
            std::uint8_t plane1 = 0;
            const int y = 16 * (tile / 4) + (tile % 4 / 2) * 8 + row;
            for (int column = 0; column < 8; ++column) {
                const int v = values[static_cast<std::size_t>(y)]
                                    [static_cast<std::size_t>((tile % 2) * 8 + column)];
                plane0 = static_cast<std::uint8_t>(plane0 | ((v & 1) << (7 - column)));
                plane1 = static_cast<std::uint8_t>(plane1 | (((v >> 1) & 1) << (7 - column)));
            }
            block[static_cast<std::size_t>(16 * tile + 2 * row)] = plane0;
            block[static_cast<std::size_t>(16 * tile + 2 * row + 1)] = plane1;
        }
    }
    return block;
}

Palette RandomPalette(QRandomGenerator& rng)
{
    Palette palette {};
    for (PackedColor& c : palette)
        c = rng.bounded(0x1000000);
    if (rng.bounded(4) == 0)
        palette[3] = palette[1]; // a doubled colour
    return palette;
}

} // namespace

class SpritePngFuzzTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        seed_ = RunSeed();
        rng_.seed(seed_);
        qInfo("Random seed %u (set MORVANE_FUZZ_SEED to repeat another run)", seed_);
    }

    void randomBytes()
    {
        const QByteArray signature = PngSignature();
        for (int i = 0; i < kCasesPerKind; ++i) {
            QByteArray bytes;
            switch (rng_.bounded(4)) {
            case 0:
                bytes = RandomBytes(rng_, rng_.bounded(700));
                break;
            case 1:
                bytes = signature + RandomBytes(rng_, rng_.bounded(700));
                break;
            case 2: {
                // A well-formed header of random size and kind, then noise.
                QByteArray ihdr = RandomBytes(rng_, 13);
                if (rng_.bounded(2) == 0) {
                    ihdr.replace(0, 8, QByteArray("\0\0\0\x10\0\0\0\x60", 8));
                    ihdr[8] = static_cast<char>(QList<int> {1, 2, 4, 8, 16}[rng_.bounded(5)]);
                    ihdr[9] = static_cast<char>(QList<int> {0, 2, 3, 4, 6}[rng_.bounded(5)]);
                }
                bytes = signature + PngChunk("IHDR", ihdr) + RandomBytes(rng_, rng_.bounded(500));
                break;
            }
            default: {
                // A sound 16 x 96 header and end, with random compressed pixel data between.
                const QByteArray ihdr("\0\0\0\x10\0\0\0\x60\x08\x03\0\0\0", 13);
                bytes = signature + PngChunk("IHDR", ihdr)
                    + PngChunk("PLTE", RandomBytes(rng_, 3 * (1 + rng_.bounded(8))))
                    + PngChunk("IDAT", RandomBytes(rng_, rng_.bounded(600))) + PngChunk("IEND", {});
                break;
            }
            }
            const QString fault = CheckFile(bytes, {});
            QVERIFY2(fault.isEmpty(),
                qPrintable(
                    QStringLiteral("seed %1, random bytes %2: %3").arg(seed_).arg(i).arg(fault)));
        }
    }

    void damagedSpritePngs()
    {
        for (int i = 0; i < kCasesPerKind; ++i) {
            const SpriteBlock block = RandomBlock(rng_.generate());
            const PngPalette set
                = rng_.bounded(2) == 0 ? PngPalette::HardwareGreys : PngPalette::DisplayDefaults;
            // Mostly the exporter's palette PNG; sometimes the same picture stored in true colour,
            // whose pixels take other paths through the decoder.
            const bool trueColour = rng_.bounded(3) == 0;
            const QByteArray clean = trueColour
                ? PngBytes(
                    SpriteToImage(block, PaletteColours(set)).convertToFormat(QImage::Format_RGB32))
                : SpritePngBytes(block, set);
            QByteArray bytes = clean;
            const int mutations = rng_.bounded(5);
            for (int m = 0; m < mutations && !bytes.isEmpty(); ++m) {
                const int at = rng_.bounded(bytes.size());
                switch (rng_.bounded(5)) {
                case 0:
                    bytes[at] = static_cast<char>(bytes[at] ^ (1 + rng_.bounded(255)));
                    break;
                case 1:
                    bytes.truncate(at);
                    break;
                case 2:
                    bytes.insert(at, RandomBytes(rng_, 1 + rng_.bounded(16)));
                    break;
                case 3:
                    bytes.remove(at, 1 + rng_.bounded(16));
                    break;
                default: {
                    const int from = rng_.bounded(bytes.size());
                    bytes.insert(at, bytes.mid(from, 1 + rng_.bounded(40)));
                    break;
                }
                }
            }
            // Often the checksums are mended, so the damage reaches the decoder itself.
            if (rng_.bounded(2) == 0)
                bytes = WithChunkCrcsFixed(bytes);
            Expectation expected;
            // A palette PNG reads by index whatever its colours; a true-colour one may be
            // ambiguous.
            if (bytes == clean && !trueColour)
                expected.block = block;
            const QString fault = CheckFile(bytes, expected);
            QVERIFY2(fault.isEmpty(),
                qPrintable(
                    QStringLiteral("seed %1, damaged PNG %2: %3").arg(seed_).arg(i).arg(fault)));
        }
    }

    void randomPictures()
    {
        const QImage::Format lastFormat = QImage::Format_RGBA32FPx4_Premultiplied;
        for (int i = 0; i < kCasesPerKind; ++i) {
            const auto format = static_cast<QImage::Format>(1 + rng_.bounded(int(lastFormat)));
            const bool rightSize = rng_.bounded(5) != 0;
            const int width = rightSize ? 16 : rng_.bounded(40);
            const int height = rightSize ? 96 : rng_.bounded(200);

            // The colours: one of the two fixed sets or a random one handed over as extra colours.
            const int setChoice = rng_.bounded(3);
            const Palette randomColours = RandomPalette(rng_);
            const Palette colours = setChoice == 0 ? PaletteColours(PngPalette::HardwareGreys)
                : setChoice == 1                   ? PaletteColours(PngPalette::DisplayDefaults)
                                                   : randomColours;
            const std::optional<Palette> extra = setChoice == 2 || rng_.bounded(2) == 0
                ? std::optional<Palette>(randomColours)
                : std::nullopt;

            std::array<std::array<int, 16>, 96> values {};
            for (auto& row : values)
                for (int& v : row)
                    v = rng_.bounded(4);
            QImage picture(width, height, QImage::Format_ARGB32);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    picture.setPixel(x, y,
                        ToQRgb(colours[static_cast<std::size_t>(values[static_cast<std::size_t>(
                            y % 96)][static_cast<std::size_t>(x % 16)])]));

            // Damage at random: a colour of no set, a half-transparent pixel, a see-through pixel.
            bool stray = false;
            bool halfTransparent = false;
            bool seeThrough = false;
            if (width > 0 && height > 0) {
                const int x = rng_.bounded(width);
                const int y = rng_.bounded(height);
                switch (rng_.bounded(5)) {
                case 0: {
                    const QRgb odd = ToQRgb(rng_.bounded(0x1000000));
                    stray = !InAnySet(odd, extra);
                    picture.setPixel(x, y, odd);
                    break;
                }
                case 1:
                    picture.setPixel(
                        x, y, qRgba(qRed(picture.pixel(x, y)), 0, 0, 100 + rng_.bounded(50)));
                    halfTransparent = true;
                    break;
                case 2:
                    picture.setPixel(x, y, qRgba(0, 0, 0, 0));
                    values[static_cast<std::size_t>(y % 96)][static_cast<std::size_t>(x % 16)] = 0;
                    seeThrough = true;
                    break;
                default:
                    break;
                }
            }

            Expectation expected;
            QImage image;
            if (format == QImage::Format_Indexed8 && rng_.bounded(2) == 0) {
                // Indices 0 to 3 are pixel values whatever the colour table holds; a stray index
                // that has no colour entry cannot be read at all.
                image = QImage(width, height, QImage::Format_Indexed8);
                image.setColorCount(4);
                for (int k = 0; k < 4; ++k)
                    image.setColor(k, ToQRgb(randomColours[static_cast<std::size_t>(k)]));
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        image.scanLine(y)[x] = static_cast<uchar>(values[static_cast<std::size_t>(
                            y % 96)][static_cast<std::size_t>(x % 16)]);
                if (width > 0 && height > 0 && rng_.bounded(3) == 0) {
                    image.scanLine(rng_.bounded(height))[rng_.bounded(width)]
                        = static_cast<uchar>(4 + rng_.bounded(252));
                    expected.refused = rightSize;
                } else if (rightSize) {
                    expected.block = BlockOfValues(values);
                }
            } else {
                image = picture.convertToFormat(format);
                // A format without alpha turns a see-through pixel into opaque black.
                const bool clean = rightSize && !stray && !halfTransparent
                    && (!seeThrough || image.hasAlphaChannel());
                // The first set holding every colour wins, so only the greys, or the display
                // colours with a colour the greys lack, promise a block.
                const QList<PackedColor> greyless = {colours[0], colours[3]};
                bool displayOnly = false;
                for (int y = 0; y < height && !displayOnly; ++y)
                    for (int x = 0; x < width && !displayOnly; ++x)
                        displayOnly = qAlpha(picture.pixel(x, y)) == 255
                            && (picture.pixel(x, y) == ToQRgb(greyless[0])
                                || picture.pixel(x, y) == ToQRgb(greyless[1]));
                if (clean && KeepsColoursExactly(format)
                    && (setChoice == 0 || (setChoice == 1 && displayOnly)))
                    expected.block = BlockOfValues(values);
                if (rightSize && stray && KeepsColoursExactly(format))
                    expected.refused = true;
                if (rightSize && halfTransparent && image.hasAlphaChannel()
                    && !IsIndexedFormat(format))
                    expected.refused = true;
            }
            const QString fault = CheckPicture(image, extra, expected);
            QVERIFY2(fault.isEmpty(),
                qPrintable(QStringLiteral("seed %1, picture %2 (format %3, %4 x %5): %6")
                               .arg(seed_)
                               .arg(i)
                               .arg(int(format))
                               .arg(width)
                               .arg(height)
                               .arg(fault)));
        }
    }

    void cleanupTestCase()
    {
        qInfo("%d inputs accepted, %d refused, %d with a foretold outcome", accepted_, refused_,
            foretold_);
    }

private:
    // Checks one input; returns an empty string or the fault.
    template <typename Read>
    QString Check(Read read, const QString& subject, const Expectation& expected)
    {
        std::optional<SpriteBlock> block;
        try {
            block = read();
        } catch (const SpritePngError& error) {
            const QString message = QString::fromStdString(error.what());
            if (!message.startsWith(subject))
                return QStringLiteral("the refusal does not name its subject: ") + message;
        } catch (const std::exception& error) {
            return QStringLiteral("an unexpected exception: ") + QString::fromUtf8(error.what());
        }
        foretold_ += expected.refused || expected.block ? 1 : 0;
        if (expected.refused && block)
            return QStringLiteral("a damaged input was accepted");
        if (expected.block && block != expected.block)
            return block ? QStringLiteral("a clean input read as another block")
                         : QStringLiteral("a clean input was refused");
        block ? ++accepted_ : ++refused_;
        return {};
    }

    QString CheckFile(const QByteArray& bytes, const Expectation& expected)
    {
        const QString subject = QStringLiteral("\"input.png\"");
        return Check(
            [&] { return DecodeSpritePng(Span(bytes), subject.toStdString()); }, subject, expected);
    }

    QString CheckPicture(
        const QImage& image, const std::optional<Palette>& extra, const Expectation& expected)
    {
        return Check([&] { return ImageToSprite(image, extra); }, "The image", expected);
    }

    quint32 seed_ = kDefaultSeed;
    QRandomGenerator rng_;
    int accepted_ = 0;
    int refused_ = 0;
    int foretold_ = 0;
};

QTEST_GUILESS_MAIN(SpritePngFuzzTest)
#include "SpritePngFuzzTest.moc"
