#include "patch/IpsPatch.h"
#include "patch/BpsPatch.h"
#include "patch/PatchError.h"
#include "patch/PatchFormat.h"

#include "PatchImages.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

// The offset whose three bytes read as "EOF".
constexpr qsizetype kEofOffset = 0x454F46;

QString RefusalOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const PatchError& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

// A small patch with a literal record, a run record and a record that grows the image.
const QByteArray kSmallPatch = QByteArray("PATCH") + QByteArray::fromHex("0000020003") + "XYZ"
    + QByteArray::fromHex("000001000000042a") + QByteArray::fromHex("00000a0002") + "QR" + "EOF";

} // namespace

class IpsPatchTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void makeRefusals();
    void checkRefusesWhatDoesNotRebuild_data();
    void checkRefusesWhatDoesNotRebuild();
    void applyHandWritten_data();
    void applyHandWritten();
    void applyRefusals_data();
    void applyRefusals();
    void everyTruncationIsRefused();
};

void IpsPatchTest::roundTrip_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QByteArray>("edited");
    QTest::addColumn<int>("largestPatch");

    const QByteArray image = PatternImage(kMiB);
    // Header, three literal records of 5 + 384 bytes, footer.
    QTest::newRow("three sprite blocks")
        << image << Changed(image, kThreeBlocks, 384) << 5 + 3 * (5 + 384) + 3;
    QTest::newRow("identical") << image << image << 8;
    QTest::newRow("first and last byte") << image << Changed(image, {0, kMiB - 1}, 1) << 20;
    // Gaps shorter than a record header ride along in one record.
    QTest::newRow("close changes")
        << image << Changed(image, {0x200, 0x202, 0x206}, 1) << 5 + 5 + 7 + 3;
    QTest::newRow("changes longer than a record")
        << image << Changed(image, {0x1000}, 0x18000) << 5 + 2 * 5 + 0x18000 + 3;
    QTest::newRow("a long fill as run records")
        << image << Changed(image, {0x1000}, 0x18000, 0xFF) << 5 + 2 * 8 + 3;
    // Literal, run of zeros, literal: 5 + 16, 8, 5 + 28.
    QTest::newRow("a short fill inside changes")
        << image << Changed(Changed(image, {0x400}, 64), {0x410}, 20, 0) << 5 + 21 + 8 + 33 + 3;

    // Changes before and after the one at the EOF offset must survive its move.
    const QByteArray large = PatternImage(5 * kMiB);
    const QByteArray around = Changed(large, {0x100, 5 * kMiB - 1}, 1);
    const int others = 2 * (5 + 1);
    QTest::newRow("a change at the EOF offset")
        << large << Changed(around, {kEofOffset}, 3) << 5 + others + 5 + 4 + 3;
    QTest::newRow("a fill at the EOF offset")
        << large << Changed(around, {kEofOffset}, 40, 0x11) << 5 + others + 7 + 8 + 3;
    QTest::newRow("a split landing on the EOF offset")
        << large << Changed(around, {kEofOffset - 0xFFFF}, 0x10010)
        << 5 + others + 5 + 0xFFFF + 5 + 0x12 + 3;
    QTest::newRow("a longest record at the EOF offset")
        << large << Changed(around, {kEofOffset}, 0x10000)
        << 5 + others + 7 + 5 + 0xFFFE + 5 + 1 + 3;
    // A longest run, then a run of one byte at the EOF offset, which has nothing left to give.
    QTest::newRow("a fill split onto the EOF offset")
        << large << Changed(around, {kEofOffset - 0xFFFF}, 0x10000, 0x11) << 5 + others + 8 + 7 + 3;
    // The byte that breaks a repeat must not be swallowed by the run record after it.
    QTest::newRow("nearly a fill")
        << image << QByteArray(image).replace(0x2000, 16, QByteArray("\x11\x22").append(14, 0x11))
        << 5 + 7 + 8 + 3;

    // Images of other lengths: records for every new byte, or the length to cut to after EOF.
    QTest::newRow("grown by zeros") << image << image + QByteArray(0x20000, '\0') << 5 + 3 * 8 + 3;
    QTest::newRow("grown by new bytes")
        << image.first(1000) << Changed(PatternImage(3000), {500}, 1) << 5 + 5 + 1 + 5 + 2000 + 3;
    QTest::newRow("grown from nothing") << QByteArray() << image.first(300) << 5 + 5 + 300 + 3;
    QTest::newRow("shortened") << image << Changed(image.first(kMiB / 2), {0x143F0}, 384)
                               << 5 + 5 + 384 + 3 + 3;
    QTest::newRow("shortened to nothing") << image << QByteArray() << 5 + 3 + 3;
}

// Applying the patch to the original must give the edited image byte for byte, and the patch
// must not be larger than the records the change needs.
void IpsPatchTest::roundTrip()
{
    QFETCH(QByteArray, original);
    QFETCH(QByteArray, edited);
    QFETCH(int, largestPatch);

    const std::vector<std::uint8_t> patch = MakeIpsPatch(Bytes(original), Bytes(edited));
    QVERIFY2(qsizetype(patch.size()) <= largestPatch, QByteArray::number(qsizetype(patch.size())));
    QCOMPARE(ToQt(ApplyIpsPatch(Bytes(original), patch)), edited);

    // Patchers that grow an image need not fill it with zeros: every new byte must come from a
    // record, so bytes already standing there are overwritten too.
    if (edited.size() > original.size()) {
        const QByteArray standing = original
            + Changed(edited.sliced(original.size()), {0}, edited.size() - original.size());
        QCOMPARE(ToQt(ApplyIpsPatch(Bytes(standing), patch)), edited);
    }
}

void IpsPatchTest::makeRefusals()
{
    // Past 16 MiB only a change beyond the last offset a record can name is refused, and a cut
    // to a length the three bytes after EOF cannot hold.
    const QByteArray huge = PatternImage(17 * kMiB);
    const QByteArray below = Changed(huge, {0xFFFFFF}, 2);
    QCOMPARE(ToQt(ApplyIpsPatch(Bytes(huge), MakeIpsPatch(Bytes(huge), Bytes(below)))), below);
    QVERIFY(RefusalOf([&] {
        MakeIpsPatch(Bytes(huge), Bytes(Changed(huge, {0x1000000}, 1)));
    }).contains("past 16 MiB, and the images differ at offset 0x1000000"));
    const QByteArray cut = huge.first(0xFFFFFF);
    QCOMPARE(ToQt(ApplyIpsPatch(Bytes(huge), MakeIpsPatch(Bytes(huge), Bytes(cut)))), cut);
    QVERIFY(RefusalOf([&] {
        MakeIpsPatch(Bytes(huge), Bytes(huge.first(0x1000000)));
    }).contains("only to less than 16 MiB, and the edited image has 16777216 bytes"));
}

void IpsPatchTest::checkRefusesWhatDoesNotRebuild_data()
{
    QTest::addColumn<bool>("ips");
    QTest::addColumn<QByteArray>("patch");
    QTest::addColumn<QString>("message");

    const QByteArray other("abcdefgX");
    QTest::newRow("another result")
        << true << QByteArray("PATCH") + QByteArray::fromHex("0000020001") + "XEOF"
        << "the result differs at byte 2";
    QTest::newRow("another length")
        << true << QByteArray("PATCHEOF") + QByteArray::fromHex("000004")
        << "it builds 4 bytes instead of 8";
    QTest::newRow("refused by apply")
        << true << QByteArray("PATCH") + QByteArray::fromHex("0000000000000041") + "EOF"
        << "applying it fails: the patch is damaged: the run record at patch byte 5";
    QTest::newRow("for another image")
        << false << ToQt(MakeBpsPatch(Bytes(other), Bytes(QByteArray("abcdefgh"))))
        << "applying it fails: this patch was made for another image";
}

// A patch is handed out only once this program's own apply has rebuilt the edited image with it.
void IpsPatchTest::checkRefusesWhatDoesNotRebuild()
{
    QFETCH(bool, ips);
    QFETCH(QByteArray, patch);
    QFETCH(QString, message);

    const QByteArray image("abcdefgh");
    const QString refusal = RefusalOf([&] {
        CheckPatch(
            ips ? PatchFormat::Ips : PatchFormat::Bps, Bytes(image), Bytes(image), Bytes(patch));
    });
    QVERIFY2(refusal.contains("the patch made does not rebuild the edited image, so it was not "
                              "written")
            && refusal.contains(message),
        qPrintable(refusal));
}

void IpsPatchTest::applyHandWritten_data()
{
    QTest::addColumn<QByteArray>("patch");
    QTest::addColumn<QByteArray>("result");

    QTest::newRow("literal, run and growth") << kSmallPatch << QByteArray("a****fgh\0\0QR", 12);
    QTest::newRow("later records win") << QByteArray("PATCH") + QByteArray::fromHex("0000010003")
            + "123" + QByteArray::fromHex("0000020001")
            + "9EOF" << QByteArray("a193efgh");
    QTest::newRow("cut short after EOF")
        << QByteArray("PATCHEOF") + QByteArray::fromHex("000005") << QByteArray("abcde");
    QTest::newRow("nothing to do") << QByteArray("PATCHEOF") << QByteArray("abcdefgh");
    QTest::newRow("cut to its own length")
        << QByteArray("PATCHEOF") + QByteArray::fromHex("000008") << QByteArray("abcdefgh");
}

void IpsPatchTest::applyHandWritten()
{
    QFETCH(QByteArray, patch);
    QFETCH(QByteArray, result);

    QCOMPARE(ToQt(ApplyIpsPatch(Bytes(QByteArray("abcdefgh")), Bytes(patch))), result);
}

void IpsPatchTest::applyRefusals_data()
{
    QTest::addColumn<QByteArray>("patch");
    QTest::addColumn<QString>("message");

    QTest::newRow("not a patch") << QByteArray("PK\x03\x04 zip") << "not an IPS patch";
    QTest::newRow("only the header") << QByteArray("PATCH") << "without the \"EOF\"";
    QTest::newRow("a BPS patch") << QByteArray("BPS1\x88\x88\x80") << "not an IPS patch";
    QTest::newRow("empty run") << QByteArray("PATCH") + QByteArray::fromHex("0000000000000041")
            + "EOF"
                               << "repeats its byte zero times";
    QTest::newRow("stray bytes") << QByteArray("PATCHEOF\x00\x01", 10) << "2 stray bytes";
    QTest::newRow("cut longer than the image")
        << QByteArray("PATCHEOF") + QByteArray::fromHex("000009") << "longer than the patched";
}

void IpsPatchTest::applyRefusals()
{
    QFETCH(QByteArray, patch);
    QFETCH(QString, message);

    const QString refusal
        = RefusalOf([&] { ApplyIpsPatch(Bytes(QByteArray("abcdefgh")), Bytes(patch)); });
    QVERIFY2(refusal.contains(message), qPrintable(refusal));
}

// A patch cut off anywhere, even between two records, must be refused rather than half applied.
void IpsPatchTest::everyTruncationIsRefused()
{
    for (qsizetype length = 0; length < kSmallPatch.size(); ++length) {
        const QString refusal = RefusalOf([&] {
            ApplyIpsPatch(Bytes(QByteArray("abcdefgh")), Bytes(kSmallPatch.first(length)));
        });
        QVERIFY2(!refusal.isEmpty(), qPrintable(QString::number(length)));
    }
}

QTEST_APPLESS_MAIN(IpsPatchTest)
#include "IpsPatchTest.moc"
