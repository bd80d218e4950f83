#include "sprite/TileCodec.h"
#include "sprite/SpriteBlock.h"
#include "sprite/TileBits.h"

#include <QtTest>

#include <string>

using namespace morvane;

namespace {

// The value of the pixel in `column` from the two bytes of a row, worked out bit by bit: plane 0
// gives the low bit, plane 1 the high bit, bit 7 is column 0.
int PixelOf(std::uint8_t plane0, std::uint8_t plane1, int column)
{
    const int shift = 7 - column;
    return ((plane0 >> shift) & 1) + 2 * ((plane1 >> shift) & 1);
}

// A block whose every byte is different from its neighbours, so a byte landing in the wrong
// place shows.
SpriteBlock PatternBlock()
{
    SpriteBlock block {};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return block;
}

} // namespace

class TileCodecTest : public QObject {
    Q_OBJECT

private slots:
    void byteToBits_data();
    void byteToBits();
    void bitsToByte_data();
    void bitsToByte();
    void everyByteSurvivesTheBitText();
    void shadeCodes_data();
    void shadeCodes();
    void decodeRow_data();
    void decodeRow();
    void everyRowSurvivesDecodeAndEncode();
    void unpackFillsEntriesByRowAndColumn();
    void paintPixel_data();
    void paintPixel();
};

void TileCodecTest::byteToBits_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("bits");

    QTest::newRow("0") << 0 << "00000000";
    QTest::newRow("1") << 1 << "00000001";
    QTest::newRow("5") << 5 << "00000101";
    QTest::newRow("0x3C") << 0x3C << "00111100";
    QTest::newRow("128") << 128 << "10000000";
    QTest::newRow("255") << 255 << "11111111";
}

void TileCodecTest::byteToBits()
{
    QFETCH(int, value);
    QFETCH(QString, bits);

    QCOMPARE(QString::fromStdString(ByteToBits(static_cast<std::uint8_t>(value))), bits);
}

void TileCodecTest::bitsToByte_data()
{
    QTest::addColumn<QString>("bits");
    QTest::addColumn<int>("value");

    QTest::newRow("full 5") << "00000101" << 5;
    QTest::newRow("short 5") << "101" << 5;
    QTest::newRow("single 1") << "1" << 1;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("leftmost") << "10000000" << 128;
    QTest::newRow("all ones") << "11111111" << 255;
    QTest::newRow("ninth character ignored") << "111111110" << 255;
    QTest::newRow("only first eight read") << "0000000011111111" << 0;
}

void TileCodecTest::bitsToByte()
{
    QFETCH(QString, bits);
    QFETCH(int, value);

    QCOMPARE(int(BitsToByte(bits.toStdString())), value);
}

void TileCodecTest::everyByteSurvivesTheBitText()
{
    for (int value = 0; value < 256; ++value) {
        const std::string bits = ByteToBits(static_cast<std::uint8_t>(value));
        QCOMPARE(bits.size(), std::size_t(8));
        for (int position = 0; position < 8; ++position)
            QCOMPARE(bits[static_cast<std::size_t>(position)],
                ((value >> (7 - position)) & 1) ? '1' : '0');
        QCOMPARE(int(BitsToByte(bits)), value);
    }
}

void TileCodecTest::shadeCodes_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("code");

    // The plane-0 bit comes first, so 1 and 2 read the opposite way to binary.
    QTest::newRow("0") << 0 << "00";
    QTest::newRow("1") << 1 << "10";
    QTest::newRow("2") << 2 << "01";
    QTest::newRow("3") << 3 << "11";
}

void TileCodecTest::shadeCodes()
{
    QFETCH(int, value);
    QFETCH(QString, code);

    QCOMPARE(QString::fromLatin1(ShadeCode(value).data(), 2), code);
    QCOMPARE(ShadeValue(code.toStdString()), value);
}

void TileCodecTest::decodeRow_data()
{
    QTest::addColumn<int>("plane0");
    QTest::addColumn<int>("plane1");
    QTest::addColumn<QString>("values");

    QTest::newRow("worked example") << 0x3C << 0x7E << "02333320";
    QTest::newRow("plane 0 only is colour 1") << 0xFF << 0x00 << "11111111";
    QTest::newRow("plane 1 only is colour 2") << 0x00 << 0xFF << "22222222";
    QTest::newRow("bit 7 is the leftmost pixel") << 0x80 << 0x00 << "10000000";
    QTest::newRow("bit 0 is the rightmost pixel") << 0x00 << 0x01 << "00000002";
    QTest::newRow("blank") << 0x00 << 0x00 << "00000000";
}

void TileCodecTest::decodeRow()
{
    QFETCH(int, plane0);
    QFETCH(int, plane1);
    QFETCH(QString, values);

    const auto lo = static_cast<std::uint8_t>(plane0);
    const auto hi = static_cast<std::uint8_t>(plane1);
    const auto decoded = DecodeRow(lo, hi);
    QString text;
    for (const auto v : decoded)
        text += QChar(u'0' + v);
    QCOMPARE(text, values);
    QCOMPARE(EncodeRow(decoded), std::make_pair(lo, hi));
}

void TileCodecTest::everyRowSurvivesDecodeAndEncode()
{
    // Decoding is a one-to-one map of the 65536 byte pairs, so checking it against the bit rule
    // and the way back for every pair covers encoding of every row as well.
    for (int lo = 0; lo < 256; ++lo) {
        for (int hi = 0; hi < 256; ++hi) {
            const auto plane0 = static_cast<std::uint8_t>(lo);
            const auto plane1 = static_cast<std::uint8_t>(hi);
            const auto values = DecodeRow(plane0, plane1);
            for (int column = 0; column < 8; ++column) {
                if (values[static_cast<std::size_t>(column)] != PixelOf(plane0, plane1, column))
                    QFAIL(qPrintable(QStringLiteral("row %1/%2 column %3 decoded wrongly")
                                         .arg(lo)
                                         .arg(hi)
                                         .arg(column)));
            }
            if (EncodeRow(values) != std::make_pair(plane0, plane1))
                QFAIL(qPrintable(QStringLiteral("row %1/%2 encoded wrongly").arg(lo).arg(hi)));
        }
    }
}

void TileCodecTest::unpackFillsEntriesByRowAndColumn()
{
    SpriteBlock block = PatternBlock();
    const int tile = 13;
    const int row = 3;
    block[16 * tile + 2 * row] = 0x3C;
    block[16 * tile + 2 * row + 1] = 0x7E;

    BitTable plane0 {};
    BitTable plane1 {};
    UnpackTileBits(block, tile, plane0, plane1);

    const int expected[8] = {0, 2, 3, 3, 3, 3, 2, 0};
    for (int column = 0; column < 8; ++column) {
        const std::size_t entry = static_cast<std::size_t>(8 * row + column + 1);
        QCOMPARE(plane0[entry] + 2 * plane1[entry], expected[column]);
    }
    for (int r = 0; r < 8; ++r) {
        const std::uint8_t lo = block[static_cast<std::size_t>(16 * tile + 2 * r)];
        const std::uint8_t hi = block[static_cast<std::size_t>(16 * tile + 2 * r + 1)];
        for (int c = 0; c < 8; ++c) {
            const std::size_t entry = static_cast<std::size_t>(8 * r + c + 1);
            QCOMPARE(plane0[entry] + 2 * plane1[entry], PixelOf(lo, hi, c));
        }
    }
}

void TileCodecTest::paintPixel_data()
{
    QTest::addColumn<int>("tile");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("before0");
    QTest::addColumn<int>("before1");
    QTest::addColumn<int>("after0");
    QTest::addColumn<int>("after1");

    QTest::newRow("11 top-left of a blank row")
        << 0 << 0 << 0 << "11" << 0x00 << 0x00 << 0x80 << 0x80;
    QTest::newRow("10 bottom-right of a blank row")
        << 0 << 7 << 7 << "10" << 0x00 << 0x00 << 0x01 << 0x00;
    QTest::newRow("01 at column 2 of a full row")
        << 5 << 2 << 4 << "01" << 0xFF << 0xFF << 0xDF << 0xFF;
    QTest::newRow("00 clears both planes") << 23 << 6 << 1 << "00" << 0xFF << 0xFF << 0xFD << 0xFD;
    QTest::newRow("same colour changes nothing")
        << 9 << 3 << 5 << "10" << 0x10 << 0x00 << 0x10 << 0x00;
}

void TileCodecTest::paintPixel()
{
    QFETCH(int, tile);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, code);
    QFETCH(int, before0);
    QFETCH(int, before1);
    QFETCH(int, after0);
    QFETCH(int, after1);

    SpriteBlock block = PatternBlock();
    const std::size_t at = static_cast<std::size_t>(16 * tile + 2 * row);
    block[at] = static_cast<std::uint8_t>(before0);
    block[at + 1] = static_cast<std::uint8_t>(before1);

    BitTable plane0 {};
    BitTable plane1 {};
    UnpackTileBits(block, tile, plane0, plane1);
    SetPixelBits(plane0, plane1, column, row, ShadeValue(code.toStdString()));
    SpriteBlock expected = block;
    RepackTileRow(block, tile, row, plane0, plane1);

    expected[at] = static_cast<std::uint8_t>(after0);
    expected[at + 1] = static_cast<std::uint8_t>(after1);
    for (std::size_t i = 0; i < block.size(); ++i)
        QVERIFY2(block[i] == expected[i], qPrintable(QStringLiteral("byte %1").arg(i)));
}

QTEST_GUILESS_MAIN(TileCodecTest)
#include "TileCodecTest.moc"
