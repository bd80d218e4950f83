#include "patch/BpsNumber.h"
#include "patch/PatchError.h"

#include "RowTable.h"
#include "TestData.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

struct Encoding {
    const char* name;
    quint64 value;
    QByteArray bytes;
};

struct Refusal {
    const char* name;
    QByteArray bytes;
    const char* message;
};

} // namespace

class BpsNumberTest : public QObject {
    Q_OBJECT

private slots:
    // Worked out by hand from the read rule: each group after the first adds one more step of
    // its weight, so the two-byte numbers start at 128 and the three-byte ones at 16512.
    void encoding_data()
    {
        const auto hex = [](const char* digits) { return QByteArray::fromHex(digits); };
        AddRows<Encoding>({{"0", 0, hex("80")}, {"1", 1, hex("81")}, {"127", 127, hex("ff")},
            {"128", 128, hex("0080")}, {"129", 129, hex("0180")}, {"255", 255, hex("7f80")},
            {"256", 256, hex("0081")}, {"16511", 16511, hex("7fff")},
            {"16512", 16512, hex("000080")}, {"1 MiB", 1 << 20, hex("007fbe")},
            // Every group after the first adds its weight once: 2^7 + 2^14 + ... + 2^49.
            {"smallest of eight groups", 0x2040810204080, hex("0000000000000080")}});
    }
    void encoding()
    {
        const auto& row = CurrentRow<Encoding>();
        std::vector<std::uint8_t> written;
        AppendBpsNumber(written, row.value);
        QCOMPARE(Bytes(written), row.bytes);

        // Read back with a byte after it: the reader must stop at the marked group.
        const QByteArray followed = row.bytes + QByteArray::fromHex("55");
        std::size_t at = 0;
        QCOMPARE(ReadBpsNumber(Span(followed), at), row.value);
        QCOMPARE(at, std::size_t(row.bytes.size()));
    }

    void refusals_data()
    {
        AddRows<Refusal>({{"nothing", {}, "ends in the middle of a number"},
            {"unfinished", QByteArray::fromHex("0001"), "ends in the middle of a number"},
            {"nine groups", QByteArray(8, 0) + QByteArray::fromHex("80"), "too large"}});
    }
    void refusals()
    {
        const auto& row = CurrentRow<Refusal>();
        // Exactly the bytes, with nothing after them a read past the end could land on.
        const std::vector<std::uint8_t> exact(row.bytes.begin(), row.bytes.end());
        std::size_t at = 0;
        const QString refusal = FailureOf<PatchError>([&] { ReadBpsNumber(exact, at); });
        QVERIFY2(refusal.contains(row.message), qPrintable(refusal));
    }
};

QTEST_APPLESS_MAIN(BpsNumberTest)
#include "BpsNumberTest.moc"
