#include "patch/BpsNumber.h"
#include "patch/PatchError.h"

#include "PatchImages.h"

#include <QtTest>

using namespace morvane;
using morvane::test::Bytes;
using morvane::test::ToQt;

class BpsNumberTest : public QObject {
    Q_OBJECT

private slots:
    void encoding_data();
    void encoding();
    void refusals_data();
    void refusals();
};

void BpsNumberTest::encoding_data()
{
    QTest::addColumn<quint64>("value");
    QTest::addColumn<QByteArray>("bytes");

    // Worked out by hand from the read rule: each group after the first adds one more step of
    // its weight, so the two-byte numbers start at 128 and the three-byte ones at 16512.
    QTest::newRow("0") << quint64(0) << QByteArray::fromHex("80");
    QTest::newRow("1") << quint64(1) << QByteArray::fromHex("81");
    QTest::newRow("127") << quint64(127) << QByteArray::fromHex("ff");
    QTest::newRow("128") << quint64(128) << QByteArray::fromHex("0080");
    QTest::newRow("129") << quint64(129) << QByteArray::fromHex("0180");
    QTest::newRow("255") << quint64(255) << QByteArray::fromHex("7f80");
    QTest::newRow("256") << quint64(256) << QByteArray::fromHex("0081");
    QTest::newRow("16511") << quint64(16511) << QByteArray::fromHex("7fff");
    QTest::newRow("16512") << quint64(16512) << QByteArray::fromHex("000080");
    QTest::newRow("1 MiB") << quint64(1 << 20) << QByteArray::fromHex("007fbe");
    // Every group after the first adds its weight once: 2^7 + 2^14 + ... + 2^49.
    QTest::newRow("smallest of eight groups")
        << quint64(0x2040810204080) << QByteArray::fromHex("0000000000000080");
}

void BpsNumberTest::encoding()
{
    QFETCH(quint64, value);
    QFETCH(QByteArray, bytes);

    std::vector<std::uint8_t> written;
    AppendBpsNumber(written, value);
    QCOMPARE(ToQt(written), bytes);

    // Read back with a byte after it: the reader must stop at the marked group.
    const QByteArray followed = bytes + QByteArray::fromHex("55");
    std::size_t at = 0;
    QCOMPARE(ReadBpsNumber(Bytes(followed), at), value);
    QCOMPARE(at, std::size_t(bytes.size()));
}

void BpsNumberTest::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    QTest::newRow("nothing") << QByteArray() << "ends in the middle of a number";
    QTest::newRow("unfinished") << QByteArray::fromHex("0001") << "ends in the middle of a number";
    QTest::newRow("nine groups") << QByteArray(8, 0) + QByteArray::fromHex("80") << "too large";
}

void BpsNumberTest::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);

    // Exactly the bytes, with nothing after them a read past the end could land on.
    const std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
    std::size_t at = 0;
    try {
        ReadBpsNumber(exact, at);
        QFAIL("the number was read");
    } catch (const PatchError& error) {
        QVERIFY2(QString(error.what()).contains(message), error.what());
    }
}

QTEST_APPLESS_MAIN(BpsNumberTest)
#include "BpsNumberTest.moc"
