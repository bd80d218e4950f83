#include "sprite/TileCodec.h"
#include "sprite/TileBits.h"

#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

struct BitText {
    const char* name;
    int value;
    const char* bits;
};

struct Row {
    const char* name;
    std::uint8_t plane0, plane1;
    const char* values;
};

struct Paint {
    const char* name;
    int tile, column, row;
    const char* code;
    std::uint8_t before0, before1, after0, after1;
};

} // namespace

class TileCodecTest : public QObject {
    Q_OBJECT

private slots:
    void byteToBits_data()
    {
        AddRows<BitText>({{"0", 0, "00000000"}, {"1", 1, "00000001"}, {"5", 5, "00000101"},
            {"0x3C", 0x3C, "00111100"}, {"128", 128, "10000000"}, {"255", 255, "11111111"}});
    }
    void byteToBits()
    {
        const auto& row = CurrentRow<BitText>();
        QCOMPARE(ByteToBits(static_cast<std::uint8_t>(row.value)), std::string(row.bits));
    }

    void bitsToByte_data()
    {
        AddRows<BitText>({{"full 5", 5, "00000101"}, {"short 5", 5, "101"}, {"single 1", 1, "1"},
            {"empty", 0, ""}, {"leftmost", 128, "10000000"}, {"all ones", 255, "11111111"},
            {"ninth character ignored", 255, "111111110"},
            {"only first eight read", 0, "0000000011111111"}});
    }
    void bitsToByte()
    {
        const auto& row = CurrentRow<BitText>();
        QCOMPARE(int(BitsToByte(row.bits)), row.value);
    }

    void everyByteSurvivesTheBitText()
    {
        for (int value = 0; value < 256; ++value) {
            const std::string bits = ByteToBits(static_cast<std::uint8_t>(value));
            QCOMPARE(
                QString::fromStdString(bits), QString::number(value, 2).rightJustified(8, u'0'));
            QCOMPARE(int(BitsToByte(bits)), value);
        }
    }

    // The plane-0 bit comes first, so 1 and 2 read the opposite way to binary.
    void shadeCodes_data()
    {
        AddRows<BitText>({{"0", 0, "00"}, {"1", 1, "10"}, {"2", 2, "01"}, {"3", 3, "11"}});
    }
    void shadeCodes()
    {
        const auto& row = CurrentRow<BitText>();
        QCOMPARE(std::string(ShadeCode(row.value).data(), 2), std::string(row.bits));
        QCOMPARE(ShadeValue(row.bits), row.value);
    }

    void decodeRow_data()
    {
        AddRows<Row>({{"worked example", 0x3C, 0x7E, "02333320"},
            {"plane 0 only is colour 1", 0xFF, 0x00, "11111111"},
            {"plane 1 only is colour 2", 0x00, 0xFF, "22222222"},
            {"bit 7 is the leftmost pixel", 0x80, 0x00, "10000000"},
            {"bit 0 is the rightmost pixel", 0x00, 0x01, "00000002"},
            {"blank", 0x00, 0x00, "00000000"}});
    }
    void decodeRow()
    {
        const auto& row = CurrentRow<Row>();
        const auto decoded = DecodeRow(row.plane0, row.plane1);
        std::string text(8, '0');
        std::ranges::transform(decoded, text.begin(), [](int value) { return char('0' + value); });
        QCOMPARE(text, std::string(row.values));
        QCOMPARE(EncodeRow(decoded), std::make_pair(row.plane0, row.plane1));
    }

    void everyRowSurvivesDecodeAndEncode()
    {
        // Decoding is a one-to-one map of the 65536 byte pairs, so checking it against the bit
        // rule and the way back for every pair covers encoding of every row as well.
        for (int pair = 0; pair < 0x10000; ++pair) {
            const auto plane0 = std::uint8_t(pair >> 8), plane1 = std::uint8_t(pair);
            const auto values = DecodeRow(plane0, plane1);
            const QByteArray row = QByteArray(1, char(plane0)) + char(plane1);
            for (int column = 0; column < 8; ++column)
                if (values[std::size_t(column)] != PixelValue(row, column, 0))
                    QFAIL(qPrintable(QString::asprintf(
                        "row %d/%d column %d decoded wrongly", plane0, plane1, column)));
            if (EncodeRow(values) != std::make_pair(plane0, plane1))
                QFAIL(qPrintable(QString::asprintf("row %d/%d encoded wrongly", plane0, plane1)));
        }
    }

    void unpackFillsEntriesByRowAndColumn()
    {
        SpriteBlock block {};
        std::ranges::copy(RomFixture::Pattern(kSpriteBlockBytes), block.begin());
        const int tile = 13;
        block[16 * tile + 2 * 3] = 0x3C;
        block[16 * tile + 2 * 3 + 1] = 0x7E;

        BitTable plane0 {}, plane1 {};
        UnpackTileBits(block, tile, plane0, plane1);

        // Every row matches the bit rule, entry 1 first; row 3 is the worked example.
        const QByteArray bytes = Bytes(block).mid(kTileBytes * tile, kTileBytes);
        QString unpacked, expected;
        for (std::size_t entry = 1; entry <= 64; ++entry) {
            unpacked += QString::number(plane0[entry] + 2 * plane1[entry]);
            expected += QString::number(PixelValue(bytes, int(entry - 1) % 8, int(entry - 1) / 8));
        }
        QCOMPARE(unpacked, expected);
        QCOMPARE(unpacked.mid(24, 8), QStringLiteral("02333320"));
    }

    void paintPixel_data()
    {
        AddRows<Paint>({{"11 top-left of a blank row", 0, 0, 0, "11", 0x00, 0x00, 0x80, 0x80},
            {"10 bottom-right of a blank row", 0, 7, 7, "10", 0x00, 0x00, 0x01, 0x00},
            {"01 at column 2 of a full row", 5, 2, 4, "01", 0xFF, 0xFF, 0xDF, 0xFF},
            {"00 clears both planes", 23, 6, 1, "00", 0xFF, 0xFF, 0xFD, 0xFD},
            {"same colour changes nothing", 9, 3, 5, "10", 0x10, 0x00, 0x10, 0x00}});
    }
    void paintPixel()
    {
        const auto& p = CurrentRow<Paint>();
        SpriteBlock block {};
        std::ranges::copy(RomFixture::Pattern(kSpriteBlockBytes), block.begin());
        const auto at = std::size_t(16 * p.tile + 2 * p.row);
        block[at] = p.before0;
        block[at + 1] = p.before1;

        BitTable plane0 {}, plane1 {};
        UnpackTileBits(block, p.tile, plane0, plane1);
        SetPixelBits(plane0, plane1, p.column, p.row, ShadeValue(p.code));
        SpriteBlock expected = block;
        RepackTileRow(block, p.tile, p.row, plane0, plane1);

        expected[at] = p.after0;
        expected[at + 1] = p.after1;
        QCOMPARE(Bytes(block), Bytes(expected));
    }
};

QTEST_GUILESS_MAIN(TileCodecTest)
#include "TileCodecTest.moc"
