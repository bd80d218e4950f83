// PNG files read through Qt's reader: every kind comes out as Qt reads it (palette images as their
// raw indices, every other kind as colours), an index past the palette is kept, damaged files are
// refused before Qt sees them, and odd but readable ones are read without a word from Qt.
#include "spritepng/PngDecoder.h"
#include "CraftedPng.h"
#include "TestData.h"
#include "spritepng/SpritePngError.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

const QSize kSize(16, 96);

QByteArray RandomBytes(quint32 seed, qsizetype count, int bound = 256)
{
    QRandomGenerator random(seed);
    QByteArray bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random.bounded(bound));
    return bytes;
}

// Random scanlines of a 16 x 96 image whose pixels have `bits` bits each.
QByteArray RandomRows(quint32 seed, int bits)
{
    return RandomBytes(seed, 96 * ((16 * bits + 7) / 8));
}

QByteArray Written(const QImage& image)
{
    return PngBytes(image);
}

QImage RandomImage(QImage::Format format, quint32 seed)
{
    QImage image(kSize, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate());
    }
    return image.convertToFormat(format);
}

// What Qt logs while a file is read: its PNG reader reports what it forgives as messages that
// would reach the error output of the tool.
QStringList g_logged;

void Log(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_logged << message;
}

QString FailureOf(const QByteArray& png)
{
    try {
        DecodePng(png, kSize, QStringLiteral("a sprite image"), QStringLiteral("\"x.png\""));
    } catch (const SpritePngError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

QByteArray WithIdat(
    const QByteArray& header, const QByteArray& zlib, const QByteArray& between = {})
{
    return PngSignature() + PngChunk("IHDR", header) + PngChunk("PLTE", QByteArray(12, '\x10'))
        + between + PngChunk("IDAT", zlib) + PngChunk("IEND", {});
}

} // namespace

class PngDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void matchesQtsReader_data();
    void matchesQtsReader();
    void keepsIndicesPastThePalette_data();
    void keepsIndicesPastThePalette();
    void readsOdditiesQuietly_data();
    void readsOdditiesQuietly();
    void refusals_data();
    void refusals();
};

void PngDecoderTest::matchesQtsReader_data()
{
    QTest::addColumn<QByteArray>("png");

    // Qt's writer filters rows adaptively, so these cover all five row filters.
    for (const auto& [name, format] :
        std::initializer_list<std::pair<const char*, QImage::Format>> {
            {"8-bit colour", QImage::Format_RGB32},
            {"8-bit colour with alpha", QImage::Format_ARGB32},
            {"16-bit colour with alpha", QImage::Format_RGBA64},
            {"8-bit grey", QImage::Format_Grayscale8}, {"16-bit grey", QImage::Format_Grayscale16},
            {"1-bit palette", QImage::Format_Mono}})
        QTest::newRow(name) << Written(RandomImage(format, 3));
    QImage indexed = RandomImage(QImage::Format_RGB32, 4)
                         .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QTest::newRow("8-bit palette") << Written(indexed);

    const QByteArray palette = RandomBytes(5, 3 * 16);
    for (const bool interlaced : {false, true}) {
        const QString suffix = interlaced ? QStringLiteral(", interlaced") : QString();
        const auto row = [&](const QString& name, const QByteArray& png) {
            QTest::newRow(qPrintable(name + suffix)) << png;
        };
        row("1-bit grey", CraftedPng(16, 96, 1, 0, RandomRows(6, 1), {}, interlaced));
        row("2-bit grey", CraftedPng(16, 96, 2, 0, RandomRows(7, 2), {}, interlaced));
        row("4-bit grey", CraftedPng(16, 96, 4, 0, RandomRows(8, 4), {}, interlaced));
        row("2-bit palette", CraftedPng(16, 96, 2, 3, RandomRows(9, 2), palette, interlaced));
        row("4-bit palette", CraftedPng(16, 96, 4, 3, RandomRows(10, 4), palette, interlaced));
        row("8-bit grey with alpha", CraftedPng(16, 96, 8, 4, RandomRows(11, 16), {}, interlaced));
        row("16-bit grey with alpha",
            CraftedPng(16, 96, 16, 4, RandomRows(12, 32), {}, interlaced));
        row("16-bit colour", CraftedPng(16, 96, 16, 2, RandomRows(13, 48), {}, interlaced));
        row("8-bit colour with alpha",
            CraftedPng(16, 96, 8, 6, RandomRows(14, 32), {}, interlaced));
    }
    // A tRNS chunk names one grey or one colour as see-through, or gives palette entries alpha.
    QTest::newRow("2-bit grey, level 1 see-through")
        << CraftedPng(16, 96, 2, 0, RandomRows(15, 2), {}, false, QByteArray("\0\1", 2));
    QTest::newRow("8-bit colour, one colour see-through") << CraftedPng(
        16, 96, 8, 2, RandomBytes(16, 96 * 48, 2), {}, false, QByteArray("\0\1\0\0\0\1", 6));
    QTest::newRow("4-bit palette with alpha for some entries")
        << CraftedPng(16, 96, 4, 3, RandomRows(17, 4), palette, false, RandomBytes(18, 7));
}

void PngDecoderTest::matchesQtsReader()
{
    QFETCH(QByteArray, png);
    const QImage oracle = QImage::fromData(png, "png");
    QVERIFY(!oracle.isNull());

    const PngPicture picture
        = DecodePng(png, kSize, QStringLiteral("a sprite image"), QStringLiteral("x"));
    QCOMPARE(picture.size, kSize);
    // Only a palette image (colour type 3) keeps indices: Qt hands over grey levels as indexed
    // images too, and they must become colours.
    QCOMPARE(picture.indexed, png[25] == 3);
    if (picture.indexed) {
        // Qt keeps no more entries than the bit depth can index.
        const QList<QRgb> table = oracle.colorTable();
        QVERIFY(picture.palette.size() >= std::size_t(table.size()));
        QCOMPARE(
            QList<QRgb>(picture.palette.begin(), picture.palette.begin() + table.size()), table);
        for (int y = 0; y < 96; ++y) {
            for (int x = 0; x < 16; ++x)
                QCOMPARE(int(picture.indices[std::size_t(16 * y + x)]), oracle.pixelIndex(x, y));
        }
        return;
    }
    const QImage argb = oracle.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb mine = picture.colours[std::size_t(16 * y + x)];
            // Qt drops the colour of a fully transparent pixel; so does every reader after this.
            const QRgb theirs = argb.pixel(x, y);
            if (qAlpha(mine) == 0 && qAlpha(theirs) == 0)
                continue;
            QVERIFY2(mine == theirs,
                qPrintable(QStringLiteral("pixel (%1, %2): %3 instead of %4")
                               .arg(x)
                               .arg(y)
                               .arg(mine, 8, 16)
                               .arg(theirs, 8, 16)));
        }
    }
}

// Qt's reader turns an index past the palette into 0; the decoder keeps it so the reading rules
// can refuse it, at every bit depth a palette image may have.
void PngDecoderTest::keepsIndicesPastThePalette_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("stray");

    QTest::newRow("1-bit, index 1 in a palette of 1") << 1 << 1 << 1;
    QTest::newRow("2-bit, index 3 in a palette of 2") << 2 << 2 << 3;
    QTest::newRow("4-bit, index 15 in a palette of 4") << 4 << 4 << 15;
    QTest::newRow("8-bit, index 200 in a palette of 4") << 8 << 4 << 200;
}

void PngDecoderTest::keepsIndicesPastThePalette()
{
    QFETCH(int, depth);
    QFETCH(int, entries);
    QFETCH(int, stray);
    QList<int> samples(16 * 96, 0);
    samples[16 * 40 + 3] = stray;
    QByteArray rows;
    for (int y = 0; y < 96; ++y)
        rows += PackSamples(samples.mid(16 * y, 16), depth);
    const QByteArray png = CraftedPng(16, 96, depth, 3, rows, QByteArray(3 * entries, '\x20'));

    const PngPicture picture
        = DecodePng(png, kSize, QStringLiteral("a sprite image"), QStringLiteral("x"));
    QCOMPARE(picture.palette.size(), std::size_t(entries));
    QCOMPARE(int(picture.indices[16 * 40 + 3]), stray);
    QCOMPARE(int(picture.indices[16 * 40 + 4]), 0);
}

// Files that break a rule PNG readers forgive: Qt would complain about each on the error output
// of the tool, so they reach it mended.
void PngDecoderTest::readsOdditiesQuietly_data()
{
    QTest::addColumn<QByteArray>("png");

    const QByteArray pixels = qCompress(QByteArray(96 * 65, '\x00')).mid(4);
    const QByteArray header = PngHeaderData(16, 96, 8, 6, false);
    const auto file = [&](const QByteArray& before, const QByteArray& zlib) {
        return PngSignature() + PngChunk("IHDR", header) + before + PngChunk("IDAT", zlib)
            + PngChunk("IEND", {});
    };
    QTest::newRow("bytes after the end of the pixel stream") << file({}, pixels + "stray");
    QByteArray damagedText = PngChunk("tEXt", QByteArray("Comment\0hello", 13));
    damagedText[10] = 'X';
    QTest::newRow("a damaged text chunk") << file(damagedText, pixels);
}

void PngDecoderTest::readsOdditiesQuietly()
{
    QFETCH(QByteArray, png);
    g_logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Log);
    const PngPicture picture
        = DecodePng(png, kSize, QStringLiteral("a sprite image"), QStringLiteral("x"));
    qInstallMessageHandler(previous);
    QCOMPARE(g_logged, QStringList());
    QCOMPARE(picture.colours.size(), std::size_t(16 * 96));
    QCOMPARE(picture.colours.front(), qRgba(0, 0, 0, 0));
}

void PngDecoderTest::refusals_data()
{
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<QString>("reason");

    const QByteArray header = PngHeaderData(16, 96, 8, 3, false);
    const QByteArray pixels(96 * 17, '\0');
    const QByteArray zlib = qCompress(pixels).mid(4);
    const QByteArray good = WithIdat(header, zlib);
    QVERIFY(FailureOf(good).isEmpty());

    // A stream of zeros far longer than the image: a bomb in small.
    QTest::newRow("pixel data that inflates past the image")
        << WithIdat(header, qCompress(QByteArray(4 << 20, '\0'), 9).mid(4))
        << "unpacks to more than a 16 x 96 image holds";
    QTest::newRow("pixel data without the end of its stream")
        << WithIdat(header, qCompress(pixels).mid(4).chopped(4)) << "its pixel data is cut short";
    QTest::newRow("pixel data one row short")
        << WithIdat(header, qCompress(pixels.left(95 * 17)).mid(4))
        << "its pixel data is cut short";
    QTest::newRow("pixel data that is not a zlib stream")
        << WithIdat(header, QByteArray(100, '\x55')) << "its pixel data is damaged";
    QByteArray badFilter = pixels;
    badFilter[17 * 5] = 7;
    QTest::newRow("a row with filter 7")
        << WithIdat(header, qCompress(badFilter).mid(4)) << "a row has an unknown filter";
    QByteArray badCrc = good;
    badCrc[good.indexOf("IDAT") + 6] = '\x01';
    // Unpacked as it arrives, the chunk's damage shows in the stream before its checksum is read.
    QTest::newRow("pixel data failing its checksum") << badCrc << "its pixel data is damaged";
    QByteArray badEnd = zlib;
    badEnd[badEnd.size() - 1] = char(badEnd[badEnd.size() - 1] ^ 1);
    QTest::newRow("pixel data whose stream is damaged after the last row")
        << WithIdat(header, badEnd) << "its pixel data is damaged";
    QTest::newRow("a pixel data chunk longer than the image can need") << WithIdat(header,
        zlib + QByteArray(70000, '\0')) << "its IDAT chunk is larger than a 16 x 96 image can need";
    QTest::newRow("pixel data split by another chunk") << PngSignature() + PngChunk("IHDR", header)
            + PngChunk("PLTE", QByteArray(12, '\x10')) + PngChunk("IDAT", zlib.left(10))
            + PngChunk("tEXt", "a\0b") + PngChunk("IDAT", zlib.mid(10))
            + PngChunk("IEND", {}) << "split by other chunks";
    QTest::newRow("no end marker") << good.left(good.size() - 12) << "the file is cut short";
    QTest::newRow("cut inside a chunk") << good.left(60) << "the file is cut short";
    QTest::newRow("palette image without a palette")
        << PngSignature() + PngChunk("IHDR", header) + PngChunk("IDAT", zlib) + PngChunk("IEND", {})
        << "its palette is missing";
    QTest::newRow("a palette of 13 bytes") << WithIdat(header, zlib)
                                                  .replace(PngChunk("PLTE", QByteArray(12, '\x10')),
                                                      PngChunk("PLTE", QByteArray(13, '\x10')))
                                           << "its palette is damaged";
    QTest::newRow("a palette of 257 entries")
        << WithIdat(header, zlib)
               .replace(PngChunk("PLTE", QByteArray(12, '\x10')),
                   PngChunk("PLTE", QByteArray(771, '\x10')))
        << "its palette is damaged";
    QTest::newRow("a chunk this program does not know")
        << WithIdat(header, zlib, PngChunk("ZZZZ", "x")) << "ZZZZ chunk";
    QTest::newRow("no header first")
        << PngSignature() + PngChunk("PLTE", QByteArray(12, '\x10')) + PngChunk("IHDR", header)
        << "its header is damaged or incomplete";
    QTest::newRow("colour type 7")
        << WithIdat(PngHeaderData(16, 96, 8, 7, false), zlib) << "its header is damaged";
    QByteArray unknownInterlace = PngHeaderData(16, 96, 8, 3, false);
    unknownInterlace[12] = 2;
    QTest::newRow("interlace method 2")
        << WithIdat(unknownInterlace, zlib) << "its header is damaged";
    QTest::newRow("colour type 1")
        << WithIdat(PngHeaderData(16, 96, 0, 1, false), zlib) << "its header is damaged";
    QTest::newRow("16-bit palette")
        << WithIdat(PngHeaderData(16, 96, 16, 3, false), zlib) << "its header is damaged";
    QTest::newRow("another size") << WithIdat(PngHeaderData(17, 96, 8, 3, false), zlib)
                                  << "is 17 x 96 pixels; a sprite image must be 16 x 96";
    QTest::newRow("one row taller")
        << WithIdat(PngHeaderData(16, 97, 8, 3, false), zlib) << "is 16 x 97 pixels";
    // What PNG readers forgive with a warning is refused: the picture would be a guess.
    const QByteArray rgba = PngHeaderData(16, 96, 8, 6, false);
    const QByteArray rgbaPixels = qCompress(QByteArray(96 * 65, '\0')).mid(4);
    QTest::newRow("a tRNS chunk beside an alpha channel") << PngSignature() + PngChunk("IHDR", rgba)
            + PngChunk("tRNS", QByteArray(6, '\0')) + PngChunk("IDAT", rgbaPixels)
            + PngChunk("IEND", {}) << "its tRNS chunk is damaged (invalid with alpha channel)";
    QTest::newRow("a tRNS chunk after the pixel data")
        << good.left(good.size() - 12) + PngChunk("tRNS", "\x10") + PngChunk("IEND", {})
        << "its tRNS chunk is out of place";
    QByteArray badTransparency = WithIdat(header, zlib, PngChunk("tRNS", "\x10"));
    badTransparency[badTransparency.indexOf("tRNS") + 4] = '\x11';
    QTest::newRow("a tRNS chunk failing its checksum")
        << badTransparency << "its tRNS chunk is damaged (its checksum is wrong)";
}

void PngDecoderTest::refusals()
{
    QFETCH(QByteArray, png);
    QFETCH(QString, reason);
    const QString message = FailureOf(png);
    QVERIFY2(message.startsWith(QStringLiteral("\"x.png\" ")) && message.contains(reason),
        qPrintable(message));
}

QTEST_GUILESS_MAIN(PngDecoderTest)
#include "PngDecoderTest.moc"
