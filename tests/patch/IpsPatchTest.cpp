#include "patch/IpsPatch.h"
#include "patch/BpsPatch.h"
#include "patch/PatchError.h"
#include "patch/PatchFormat.h"

#include "PatchImages.h"
#include "RowTable.h"
#include "TestData.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

// The offset whose three bytes read as "EOF".
constexpr qsizetype kEofOffset = 0x454F46;

const QByteArray kImage("abcdefgh");

// A small patch with a literal record, a run record and a record that grows the image.
const QByteArray kSmallPatch = QByteArray("PATCH") + QByteArray::fromHex("0000020003") + "XYZ"
    + QByteArray::fromHex("000001000000042a") + QByteArray::fromHex("00000a0002") + "QR" + "EOF";

QString RefusalOf(const std::function<void()>& action)
{
    return FailureOf<PatchError>(action);
}

// The patch `records` (hex digits, then text) between the header and the footer.
QByteArray Patch(const char* hex, const QByteArray& text = {})
{
    return "PATCH" + QByteArray::fromHex(hex) + text + "EOF";
}

struct RoundTrip {
    const char* name;
    QByteArray original;
    QByteArray edited;
    int largestPatch;
};

struct Check {
    const char* name;
    PatchFormat format;
    QByteArray patch;
    const char* message;
};

struct Applied {
    const char* name;
    QByteArray patch;
    QByteArray result; // or a part of the refusal
};

} // namespace

class IpsPatchTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        const QByteArray image = PatternImage(kMiB);
        // Changes before and after the one at the EOF offset must survive its move.
        const QByteArray large = PatternImage(5 * kMiB);
        const QByteArray around = Changed(large, {0x100, 5 * kMiB - 1}, 1);
        const int others = 2 * (5 + 1);
        AddRows<RoundTrip>({
            // Header, three literal records of 5 + 384 bytes, footer.
            {"three sprite blocks", image, Changed(image, kThreeBlocks, 384),
                5 + 3 * (5 + 384) + 3},
            {"identical", image, image, 8},
            {"first and last byte", image, Changed(image, {0, kMiB - 1}, 1), 20},
            // Gaps shorter than a record header ride along in one record.
            {"close changes", image, Changed(image, {0x200, 0x202, 0x206}, 1), 5 + 5 + 7 + 3},
            {"changes longer than a record", image, Changed(image, {0x1000}, 0x18000),
                5 + 2 * 5 + 0x18000 + 3},
            {"a long fill as run records", image, Changed(image, {0x1000}, 0x18000, 0xFF),
                5 + 2 * 8 + 3},
            // Literal, run of zeros, literal: 5 + 16, 8, 5 + 28.
            {"a short fill inside changes", image,
                Changed(Changed(image, {0x400}, 64), {0x410}, 20, 0), 5 + 21 + 8 + 33 + 3},
            {"a change at the EOF offset", large, Changed(around, {kEofOffset}, 3),
                5 + others + 5 + 4 + 3},
            {"a fill at the EOF offset", large, Changed(around, {kEofOffset}, 40, 0x11),
                5 + others + 7 + 8 + 3},
            {"a split landing on the EOF offset", large,
                Changed(around, {kEofOffset - 0xFFFF}, 0x10010),
                5 + others + 5 + 0xFFFF + 5 + 0x12 + 3},
            {"a longest record at the EOF offset", large, Changed(around, {kEofOffset}, 0x10000),
                5 + others + 7 + 5 + 0xFFFE + 5 + 1 + 3},
            // A longest run, then a run of one byte at the EOF offset, which has nothing left to
            // give.
            {"a fill split onto the EOF offset", large,
                Changed(around, {kEofOffset - 0xFFFF}, 0x10000, 0x11), 5 + others + 8 + 7 + 3},
            // The byte that breaks a repeat must not be swallowed by the run record after it.
            {"nearly a fill", image,
                QByteArray(image).replace(0x2000, 16, QByteArray("\x11\x22").append(14, 0x11)),
                5 + 7 + 8 + 3},
            // Images of other lengths: records for every new byte, or the length to cut to after
            // EOF.
            {"grown by zeros", image, image + QByteArray(0x20000, '\0'), 5 + 3 * 8 + 3},
            {"grown by new bytes", image.first(1000), Changed(PatternImage(3000), {500}, 1),
                5 + 5 + 1 + 5 + 2000 + 3},
            {"grown from nothing", {}, image.first(300), 5 + 5 + 300 + 3},
            {"shortened", image, Changed(image.first(kMiB / 2), {0x143F0}, 384),
                5 + 5 + 384 + 3 + 3},
            {"shortened to nothing", image, {}, 5 + 3 + 3},
        });
    }
    // Applying the patch to the original must give the edited image byte for byte, and the
    // patch must not be larger than the records the change needs.
    void roundTrip()
    {
        const auto& [name, original, edited, largestPatch] = CurrentRow<RoundTrip>();
        const std::vector<std::uint8_t> patch = MakeIpsPatch(Span(original), Span(edited));
        QVERIFY2(
            qsizetype(patch.size()) <= largestPatch, QByteArray::number(qsizetype(patch.size())));
        QCOMPARE(Bytes(ApplyIpsPatch(Span(original), patch)), edited);

        // Patchers that grow an image need not fill it with zeros: every new byte must come from
        // a record, so bytes already standing there are overwritten too.
        if (edited.size() > original.size()) {
            const QByteArray standing = original
                + Changed(edited.sliced(original.size()), {0}, edited.size() - original.size());
            QCOMPARE(Bytes(ApplyIpsPatch(Span(standing), patch)), edited);
        }
    }

    void makeRefusals()
    {
        // Past 16 MiB only a change beyond the last offset a record can name is refused, and a
        // cut to a length the three bytes after EOF cannot hold.
        const QByteArray huge = PatternImage(17 * kMiB);
        const auto roundTrip = [&](const QByteArray& edited) {
            return Bytes(ApplyIpsPatch(Span(huge), MakeIpsPatch(Span(huge), Span(edited))));
        };
        const QByteArray below = Changed(huge, {0xFFFFFF}, 2);
        QCOMPARE(roundTrip(below), below);
        QVERIFY(RefusalOf([&] {
            roundTrip(Changed(huge, {0x1000000}, 1));
        }).contains("past 16 MiB, and the images differ at offset 0x1000000"));
        const QByteArray cut = huge.first(0xFFFFFF);
        QCOMPARE(roundTrip(cut), cut);
        QVERIFY(RefusalOf([&] {
            roundTrip(huge.first(0x1000000));
        }).contains("only to less than 16 MiB, and the edited image has 16777216 bytes"));
    }

    void checkRefusesWhatDoesNotRebuild_data()
    {
        AddRows<Check>({{"another result", PatchFormat::Ips, Patch("0000020001", "X"),
                            "the result differs at byte 2"},
            {"another length", PatchFormat::Ips, "PATCHEOF" + QByteArray::fromHex("000004"),
                "it builds 4 bytes instead of 8"},
            {"refused by apply", PatchFormat::Ips, Patch("0000000000000041"),
                "applying it fails: the patch is damaged: the run record at patch byte 5"},
            {"for another image", PatchFormat::Bps,
                Bytes(MakeBpsPatch(Span("abcdefgX"), Span(kImage))),
                "applying it fails: this patch was made for another image"}});
    }
    // A patch is handed out only once this program's own apply has rebuilt the edited image with
    // it.
    void checkRefusesWhatDoesNotRebuild()
    {
        const auto& row = CurrentRow<Check>();
        const QString refusal = RefusalOf(
            [&] { CheckPatch(row.format, Span(kImage), Span(kImage), Span(row.patch)); });
        QVERIFY2(refusal.contains("the patch made does not rebuild the edited image, so it was "
                                  "not written")
                && refusal.contains(row.message),
            qPrintable(refusal));
    }

    void applyHandWritten_data()
    {
        AddRows<Applied>({{"literal, run and growth", kSmallPatch,
                              QByteArray("a****fgh\0\0QR", 12)},
            {"later records win",
                Patch("0000010003", "123" + QByteArray::fromHex("0000020001") + "9"), "a193efgh"},
            {"cut short after EOF", "PATCHEOF" + QByteArray::fromHex("000005"), "abcde"},
            {"nothing to do", "PATCHEOF", kImage},
            {"cut to its own length", "PATCHEOF" + QByteArray::fromHex("000008"), kImage}});
    }
    void applyHandWritten()
    {
        const auto& row = CurrentRow<Applied>();
        QCOMPARE(Bytes(ApplyIpsPatch(Span(kImage), Span(row.patch))), row.result);
    }

    void applyRefusals_data()
    {
        AddRows<Applied>({{"not a patch", "PK\x03\x04 zip", "not an IPS patch"},
            {"only the header", "PATCH", "without the \"EOF\""},
            {"a BPS patch", "BPS1\x88\x88\x80", "not an IPS patch"},
            {"empty run", Patch("0000000000000041"), "repeats its byte zero times"},
            {"stray bytes", QByteArray("PATCHEOF\x00\x01", 10), "2 stray bytes"},
            {"cut longer than the image", "PATCHEOF" + QByteArray::fromHex("000009"),
                "longer than the patched"}});
    }
    void applyRefusals()
    {
        const auto& row = CurrentRow<Applied>();
        const QString refusal = RefusalOf([&] { ApplyIpsPatch(Span(kImage), Span(row.patch)); });
        QVERIFY2(refusal.contains(QString::fromUtf8(row.result)), qPrintable(refusal));
    }

    // A patch cut off anywhere, even between two records, must be refused rather than half
    // applied.
    void everyTruncationIsRefused()
    {
        for (qsizetype length = 0; length < kSmallPatch.size(); ++length) {
            const QString refusal
                = RefusalOf([&] { ApplyIpsPatch(Span(kImage), Span(kSmallPatch.first(length))); });
            QVERIFY2(!refusal.isEmpty(), qPrintable(QString::number(length)));
        }
    }
};

QTEST_APPLESS_MAIN(IpsPatchTest)
#include "IpsPatchTest.moc"
