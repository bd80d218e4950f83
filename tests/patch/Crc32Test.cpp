#include "patch/Crc32.h"

#include "PatchImages.h"

#include <QtTest>

using namespace morvane;
using morvane::test::Bytes;

class Crc32Test : public QObject {
    Q_OBJECT

private slots:
    void knownAnswers_data();
    void knownAnswers();
};

void Crc32Test::knownAnswers_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<uint>("crc");

    // The published check values of this CRC, not results of our own code.
    QTest::newRow("empty") << QByteArray() << 0x00000000u;
    QTest::newRow("a") << QByteArray("a") << 0xE8B7BE43u;
    QTest::newRow("check string") << QByteArray("123456789") << 0xCBF43926u;
    QTest::newRow("pangram") << QByteArray("The quick brown fox jumps over the lazy dog")
                             << 0x414FA339u;
}

// Also fed in two pieces at every cut, so the eight-byte steps meet the byte-at-a-time tail and
// the carried value at every alignment.
void Crc32Test::knownAnswers()
{
    QFETCH(QByteArray, data);
    QFETCH(uint, crc);

    QCOMPARE(Crc32(Bytes(data)), crc);
    for (qsizetype cut = 0; cut <= data.size(); ++cut) {
        const std::uint32_t head = Crc32(Bytes(data.first(cut)));
        QCOMPARE(Crc32(Bytes(data.sliced(cut)), head), crc);
    }
}

QTEST_APPLESS_MAIN(Crc32Test)
#include "Crc32Test.moc"
