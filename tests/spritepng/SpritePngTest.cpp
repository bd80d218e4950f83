#include "spritepng/SpritePng.h"
#include "CraftedPng.h"
#include "TestData.h"
#include "spritepng/SpriteSheet.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

// A random block whose pixels take only the values `low` and `high`, chosen per pixel: the two
// bit planes of each row are derived from one random byte.
SpriteBlock TwoValueBlock(quint32 seed, int low, int high)
{
    SpriteBlock block = RandomBlock(seed);
    for (std::size_t at = 0; at < block.size(); at += 2) {
        const std::uint8_t pick = block[at];
        const auto plane = [&](int bit) {
            const std::uint8_t lowBits = (low >> bit) & 1 ? 0xFF : 0x00;
            const std::uint8_t highBits = (high >> bit) & 1 ? 0xFF : 0x00;
            return static_cast<std::uint8_t>((pick & highBits) | (~pick & lowBits));
        };
        block[at] = plane(0);
        block[at + 1] = plane(1);
    }
    return block;
}

QImage Argb(const SpriteBlock& block, PngPalette palette)
{
    return SpriteToImage(block, PaletteColours(palette)).convertToFormat(QImage::Format_ARGB32);
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The SpritePngError message of an operation, or an empty text when it succeeds.
template <typename Operation> QString FailureOf(Operation&& operation)
{
    try {
        operation();
    } catch (const SpritePngError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

const QList<QRgb> kGreys
    = {qRgb(255, 255, 255), qRgb(170, 170, 170), qRgb(85, 85, 85), qRgb(0, 0, 0)};
const QList<QRgb> kDisplay
    = {qRgb(223, 0, 200), qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 255)};

} // namespace

class SpritePngTest : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void exportedFile_data();
    void exportedFile();
    void roundTrip_data();
    void roundTrip();
    void imageRules_data();
    void imageRules();
    void extraColours_data();
    void extraColours();
    void fileRefusals_data();
    void fileRefusals();
    void pngKinds_data();
    void pngKinds();
    void greysInAnyOrder_data();
    void greysInAnyOrder();
    void exportReplacesWholeFile();
    void failedExportLeavesNothing();
    void sheetLayout();
    void sheetRoundTrip_data();
    void sheetRoundTrip();

private:
    QTemporaryDir dir_;
};

// One pixel set in one tile must land at one place of the image, with the plane-0 bit as the
// low bit of its value.
void SpritePngTest::layout_data()
{
    QTest::addColumn<int>("tile");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");

    QTest::newRow("tile 0, top left of frame 0") << 0 << 0 << 0 << 3 << 0 << 0;
    QTest::newRow("tile 1, top right") << 1 << 0 << 0 << 3 << 8 << 0;
    QTest::newRow("tile 2, bottom left") << 2 << 0 << 0 << 3 << 0 << 8;
    QTest::newRow("tile 3, last pixel of frame 0") << 3 << 7 << 7 << 3 << 15 << 15;
    QTest::newRow("tile 4 starts frame 1") << 4 << 0 << 0 << 3 << 0 << 16;
    QTest::newRow("tile 9, inside frame 2") << 9 << 2 << 5 << 3 << 13 << 34;
    QTest::newRow("tile 23, last pixel") << 23 << 7 << 7 << 3 << 15 << 95;
    QTest::newRow("plane 0 alone is value 1") << 6 << 4 << 1 << 1 << 1 << 28;
    QTest::newRow("plane 1 alone is value 2") << 6 << 4 << 1 << 2 << 1 << 28;
}

void SpritePngTest::layout()
{
    QFETCH(int, tile);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, value);
    QFETCH(int, x);
    QFETCH(int, y);

    SpriteBlock block {};
    const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> column);
    const std::size_t at = static_cast<std::size_t>(16 * tile + 2 * row);
    if (value & 1)
        block[at] = bit;
    if (value & 2)
        block[at + 1] = bit;

    const QImage image = SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
    QCOMPARE(image.size(), QSize(16, 96));
    QCOMPARE(image.format(), QImage::Format_Indexed8);
    for (int py = 0; py < 96; ++py) {
        for (int px = 0; px < 16; ++px) {
            const int expected = (px == x && py == y) ? value : 0;
            if (image.pixelIndex(px, py) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                     .arg(px)
                                     .arg(py)
                                     .arg(image.pixelIndex(px, py))
                                     .arg(expected)));
        }
    }
    QCOMPARE(Bytes(ImageToSprite(image)), Bytes(block));
}

void SpritePngTest::exportedFile_data()
{
    QTest::addColumn<int>("palette");
    QTest::addColumn<QList<QRgb>>("colours");
    QTest::newRow("hardware greys") << int(PngPalette::HardwareGreys) << kGreys;
    QTest::newRow("display defaults") << int(PngPalette::DisplayDefaults) << kDisplay;
}

void SpritePngTest::exportedFile()
{
    QFETCH(int, palette);
    QFETCH(QList<QRgb>, colours);
    const SpriteBlock block = RandomBlock(11);
    const QString path = dir_.filePath(QStringLiteral("exported.png"));
    WriteSpritePng(path, block, PngPalette(palette));

    // Read back with Qt alone: an indexed PNG whose four entries are the set, index = value.
    const QImage file(path);
    QCOMPARE(file.format(), QImage::Format_Indexed8);
    QCOMPARE(file.size(), QSize(16, 96));
    QCOMPARE(file.colorTable(), colours);
    const QImage reference = SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 16; ++x)
            QCOMPARE(file.pixelIndex(x, y), reference.pixelIndex(x, y));
    }
}

void SpritePngTest::roundTrip_data()
{
    QTest::addColumn<int>("palette");
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 4; ++seed) {
        QTest::addRow("greys, block %u", seed) << int(PngPalette::HardwareGreys) << seed;
        QTest::addRow("display, block %u", seed) << int(PngPalette::DisplayDefaults) << seed;
    }
}

void SpritePngTest::roundTrip()
{
    QFETCH(int, palette);
    QFETCH(quint32, seed);
    const SpriteBlock block = RandomBlock(seed);
    const QString path = dir_.filePath(QStringLiteral("round-%1-%2.png").arg(palette).arg(seed));

    WriteSpritePng(path, block, PngPalette(palette));
    QCOMPARE(Bytes(ReadSpritePng(path)), Bytes(block));
    // The same picture flattened to plain colours, as a paint program saves it.
    QCOMPARE(Bytes(ImageToSprite(Argb(block, PngPalette(palette)))), Bytes(block));
}

void SpritePngTest::imageRules_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QByteArray>("expected"); // empty when the image must be refused
    QTest::addColumn<QStringList>("messageParts");

    const SpriteBlock block = RandomBlock(7);
    const QByteArray bytes = Bytes(block);

    QTest::newRow("32-bit image in the greys")
        << Argb(block, PngPalette::HardwareGreys) << bytes << QStringList();
    QTest::newRow("RGB image in the display colours")
        << SpriteToImage(block, PaletteColours(PngPalette::DisplayDefaults))
               .convertToFormat(QImage::Format_RGB32)
        << bytes << QStringList();
    QTest::newRow("grey-level image")
        << SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys))
               .convertToFormat(QImage::Format_Grayscale8)
        << bytes << QStringList();

    QImage reordered = SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
    reordered.setColorTable({qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(170, 170, 170), qRgb(1, 2, 3)});
    QTest::newRow("indexed 0..3 read by index, whatever the colours")
        << reordered << bytes << QStringList();

    QImage shifted = SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
    shifted.setColorTable(
        QList<QRgb> {qRgb(9, 9, 9), qRgb(8, 8, 8), qRgb(7, 7, 7), qRgb(6, 6, 6)} + kGreys);
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 16; ++x)
            shifted.setPixel(x, y, shifted.pixelIndex(x, y) + 4);
    }
    QTest::newRow("indexed past 3 read by colour when they are greys")
        << shifted << bytes << QStringList();

    QImage strayIndex = SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
    strayIndex.setColorCount(5);
    strayIndex.setColor(4, qRgb(12, 34, 56));
    strayIndex.setPixel(3, 40, 4);
    strayIndex.setPixel(9, 41, 4);
    QTest::newRow("indexed with index 4 in a stray colour")
        << strayIndex << QByteArray() << QStringList {"palette index 4", "pixel (3, 40)"};

    QImage noEntry = SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
    noEntry.scanLine(6)[5] = 9; // no colour entry 9: setPixel would refuse to put it there
    QTest::newRow("indexed with an index that has no colour")
        << noEntry << QByteArray() << QStringList {"palette index 9", "pixel (5, 6)"};

    QTest::newRow("too wide") << QImage(32, 96, QImage::Format_ARGB32) << QByteArray()
                              << QStringList {"is 32 x 96 pixels", "must be 16 x 96"};
    QTest::newRow("one row short") << QImage(16, 95, QImage::Format_ARGB32) << QByteArray()
                                   << QStringList {"is 16 x 95 pixels"};
    QTest::newRow("lying on its side") << QImage(96, 16, QImage::Format_Indexed8) << QByteArray()
                                       << QStringList {"is 96 x 16 pixels"};
    QTest::newRow("no picture") << QImage() << QByteArray() << QStringList {"no picture"};

    QImage fifth = Argb(block, PngPalette::HardwareGreys);
    fifth.setPixel(3, 40, qRgb(12, 34, 56));
    fifth.setPixel(2, 41, qRgb(12, 34, 56));
    QTest::newRow("a fifth colour, named with its first pixel")
        << fifth << QByteArray() << QStringList {"RGB(12, 34, 56)", "pixel (3, 40)"};

    QImage mixed = Argb(block, PngPalette::HardwareGreys);
    mixed.setPixel(3, 40, qRgb(223, 0, 200));
    QTest::newRow("greys mixed with a colour only the display set has")
        << mixed << QByteArray()
        << QStringList {"RGB(223, 0, 200) at pixel (3, 40)", "default display colours",
               "RGB(170, 170, 170)"};

    // Values 1 and 2 in the display colours are black and white, which the greys hold too.
    const SpriteBlock blackWhite = TwoValueBlock(5, 1, 2);
    QTest::newRow("only black and white: read as greys")
        << Argb(blackWhite, PngPalette::DisplayDefaults) << Bytes(TwoValueBlock(5, 3, 0))
        << QStringList();
    // A pasted two-colour picture may come as 1-bit pixels, stored in either bit order.
    for (const QImage::Format format : {QImage::Format_Mono, QImage::Format_MonoLSB}) {
        QTest::addRow("1-bit black and white, format %d", int(format))
            << Argb(TwoValueBlock(5, 3, 0), PngPalette::HardwareGreys).convertToFormat(format)
            << Bytes(TwoValueBlock(5, 3, 0)) << QStringList();
    }
    SpriteBlock withBlue = blackWhite;
    withBlue[0] = 0xFF;
    withBlue[1] = 0xFF;
    QTest::newRow("black and white with blue: read as display colours")
        << Argb(withBlue, PngPalette::DisplayDefaults) << Bytes(withBlue) << QStringList();

    QImage displayThenGrey = Argb(withBlue, PngPalette::DisplayDefaults);
    displayThenGrey.setPixel(15, 95, qRgb(170, 170, 170));
    QTest::newRow("display colours mixed with a colour only the greys have")
        << displayThenGrey << QByteArray()
        << QStringList {"RGB(170, 170, 170) at pixel (15, 95)", "the four greys", "RGB(0, 0, 255)"};

    QImage seeThrough = Argb(block, PngPalette::HardwareGreys);
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (seeThrough.pixel(x, y) == qRgb(255, 255, 255))
                seeThrough.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    QTest::newRow("fully transparent pixels are value 0") << seeThrough << bytes << QStringList();

    QImage halfSeen = Argb(block, PngPalette::HardwareGreys);
    halfSeen.setPixel(7, 9, qRgba(170, 170, 170, 128));
    QTest::newRow("a partly transparent pixel")
        << halfSeen << QByteArray() << QStringList {"(7, 9)", "alpha 128"};
}

void SpritePngTest::imageRules()
{
    QFETCH(QImage, image);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, messageParts);

    SpriteBlock decoded {};
    const QString message = FailureOf([&] { decoded = ImageToSprite(image); });
    if (!expected.isEmpty()) {
        QCOMPARE(message, QString());
        QCOMPARE(Bytes(decoded), expected);
        return;
    }
    QVERIFY2(message.startsWith(QStringLiteral("The image ")), qPrintable(message));
    for (const QString& part : messageParts)
        QVERIFY2(message.contains(part), qPrintable(message));
}

void SpritePngTest::extraColours_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QList<QRgb>>("extra"); // empty: no extra set given
    QTest::addColumn<QByteArray>("expected"); // empty when refused
    QTest::addColumn<QString>("messagePart");

    const Palette custom
        = {PackRgb(255, 0, 0), PackRgb(0, 255, 0), PackRgb(0, 0, 255), PackRgb(255, 255, 0)};
    const QList<QRgb> customRgb
        = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    const SpriteBlock block = RandomBlock(3);
    const QImage inCustom = SpriteToImage(block, custom).convertToFormat(QImage::Format_RGB32);

    QTest::newRow("custom colours with them given") << inCustom << customRgb << Bytes(block) << "";
    QTest::newRow("custom colours without them")
        << inCustom << QList<QRgb>() << QByteArray()
        << "which is not one of the four greys or the four default display colours.";

    const Palette doubled
        = {PackRgb(255, 0, 0), PackRgb(255, 0, 0), PackRgb(0, 0, 255), PackRgb(255, 255, 0)};
    const QList<QRgb> doubledRgb
        = {qRgb(255, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
    QTest::newRow("a doubled colour the image uses")
        << SpriteToImage(block, doubled).convertToFormat(QImage::Format_RGB32) << doubledRgb
        << QByteArray() << "colour 0 and colour 1";
    const SpriteBlock upperValues = TwoValueBlock(9, 2, 3);
    QTest::newRow("a doubled colour the image does not use")
        << SpriteToImage(upperValues, doubled).convertToFormat(QImage::Format_RGB32) << doubledRgb
        << Bytes(upperValues) << "";
    QTest::newRow("the greys still come first")
        << Argb(block, PngPalette::HardwareGreys)
        << QList<QRgb> {qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(170, 170, 170), qRgb(255, 255, 255)}
        << Bytes(block) << "";
}

void SpritePngTest::extraColours()
{
    QFETCH(QImage, image);
    QFETCH(QList<QRgb>, extra);
    QFETCH(QByteArray, expected);
    QFETCH(QString, messagePart);

    std::optional<Palette> given;
    if (!extra.isEmpty()) {
        Palette palette {};
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const QRgb c = extra[qsizetype(i)];
            palette[i] = PackRgb(qRed(c), qGreen(c), qBlue(c));
        }
        given = palette;
    }
    SpriteBlock decoded {};
    const QString message = FailureOf([&] { decoded = ImageToSprite(image, given); });
    if (expected.isEmpty()) {
        QVERIFY2(message.contains(messagePart), qPrintable(message));
    } else {
        QCOMPARE(message, QString());
        QCOMPARE(Bytes(decoded), expected);
    }
}

void SpritePngTest::fileRefusals_data()
{
    QTest::addColumn<QByteArray>("contents"); // null: no file at all
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("messagePart");

    const QByteArray good
        = PngBytes(SpriteToImage(RandomBlock(2), PaletteColours(PngPalette::HardwareGreys)));
    QImage stray = Argb(RandomBlock(2), PngPalette::HardwareGreys);
    stray.setPixel(15, 95, qRgb(12, 34, 56));

    QTest::newRow("missing") << QByteArray() << false << "cannot be read";
    QTest::newRow("a folder") << QByteArray() << true << "cannot be read";
    QTest::newRow("empty") << QByteArray("") << false << "cannot be read: the file is empty";
    QTest::newRow("not a PNG") << QByteArray("GIF89a and so on") << false << "not a PNG image";
    QTest::newRow("cut in the header") << good.left(20) << false << "cannot be read";
    QTest::newRow("cut in the pixel data")
        << good.left(good.size() / 2) << false << "cannot be read";
    QTest::newRow("header claims a huge image")
        << CraftedPng(100000, 100000, 8, 0, {}) << false << "is 100000 x 100000 pixels";
    QTest::newRow("32 x 96") << PngBytes(QImage(32, 96, QImage::Format_RGB32)) << false
                             << "is 32 x 96 pixels";
    QTest::newRow("a stray colour")
        << PngBytes(stray) << false << "RGB(12, 34, 56) at pixel (15, 95)";

    // Index 3 in a palette of two entries, and 200 in one of four: a decoder that maps such an
    // index to 0 would read them as pictures.
    QList<int> samples(16 * 96, 1);
    samples[16 * 40 + 3] = 3;
    QByteArray twoBit;
    for (int y = 0; y < 96; ++y)
        twoBit += PackSamples(samples.mid(16 * y, 16), 2);
    QTest::newRow("index 3 in a palette of 2")
        << CraftedPng(16, 96, 2, 3, twoBit, QByteArray("\xff\xff\xff\0\0\0", 6)) << false
        << "palette index 3 at pixel (3, 40), past the end of its palette of 2 colours";
    QByteArray eightBit(16 * 96, '\1');
    eightBit[16 * 7 + 9] = char(200);
    QTest::newRow("index 200 in a palette of 4")
        << CraftedPng(
               16, 96, 8, 3, eightBit, QByteArray("\xff\xff\xff\xaa\xaa\xaa\x55\x55\x55\0\0\0", 12))
        << false << "palette index 200 at pixel (9, 7), past the end of its palette of 4";
    // Larger than any sprite image file: refused unread, whatever it would unpack to.
    QTest::newRow("larger than 1 MiB")
        << good + QByteArray(1024 * 1024, '\0') << false << "bytes long, and a sprite image file";
}

void SpritePngTest::fileRefusals()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, folder);
    QFETCH(QString, messagePart);

    const QString path
        = dir_.filePath(QStringLiteral("refused-%1.png").arg(QTest::currentDataTag()));
    if (folder)
        QVERIFY(QDir().mkpath(path));
    else if (!contents.isNull())
        QVERIFY(WriteFile(path, contents));

    const QString message = FailureOf([&] { ReadSpritePng(path); });
    QVERIFY2(message.startsWith(QLatin1Char('"') + path + QLatin1Char('"')), qPrintable(message));
    QVERIFY2(message.contains(messagePart), qPrintable(message));
}

// PNG kinds other than the exporter's own, read by the same rules.
void SpritePngTest::pngKinds_data()
{
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<QByteArray>("expected");

    const SpriteBlock block = RandomBlock(21);
    const QImage values = SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
    const auto rows = [&](int bits, auto sample) {
        QByteArray bytes;
        for (int y = 0; y < 96; ++y) {
            QList<int> line;
            for (int x = 0; x < 16; ++x)
                line << sample(values.pixelIndex(x, y));
            bytes += PackSamples(line, bits);
        }
        return bytes;
    };

    // Grey level 0 is black, so value v (0 white .. 3 black) is stored as 3 - v.
    QTest::newRow("2-bit grey levels")
        << CraftedPng(16, 96, 2, 0, rows(2, [](int v) { return 3 - v; })) << Bytes(block);
    QTest::newRow("8-bit grey levels")
        << CraftedPng(16, 96, 8, 0, rows(8, [](int v) { return 255 - 85 * v; })) << Bytes(block);
    QTest::newRow("2-bit palette of greys, black first: read by its greys") << CraftedPng(16, 96, 2,
        3, rows(2, [](int v) { return 3 - v; }),
        QByteArray("\x00\x00\x00\x55\x55\x55\xAA\xAA\xAA\xFF\xFF\xFF", 12)) << Bytes(block);
    QTest::newRow("interlaced 8-bit colour") << CraftedPng(
        16, 96, 8, 2, rows(24, [](int v) { return (255 - 85 * v) * 0x010101; }), {}, true)
                                             << Bytes(block);

    // A see-through entry is value 0 beside the greys, as a fully transparent pixel is.
    QTest::newRow("palette of greys and a see-through entry, in another order") << CraftedPng(16,
        96, 2, 3,
        rows(2,
            [](int v) {
                return QList<int> {0, 3, 2, 1}[v];
            }),
        QByteArray("\x0C\x22\x38\x00\x00\x00\x55\x55\x55\xAA\xAA\xAA", 12), false,
        QByteArray("\x00", 1)) << Bytes(block);
    // A file may carry anything after its end marker, up to the size limit.
    const QByteArray plain = SpritePngData(block, PngPalette::HardwareGreys);
    QTest::newRow("exactly 1 MiB, padded after the end marker")
        << plain + QByteArray(kMaxSpritePngBytes - plain.size(), '\0') << Bytes(block);

    // An export in the display colours of a sprite that uses only values 1 and 2 holds only
    // black and white pixels; its magenta and blue entries keep it read by index.
    const SpriteBlock blackWhite = TwoValueBlock(6, 1, 2);
    QTest::newRow("display colours, only black and white used: still index = value")
        << SpritePngData(blackWhite, PngPalette::DisplayDefaults) << Bytes(blackWhite);

    const SpriteBlock whiteBlack = TwoValueBlock(4, 0, 3);
    const QImage twoValues = SpriteToImage(whiteBlack, PaletteColours(PngPalette::HardwareGreys));
    QByteArray oneBit;
    for (int y = 0; y < 96; ++y) {
        QList<int> line;
        for (int x = 0; x < 16; ++x)
            line << (twoValues.pixelIndex(x, y) == 0 ? 1 : 0);
        oneBit += PackSamples(line, 1);
    }
    QTest::newRow("1-bit grey levels") << CraftedPng(16, 96, 1, 0, oneBit) << Bytes(whiteBlack);
}

void SpritePngTest::pngKinds()
{
    QFETCH(QByteArray, png);
    QFETCH(QByteArray, expected);
    const QString path = dir_.filePath(QStringLiteral("kind-%1.png").arg(QTest::currentDataTag()));
    QVERIFY(WriteFile(path, png));

    SpriteBlock decoded {};
    const QString message = FailureOf([&] { decoded = ReadSpritePng(path); });
    QCOMPARE(message, QString());
    QCOMPARE(Bytes(decoded), expected);
}

// However a palette orders the four greys, the greys decide the values.
void SpritePngTest::greysInAnyOrder_data()
{
    QTest::addColumn<QList<int>>("order"); // the value whose grey entry i holds
    QList<int> order {0, 1, 2, 3};
    do {
        QTest::newRow(qPrintable(QStringLiteral("entries hold the greys of %1 %2 %3 %4")
                                     .arg(order[0])
                                     .arg(order[1])
                                     .arg(order[2])
                                     .arg(order[3])))
            << order;
    } while (std::next_permutation(order.begin(), order.end()));
}

void SpritePngTest::greysInAnyOrder()
{
    QFETCH(QList<int>, order);
    const SpriteBlock block = RandomBlock(31);
    const QImage values = SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
    QByteArray palette;
    for (const int value : order)
        palette += QByteArray(3, static_cast<char>(255 - 85 * value));
    QByteArray rows;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 16; ++x)
            rows += static_cast<char>(order.indexOf(values.pixelIndex(x, y)));
    }
    const QString path = dir_.filePath(QStringLiteral("order.png"));
    QVERIFY(WriteFile(path, CraftedPng(16, 96, 8, 3, rows, palette)));

    QCOMPARE(Bytes(ReadSpritePng(path)), Bytes(block));
}

void SpritePngTest::exportReplacesWholeFile()
{
    const QString path = dir_.filePath(QStringLiteral("replaced.png"));
    QVERIFY(WriteFile(path, QByteArray(20000, 'x')));
    const SpriteBlock block = RandomBlock(8);
    WriteSpritePng(path, block, PngPalette::HardwareGreys);
    QVERIFY(QFileInfo(path).size() < 20000);
    QCOMPARE(Bytes(ReadSpritePng(path)), Bytes(block));
}

void SpritePngTest::failedExportLeavesNothing()
{
    const QString inMissingFolder = dir_.filePath(QStringLiteral("no-such-folder/x.png"));
    QString message = FailureOf(
        [&] { WriteSpritePng(inMissingFolder, RandomBlock(1), PngPalette::HardwareGreys); });
    QVERIFY2(message.contains(QLatin1Char('"') + inMissingFolder + QLatin1Char('"'))
            && message.contains(QStringLiteral("No such file")),
        qPrintable(message));
    QVERIFY(!QFileInfo::exists(inMissingFolder));
    QVERIFY(QDir(dir_.path()).entryList({QStringLiteral("no-such-folder*")}).isEmpty());

    const QString folder = dir_.filePath(QStringLiteral("a-folder.png"));
    QVERIFY(QDir().mkpath(folder));
    message = FailureOf([&] { WriteSpritePng(folder, RandomBlock(1), PngPalette::HardwareGreys); });
    QVERIFY2(message.contains(QStringLiteral("it is a folder")), qPrintable(message));
    QVERIFY(QFileInfo(folder).isDir());
}

// Entry i sits in column i mod 9 and row i div 9, each cell exactly a single sprite image.
void SpritePngTest::sheetLayout()
{
    SpriteSet sprites {};
    for (std::size_t i = 0; i < sprites.size(); ++i)
        sprites[i] = RandomBlock(quint32(100 + i));
    const Palette greys = PaletteColours(PngPalette::HardwareGreys);
    const QImage sheet = SheetToImage(sprites, greys);
    QCOMPARE(sheet.size(), QSize(144, 480));
    for (const int index : {0, 8, 9, 22, 36, 44}) {
        const QImage single = SpriteToImage(sprites[std::size_t(index)], greys);
        const QImage cell = sheet.copy(16 * (index % 9), 96 * (index / 9), 16, 96);
        for (int y = 0; y < 96; ++y) {
            for (int x = 0; x < 16; ++x)
                QCOMPARE(cell.pixelIndex(x, y), single.pixelIndex(x, y));
        }
    }
}

void SpritePngTest::sheetRoundTrip_data()
{
    QTest::addColumn<int>("palette");
    QTest::newRow("greys") << int(PngPalette::HardwareGreys);
    QTest::newRow("display colours") << int(PngPalette::DisplayDefaults);
}

void SpritePngTest::sheetRoundTrip()
{
    QFETCH(int, palette);
    SpriteSet sprites {};
    for (std::size_t i = 0; i < sprites.size(); ++i)
        sprites[i] = RandomBlock(quint32(200 + i));
    const QByteArray png = SheetPngData(sprites, PngPalette(palette));
    QVERIFY(DecodeSheetPng(png, QStringLiteral("sheet")) == sprites);

    const QString message = FailureOf([&] {
        DecodeSheetPng(SpritePngData(sprites[0], PngPalette::HardwareGreys), "\"one.png\"");
    });
    QVERIFY2(
        message.contains(QStringLiteral("is 16 x 96 pixels; a sprite sheet must be 144 x 480")),
        qPrintable(message));
}

QTEST_GUILESS_MAIN(SpritePngTest)
#include "SpritePngTest.moc"
