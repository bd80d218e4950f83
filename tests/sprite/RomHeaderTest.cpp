#include "sprite/RomHeader.h"

#include <QtTest>

#include <vector>

using namespace morvane;

namespace {

// A header-sized image of zeros with `bytes` written from `offset` on.
std::vector<std::uint8_t> Image(std::size_t size, std::size_t offset, const QByteArray& bytes)
{
    std::vector<std::uint8_t> image(size, 0);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        image[offset + std::size_t(i)] = static_cast<std::uint8_t>(bytes[i]);
    return image;
}

} // namespace

class RomHeaderTest : public QObject {
    Q_OBJECT

private slots:
    void title_data();
    void title();
    void checksums_data();
    void checksums();
    void shortImages_data();
    void shortImages();
};

void RomHeaderTest::title_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("title");

    QTest::newRow("ends at NUL") << QByteArray("TITLE\0XYZ", 9) << "TITLE";
    // Printable runs from space to tilde; the bytes just outside it show as '?'.
    QTest::newRow("unprintable bytes") << QByteArray("A\x1f B~\x7f"
                                                     "C\xe9")
                                       << "A? B~?C?";
    // The byte after the sixteen title bytes belongs to the next field.
    QTest::newRow("all sixteen") << QByteArray("0123456789ABCDEFZ") << "0123456789ABCDEF";
    QTest::newRow("empty") << QByteArray() << "";
}

void RomHeaderTest::title()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, title);

    const auto header = ReadRomHeader(Image(kRomHeaderEnd, kRomTitleOffset, bytes));
    QVERIFY(header.has_value());
    QCOMPARE(QString::fromStdString(header->title), title);
}

void RomHeaderTest::checksums_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("fill");
    QTest::addColumn<QByteArray>("stored"); // bytes 0x14D..0x14F
    QTest::addColumn<int>("headerSum");
    QTest::addColumn<int>("globalSum");

    // Worked out by hand. Zeros: the header sum is 25 times "minus one", 0 - 25 = 0xE7 in 8 bits;
    // the global sum counts the stored header byte but never the two global bytes.
    QTest::newRow("zeros") << int(kRomHeaderEnd) << 0 << QByteArray::fromHex("e7ffff") << 0xE7
                           << 0xE7;
    QTest::newRow("zeros, nothing stored")
        << int(kRomHeaderEnd) << 0 << QByteArray(3, 0) << 0xE7 << 0;
    // 0xFF: every step subtracts 0x100, so the header sum stays 0; the 65534 counted bytes of
    // 0xFF sum to -2 x 0xFF = 0xFE02 in 16 bits.
    QTest::newRow("0xFF, 64 KiB") << 0x10000 << 0xFF << QByteArray::fromHex("fffe02") << 0x00
                                  << 0xFE02;
}

void RomHeaderTest::checksums()
{
    QFETCH(int, size);
    QFETCH(int, fill);
    QFETCH(QByteArray, stored);
    QFETCH(int, headerSum);
    QFETCH(int, globalSum);

    std::vector<std::uint8_t> image(
        static_cast<std::size_t>(size), static_cast<std::uint8_t>(fill));
    for (qsizetype i = 0; i < stored.size(); ++i)
        image[kRomHeaderChecksumOffset + std::size_t(i)] = std::uint8_t(stored[i]);

    const auto header = ReadRomHeader(image);
    QVERIFY(header.has_value());
    QCOMPARE(int(header->computedHeaderChecksum), headerSum);
    QCOMPARE(int(header->computedGlobalChecksum), globalSum);
    QCOMPARE(int(header->storedHeaderChecksum), int(std::uint8_t(stored[0])));
    QCOMPARE(int(header->storedGlobalChecksum),
        int(std::uint8_t(stored[1])) << 8 | int(std::uint8_t(stored[2])));
    QCOMPARE(header->HeaderChecksumMatches(), header->storedHeaderChecksum == headerSum);
    QCOMPARE(header->GlobalChecksumMatches(), header->storedGlobalChecksum == globalSum);
}

void RomHeaderTest::shortImages_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("hasHeaderSum");
    QTest::addColumn<int>("globalSum");

    // Images of 0x41 bytes. At 0x14F bytes the one at 0x14E is a global checksum byte, left out.
    const QString full(16, 'A');
    QTest::newRow("empty") << 0 << "" << false << 0;
    QTest::newRow("inside the title") << 0x13A << "AAAAAA" << false << 0x4FBA;
    QTest::newRow("before the header sum")
        << int(kRomHeaderChecksumOffset) << full << false << 0x548D;
    QTest::newRow("one byte short") << int(kRomHeaderEnd) - 1 << full << true << 0x54CE;
}

// An image that ends inside the header has no header to report, and reading it touches no byte
// past its end.
void RomHeaderTest::shortImages()
{
    QFETCH(int, size);
    QFETCH(QString, title);
    QFETCH(bool, hasHeaderSum);
    QFETCH(int, globalSum);

    const std::vector<std::uint8_t> image(std::size_t(size), 'A');
    QVERIFY(!ReadRomHeader(image).has_value());
    QCOMPARE(QString::fromStdString(RomTitle(image)), title);
    QCOMPARE(ComputeHeaderChecksum(image).has_value(), hasHeaderSum);
    QCOMPARE(int(ComputeGlobalChecksum(image)), globalSum);
}

QTEST_APPLESS_MAIN(RomHeaderTest)
#include "RomHeaderTest.moc"
