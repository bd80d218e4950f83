// The patch formats on their own: BPS numbers, and IPS and BPS patches made, applied and refused.
#include "demo/DemoRom.h"
#include "patch/BpsNumber.h"
#include "patch/BpsPatch.h"
#include "patch/IpsPatch.h"
#include "patch/PatchError.h"
#include "patch/PatchFormat.h"
#include "sprite/SpriteCatalogue.h"
#include "spriteimage/SpriteImage.h"

#include "RowTable.h"
#include "TestData.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

// The image the hand-written patches apply to.
const QByteArray kImage("ABCDEFGH");

QByteArray operator""_hex(const char* digits, std::size_t)
{
    return QByteArray::fromHex(digits);
}

// A ROM-sized image whose neighbouring bytes differ, so a byte taken from the wrong place shows.
QByteArray PatternImage(qsizetype size)
{
    QByteArray image(size, '\0');
    std::ranges::generate(image, [i = 0u]() mutable { return char((i++ * 2654435761u) >> 13); });
    return image;
}

// `image` with `length` bytes at each offset in `at` inverted, or set to `fill` when given.
QByteArray Changed(QByteArray image, const QList<qsizetype>& at, qsizetype length, int fill = -1)
{
    for (const qsizetype offset : at)
        for (char& byte : std::span(image.data() + offset, length))
            byte = static_cast<char>(fill < 0 ? ~byte : fill);
    return image;
}

// The three sprite blocks the round trips change, the last one near the end of a 1 MiB image.
const QList<qsizetype> kThreeBlocks = {0x143F0, 0x14B70, 0xFFC00};
constexpr qsizetype kMiB = 1 << 20;

// The demo image `demo` with the sprites at `indices` mirrored left to right the way a user does
// it: the block's 16 x 96 image reversed in every pixel row and imported back.
QByteArray Mirrored(QByteArray demo, const QList<std::int16_t>& indices)
{
    const Palette greys = PaletteColours(PngPalette::HardwareGreys);
    for (const std::int16_t index : indices) {
        const SpriteBlock block
            = ImageToSprite(SpriteToImage(DemoSprite(index), greys).mirrored(true, false));
        std::copy(block.begin(), block.end(), demo.begin() + *SpriteOffsetValue(index));
    }
    return demo;
}

// Fails unless `action` is refused with a message that says `part`.
void CheckRefused(const std::function<void()>& action, const QByteArray& part)
{
    const QString refusal = FailureOf<PatchError>(action);
    QVERIFY2(refusal.contains(QString::fromUtf8(part)), qPrintable(refusal));
}

// A patch cut off anywhere, even between two records, must be refused rather than half applied.
template <typename Apply> void CheckEveryCutRefused(const QByteArray& patch, Apply apply)
{
    for (qsizetype length = 0; length < patch.size(); ++length) {
        const QByteArray cut = patch.first(length);
        QVERIFY2(!FailureOf<PatchError>([&] { apply(Span(kImage), Span(cut)); }).isEmpty(),
            QByteArray::number(length));
    }
}

// The offset whose three bytes read as "EOF".
constexpr qsizetype kEofOffset = 0x454F46;

// The IPS patch of `records` (hex digits, then text) between the header and the footer.
QByteArray Patch(const char* hex, const QByteArray& text = {})
{
    return "PATCH" + QByteArray::fromHex(hex) + text + "EOF";
}

// A small IPS patch with a literal record, a run record and a record that grows the image.
const QByteArray kSmallPatch = Patch("0000020003", "XYZ" + "000001000000042a00000a0002"_hex + "QR");

QByteArray Number(quint64 value)
{
    std::vector<std::uint8_t> bytes;
    AppendBpsNumber(bytes, value);
    return Bytes(bytes);
}

QByteArray LittleEndian(std::uint32_t value)
{
    const quint32_le bytes(value);
    return QByteArray(reinterpret_cast<const char*>(&bytes), sizeof bytes);
}

// A hand-written BPS patch closed with the checksums of `source`, of `target` and of itself.
QByteArray Sealed(QByteArray body, const QByteArray& target = {}, const QByteArray& source = kImage)
{
    body += LittleEndian(Crc32(source)) + LittleEndian(Crc32(target));
    return body + LittleEndian(Crc32(body));
}

// Every BPS action once, both relative offsets moved forward and back, a two-byte description:
//   SourceRead 2 "AB" | TargetRead 3 "xyz" | SourceCopy 3 from +5 "FGH" | TargetCopy 4 from +7,
//   one behind itself: "HHHH" | SourceCopy 2 from 8 - 2 "GH" | TargetCopy 2 from 11 - 11 "AB"
const QByteArray kEveryActionTarget("ABxyzFGHHHHHGHAB");
const QByteArray kEveryAction = Sealed(
    "42505331889082"_hex + "hi" + "8489"_hex + "xyz" + "8a8a8f8e86858797"_hex, kEveryActionTarget);

struct RoundTrip {
    const char* name;
    QByteArray original, edited;
    std::size_t largestPatch;
};

struct Applied {
    const char* name;
    QByteArray patch, result; // the result, or a part of the refusal
    QByteArray original = kImage;
    PatchFormat format = PatchFormat::Ips;
};

// The current row's patch, applied to the row's original image by `apply`, gives the row's result.
template <typename Apply> void CheckRowApplied(Apply apply)
{
    const auto& row = CurrentRow<Applied>();
    QCOMPARE(Bytes(apply(Span(row.original), Span(row.patch))), row.result);
}

// The same, refused with a message that says the row's result.
template <typename Apply> void CheckRowRefused(Apply apply)
{
    const auto& row = CurrentRow<Applied>();
    CheckRefused([&] { apply(Span(row.original), Span(row.patch)); }, row.result);
}

struct Encoding {
    const char* name;
    quint64 value;
    QByteArray bytes;
};

} // namespace

class PatchFormatsTest : public QObject {
    Q_OBJECT

private slots:
    void ipsRoundTrip_data()
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
            // A longest run, then a run of one byte at the EOF offset, which has nothing to give.
            {"a fill split onto the EOF offset", large,
                Changed(around, {kEofOffset - 0xFFFF}, 0x10000, 0x11), 5 + others + 8 + 7 + 3},
            // The byte that breaks a repeat must not be swallowed by the run record after it.
            {"nearly a fill", image, Changed(Changed(image, {0x2000}, 16, 0x11), {0x2001}, 1, 0x22),
                5 + 7 + 8 + 3},
            // Other lengths: records for every new byte, or the length to cut to after EOF.
            {"grown by zeros", image, image + QByteArray(0x20000, '\0'), 5 + 3 * 8 + 3},
            {"grown by new bytes", image.first(1000), Changed(PatternImage(3000), {500}, 1),
                5 + 5 + 1 + 5 + 2000 + 3},
            {"grown from nothing", {}, image.first(300), 5 + 5 + 300 + 3},
            {"shortened", image, Changed(image.first(kMiB / 2), {0x143F0}, 384),
                5 + 5 + 384 + 3 + 3},
            {"shortened to nothing", image, {}, 5 + 3 + 3},
        });
    }
    // The patch rebuilds the edited image byte for byte, and is no larger than the records needed.
    void ipsRoundTrip()
    {
        const auto& [name, original, edited, largestPatch] = CurrentRow<RoundTrip>();
        const std::vector<std::uint8_t> patch = MakeIpsPatch(Span(original), Span(edited));
        QVERIFY2(patch.size() <= largestPatch, QByteArray::number(patch.size()));
        QCOMPARE(Bytes(ApplyIpsPatch(Span(original), patch)), edited);
        // Patchers need not grow an image with zeros: every new byte must come from a record.
        const qsizetype grown = std::max<qsizetype>(edited.size() - original.size(), 0);
        const QByteArray standing = original + Changed(edited.last(grown), {0}, grown);
        QCOMPARE(Bytes(ApplyIpsPatch(Span(standing), patch)), edited);
    }

    void ipsMakeRefusals()
    {
        // Past 16 MiB only a change beyond the last offset a record can name is refused, and a
        // cut to a length the three bytes after EOF cannot hold.
        const QByteArray huge = PatternImage(17 * kMiB);
        const auto roundTrip = [&](const QByteArray& edited) {
            return Bytes(ApplyIpsPatch(Span(huge), MakeIpsPatch(Span(huge), Span(edited))));
        };
        for (const QByteArray& edited : {Changed(huge, {0xFFFFFF}, 2), huge.first(0xFFFFFF)})
            QCOMPARE(roundTrip(edited), edited);
        CheckRefused([&] { roundTrip(Changed(huge, {0x1000000}, 1)); },
            "past 16 MiB, and the images differ at offset 0x1000000");
        CheckRefused([&] { roundTrip(huge.first(0x1000000)); },
            "only to less than 16 MiB, and the edited image has 16777216 bytes");
    }

    void checkRefusesWhatDoesNotRebuild_data()
    {
        AddRows<Applied>({
            {"another result", Patch("0000020001", "X"), "the result differs at byte 2"},
            {"another length", "PATCHEOF" + "000004"_hex, "it builds 4 bytes instead of 8"},
            {"refused by apply", Patch("0000000000000041"),
                "applying it fails: the patch is damaged: the run record at patch byte 5"},
            {"for another image", Bytes(MakeBpsPatch(Span("ABCDEFGX"), Span(kImage))),
                "applying it fails: this patch was made for another image", kImage,
                PatchFormat::Bps},
        });
    }
    // A patch is handed out only once this program's own apply rebuilds the edited image with it.
    void checkRefusesWhatDoesNotRebuild()
    {
        const auto& row = CurrentRow<Applied>();
        const auto check
            = [&] { CheckPatch(row.format, Span(kImage), Span(kImage), Span(row.patch)); };
        CheckRefused(
            check, "the patch made does not rebuild the edited image, so it was not written");
        CheckRefused(check, row.result);
    }

    void ipsApplyHandWritten_data()
    {
        AddRows<Applied>({{"literal, run and growth", kSmallPatch,
                              QByteArray("A****FGH\0\0QR", 12)},
            {"later records win", Patch("0000010003", "123" + "0000020001"_hex + "9"), "A193EFGH"},
            {"cut short after EOF", "PATCHEOF" + "000005"_hex, "ABCDE"},
            {"nothing to do", "PATCHEOF", kImage},
            {"cut to its own length", "PATCHEOF" + "000008"_hex, kImage}});
    }
    void ipsApplyHandWritten() { CheckRowApplied(ApplyIpsPatch); }

    void ipsApplyRefusals_data()
    {
        AddRows<Applied>({{"not a patch", "PK\x03\x04 zip", "not an IPS patch"},
            {"only the header", "PATCH", "without the \"EOF\""},
            {"a BPS patch", "BPS1\x88\x88\x80", "not an IPS patch"},
            {"empty run", Patch("0000000000000041"), "repeats its byte zero times"},
            {"stray bytes", QByteArray("PATCHEOF\x00\x01", 10), "2 stray bytes"},
            {"cut longer than the image", "PATCHEOF" + "000009"_hex, "longer than the patched"}});
    }
    void ipsApplyRefusals() { CheckRowRefused(ApplyIpsPatch); }

    void ipsEveryTruncationIsRefused() { CheckEveryCutRefused(kSmallPatch, ApplyIpsPatch); }

    // Worked out by hand from the read rule: each group after the first adds one more step of
    // its weight, so the two-byte numbers start at 128 and the three-byte ones at 16512.
    void bpsNumberEncoding_data()
    {
        AddRows<Encoding>({{"0", 0, "80"_hex}, {"1", 1, "81"_hex}, {"127", 127, "ff"_hex},
            {"128", 128, "0080"_hex}, {"129", 129, "0180"_hex}, {"255", 255, "7f80"_hex},
            {"256", 256, "0081"_hex}, {"16511", 16511, "7fff"_hex}, {"16512", 16512, "000080"_hex},
            {"1 MiB", 1 << 20, "007fbe"_hex},
            // Every group after the first adds its weight once: 2^7 + 2^14 + ... + 2^49.
            {"smallest of eight groups", 0x2040810204080, "0000000000000080"_hex}});
    }
    void bpsNumberEncoding()
    {
        const auto& row = CurrentRow<Encoding>();
        QCOMPARE(Number(row.value), row.bytes);
        // Read back with a byte after it: the reader must stop at the marked group.
        const QByteArray followed = row.bytes + "55"_hex;
        std::size_t at = 0;
        QCOMPARE(ReadBpsNumber(Span(followed), at), row.value);
        QCOMPARE(at, std::size_t(row.bytes.size()));
    }

    void bpsNumberRefusals_data()
    {
        AddRows<Applied>({{"nothing", {}, "ends in the middle of a number"},
            {"unfinished", "0001"_hex, "ends in the middle of a number"},
            {"nine groups", QByteArray(8, 0) + "80"_hex, "too large"}});
    }
    void bpsNumberRefusals()
    {
        const auto& row = CurrentRow<Applied>();
        // Exactly the bytes, with nothing after them a read past the end could land on.
        const std::vector<std::uint8_t> exact(row.patch.begin(), row.patch.end());
        std::size_t at = 0;
        CheckRefused([&] { ReadBpsNumber(exact, at); }, row.result);
    }

    void bpsRoundTrip_data()
    {
        const QByteArray image = PatternImage(kMiB);
        AddRows<RoundTrip>({{"three sprite blocks", image, Changed(image, kThreeBlocks, 384), 1200},
            {"identical", image, image, 32},
            {"first and last byte", image, Changed(image, {0, kMiB - 1}, 1), 40},
            {"two fills", image, Changed(image, {0x1000, 0x40000}, 0x1000, 0), 60},
            {"enlarged with padding", image, image + QByteArray(kMiB, '\0'), 40},
            // The byte that breaks a repeat must not be swallowed by the copy after it.
            {"nearly a repeat", image,
                Changed(Changed(image, {0x2000}, 16, 0x11), {0x2001}, 1, 0x22), 60},
            {"enlarged with new bytes", image.first(1000), PatternImage(3000), 2000 + 40},
            {"shortened", image, Changed(image.first(kMiB / 2), {0x143F0}, 384), 440},
            {"from nothing", {}, image.first(300), 340}, {"to nothing", image, {}, 32}});
    }
    // The patch rebuilds the edited image byte for byte, about as small as the changed bytes.
    void bpsRoundTrip()
    {
        const auto& [name, original, edited, largestPatch] = CurrentRow<RoundTrip>();
        const std::vector<std::uint8_t> patch = MakeBpsPatch(Span(original), Span(edited));
        QVERIFY2(patch.size() <= largestPatch, QByteArray::number(patch.size()));
        QCOMPARE(Bytes(ApplyBpsPatch(Span(original), patch)), edited);
    }

    // Edits users make, against what a widely used patcher's default mode writes for them.
    void bpsNoLargerThanOthers_data()
    {
        const QByteArray demo = Bytes(MakeDemoRom());
        QList<std::int16_t> all(kSpriteCount);
        std::iota(all.begin(), all.end(), 0);
        QByteArray grown = demo;
        for (std::size_t i = 0; i < kDemoRomBytes; ++i)
            grown += static_cast<char>(i);
        AddRows<RoundTrip>({{"3 sprites mirrored", demo, Mirrored(demo, {5, 17, 33}), 133},
            {"all 45 mirrored", demo, Mirrored(demo, all), 1102},
            {"grown to 2 MiB", demo, grown, 292}});
    }
    void bpsNoLargerThanOthers() { bpsRoundTrip(); }

    void bpsApplyHandWritten_data()
    {
        AddRows<Applied>({{"every action", kEveryAction, kEveryActionTarget},
            {"nothing to something", Sealed("4250533180838089"_hex + "new", "new", {}), "new", {}},
            {"copy from the start", Sealed("425053318883808a80"_hex, "ABC"), "ABC"}});
    }
    void bpsApplyHandWritten() { CheckRowApplied(ApplyBpsPatch); }

    void bpsRefusals_data()
    {
        const auto shown = [](quint32 crc) { return QString::asprintf("0x%08X", crc).toLatin1(); };
        const QByteArray magic("BPS1");
        constexpr quint64 kLargest = quint64(64) << 20;
        const QByteArray fromImage = magic + Number(8);
        // A patch from the image to one of `size` bytes, without a description.
        const auto building = [&](quint64 size, const QByteArray& actions = {}) {
            return Sealed(fromImage + Number(size) + Number(0) + actions);
        };
        QByteArray flipped = kEveryAction;
        flipped[12] = static_cast<char>(flipped[12] ^ 0x04);

        AddRows<Applied>({{"not a patch", "BPS2" + kEveryAction.sliced(4), "not a BPS patch"},
            {"too short", magic, "too short"},
            {"flipped byte", flipped, "the patch is damaged: its own checksum is"},
            {"another image", Sealed(kEveryAction.chopped(12), kEveryActionTarget, "ABCDEFGX"),
                "this patch was made for another image: its source checksum is "
                    + shown(Crc32("ABCDEFGX")) + ", this image's is " + shown(Crc32(kImage))},
            {"another size", Sealed(magic + Number(9) + Number(0) + Number(0)),
                "expects an image of 9 bytes, this image has 8 bytes"},
            {"target over 64 MiB", building(kLargest + 1),
                "image of 67108865 bytes, more than the 64 MiB"},
            {"target of 64 MiB", building(kLargest),
                "builds an image of 0 bytes but declares 67108864 bytes"},
            {"description past the end", Sealed(fromImage + Number(0) + Number(100)),
                "description runs past"},
            {"endless number", building(4, QByteArray(9, 0)), "too large"},
            {"source read past the end", building(10, Number((9 << 2) | 0)),
                "reads past the end of the original"},
            {"target read past the patch", building(4, Number((3 << 2) | 1) + "xy"),
                "runs past the end of the patch"},
            {"source copy before the start", building(1, Number(2) + Number(3)),
                "copies from outside the original"},
            {"source copy past the end", building(2, Number((1 << 2) | 2) + Number(7 << 1)),
                "copies from outside the original"},
            {"target copy of nothing", building(1, Number(3) + Number(0)),
                "copies from outside the part of the image built so far"},
            {"longer than declared", building(2, Number(2 << 2)),
                "would make the image longer than the 2 bytes"},
            {"shorter than declared", building(4, Number(1 << 2)),
                "builds an image of 2 bytes but declares 4 bytes"},
            {"wrong result", Sealed(fromImage + Number(2) + Number(0) + Number(1 << 2), "XY"),
                "the patched image's checksum is " + shown(Crc32("AB"))}});
    }
    void bpsRefusals() { CheckRowRefused(ApplyBpsPatch); }

    // Targets made of stretches of the source, repeats of themselves, new bytes and runs, some
    // longer than one plan of the maker: whatever copies it chooses, the patch rebuilds them.
    void bpsSplicedImagesRoundTrip()
    {
        QRandomGenerator random(22);
        for (int pair = 0; pair < 60; ++pair) {
            // Small images, and large ones of which the maker indexes only some places.
            const QByteArray source = pair % 3 == 0 ? PatternImage(random.bounded(12000))
                : pair % 3 == 1                     ? QByteArray(random.bounded(12000), '\0')
                                                    : PatternImage(300000);
            QByteArray target;
            const qsizetype size = random.bounded(16000);
            while (target.size() < size) {
                const qsizetype length = 1 + random.bounded(random.bounded(2) == 0 ? 8 : 600);
                const qsizetype at = target.size();
                const int kind = random.bounded(5);
                if (kind == 0) // from anywhere in the source
                    target += source.mid(random.bounded(source.size() + 1), length);
                else if (kind == 1) // a repeat of the target, which may run on into itself
                    for (qsizetype k = 0, from = at > 0 ? random.bounded(at) : 0;
                         at > 0 && k < length; ++k)
                        target += target[from + k];
                else if (kind == 2) // the source where it lies, with a changed byte after it
                    target += source.mid(at, length) + char(random.bounded(256));
                else if (kind == 3) // new bytes
                    for (qsizetype k = 0; k < length; ++k)
                        target += char(random.bounded(256));
                else // a run
                    target += QByteArray(length, char(random.bounded(256)));
            }
            QCOMPARE(Bytes(ApplyBpsPatch(Span(source), MakeBpsPatch(Span(source), Span(target)))),
                target);
        }
    }

    void bpsEveryTruncationIsRefused() { CheckEveryCutRefused(kEveryAction, ApplyBpsPatch); }

    void bpsMakeRefusesImagesOver64MiB()
    {
        const QByteArray large((qsizetype(64) << 20) + 1, '\0');
        for (const bool fromLarge : {true, false})
            CheckRefused(
                [&] { fromLarge ? MakeBpsPatch(Span(large), {}) : MakeBpsPatch({}, Span(large)); },
                "has 67108865 bytes, more than the 64 MiB");
    }
};

QTEST_APPLESS_MAIN(PatchFormatsTest)
#include "PatchFormatsTest.moc"
