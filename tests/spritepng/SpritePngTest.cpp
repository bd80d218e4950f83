// Sprite images and sheets: where each tile's pixels land, the exported files, the round trip,
// the reading rules by index and by colour, and the refusals of files and pictures.
#include "CraftedPng.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "spriteimage/SpriteImage.h"
#include "spritepng/SpriteSheet.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using enum QImage::Format;
using enum PngPalette;

namespace {

// A random block whose pixels take only the values `low` and `high`, picked per pixel.
SpriteBlock TwoValueBlock(quint32 seed, int low, int high)
{
    SpriteBlock block = RandomBlock(seed);
    for (std::size_t at = 0; at < block.size(); at += 2) {
        const int pick = block[at];
        for (const int plane : {0, 1})
            block[at + plane]
                = std::uint8_t(((high >> plane) & 1 ? pick : 0) | ((low >> plane) & 1 ? ~pick : 0));
    }
    return block;
}

SpriteSet RandomSprites(quint32 firstSeed)
{
    SpriteSet sprites {};
    std::ranges::generate(sprites, [seed = firstSeed]() mutable { return RandomBlock(seed++); });
    return sprites;
}

QImage RgbImage(const SpriteBlock& block, const Palette& colours)
{
    return SpriteToImage(block, colours).convertToFormat(Format_RGB32);
}

QImage ArgbImage(const SpriteBlock& block, PngPalette palette)
{
    return SpriteToImage(block, PaletteColours(palette)).convertToFormat(Format_ARGB32);
}

QImage InGreys(const SpriteBlock& block)
{
    return SpriteToImage(block, PaletteColours(HardwareGreys));
}

// `image` with the pixels at `points` set to `pixel`: a colour, or an index of an indexed image.
QImage Painted(QImage image, uint pixel, std::initializer_list<QPoint> points)
{
    for (const QPoint point : points)
        image.setPixel(point, pixel);
    return image;
}

// The scanlines of a sprite image of pixel values, value v stored as `stored[v]` in `bits` bits.
QByteArray PackedRows(const QImage& values, int bits, const QList<int>& stored)
{
    QList<int> samples = PixelIndices(values);
    std::ranges::transform(samples, samples.begin(), [&](int value) { return stored[value]; });
    return PackRows(samples, bits);
}

const QList<QRgb> kGreys
    = {qRgb(255, 255, 255), qRgb(170, 170, 170), qRgb(85, 85, 85), qRgb(0, 0, 0)};

struct Layout {
    const char* name;
    int tile = 0, row = 0, column = 0, value = 0, x = 0, y = 0;
};

struct Export {
    const char* name;
    PngPalette palette {};
    QList<QRgb> colours {};
    quint32 seed = 0;
};

// A picture read by the rules, with `extra` display colours: its block, or its refusal's words.
struct Picture {
    const char* name;
    QImage image {};
    std::optional<SpriteBlock> expected {};
    QStringList message {};
    std::optional<Palette> extra {};
};

// A file (a folder when `folder`, none when `contents` is null): its block, or its refusal's words.
struct File {
    const char* name;
    QByteArray contents {};
    std::optional<SpriteBlock> expected {};
    QString message {};
    bool folder = false;
};

} // namespace

class SpritePngTest : public QObject {
    Q_OBJECT

private slots:
    // One pixel set in one tile lands at one place, its plane-0 bit the low bit of its value.
    void layout_data()
    {
        AddRows<Layout>({{"tile 0, top left of frame 0", 0, 0, 0, 3, 0, 0},
            {"tile 1, top right", 1, 0, 0, 3, 8, 0}, {"tile 2, bottom left", 2, 0, 0, 3, 0, 8},
            {"tile 3, last pixel of frame 0", 3, 7, 7, 3, 15, 15},
            {"tile 4 starts frame 1", 4, 0, 0, 3, 0, 16},
            {"tile 9, inside frame 2", 9, 2, 5, 3, 13, 34},
            {"tile 23, last pixel", 23, 7, 7, 3, 15, 95},
            {"plane 0 alone is value 1", 6, 4, 1, 1, 1, 28},
            {"plane 1 alone is value 2", 6, 4, 1, 2, 1, 28}});
    }

    void layout()
    {
        const auto& row = CurrentRow<Layout>();
        SpriteBlock block {};
        const std::size_t at = static_cast<std::size_t>(16 * row.tile + 2 * row.row);
        block[at] = static_cast<std::uint8_t>((row.value & 1) << (7 - row.column));
        block[at + 1] = static_cast<std::uint8_t>((row.value >> 1) << (7 - row.column));

        const QImage image = InGreys(block);
        QCOMPARE(QPair(image.size(), image.format()), QPair(QSize(16, 96), Format_Indexed8));
        QList<int> expected(16 * 96, 0);
        expected[16 * row.y + row.x] = row.value;
        QCOMPARE(PixelIndices(image), expected);
        QCOMPARE(Bytes(ImageToSprite(image)), Bytes(block));
    }

    void exportedFile_data()
    {
        AddRows<Export>({{"hardware greys", HardwareGreys, kGreys},
            {"display defaults", DisplayDefaults,
                {qRgb(223, 0, 200), qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 255)}}});
    }

    void exportedFile()
    {
        const auto& row = CurrentRow<Export>();
        const SpriteBlock block = RandomBlock(11);
        const QString path = dir_.filePath("exported.png");
        WriteSpritePng(path, block, row.palette);

        // Read back with Qt alone: an indexed PNG whose four entries are the set, index = value.
        const QImage file(path);
        QCOMPARE(std::tuple(file.size(), file.format(), file.colorTable()),
            std::tuple(QSize(16, 96), Format_Indexed8, row.colours));
        QCOMPARE(PixelIndices(file), PixelIndices(InGreys(block)));
    }

    void roundTrip_data()
    {
        AddRows<Export>({{"greys, block 1", HardwareGreys, {}, 1},
            {"display, block 1", DisplayDefaults, {}, 1}, {"greys, block 2", HardwareGreys, {}, 2},
            {"display, block 2", DisplayDefaults, {}, 2}, {"greys, block 3", HardwareGreys, {}, 3},
            {"display, block 3", DisplayDefaults, {}, 3}, {"greys, block 4", HardwareGreys, {}, 4},
            {"display, block 4", DisplayDefaults, {}, 4}});
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
        const SpriteBlock block = RandomBlock(7);
        const QImage argb = ArgbImage(block, HardwareGreys);

        QImage reordered = InGreys(block);
        reordered.setColorTable(
            {qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(170, 170, 170), qRgb(1, 2, 3)});
        QImage shifted = InGreys(block);
        shifted.setColorTable(
            QList<QRgb> {qRgb(9, 9, 9), qRgb(8, 8, 8), qRgb(7, 7, 7), qRgb(6, 6, 6)} + kGreys);
        for (qsizetype at = 0; at < shifted.sizeInBytes(); ++at)
            shifted.bits()[at] += 4;
        QImage strayIndex = InGreys(block);
        strayIndex.setColorTable(strayIndex.colorTable() << qRgb(12, 34, 56));
        QImage noEntry = InGreys(block);
        noEntry.scanLine(6)[5] = 9; // no colour entry 9: setPixel would refuse to put it there
        // Values 1 and 2 in the display colours are black and white, which the greys hold too.
        const SpriteBlock blackWhite = TwoValueBlock(5, 1, 2);
        const QImage whiteBlack = ArgbImage(TwoValueBlock(5, 3, 0), HardwareGreys);
        SpriteBlock withBlue = blackWhite;
        withBlue[0] = withBlue[1] = 0xFF;
        QImage seeThrough = InGreys(block);
        seeThrough.setColor(0, qRgba(0, 0, 0, 0)); // white

        AddRows<Picture>({{"32-bit image in the greys", argb, block},
            {"RGB image in the display colours", RgbImage(block, PaletteColours(DisplayDefaults)),
                block},
            {"grey-level image", InGreys(block).convertToFormat(Format_Grayscale8), block},
            {"indexed 0..3 read by index, whatever the colours", reordered, block},
            {"indexed past 3 read by colour when they are greys", shifted, block},
            {"indexed with index 4 in a stray colour", Painted(strayIndex, 4, {{3, 40}, {9, 41}}),
                {}, {"palette index 4", "pixel (3, 40)"}},
            {"indexed with an index that has no colour", noEntry, {},
                {"palette index 9", "pixel (5, 6)"}},
            {"too wide", QImage(32, 96, Format_ARGB32), {},
                {"is 32 x 96 pixels", "must be 16 x 96"}},
            {"one row short", QImage(16, 95, Format_ARGB32), {}, {"is 16 x 95 pixels"}},
            {"lying on its side", QImage(96, 16, Format_Indexed8), {}, {"is 96 x 16 pixels"}},
            {"no picture", QImage(), {}, {"no picture"}},
            {"a fifth colour, named with its first pixel",
                Painted(argb, qRgb(12, 34, 56), {{3, 40}, {2, 41}}), {},
                {"RGB(12, 34, 56)", "pixel (3, 40)"}},
            {"greys mixed with a colour only the display set has",
                Painted(argb, qRgb(223, 0, 200), {{3, 40}}), {},
                {"RGB(223, 0, 200) at pixel (3, 40)", "default display colours",
                    "RGB(170, 170, 170)"}},
            {"only black and white: read as greys", ArgbImage(blackWhite, DisplayDefaults),
                TwoValueBlock(5, 3, 0)},
            // A pasted two-colour picture may come as 1-bit pixels, stored in either bit order.
            {"1-bit black and white, format 1", whiteBlack.convertToFormat(Format_Mono),
                TwoValueBlock(5, 3, 0)},
            {"1-bit black and white, format 2", whiteBlack.convertToFormat(Format_MonoLSB),
                TwoValueBlock(5, 3, 0)},
            {"black and white with blue: read as display colours",
                ArgbImage(withBlue, DisplayDefaults), withBlue},
            {"display colours mixed with a colour only the greys have",
                Painted(ArgbImage(withBlue, DisplayDefaults), qRgb(170, 170, 170), {{15, 95}}), {},
                {"RGB(170, 170, 170) at pixel (15, 95)", "the four greys", "RGB(0, 0, 255)"}},
            {"fully transparent pixels are value 0", seeThrough.convertToFormat(Format_ARGB32),
                block},
            {"a partly transparent pixel", Painted(argb, qRgba(170, 170, 170, 128), {{7, 9}}), {},
                {"(7, 9)", "alpha 128"}}});
    }

    void imageRules() { CheckPicture(); }

    // The editor's current display colours, given for a paste, come after the two fixed sets.
    void extraColours_data()
    {
        const Palette custom
            = {PackRgb(255, 0, 0), PackRgb(0, 255, 0), PackRgb(0, 0, 255), PackRgb(255, 255, 0)};
        const Palette doubled
            = {PackRgb(255, 0, 0), PackRgb(255, 0, 0), PackRgb(0, 0, 255), PackRgb(255, 255, 0)};
        const Palette greys = {
            PackRgb(0, 0, 0), PackRgb(85, 85, 85), PackRgb(170, 170, 170), PackRgb(255, 255, 255)};
        const SpriteBlock block = RandomBlock(3);
        const SpriteBlock upperValues = TwoValueBlock(9, 2, 3);
        AddRows<Picture>(
            {{"custom colours with them given", RgbImage(block, custom), block, {}, custom},
                {"custom colours without them", RgbImage(block, custom), {},
                    {"which is not one of the four greys or the four default display colours."}},
                {"a doubled colour the image uses", RgbImage(block, doubled), {},
                    {"colour 0 and colour 1"}, doubled},
                {"a doubled colour the image does not use", RgbImage(upperValues, doubled),
                    upperValues, {}, doubled},
                {"the greys still come first", ArgbImage(block, HardwareGreys), block, {}, greys}});
    }

    void extraColours() { CheckPicture(); }

    void fileRefusals_data()
    {
        const QByteArray good = PngBytes(InGreys(RandomBlock(2)));
        // Index 3 in a palette of two, 200 in one of four: a decoder mapping them to 0 reads these.
        QList<int> twoBit(16 * 96, 1);
        twoBit[16 * 40 + 3] = 3;
        QByteArray eightBit(16 * 96, '\1');
        eightBit[16 * 7 + 9] = char(200);
        AddRows<File>({{"missing", QByteArray(), {}, "cannot be read"},
            {"a folder", QByteArray(), {}, "cannot be read", true},
            {"empty", QByteArray(""), {}, "cannot be read: the file is empty"},
            {"not a PNG", "GIF89a and so on", {}, "not a PNG image"},
            {"cut in the header", good.left(20), {},
                "cannot be read: its header is damaged or incomplete"},
            {"cut in the pixel data", good.left(good.size() / 2), {}, "cannot be read"},
            {"header claims a huge image", CraftedPng(100000, 100000, 8, 0, {}), {},
                "is 100000 x 100000 pixels"},
            {"32 x 96", PngBytes(QImage(32, 96, Format_RGB32)), {}, "is 32 x 96 pixels"},
            {"a stray colour",
                PngBytes(Painted(
                    ArgbImage(RandomBlock(2), HardwareGreys), qRgb(12, 34, 56), {{15, 95}})),
                {}, "RGB(12, 34, 56) at pixel (15, 95)"},
            {"index 3 in a palette of 2",
                CraftedPng(16, 96, 2, 3, PackRows(twoBit, 2), QByteArray("\xff\xff\xff\0\0\0", 6)),
                {}, "palette index 3 at pixel (3, 40), past the end of its palette of 2 colours"},
            {"index 200 in a palette of 4",
                CraftedPng(16, 96, 8, 3, eightBit,
                    QByteArray("\xff\xff\xff\xaa\xaa\xaa\x55\x55\x55\0\0\0", 12)),
                {}, "palette index 200 at pixel (9, 7), past the end of its palette of 4"},
            // Larger than any sprite image file: refused unread, whatever it would unpack to.
            {"larger than 1 MiB", good + QByteArray(1024 * 1024, '\0'), {},
                "bytes long, and a sprite image file"}});
    }

    void fileRefusals() { CheckFile(); }

    // PNG kinds other than the exporter's own, read by the same rules.
    void pngKinds_data()
    {
        const SpriteBlock block = RandomBlock(21);
        const QImage values = InGreys(block);
        const QByteArray plain = Bytes(SpritePngData(block, HardwareGreys));
        // An export in the display colours of a sprite that uses only values 1 and 2 holds only
        // black and white pixels; its magenta and blue entries keep it read by index.
        const SpriteBlock blackWhite = TwoValueBlock(6, 1, 2);
        const SpriteBlock whiteBlack = TwoValueBlock(4, 0, 3);
        // Grey level 0 is black, so value v (0 white .. 3 black) is stored as 3 - v.
        AddRows<File>({{"2-bit grey levels",
                           CraftedPng(16, 96, 2, 0, PackedRows(values, 2, {3, 2, 1, 0})), block},
            {"8-bit grey levels",
                CraftedPng(16, 96, 8, 0, PackedRows(values, 8, {255, 170, 85, 0})), block},
            {"2-bit palette of greys, black first: read by its greys",
                CraftedPng(16, 96, 2, 3, PackedRows(values, 2, {3, 2, 1, 0}),
                    QByteArray("\x00\x00\x00\x55\x55\x55\xAA\xAA\xAA\xFF\xFF\xFF", 12)),
                block},
            {"interlaced 8-bit colour",
                CraftedPng(16, 96, 8, 2, PackedRows(values, 24, {0xFFFFFF, 0xAAAAAA, 0x555555, 0}),
                    {}, true),
                block},
            // A see-through entry is value 0 beside the greys, as a fully transparent pixel is.
            {"palette of greys and a see-through entry, in another order",
                CraftedPng(16, 96, 2, 3, PackedRows(values, 2, {0, 3, 2, 1}),
                    QByteArray("\x0C\x22\x38\x00\x00\x00\x55\x55\x55\xAA\xAA\xAA", 12), false,
                    QByteArray("\x00", 1)),
                block},
            // A file may carry anything after its end marker, up to the size limit.
            {"exactly 1 MiB, padded after the end marker",
                plain + QByteArray(kMaxSpritePngBytes - plain.size(), '\0'), block},
            {"display colours, only black and white used: still index = value",
                Bytes(SpritePngData(blackWhite, DisplayDefaults)), blackWhite},
            {"1-bit grey levels",
                CraftedPng(16, 96, 1, 0, PackedRows(InGreys(whiteBlack), 1, {1, 0, 0, 0})),
                whiteBlack}});
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
        QList<int> entryOf(4);
        for (int entry = 0; entry < 4; ++entry) {
            palette += QByteArray(3, static_cast<char>(255 - 85 * order[entry]));
            entryOf[order[entry]] = entry;
        }
        const QByteArray rows = PackedRows(InGreys(block), 8, entryOf);
        const QString path = dir_.filePath("order.png");
        QVERIFY(WriteWholeFile(path, CraftedPng(16, 96, 8, 3, rows, palette)));
        QCOMPARE(Bytes(ReadSpritePng(path)), Bytes(block));
    }

    void exportReplacesWholeFile()
    {
        const QString path = dir_.filePath("replaced.png");
        QVERIFY(WriteWholeFile(path, QByteArray(20000, 'x')));
        const SpriteBlock block = RandomBlock(8);
        WriteSpritePng(path, block, HardwareGreys);
        QVERIFY(QFileInfo(path).size() < 20000);
        QCOMPARE(Bytes(ReadSpritePng(path)), Bytes(block));
    }

    void failedExportLeavesNothing()
    {
        const QString nowhere = dir_.filePath("no-such-folder/x.png");
        auto message = FailureOf([&] { WriteSpritePng(nowhere, RandomBlock(1), HardwareGreys); });
        QVERIFY2(message.contains(u'"' + nowhere + u'"') && message.contains(u"No such file"),
            qPrintable(message));
        QVERIFY(!QFileInfo::exists(nowhere));
        QVERIFY(QDir(dir_.path()).entryList({"no-such-folder*"}).isEmpty());

        const QString folder = dir_.filePath("a-folder.png");
        QVERIFY(QDir().mkpath(folder));
        message = FailureOf([&] { WriteSpritePng(folder, RandomBlock(1), HardwareGreys); });
        QVERIFY2(message.contains(u"it is a folder"), qPrintable(message));
        QVERIFY(QFileInfo(folder).isDir());
    }

    // Entry i sits in column i mod 9 and row i div 9, each cell exactly a single sprite image.
    void sheetLayout()
    {
        const SpriteSet sprites = RandomSprites(100);
        const QImage sheet = ToQImage(SheetPicture(sprites, PaletteColours(HardwareGreys)));
        QCOMPARE(sheet.size(), QSize(144, 480));
        for (const int index : {0, 8, 9, 22, 36, 44})
            QCOMPARE(PixelIndices(sheet.copy(16 * (index % 9), 96 * (index / 9), 16, 96)),
                PixelIndices(InGreys(sprites[std::size_t(index)])));
    }

    void sheetRoundTrip_data()
    {
        AddRows<Export>({{"greys", HardwareGreys}, {"display colours", DisplayDefaults}});
    }

    void sheetRoundTrip()
    {
        const SpriteSet sprites = RandomSprites(200);
        QVERIFY(DecodeSheetPng(SheetPngData(sprites, CurrentRow<Export>().palette), "sheet")
            == sprites);

        const QString message = FailureOf(
            [&] { DecodeSheetPng(SpritePngData(sprites[0], HardwareGreys), "\"one.png\""); });
        QVERIFY2(message.contains(u"is 16 x 96 pixels; a sprite sheet must be 144 x 480"),
            qPrintable(message));
    }

private:
    void CheckPicture()
    {
        const auto& row = CurrentRow<Picture>();
        CheckOutcome(row, "The image ", [&] { return ImageToSprite(row.image, row.extra); });
    }

    void CheckFile()
    {
        const auto& row = CurrentRow<File>();
        const QString path = dir_.filePath(QStringLiteral("%1.png").arg(QTest::currentDataTag()));
        if (row.folder)
            QVERIFY(QDir().mkpath(path));
        else if (!row.contents.isNull())
            QVERIFY(WriteWholeFile(path, row.contents));

        CheckOutcome(row, u'"' + path + u'"', [&] { return ReadSpritePng(path); });
    }

    // The read must give the row's block, or (none) a refusal from `subject` with the row's words.
    template <typename Row, typename Read>
    static void CheckOutcome(const Row& row, const QString& subject, Read read)
    {
        SpriteBlock decoded {};
        const QString message = FailureOf([&] { decoded = read(); });
        if (row.expected) {
            QCOMPARE(message, QString());
            QCOMPARE(Bytes(decoded), Bytes(*row.expected));
            return;
        }
        QVERIFY2(message.startsWith(subject), qPrintable(message));
        for (const QString& part : QStringList {row.message})
            QVERIFY2(message.contains(part), qPrintable(message));
    }

    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(SpritePngTest)
#include "SpritePngTest.moc"
