// PNG files read in one pass: every kind comes out as Qt's reader sees it (palette images as
// their raw indices, every other kind as colours), an index past the palette is kept, damaged
// files are refused with their reason, and what PNG readers rightly forgive is read in silence.
#include "spritepng/PngDecoder.h"
#include "CraftedPng.h"
#include "RowTable.h"

#include <QtTest>

#include <cstdio>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;
using enum QImage::Format;

namespace {

PngPicture Decode(const QByteArray& png)
{
    return DecodePng(Span(png), {16, 96}, "a sprite image", "\"x.png\"");
}

QImage RandomImage(QImage::Format format, quint32 seed)
{
    QImage image(16, 96, Format_ARGB32);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(image.bits()), 16 * 96);
    return image.convertToFormat(format);
}

// What `read` writes to the error output: libpng's own handlers print there, and it is the user's.
template <typename Read> QByteArray ErrorOutputOf(Read&& read)
{
    QTemporaryFile capture;
    if (!capture.open())
        return "cannot capture the error output";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture.handle(), STDERR_FILENO);
    const QString failure = FailureOf(read);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    capture.seek(0);
    return capture.readAll() + failure.toUtf8();
}

QByteArray Patched(QByteArray bytes, qsizetype at, char byte)
{
    bytes[at] = byte;
    return bytes;
}

struct StrayIndex {
    const char* name;
    int depth = 0, entries = 0, stray = 0;
};

struct Refusal {
    QByteArray png;
    QString reason;
};

} // namespace

class PngDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void matchesQtsReader_data()
    {
        QTest::addColumn<QByteArray>("png");
        // Qt's writer filters rows adaptively, so these cover all five row filters.
        for (const auto& [name, format] :
            std::initializer_list<std::pair<const char*, QImage::Format>> {
                {"8-bit colour", Format_RGB32}, {"8-bit colour with alpha", Format_ARGB32},
                {"16-bit colour with alpha", Format_RGBA64}, {"8-bit grey", Format_Grayscale8},
                {"16-bit grey", Format_Grayscale16}, {"1-bit palette", Format_Mono}})
            QTest::newRow(name) << PngBytes(RandomImage(format, 3));
        QTest::newRow("8-bit palette") << PngBytes(
            RandomImage(Format_RGB32, 4).convertToFormat(Format_Indexed8, Qt::ThresholdDither));

        const QByteArray palette = RandomBytes(random_, 3 * 16);
        for (const bool interlaced : {false, true})
            for (const auto& [name, depth, type, bits] :
                std::initializer_list<std::tuple<const char*, int, int, int>> {
                    {"1-bit grey", 1, 0, 1}, {"2-bit grey", 2, 0, 2}, {"4-bit grey", 4, 0, 4},
                    {"2-bit palette", 2, 3, 2}, {"4-bit palette", 4, 3, 4},
                    {"8-bit grey with alpha", 8, 4, 16}, {"16-bit grey with alpha", 16, 4, 32},
                    {"16-bit colour", 16, 2, 48}, {"8-bit colour with alpha", 8, 6, 32}})
                QTest::addRow("%s%s", name, interlaced ? ", interlaced" : "") << CraftedPng(16, 96,
                    depth, type, RandomRows(bits), type == 3 ? palette : QByteArray(), interlaced);
        // A tRNS chunk names one grey or one colour as see-through, or gives palette entries alpha.
        QTest::newRow("2-bit grey, level 1 see-through")
            << CraftedPng(16, 96, 2, 0, RandomRows(2), {}, false, QByteArray("\0\1", 2));
        QTest::newRow("8-bit colour, one colour see-through") << CraftedPng(16, 96, 8, 2,
            RandomBytes(random_, 96 * 48, 2), {}, false, QByteArray("\0\1\0\0\0\1", 6));
        QTest::newRow("4-bit palette with alpha for some entries")
            << CraftedPng(16, 96, 4, 3, RandomRows(4), palette, false, RandomBytes(random_, 7));
    }

    void matchesQtsReader()
    {
        QFETCH(QByteArray, png);
        const QImage oracle = QImage::fromData(png, "png");
        QVERIFY(!oracle.isNull());

        const PngPicture picture = Decode(png);
        QCOMPARE(QSize(picture.width, picture.height), QSize(16, 96));
        // Only colour type 3 (a palette) keeps indices; grey levels, indexed in Qt, become colours.
        QCOMPARE(picture.indexed, png[25] == 3);
        if (picture.indexed) {
            // Qt keeps no more entries than the bit depth can index.
            const QList<QRgb> palette(picture.palette.begin(), picture.palette.end());
            QCOMPARE(palette.mid(0, oracle.colorCount()), oracle.colorTable());
            QCOMPARE(
                QList<int>(picture.indices.begin(), picture.indices.end()), PixelIndices(oracle));
            return;
        }
        const QImage argb = oracle.convertToFormat(Format_ARGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(argb.constBits());
        QList<QRgb> mine(picture.colours.begin(), picture.colours.end());
        QList<QRgb> theirs(pixels, pixels + 16 * 96);
        // Qt drops the colour of a fully transparent pixel; so does every reader after this.
        const auto seeThrough = [](QRgb colour) { return qAlpha(colour) == 0; };
        for (QList<QRgb>* colours : {&mine, &theirs})
            std::ranges::replace_if(*colours, seeThrough, 0u);
        QCOMPARE(mine, theirs);
    }

    // Qt's reader makes an index past the palette 0; the decoder keeps it for the rules to refuse.
    void keepsIndicesPastThePalette_data()
    {
        AddRows<StrayIndex>({{"1-bit, index 1 in a palette of 1", 1, 1, 1},
            {"2-bit, index 3 in a palette of 2", 2, 2, 3},
            {"4-bit, index 15 in a palette of 4", 4, 4, 15},
            {"8-bit, index 200 in a palette of 4", 8, 4, 200}});
    }

    void keepsIndicesPastThePalette()
    {
        const auto& row = CurrentRow<StrayIndex>();
        QList<int> samples(16 * 96, 0);
        samples[16 * 40 + 3] = row.stray;
        const PngPicture picture = Decode(CraftedPng(16, 96, row.depth, 3,
            PackRows(samples, row.depth), QByteArray(3 * row.entries, '\x20')));
        QCOMPARE(picture.palette.size(), std::size_t(row.entries));
        QCOMPARE(QList<int>(picture.indices.begin(), picture.indices.end()), samples);
    }

    // What PNG readers rightly forgive is read silently: the picture does not depend on it.
    void readsOdditiesQuietly_data()
    {
        QTest::addColumn<QByteArray>("png");
        const QByteArray header = PngHeaderData(16, 96, 8, 6, false);
        const QByteArray pixels = ZlibStream(QByteArray(96 * 65, '\x00'));
        QTest::newRow("bytes after the end of the pixel stream")
            << PngFile(header, {}, pixels + "stray");
        QTest::newRow("a damaged text chunk") << PngFile(
            header, Patched(PngChunk("tEXt", QByteArray("Comment\0hello", 13)), 10, 'X'), pixels);
        // libpng refuses a pHYs chunk of the wrong length; a sprite's pixels have no size.
        QTest::newRow("a damaged pHYs chunk")
            << PngFile(header, PngChunk("pHYs", QByteArray(10, '\1')), pixels);
    }

    void readsOdditiesQuietly()
    {
        QFETCH(QByteArray, png);
        PngPicture picture;
        QCOMPARE(ErrorOutputOf([&] { picture = Decode(png); }), QByteArray());
        QCOMPARE(picture.colours.size(), std::size_t(16 * 96));
        QCOMPARE(picture.colours.front(), qRgba(0, 0, 0, 0));
    }

    void refusals_data()
    {
        AddRowColumn<Refusal>();
        const auto row = [](const char* name, const QByteArray& png, const char* reason) {
            QTest::newRow(name) << Refusal {png, QString::fromUtf8(reason)};
        };
        const QByteArray header = PngHeaderData(16, 96, 8, 3, false);
        const QByteArray palette = PngChunk("PLTE", QByteArray(12, '\x10'));
        const QByteArray pixels(96 * 17, '\0');
        const QByteArray zlib = ZlibStream(pixels);
        const QByteArray good = PngFile(header, palette, zlib);
        const QByteArray text = PngChunk("tEXt", "a\0b");
        const QByteArray end = PngChunk("IEND", {});
        QVERIFY(FailureOf([&] { Decode(good); }).isEmpty());

        // A stream of zeros far longer than the image: a bomb in small.
        row("pixel data that inflates past the image",
            PngFile(header, palette, ZlibStream(QByteArray(4 << 20, '\0'), 9)),
            "unpacks to more than a 16 x 96 image holds");
        row("pixel data without the end of its stream", PngFile(header, palette, zlib.chopped(4)),
            "its pixel data is cut short");
        row("pixel data one row short", PngFile(header, palette, ZlibStream(pixels.chopped(17))),
            "its pixel data is cut short");
        row("pixel data that is not a zlib stream",
            PngFile(header, palette, QByteArray(100, '\x55')), "its pixel data is damaged");
        row("pixel data that needs a preset dictionary",
            PngFile(header, palette, QByteArray("\x78\x20\0\0\0\0", 6) + zlib.mid(2)),
            "its pixel data is damaged");
        // An interlaced 8-bit grey image holds 1716 bytes of rows; its last pass, every other
        // line in full, takes the last 816.
        row("interlaced pixel data without its last pass",
            PngFile(PngHeaderData(16, 96, 8, 0, true), {}, ZlibStream(QByteArray(900, '\0'))),
            "its pixel data is cut short");
        row("a row with filter 7", PngFile(header, palette, ZlibStream(Patched(pixels, 17 * 5, 7))),
            "a row has an unknown filter");
        // The stream, unpacked as it arrives, shows the damage before the chunk's checksum is read.
        row("pixel data failing its checksum", Patched(good, good.indexOf("IDAT") + 6, 1),
            "its pixel data is damaged");
        // The stream's checksum in a chunk of its own, read after the last row has come: the
        // rows stored unpacked, so none is held back inside the stream.
        const QByteArray stored = ZlibStream(pixels, 0);
        const QByteArray badEnd = Patched(stored, stored.size() - 1, char(stored.back() ^ 1));
        row("pixel data whose stream is damaged after the last row",
            PngFile(header, palette + PngChunk("IDAT", badEnd.chopped(4)), badEnd.right(4)),
            "its pixel data is damaged");
        // A chunk may hold 64 KiB, or what the image's rows can need when that is more.
        row("a pixel data chunk longer than the image can need",
            PngFile(header, palette, zlib + QByteArray(64 * 1024 + 1 - zlib.size(), '\0')),
            "its IDAT chunk is larger than a 16 x 96 image can need");
        row("pixel data split by another chunk",
            PngFile(header, palette + PngChunk("IDAT", zlib.left(10)) + text, zlib.mid(10)),
            "split by other chunks");
        row("more pixel data after another chunk",
            good.chopped(12) + text + PngChunk("IDAT", "x") + end,
            "its pixel data is split by other chunks");
        row("no pixel data", kPngSignature + PngChunk("IHDR", header) + palette + end,
            "it holds no pixel data");
        row("no end marker", good.chopped(12), "the file is cut short");
        row("cut inside a chunk", good.left(60), "the file is cut short");
        row("palette image without a palette", PngFile(header, {}, zlib), "its palette is missing");
        row("a palette of 13 bytes", PngFile(header, PngChunk("PLTE", QByteArray(13, 1)), zlib),
            "its palette is damaged");
        row("a palette of 257 entries", PngFile(header, PngChunk("PLTE", QByteArray(771, 1)), zlib),
            "its palette is damaged");
        row("a palette failing its checksum", Patched(good, good.indexOf("PLTE") + 4, 0x11),
            "its PLTE chunk is damaged (its checksum is wrong)");
        row("a palette in a grey-level image",
            PngFile(PngHeaderData(16, 96, 8, 0, false), palette, zlib),
            "it holds a palette, which a grey-level image may not");
        row("a chunk whose type is not four letters",
            PngFile(header, palette + PngChunk("t#XT", "x"), zlib), "a chunk's type is damaged");
        row("a chunk this program does not know",
            PngFile(header, palette + PngChunk("ZZZZ", "x"), zlib), "ZZZZ chunk");
        row("no header first", kPngSignature + text + PngChunk("IHDR", header),
            "its header is damaged or incomplete");
        for (const auto& [name, damaged] :
            std::initializer_list<std::pair<const char*, QByteArray>> {
                {"colour type 7", PngHeaderData(16, 96, 8, 7, false)},
                {"interlace method 2", Patched(header, 12, 2)},
                {"colour type 1", PngHeaderData(16, 96, 0, 1, false)},
                {"16-bit palette", PngHeaderData(16, 96, 16, 3, false)}})
            row(name, PngFile(damaged, palette, zlib), "its header is damaged");
        // Refused from its header, before the damaged palette after it.
        row("another size",
            PngFile(PngHeaderData(17, 96, 8, 3, false), PngChunk("PLTE", QByteArray(13, 1)), zlib),
            "is 17 x 96 pixels; a sprite image must be 16 x 96");
        row("one row taller", PngFile(PngHeaderData(16, 97, 8, 3, false), palette, zlib),
            "is 16 x 97 pixels");

        // What PNG readers forgive with a warning is refused: the picture would be a guess.
        row("a tRNS chunk beside an alpha channel",
            PngFile(PngHeaderData(16, 96, 8, 6, false), PngChunk("tRNS", QByteArray(6, '\0')),
                ZlibStream(QByteArray(96 * 65, '\0'))),
            "its tRNS chunk is damaged (invalid with alpha channel)");
        row("a tRNS chunk after the pixel data", good.chopped(12) + PngChunk("tRNS", "\x10") + end,
            "its tRNS chunk is out of place");
        const QByteArray transparency = PngFile(header, palette + PngChunk("tRNS", "\x10"), zlib);
        row("a tRNS chunk failing its checksum",
            Patched(transparency, transparency.indexOf("tRNS") + 4, 0x11),
            "its tRNS chunk is damaged (its checksum is wrong)");
    }

    void refusals()
    {
        const auto& row = CurrentRow<Refusal>();
        const QString message = FailureOf([&] { Decode(row.png); });
        QVERIFY2(
            message.startsWith(u"\"x.png\" ") && message.contains(row.reason), qPrintable(message));
    }

private:
    // Random scanlines of a 16 x 96 image whose pixels have `bits` bits each.
    QByteArray RandomRows(int bits) { return RandomBytes(random_, 96 * ((16 * bits + 7) / 8)); }

    QRandomGenerator random_; // seeded alike in every run, so a failing row repeats
};

QTEST_GUILESS_MAIN(PngDecoderTest)
#include "PngDecoderTest.moc"
