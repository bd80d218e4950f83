#include "sprite/RomHeader.h"

#include "RowTable.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

struct Title {
    const char* name;
    QByteArray bytes; // written from the title's offset into zeros
    const char* title;
};

struct Sums {
    const char* name;
    int size;
    std::uint8_t fill;
    QByteArray stored; // bytes 0x14D..0x14F
    int headerSum, globalSum;
};

struct Short {
    const char* name;
    int size; // of an image of 'A's
    const char* title;
    bool hasHeaderSum;
    int globalSum;
};

} // namespace

class RomHeaderTest : public QObject {
    Q_OBJECT

private slots:
    void title_data()
    {
        // Printable runs from space to tilde; the bytes just outside it show as '?'. The byte
        // after the sixteen title bytes belongs to the next field.
        AddRows<Title>({{"ends at NUL", QByteArray("TITLE\0XYZ", 9), "TITLE"},
            {"unprintable bytes", QByteArray("A\x1f B~\x7f") + "C\xe9", "A? B~?C?"},
            {"all sixteen", "0123456789ABCDEFZ", "0123456789ABCDEF"}, {"empty", {}, ""}});
    }
    void title()
    {
        const auto& row = CurrentRow<Title>();
        std::vector<std::uint8_t> image(kRomHeaderEnd, 0);
        std::copy(row.bytes.begin(), row.bytes.end(), image.begin() + kRomTitleOffset);
        const auto header = ReadRomHeader(image);
        QVERIFY(header.has_value());
        QCOMPARE(header->title, std::string(row.title));
    }

    void checksums_data()
    {
        // Worked out by hand. Zeros: the header sum is 25 times "minus one", 0 - 25 = 0xE7 in 8
        // bits; the global sum counts the stored header byte but never the two global bytes.
        // 0xFF: every step subtracts 0x100, so the header sum stays 0; the 65534 counted bytes
        // of 0xFF sum to -2 x 0xFF = 0xFE02 in 16 bits.
        AddRows<Sums>({{"zeros", kRomHeaderEnd, 0, QByteArray::fromHex("e7ffff"), 0xE7, 0xE7},
            {"zeros, nothing stored", kRomHeaderEnd, 0, QByteArray(3, 0), 0xE7, 0},
            {"0xFF, 64 KiB", 0x10000, 0xFF, QByteArray::fromHex("fffe02"), 0x00, 0xFE02}});
    }
    void checksums()
    {
        const auto& row = CurrentRow<Sums>();
        std::vector<std::uint8_t> image(std::size_t(row.size), row.fill);
        std::copy(row.stored.begin(), row.stored.end(), image.begin() + kRomHeaderChecksumOffset);

        const auto header = ReadRomHeader(image);
        QVERIFY(header.has_value());
        const auto stored = [&](int i) { return int(std::uint8_t(row.stored[i])); };
        QCOMPARE(int(header->computedHeaderChecksum), row.headerSum);
        QCOMPARE(int(header->computedGlobalChecksum), row.globalSum);
        QCOMPARE(int(header->storedHeaderChecksum), stored(0));
        QCOMPARE(int(header->storedGlobalChecksum), stored(1) << 8 | stored(2));
        QCOMPARE(header->HeaderChecksumMatches(), header->storedHeaderChecksum == row.headerSum);
        QCOMPARE(header->GlobalChecksumMatches(), header->storedGlobalChecksum == row.globalSum);
    }

    // An image that ends inside the header has no header to report, and reading it touches no
    // byte past its end. At 0x14F bytes the one at 0x14E is a global checksum byte, left out.
    void shortImages_data()
    {
        AddRows<Short>({{"empty", 0, "", false, 0},
            {"inside the title", 0x13A, "AAAAAA", false, 0x4FBA},
            {"before the header sum", kRomHeaderChecksumOffset, "AAAAAAAAAAAAAAAA", false, 0x548D},
            {"one byte short", kRomHeaderEnd - 1, "AAAAAAAAAAAAAAAA", true, 0x54CE}});
    }
    void shortImages()
    {
        const auto& row = CurrentRow<Short>();
        const std::vector<std::uint8_t> image(std::size_t(row.size), 'A');
        QVERIFY(!ReadRomHeader(image).has_value());
        QCOMPARE(RomTitle(image), std::string(row.title));
        QCOMPARE(ComputeHeaderChecksum(image).has_value(), row.hasHeaderSum);
        QCOMPARE(int(ComputeGlobalChecksum(image)), row.globalSum);
    }
};

QTEST_APPLESS_MAIN(RomHeaderTest)
#include "RomHeaderTest.moc"
