// Random and damaged sprite images thrown at the reader: random bytes, real sprite PNGs with bytes
// flipped, cut, inserted or repeated, and random pictures of every QImage format. Nothing may crash
// (the sanitizer build runs this too), a refusal is always a SpritePngError naming its subject, and
// an input clean by construction must give its exact block (or be refused).
#include "CraftedPng.h"
#include "HostileFiles.h"
#include "qtcolour/PackedColourQt.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using enum QImage::Format;
using enum PngPalette;

namespace {

constexpr quint32 kDefaultSeed = 20261207;
constexpr int kCasesPerKind = 500;

// What a clean input must give; one damaged at random promises only a clean refusal, no crash.
struct Expectation {
    std::optional<SpriteBlock> block;
    bool refused = false;
};

QList<QRgb> Rgbs(const Palette& colours)
{
    QList<QRgb> rgbs(qsizetype(colours.size()));
    std::ranges::transform(colours, rgbs.begin(), ToQRgb);
    return rgbs;
}

// The block whose sprite image shows these pixel values, row after row: frame f = tile / 4 fills
// rows 16f to 16f + 15, its tiles in reading order; value bit p in plane p, leftmost in bit 7.
SpriteBlock BlockOfValues(const QByteArray& values)
{
    SpriteBlock block {};
    for (int at = 0; at < 16 * 96; ++at) {
        const int x = at % 16;
        const int y = at / 16;
        const auto row = std::size_t(16 * (4 * (y / 16) + 2 * (y % 16 / 8) + x / 8) + 2 * (y % 8));
        block[row] = std::uint8_t(block[row] | (values[at] & 1) << (7 - x % 8));
        block[row + 1] = std::uint8_t(block[row + 1] | (values[at] >> 1 & 1) << (7 - x % 8));
    }
    return block;
}

} // namespace

class SpritePngFuzzTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Fixed, so a failure repeats, unless MORVANE_FUZZ_SEED asks for another.
        bool ok = false;
        const quint32 asked = qEnvironmentVariable("MORVANE_FUZZ_SEED").toUInt(&ok);
        seed_ = ok ? asked : kDefaultSeed;
        rng_.seed(seed_);
        qInfo("Random seed %u (set MORVANE_FUZZ_SEED to repeat another run)", seed_);
    }

    void randomBytes()
    {
        for (int i = 0; i < kCasesPerKind && !QTest::currentTestFailed(); ++i) {
            const int kind = rng_.bounded(4);
            QByteArray bytes = kind == 0 ? QByteArray() : kPngSignature;
            if (kind < 2) {
                bytes += RandomBytes(rng_, rng_.bounded(700));
            } else if (kind == 2) {
                // A well-formed header of random size and kind, then noise.
                QByteArray ihdr = RandomBytes(rng_, 13);
                if (rng_.bounded(2) == 0) {
                    ihdr.replace(0, 8, QByteArray("\0\0\0\x10\0\0\0\x60", 8));
                    ihdr[8] = static_cast<char>(QList<int> {1, 2, 4, 8, 16}[rng_.bounded(5)]);
                    ihdr[9] = static_cast<char>(QList<int> {0, 2, 3, 4, 6}[rng_.bounded(5)]);
                }
                bytes += PngChunk("IHDR", ihdr) + RandomBytes(rng_, rng_.bounded(500));
            } else {
                // A sound 16 x 96 header and end, with random compressed pixel data between.
                bytes += PngChunk("IHDR", QByteArray("\0\0\0\x10\0\0\0\x60\x08\x03\0\0\0", 13));
                bytes += PngChunk("PLTE", RandomBytes(rng_, 3 * (1 + rng_.bounded(8))));
                bytes += PngChunk("IDAT", RandomBytes(rng_, rng_.bounded(600)))
                    + PngChunk("IEND", {});
            }
            CheckFile(bytes, {}, QStringLiteral("random bytes %1").arg(i));
        }
    }

    void damagedSpritePngs()
    {
        for (int i = 0; i < kCasesPerKind && !QTest::currentTestFailed(); ++i) {
            const SpriteBlock block = RandomBlock(rng_.generate());
            const PngPalette set = rng_.bounded(2) == 0 ? HardwareGreys : DisplayDefaults;
            // Mostly the exporter's palette PNG; sometimes the same picture stored in true colour,
            // whose pixels take other paths through the decoder.
            const bool trueColour = rng_.bounded(3) == 0;
            const QByteArray clean = trueColour
                ? PngBytes(SpriteToImage(block, PaletteColours(set)).convertToFormat(Format_RGB32))
                : SpritePngBytes(block, set);
            QByteArray bytes = clean;
            for (int left = rng_.bounded(5); left > 0 && !bytes.isEmpty(); --left) {
                const int at = rng_.bounded(bytes.size());
                const int kind = rng_.bounded(5);
                if (kind == 0) {
                    bytes[at] = static_cast<char>(bytes[at] ^ (1 + rng_.bounded(255)));
                } else if (kind == 1) {
                    bytes.truncate(at);
                } else if (kind == 2) {
                    bytes.insert(at, RandomBytes(rng_, 1 + rng_.bounded(16)));
                } else if (kind == 3) {
                    bytes.remove(at, 1 + rng_.bounded(16));
                } else {
                    const int from = rng_.bounded(bytes.size());
                    bytes.insert(at, bytes.mid(from, 1 + rng_.bounded(40)));
                }
            }
            // Often the checksums are mended, so the damage reaches the decoder itself.
            if (rng_.bounded(2) == 0)
                bytes = WithChunkCrcsFixed(bytes);
            // A palette PNG reads by index whatever its colours; true colour may be ambiguous.
            CheckFile(bytes, {bytes == clean && !trueColour ? std::optional(block) : std::nullopt},
                QStringLiteral("damaged PNG %1").arg(i));
        }
    }

    void randomPictures()
    {
        for (int i = 0; i < kCasesPerKind && !QTest::currentTestFailed(); ++i) {
            const auto format = QImage::Format(1 + rng_.bounded(QImage::NImageFormats - 1));
            const bool rightSize = rng_.bounded(5) != 0;
            const int width = rightSize ? 16 : rng_.bounded(40);
            const int height = rightSize ? 96 : rng_.bounded(200);

            // The colours: one of the two fixed sets or a random one handed over as extra colours.
            const int setChoice = rng_.bounded(3);
            Palette randomColours {};
            for (PackedColor& colour : randomColours)
                colour = rng_.bounded(0x1000000);
            if (rng_.bounded(4) == 0)
                randomColours[3] = randomColours[1]; // a doubled colour
            const QList<QRgb> colours = Rgbs(setChoice == 2
                    ? randomColours
                    : PaletteColours(setChoice == 0 ? HardwareGreys : DisplayDefaults));
            const auto extra = setChoice == 2 || rng_.bounded(2) == 0 ? std::optional(randomColours)
                                                                      : std::nullopt;

            // The picture repeats 16 x 96 pixel values across whatever size it has.
            QByteArray values = RandomBytes(rng_, 16 * 96, 4);
            const auto value = [&](int x, int y) -> char& { return values[y % 96 * 16 + x % 16]; };
            QImage picture(width, height, Format_ARGB32);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    picture.setPixel(x, y, colours[value(x, y)]);

            // Damage at one spot, or none (3, 4): a colour of no set, a half or fully clear pixel.
            const int damage = width > 0 && height > 0 ? rng_.bounded(5) : 3;
            const int spotX = damage < 3 ? rng_.bounded(width) : 0;
            const int spotY = damage < 3 ? rng_.bounded(height) : 0;
            bool stray = false;
            if (damage == 0) {
                const QRgb odd = ToQRgb(rng_.bounded(0x1000000));
                const QList<QRgb> known = Rgbs(PaletteColours(HardwareGreys))
                    + Rgbs(PaletteColours(DisplayDefaults))
                    + (extra ? Rgbs(*extra) : QList<QRgb>());
                stray = !known.contains(odd);
                picture.setPixel(spotX, spotY, odd);
            } else if (damage == 1) {
                picture.setPixel(spotX, spotY,
                    qRgba(qRed(picture.pixel(spotX, spotY)), 0, 0, 100 + rng_.bounded(50)));
            } else if (damage == 2) {
                picture.setPixel(spotX, spotY, qRgba(0, 0, 0, 0));
                value(spotX, spotY) = 0;
            }
            const bool halfTransparent = damage == 1;
            const bool seeThrough = damage == 2;

            Expectation expected;
            QImage image;
            if (format == Format_Indexed8 && rng_.bounded(2) == 0) {
                // Indices 0 to 3 are pixel values whatever the colour table holds; a stray index
                // that has no colour entry cannot be read at all.
                image = QImage(width, height, Format_Indexed8);
                image.setColorTable(Rgbs(randomColours));
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        image.scanLine(y)[x] = static_cast<uchar>(value(x, y));
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
                // Formats whose 8-bit colours and alpha come back unchanged from ARGB32, so a
                // clean picture in them must read exactly.
                const bool exact = QList {Format_RGB32, Format_ARGB32, Format_RGB888, Format_BGR888,
                    Format_RGBX8888, Format_RGBA8888, Format_RGBX64, Format_RGBA64}
                                       .contains(format);
                // The first set holding every colour wins, so only the greys, or the display
                // colours with a colour the greys lack (entries 0 and 3), promise a block.
                const auto* pixels = reinterpret_cast<const QRgb*>(picture.constBits());
                const bool displayOnly = std::any_of(pixels, pixels + width * height,
                    [&](QRgb pixel) { return pixel == colours[0] || pixel == colours[3]; });
                if (clean && exact && (setChoice == 0 || (setChoice == 1 && displayOnly)))
                    expected.block = BlockOfValues(values);
                const bool keepsAlpha = image.hasAlphaChannel()
                    && !QList {Format_Indexed8, Format_Mono, Format_MonoLSB}.contains(format);
                expected.refused
                    = rightSize && ((stray && exact) || (halfTransparent && keepsAlpha));
            }
            Check([&] { return ImageToSprite(image, extra); }, "The image", expected,
                QString::asprintf(
                    "picture %d (format %d, %d x %d)", i, int(format), width, height));
        }
    }

    void cleanupTestCase()
    {
        qInfo("%d inputs accepted, %d refused, %d with a foretold outcome", accepted_, refused_,
            foretold_);
    }

private:
    // Checks one input; a fault fails the test, naming the seed and the case.
    template <typename Read>
    void Check(Read read, const QString& subject, const Expectation& expected, const QString& what)
    {
        const auto fault = [&](const QString& text) {
            const QString failure = QStringLiteral("seed %1, %2: %3").arg(seed_).arg(what, text);
            QTest::qFail(qPrintable(failure), __FILE__, __LINE__);
        };
        std::optional<SpriteBlock> block;
        try {
            block = read();
        } catch (const SpritePngError& error) {
            const QString message = QString::fromStdString(error.what());
            if (!message.startsWith(subject))
                return fault("the refusal does not name its subject: " + message);
        } catch (const std::exception& error) {
            return fault("an unexpected exception: " + QString::fromUtf8(error.what()));
        }
        foretold_ += expected.refused || expected.block ? 1 : 0;
        if (expected.refused && block)
            return fault("a damaged input was accepted");
        if (expected.block && block != expected.block)
            return fault(
                block ? "a clean input read as another block" : "a clean input was refused");
        block ? ++accepted_ : ++refused_;
    }

    void CheckFile(const QByteArray& bytes, const Expectation& expected, const QString& what)
    {
        const QString subject = QStringLiteral("\"input.png\"");
        Check([&] { return DecodeSpritePng(Span(bytes), subject.toStdString()); }, subject,
            expected, what);
    }

    quint32 seed_ = kDefaultSeed;
    QRandomGenerator rng_;
    int accepted_ = 0, refused_ = 0, foretold_ = 0;
};

QTEST_GUILESS_MAIN(SpritePngFuzzTest)
#include "SpritePngFuzzTest.moc"
