// Sprite images and sheets: where each tile's pixels land, the exported files, the round trip,
// the reading rules by index and by colour, and the refusals of files and pictures.
#include "CraftedPng.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "spriteimage/SpriteImage.h"
#include "spritepng/SpriteSheet.h"

#include <QDir>
#include <QFileInfo>
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

QImage ArgbImage(const SpriteBlock& block, PngPalette palette)
{
    return SpriteToImage(block, PaletteColours(palette)).convertToFormat(QImage::Format_ARGB32);
}

QImage InGreys(const SpriteBlock& block)
{
    return SpriteToImage(block, PaletteColours(PngPalette::HardwareGreys));
}

// One row of each of the 96 lines of a sprite image, its samples packed at `bits` bits.
template <typename Sample> QByteArray PackedRows(const QImage& values, int bits, Sample sample)
{
    QByteArray bytes;
    for (int y = 0; y < 96; ++y) {
        QList<int> line;
        for (int x = 0; x < 16; ++x)
            line << sample(values.pixelIndex(x, y));
        bytes += PackSamples(line, bits);
    }
    return bytes;
}

const QList<QRgb> kGreys
    = {qRgb(255, 255, 255), qRgb(170, 170, 170), qRgb(85, 85, 85), qRgb(0, 0, 0)};
const QList<QRgb> kDisplay
    = {qRgb(223, 0, 200), qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 255)};

struct Layout {
    int tile = 0, row = 0, column = 0, value = 0, x = 0, y = 0;
};

struct Export {
    PngPalette palette {};
    QList<QRgb> colours {};
    quint32 seed = 0;
};

// A picture read by the rules, with the current display colours when given: the block it must
// give, or (empty) the words its refusal must hold.
struct Picture {
    QImage image {};
    QByteArray expected {};
    QStringList message {};
    std::optional<Palette> extra {};
};

// A file in the test folder (a folder when `folder`, nothing when `contents` is null) and the
// block it must give, or (empty) the words its refusal must hold.
struct File {
    QByteArray contents {};
    QByteArray expected {};
    QString message {};
    bool folder = false;
};

} // namespace

class SpritePngTest : public QObject {
    Q_OBJECT

private slots:
    // One pixel set in one tile must land at one place of the image, with the plane-0 bit as
    // the low bit of its value.
    void layout_data()
    {
        AddRowColumn<Layout>();
        QTest::newRow("tile 0, top left of frame 0") << Layout {0, 0, 0, 3, 0, 0};
        QTest::newRow("tile 1, top right") << Layout {1, 0, 0, 3, 8, 0};
        QTest::newRow("tile 2, bottom left") << Layout {2, 0, 0, 3, 0, 8};
        QTest::newRow("tile 3, last pixel of frame 0") << Layout {3, 7, 7, 3, 15, 15};
        QTest::newRow("tile 4 starts frame 1") << Layout {4, 0, 0, 3, 0, 16};
        QTest::newRow("tile 9, inside frame 2") << Layout {9, 2, 5, 3, 13, 34};
        QTest::newRow("tile 23, last pixel") << Layout {23, 7, 7, 3, 15, 95};
        QTest::newRow("plane 0 alone is value 1") << Layout {6, 4, 1, 1, 1, 28};
        QTest::newRow("plane 1 alone is value 2") << Layout {6, 4, 1, 2, 1, 28};
    }

    void layout()
    {
        const auto& row = CurrentRow<Layout>();
        SpriteBlock block {};
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> row.column);
        const std::size_t at = static_cast<std::size_t>(16 * row.tile + 2 * row.row);
        if (row.value & 1)
            block[at] = bit;
        if (row.value & 2)
            block[at + 1] = bit;

        const QImage image = InGreys(block);
        QCOMPARE(image.size(), QSize(16, 96));
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        for (int y = 0; y < 96; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int expected = (x == row.x && y == row.y) ? row.value : 0;
                if (image.pixelIndex(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(image.pixelIndex(x, y))
                                         .arg(expected)));
            }
        }
        QCOMPARE(Bytes(ImageToSprite(image)), Bytes(block));
    }

    void exportedFile_data()
    {
        AddRowColumn<Export>();
        QTest::newRow("hardware greys") << Export {PngPalette::HardwareGreys, kGreys};
        QTest::newRow("display defaults") << Export {PngPalette::DisplayDefaults, kDisplay};
    }

    void exportedFile()
    {
        const auto& row = CurrentRow<Export>();
        const SpriteBlock block = RandomBlock(11);
        const QString path = dir_.filePath("exported.png");
        WriteSpritePng(path, block, row.palette);

        // Read back with Qt alone: an indexed PNG whose four entries are the set, index = value.
        const QImage file(path);
        QCOMPARE(file.format(), QImage::Format_Indexed8);
        QCOMPARE(file.size(), QSize(16, 96));
        QCOMPARE(file.colorTable(), row.colours);
        const QImage reference = InGreys(block);
        for (int y = 0; y < 96; ++y) {
            for (int x = 0; x < 16; ++x)
                QCOMPARE(file.pixelIndex(x, y), reference.pixelIndex(x, y));
        }
    }

    void roundTrip_data()
    {
        AddRowColumn<Export>();
        for (quint32 seed = 1; seed <= 4; ++seed) {
            QTest::addRow("greys, block %u", seed) << Export {PngPalette::HardwareGreys, {}, seed};
            QTest::addRow("display, block %u", seed)
                << Export {PngPalette::DisplayDefaults, {}, seed};
        }
    }

    void roundTrip()
    {
        const auto& row = CurrentRow<Export>();
        const SpriteBlock block = RandomBlock(row.seed);
        const QString path = dir_.filePath("round.png");
        WriteSpritePng(path, block, row.palette);
        QCOMPARE(Bytes(ReadSpritePng(path)), Bytes(block));
        // The same picture flattened to plain colours, as a paint program saves it.
        QCOMPARE(Bytes(ImageToSprite(ArgbImage(block, row.palette))), Bytes(block));
    }

    void imageRules_data()
    {
        AddRowColumn<Picture>();
        const SpriteBlock block = RandomBlock(7);
        const QByteArray bytes = Bytes(block);

        QTest::newRow("32-bit image in the greys")
            << Picture {ArgbImage(block, PngPalette::HardwareGreys), bytes};
        QTest::newRow("RGB image in the display colours")
            << Picture {SpriteToImage(block, PaletteColours(PngPalette::DisplayDefaults))
                            .convertToFormat(QImage::Format_RGB32),
                   bytes};
        QTest::newRow("grey-level image")
            << Picture {InGreys(block).convertToFormat(QImage::Format_Grayscale8), bytes};

        QImage reordered = InGreys(block);
        reordered.setColorTable(
            {qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(170, 170, 170), qRgb(1, 2, 3)});
        QTest::newRow("indexed 0..3 read by index, whatever the colours")
            << Picture {reordered, bytes};

        QImage shifted = InGreys(block);
        shifted.setColorTable(
            QList<QRgb> {qRgb(9, 9, 9), qRgb(8, 8, 8), qRgb(7, 7, 7), qRgb(6, 6, 6)} + kGreys);
        for (int y = 0; y < 96; ++y) {
            for (int x = 0; x < 16; ++x)
                shifted.setPixel(x, y, shifted.pixelIndex(x, y) + 4);
        }
        QTest::newRow("indexed past 3 read by colour when they are greys")
            << Picture {shifted, bytes};

        QImage strayIndex = InGreys(block);
        strayIndex.setColorCount(5);
        strayIndex.setColor(4, qRgb(12, 34, 56));
        strayIndex.setPixel(3, 40, 4);
        strayIndex.setPixel(9, 41, 4);
        QTest::newRow("indexed with index 4 in a stray colour")
            << Picture {strayIndex, {}, {"palette index 4", "pixel (3, 40)"}};

        QImage noEntry = InGreys(block);
        noEntry.scanLine(6)[5] = 9; // no colour entry 9: setPixel would refuse to put it there
        QTest::newRow("indexed with an index that has no colour")
            << Picture {noEntry, {}, {"palette index 9", "pixel (5, 6)"}};

        QTest::newRow("too wide") << Picture {
            QImage(32, 96, QImage::Format_ARGB32), {}, {"is 32 x 96 pixels", "must be 16 x 96"}};
        QTest::newRow("one row short")
            << Picture {QImage(16, 95, QImage::Format_ARGB32), {}, {"is 16 x 95 pixels"}};
        QTest::newRow("lying on its side")
            << Picture {QImage(96, 16, QImage::Format_Indexed8), {}, {"is 96 x 16 pixels"}};
        QTest::newRow("no picture") << Picture {QImage(), {}, {"no picture"}};

        QImage fifth = ArgbImage(block, PngPalette::HardwareGreys);
        fifth.setPixel(3, 40, qRgb(12, 34, 56));
        fifth.setPixel(2, 41, qRgb(12, 34, 56));
        QTest::newRow("a fifth colour, named with its first pixel")
            << Picture {fifth, {}, {"RGB(12, 34, 56)", "pixel (3, 40)"}};

        QImage mixed = ArgbImage(block, PngPalette::HardwareGreys);
        mixed.setPixel(3, 40, qRgb(223, 0, 200));
        QTest::newRow("greys mixed with a colour only the display set has") << Picture {mixed, {},
            {"RGB(223, 0, 200) at pixel (3, 40)", "default display colours", "RGB(170, 170, 170)"}};

        // Values 1 and 2 in the display colours are black and white, which the greys hold too.
        const SpriteBlock blackWhite = TwoValueBlock(5, 1, 2);
        QTest::newRow("only black and white: read as greys") << Picture {
            ArgbImage(blackWhite, PngPalette::DisplayDefaults), Bytes(TwoValueBlock(5, 3, 0))};
        // A pasted two-colour picture may come as 1-bit pixels, stored in either bit order.
        for (const QImage::Format format : {QImage::Format_Mono, QImage::Format_MonoLSB}) {
            QTest::addRow("1-bit black and white, format %d", int(format))
                << Picture {ArgbImage(TwoValueBlock(5, 3, 0), PngPalette::HardwareGreys)
                                .convertToFormat(format),
                       Bytes(TwoValueBlock(5, 3, 0))};
        }
        SpriteBlock withBlue = blackWhite;
        withBlue[0] = 0xFF;
        withBlue[1] = 0xFF;
        QTest::newRow("black and white with blue: read as display colours")
            << Picture {ArgbImage(withBlue, PngPalette::DisplayDefaults), Bytes(withBlue)};

        QImage displayThenGrey = ArgbImage(withBlue, PngPalette::DisplayDefaults);
        displayThenGrey.setPixel(15, 95, qRgb(170, 170, 170));
        QTest::newRow("display colours mixed with a colour only the greys have")
            << Picture {displayThenGrey, {},
                   {"RGB(170, 170, 170) at pixel (15, 95)", "the four greys", "RGB(0, 0, 255)"}};

        QImage seeThrough = ArgbImage(block, PngPalette::HardwareGreys);
        for (int y = 0; y < 96; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (seeThrough.pixel(x, y) == qRgb(255, 255, 255))
                    seeThrough.setPixel(x, y, qRgba(0, 0, 0, 0));
            }
        }
        QTest::newRow("fully transparent pixels are value 0") << Picture {seeThrough, bytes};

        QImage halfSeen = ArgbImage(block, PngPalette::HardwareGreys);
        halfSeen.setPixel(7, 9, qRgba(170, 170, 170, 128));
        QTest::newRow("a partly transparent pixel")
            << Picture {halfSeen, {}, {"(7, 9)", "alpha 128"}};
    }

    void imageRules() { CheckPicture(); }

    // The editor's current display colours, given for a paste, come after the two fixed sets.
    void extraColours_data()
    {
        AddRowColumn<Picture>();
        const Palette custom
            = {PackRgb(255, 0, 0), PackRgb(0, 255, 0), PackRgb(0, 0, 255), PackRgb(255, 255, 0)};
        const SpriteBlock block = RandomBlock(3);
        const QImage inCustom = SpriteToImage(block, custom).convertToFormat(QImage::Format_RGB32);

        QTest::newRow("custom colours with them given")
            << Picture {inCustom, Bytes(block), {}, custom};
        QTest::newRow("custom colours without them") << Picture {inCustom, {},
            {"which is not one of the four greys or the four default display colours."}};

        const Palette doubled
            = {PackRgb(255, 0, 0), PackRgb(255, 0, 0), PackRgb(0, 0, 255), PackRgb(255, 255, 0)};
        QTest::newRow("a doubled colour the image uses")
            << Picture {SpriteToImage(block, doubled).convertToFormat(QImage::Format_RGB32), {},
                   {"colour 0 and colour 1"}, doubled};
        const SpriteBlock upperValues = TwoValueBlock(9, 2, 3);
        QTest::newRow("a doubled colour the image does not use")
            << Picture {SpriteToImage(upperValues, doubled).convertToFormat(QImage::Format_RGB32),
                   Bytes(upperValues), {}, doubled};
        QTest::newRow("the greys still come first")
            << Picture {ArgbImage(block, PngPalette::HardwareGreys), Bytes(block), {},
                   Palette {PackRgb(0, 0, 0), PackRgb(85, 85, 85), PackRgb(170, 170, 170),
                       PackRgb(255, 255, 255)}};
    }

    void extraColours() { CheckPicture(); }

    void fileRefusals_data()
    {
        AddRowColumn<File>();
        const QByteArray good = PngBytes(InGreys(RandomBlock(2)));
        QImage stray = ArgbImage(RandomBlock(2), PngPalette::HardwareGreys);
        stray.setPixel(15, 95, qRgb(12, 34, 56));

        QTest::newRow("missing") << File {QByteArray(), {}, "cannot be read"};
        QTest::newRow("a folder") << File {QByteArray(), {}, "cannot be read", true};
        QTest::newRow("empty") << File {QByteArray(""), {}, "cannot be read: the file is empty"};
        QTest::newRow("not a PNG") << File {"GIF89a and so on", {}, "not a PNG image"};
        QTest::newRow("cut in the header")
            << File {good.left(20), {}, "cannot be read: its header is damaged or incomplete"};
        QTest::newRow("cut in the pixel data")
            << File {good.left(good.size() / 2), {}, "cannot be read"};
        QTest::newRow("header claims a huge image")
            << File {CraftedPng(100000, 100000, 8, 0, {}), {}, "is 100000 x 100000 pixels"};
        QTest::newRow("32 x 96") << File {
            PngBytes(QImage(32, 96, QImage::Format_RGB32)), {}, "is 32 x 96 pixels"};
        QTest::newRow("a stray colour")
            << File {PngBytes(stray), {}, "RGB(12, 34, 56) at pixel (15, 95)"};

        // Index 3 in a palette of two entries, and 200 in one of four: a decoder that maps such
        // an index to 0 would read them as pictures.
        QList<int> samples(16 * 96, 1);
        samples[16 * 40 + 3] = 3;
        QByteArray twoBit;
        for (int y = 0; y < 96; ++y)
            twoBit += PackSamples(samples.mid(16 * y, 16), 2);
        QTest::newRow("index 3 in a palette of 2")
            << File {CraftedPng(16, 96, 2, 3, twoBit, QByteArray("\xff\xff\xff\0\0\0", 6)), {},
                   "palette index 3 at pixel (3, 40), past the end of its palette of 2 colours"};
        QByteArray eightBit(16 * 96, '\1');
        eightBit[16 * 7 + 9] = char(200);
        QTest::newRow("index 200 in a palette of 4")
            << File {CraftedPng(16, 96, 8, 3, eightBit,
                         QByteArray("\xff\xff\xff\xaa\xaa\xaa\x55\x55\x55\0\0\0", 12)),
                   {}, "palette index 200 at pixel (9, 7), past the end of its palette of 4"};
        // Larger than any sprite image file: refused unread, whatever it would unpack to.
        QTest::newRow("larger than 1 MiB") << File {
            good + QByteArray(1024 * 1024, '\0'), {}, "bytes long, and a sprite image file"};
    }

    void fileRefusals() { CheckFile(); }

    // PNG kinds other than the exporter's own, read by the same rules.
    void pngKinds_data()
    {
        AddRowColumn<File>();
        const SpriteBlock block = RandomBlock(21);
        const QImage values = InGreys(block);

        // Grey level 0 is black, so value v (0 white .. 3 black) is stored as 3 - v.
        QTest::newRow("2-bit grey levels")
            << File {CraftedPng(16, 96, 2, 0, PackedRows(values, 2, [](int v) { return 3 - v; })),
                   Bytes(block)};
        QTest::newRow("8-bit grey levels") << File {
            CraftedPng(16, 96, 8, 0, PackedRows(values, 8, [](int v) { return 255 - 85 * v; })),
            Bytes(block)};
        QTest::newRow("2-bit palette of greys, black first: read by its greys")
            << File {CraftedPng(16, 96, 2, 3, PackedRows(values, 2, [](int v) { return 3 - v; }),
                         QByteArray("\x00\x00\x00\x55\x55\x55\xAA\xAA\xAA\xFF\xFF\xFF", 12)),
                   Bytes(block)};
        QTest::newRow("interlaced 8-bit colour") << File {
            CraftedPng(16, 96, 8, 2,
                PackedRows(values, 24, [](int v) { return (255 - 85 * v) * 0x010101; }), {}, true),
            Bytes(block)};

        // A see-through entry is value 0 beside the greys, as a fully transparent pixel is.
        QTest::newRow("palette of greys and a see-through entry, in another order")
            << File {CraftedPng(16, 96, 2, 3,
                         PackedRows(values, 2,
                             [](int v) {
                                 return QList<int> {0, 3, 2, 1}[v];
                             }),
                         QByteArray("\x0C\x22\x38\x00\x00\x00\x55\x55\x55\xAA\xAA\xAA", 12), false,
                         QByteArray("\x00", 1)),
                   Bytes(block)};
        // A file may carry anything after its end marker, up to the size limit.
        const QByteArray plain = Bytes(SpritePngData(block, PngPalette::HardwareGreys));
        QTest::newRow("exactly 1 MiB, padded after the end marker")
            << File {plain + QByteArray(kMaxSpritePngBytes - plain.size(), '\0'), Bytes(block)};

        // An export in the display colours of a sprite that uses only values 1 and 2 holds only
        // black and white pixels; its magenta and blue entries keep it read by index.
        const SpriteBlock blackWhite = TwoValueBlock(6, 1, 2);
        QTest::newRow("display colours, only black and white used: still index = value") << File {
            Bytes(SpritePngData(blackWhite, PngPalette::DisplayDefaults)), Bytes(blackWhite)};

        const SpriteBlock whiteBlack = TwoValueBlock(4, 0, 3);
        QTest::newRow("1-bit grey levels")
            << File {CraftedPng(16, 96, 1, 0,
                         PackedRows(InGreys(whiteBlack), 1, [](int v) { return v == 0 ? 1 : 0; })),
                   Bytes(whiteBlack)};
    }

    void pngKinds() { CheckFile(); }

    // However a palette orders the four greys, the greys decide the values.
    void greysInAnyOrder_data()
    {
        QTest::addColumn<QList<int>>("order"); // the value whose grey entry i holds
        QList<int> order {0, 1, 2, 3};
        do {
            QTest::addRow(
                "entries hold the greys of %d %d %d %d", order[0], order[1], order[2], order[3])
                << order;
        } while (std::next_permutation(order.begin(), order.end()));
    }

    void greysInAnyOrder()
    {
        QFETCH(QList<int>, order);
        const SpriteBlock block = RandomBlock(31);
        QByteArray palette;
        for (const int value : order)
            palette += QByteArray(3, static_cast<char>(255 - 85 * value));
        const QByteArray rows
            = PackedRows(InGreys(block), 8, [&](int v) { return int(order.indexOf(v)); });
        const QString path = dir_.filePath("order.png");
        QVERIFY(WriteWholeFile(path, CraftedPng(16, 96, 8, 3, rows, palette)));
        QCOMPARE(Bytes(ReadSpritePng(path)), Bytes(block));
    }

    void exportReplacesWholeFile()
    {
        const QString path = dir_.filePath("replaced.png");
        QVERIFY(WriteWholeFile(path, QByteArray(20000, 'x')));
        const SpriteBlock block = RandomBlock(8);
        WriteSpritePng(path, block, PngPalette::HardwareGreys);
        QVERIFY(QFileInfo(path).size() < 20000);
        QCOMPARE(Bytes(ReadSpritePng(path)), Bytes(block));
    }

    void failedExportLeavesNothing()
    {
        const QString inMissingFolder = dir_.filePath("no-such-folder/x.png");
        QString message = FailureOf(
            [&] { WriteSpritePng(inMissingFolder, RandomBlock(1), PngPalette::HardwareGreys); });
        QVERIFY2(
            message.contains(u'"' + inMissingFolder + u'"') && message.contains(u"No such file"),
            qPrintable(message));
        QVERIFY(!QFileInfo::exists(inMissingFolder));
        QVERIFY(QDir(dir_.path()).entryList({"no-such-folder*"}).isEmpty());

        const QString folder = dir_.filePath("a-folder.png");
        QVERIFY(QDir().mkpath(folder));
        message
            = FailureOf([&] { WriteSpritePng(folder, RandomBlock(1), PngPalette::HardwareGreys); });
        QVERIFY2(message.contains(u"it is a folder"), qPrintable(message));
        QVERIFY(QFileInfo(folder).isDir());
    }

    // Entry i sits in column i mod 9 and row i div 9, each cell exactly a single sprite image.
    void sheetLayout()
    {
        SpriteSet sprites {};
        for (std::size_t i = 0; i < sprites.size(); ++i)
            sprites[i] = RandomBlock(quint32(100 + i));
        const QImage sheet
            = ToQImage(SheetPicture(sprites, PaletteColours(PngPalette::HardwareGreys)));
        QCOMPARE(sheet.size(), QSize(144, 480));
        for (const int index : {0, 8, 9, 22, 36, 44}) {
            const QImage single = InGreys(sprites[std::size_t(index)]);
            const QImage cell = sheet.copy(16 * (index % 9), 96 * (index / 9), 16, 96);
            for (int y = 0; y < 96; ++y) {
                for (int x = 0; x < 16; ++x)
                    QCOMPARE(cell.pixelIndex(x, y), single.pixelIndex(x, y));
            }
        }
    }

    void sheetRoundTrip_data()
    {
        QTest::addColumn<PngPalette>("palette");
        QTest::newRow("greys") << PngPalette::HardwareGreys;
        QTest::newRow("display colours") << PngPalette::DisplayDefaults;
    }

    void sheetRoundTrip()
    {
        QFETCH(PngPalette, palette);
        SpriteSet sprites {};
        for (std::size_t i = 0; i < sprites.size(); ++i)
            sprites[i] = RandomBlock(quint32(200 + i));
        QVERIFY(DecodeSheetPng(SheetPngData(sprites, palette), "sheet") == sprites);

        const QString message = FailureOf([&] {
            DecodeSheetPng(SpritePngData(sprites[0], PngPalette::HardwareGreys), "\"one.png\"");
        });
        QVERIFY2(message.contains(u"is 16 x 96 pixels; a sprite sheet must be 144 x 480"),
            qPrintable(message));
    }

private:
    void CheckPicture()
    {
        const auto& row = CurrentRow<Picture>();
        SpriteBlock decoded {};
        const QString message = FailureOf([&] { decoded = ImageToSprite(row.image, row.extra); });
        if (!row.expected.isEmpty()) {
            QCOMPARE(message, QString());
            QCOMPARE(Bytes(decoded), row.expected);
            return;
        }
        QVERIFY2(message.startsWith(u"The image "), qPrintable(message));
        for (const QString& part : row.message)
            QVERIFY2(message.contains(part), qPrintable(message));
    }

    void CheckFile()
    {
        const auto& row = CurrentRow<File>();
        const QString path = dir_.filePath(QStringLiteral("%1.png").arg(QTest::currentDataTag()));
        if (row.folder)
            QVERIFY(QDir().mkpath(path));
        else if (!row.contents.isNull())
            QVERIFY(WriteWholeFile(path, row.contents));

        SpriteBlock decoded {};
        const QString message = FailureOf([&] { decoded = ReadSpritePng(path); });
        if (!row.expected.isEmpty()) {
            QCOMPARE(message, QString());
            QCOMPARE(Bytes(decoded), row.expected);
            return;
        }
        QVERIFY2(message.startsWith(u'"' + path + u'"'), qPrintable(message));
        QVERIFY2(message.contains(row.message), qPrintable(message));
    }

    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(SpritePngTest)
#include "SpritePngTest.moc"
