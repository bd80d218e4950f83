#include "spritepng/SpritePng.h"
#include "TestData.h"

#include "CraftedPng.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace morvane;
using morvane::test::CraftedPng;
using morvane::test::PackSamples;
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
    void exportReplacesWholeFile();
    void failedExportLeavesNothing();
    void allocationLimitIsPutBack();

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
    SpriteBlock withBlue = blackWhite;
    withBlue[0] = 0xFF;
    withBlue[1] = 0xFF;
    QTest::newRow("black and white with blue: read as display colours")
        << Argb(withBlue, PngPalette::DisplayDefaults) << Bytes(withBlue) << QStringList();

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
    const auto rows = [&](int bitDepth, auto sample) {
        QByteArray bytes;
        for (int y = 0; y < 96; ++y) {
            QList<int> line;
            for (int x = 0; x < 16; ++x)
                line << sample(values.pixelIndex(x, y));
            bytes += PackSamples(line, bitDepth);
        }
        return bytes;
    };

    // Grey level 0 is black, so value v (0 white .. 3 black) is stored as 3 - v.
    QTest::newRow("2-bit grey levels")
        << CraftedPng(16, 96, 2, 0, rows(2, [](int v) { return 3 - v; })) << Bytes(block);
    QTest::newRow("8-bit grey levels")
        << CraftedPng(16, 96, 8, 0, rows(8, [](int v) { return 255 - 85 * v; })) << Bytes(block);
    QTest::newRow("2-bit palette, black first: still index = value")
        << CraftedPng(16, 96, 2, 3, rows(2, [](int v) { return v; }),
               QByteArray("\x00\x00\x00\x55\x55\x55\xAA\xAA\xAA\xFF\xFF\xFF", 12))
        << Bytes(block);

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
    QVERIFY2(message.startsWith(
                 QLatin1Char('"') + inMissingFolder + QStringLiteral("\" cannot be written")),
        qPrintable(message));
    QVERIFY(!QFileInfo::exists(inMissingFolder));
    QVERIFY(QDir(dir_.path()).entryList({QStringLiteral("no-such-folder*")}).isEmpty());

    const QString folder = dir_.filePath(QStringLiteral("a-folder.png"));
    QVERIFY(QDir().mkpath(folder));
    message = FailureOf([&] { WriteSpritePng(folder, RandomBlock(1), PngPalette::HardwareGreys); });
    QVERIFY2(message.contains(QStringLiteral("cannot be written")), qPrintable(message));
    QVERIFY(QFileInfo(folder).isDir());
}

void SpritePngTest::allocationLimitIsPutBack()
{
    const int original = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(77);
    const QString good = dir_.filePath(QStringLiteral("limit-good.png"));
    WriteSpritePng(good, RandomBlock(1), PngPalette::HardwareGreys);
    ReadSpritePng(good);
    QCOMPARE(QImageReader::allocationLimit(), 77);

    const QString cut = dir_.filePath(QStringLiteral("limit-cut.png"));
    QFile file(good);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(WriteFile(cut, file.readAll().left(100)));
    QVERIFY(!FailureOf([&] { ReadSpritePng(cut); }).isEmpty());
    QCOMPARE(QImageReader::allocationLimit(), 77);
    QImageReader::setAllocationLimit(original);
}

QTEST_GUILESS_MAIN(SpritePngTest)
#include "SpritePngTest.moc"
