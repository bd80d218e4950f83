#include "patch/BpsPatch.h"
#include "patch/BpsNumber.h"
#include "patch/PatchError.h"

#include "PatchImages.h"
#include "RowTable.h"
#include "TestData.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

const QByteArray kSource("ABCDEFGH");

QByteArray Number(quint64 value)
{
    std::vector<std::uint8_t> bytes;
    AppendBpsNumber(bytes, value);
    return Bytes(bytes);
}

QByteArray LittleEndian(std::uint32_t value)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

// A hand-written patch closed with the checksums of `source`, of `target` and of itself.
QByteArray Sealed(QByteArray patch, const QByteArray& source, const QByteArray& target)
{
    patch += LittleEndian(Crc32(source)) + LittleEndian(Crc32(target));
    return patch + LittleEndian(Crc32(patch));
}

// Every action once, both relative offsets moved forward and back, and a two-byte description:
//   SourceRead 2 "AB" | TargetRead 3 "xyz" | SourceCopy 3 from +5 "FGH" | TargetCopy 4 from +7,
//   one behind itself: "HHHH" | SourceCopy 2 from 8 - 2 "GH" | TargetCopy 2 from 11 - 11 "AB"
const QByteArray kEveryActionTarget("ABxyzFGHHHHHGHAB");
const QByteArray kEveryAction
    = Sealed(QByteArray::fromHex("42505331889082") + "hi" + QByteArray::fromHex("84")
            + QByteArray::fromHex("89") + "xyz" + QByteArray::fromHex("8a8a8f8e86858797"),
        kSource, kEveryActionTarget);

QString RefusalOf(const QByteArray& source, const QByteArray& patch)
{
    return FailureOf<PatchError>([&] { ApplyBpsPatch(Span(source), Span(patch)); });
}

QString Hex(std::uint32_t value)
{
    return QString::asprintf("0x%08X", value);
}

struct RoundTrip {
    const char* name;
    QByteArray source;
    QByteArray target;
    int largestPatch;
};

struct Applied {
    const char* name;
    QByteArray source;
    QByteArray patch;
    QByteArray target;
};

struct Refusal {
    const char* name;
    QByteArray patch;
    QString message;
};

} // namespace

class BpsPatchTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        const QByteArray image = PatternImage(kMiB);
        AddRows<RoundTrip>({
            {"three sprite blocks", image, Changed(image, kThreeBlocks, 384), 1200},
            {"identical", image, image, 32},
            {"first and last byte", image, Changed(image, {0, kMiB - 1}, 1), 40},
            {"two fills", image, Changed(image, {0x1000, 0x40000}, 0x1000, 0), 60},
            {"enlarged with padding", image, image + QByteArray(kMiB, '\0'), 40},
            // The byte that breaks a repeat must not be swallowed by the copy after it.
            {"nearly a repeat", image,
                QByteArray(image).replace(0x2000, 16, QByteArray("\x11\x22").append(14, 0x11)), 60},
            {"enlarged with new bytes", image.first(1000), PatternImage(3000), 2000 + 40},
            {"shortened", image, Changed(image.first(kMiB / 2), {0x143F0}, 384), 440},
            {"from nothing", {}, image.first(300), 340},
            {"to nothing", image, {}, 32},
        });
    }
    // The patch must rebuild the target from the source byte for byte, and stay about as small
    // as the changed bytes.
    void roundTrip()
    {
        const auto& [name, source, target, largestPatch] = CurrentRow<RoundTrip>();
        const std::vector<std::uint8_t> patch = MakeBpsPatch(Span(source), Span(target));
        QVERIFY2(
            qsizetype(patch.size()) <= largestPatch, QByteArray::number(qsizetype(patch.size())));
        QCOMPARE(Bytes(ApplyBpsPatch(Span(source), patch)), target);
    }

    void applyHandWritten_data()
    {
        AddRows<Applied>({{"every action", kSource, kEveryAction, kEveryActionTarget},
            {"nothing to something", {},
                Sealed(QByteArray::fromHex("4250533180838089") + "new", {}, "new"), "new"},
            {"copy from the start", kSource,
                Sealed(QByteArray::fromHex("425053318883808a80"), kSource, "ABC"), "ABC"}});
    }
    void applyHandWritten()
    {
        const auto& row = CurrentRow<Applied>();
        QCOMPARE(Bytes(ApplyBpsPatch(Span(row.source), Span(row.patch))), row.target);
    }

    void refusals_data()
    {
        const QByteArray magic("BPS1");
        constexpr quint64 kLargest = quint64(64) << 20;
        const QByteArray fromSource = magic + Number(8);
        const auto sealed = [](const QByteArray& body) { return Sealed(body, kSource, {}); };
        QByteArray flipped = kEveryAction;
        flipped[12] = static_cast<char>(flipped[12] ^ 0x04);

        AddRows<Refusal>({
            {"not a patch", "BPS2" + kEveryAction.sliced(4), "not a BPS patch"},
            {"too short", magic, "too short"},
            {"flipped byte", flipped, "the patch is damaged: its own checksum is"},
            {"another image",
                Sealed(
                    kEveryAction.first(kEveryAction.size() - 12), "ABCDEFGX", kEveryActionTarget),
                "this patch was made for another image: its source checksum is "
                    + Hex(Crc32("ABCDEFGX")) + ", this image's is " + Hex(Crc32(kSource))},
            {"another size", sealed(magic + Number(9) + Number(0) + Number(0)),
                "expects an image of 9 bytes, this image has 8 bytes"},
            {"target over 64 MiB", sealed(fromSource + Number(kLargest + 1) + Number(0)),
                "image of 67108865 bytes, more than the 64 MiB"},
            {"target of 64 MiB", sealed(fromSource + Number(kLargest) + Number(0)),
                "builds an image of 0 bytes but declares 67108864 bytes"},
            {"description past the end", sealed(fromSource + Number(0) + Number(100)),
                "description runs past"},
            {"endless number", sealed(fromSource + Number(4) + Number(0) + QByteArray(9, 0)),
                "too large"},
            {"source read past the end",
                sealed(fromSource + Number(10) + Number(0) + Number((9 << 2) | 0)),
                "reads past the end of the original"},
            {"target read past the patch",
                sealed(fromSource + Number(4) + Number(0) + Number((3 << 2) | 1) + "xy"),
                "runs past the end of the patch"},
            {"source copy before the start",
                sealed(fromSource + Number(1) + Number(0) + Number(2) + Number(3)),
                "copies from outside the original"},
            {"source copy past the end",
                sealed(fromSource + Number(2) + Number(0) + Number((1 << 2) | 2) + Number(7 << 1)),
                "copies from outside the original"},
            {"target copy of nothing",
                sealed(fromSource + Number(1) + Number(0) + Number(3) + Number(0)),
                "copies from outside the part of the image built so far"},
            {"longer than declared", sealed(fromSource + Number(2) + Number(0) + Number(2 << 2)),
                "would make the image longer than the 2 bytes"},
            {"shorter than declared", sealed(fromSource + Number(4) + Number(0) + Number(1 << 2)),
                "builds an image of 2 bytes but declares 4 bytes"},
            {"wrong result",
                Sealed(fromSource + Number(2) + Number(0) + Number(1 << 2), kSource, "XY"),
                "the patched image's checksum is " + Hex(Crc32("AB"))},
        });
    }
    void refusals()
    {
        const auto& row = CurrentRow<Refusal>();
        const QString refusal = RefusalOf(kSource, row.patch);
        QVERIFY2(refusal.contains(row.message), qPrintable(refusal));
    }

    // Targets pieced together from stretches of the source, repeats of themselves, new bytes and
    // runs, some longer than one plan of the maker: whatever copies it chooses, the patch must
    // rebuild the target.
    void splicedImagesRoundTrip()
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
                switch (random.bounded(5)) {
                case 0: // from anywhere in the source
                    target += source.mid(random.bounded(source.size() + 1), length);
                    break;
                case 1: // a repeat of the target, which may run on into itself
                    for (qsizetype k = 0, from = at > 0 ? random.bounded(at) : 0;
                         at > 0 && k < length; ++k)
                        target += target[from + k];
                    break;
                case 2: // the source where it lies, with a changed byte after it
                    target += source.mid(at, length) + char(random.bounded(256));
                    break;
                case 3: // new bytes
                    for (qsizetype k = 0; k < length; ++k)
                        target += char(random.bounded(256));
                    break;
                default: // a run
                    target += QByteArray(length, char(random.bounded(256)));
                }
            }
            QCOMPARE(Bytes(ApplyBpsPatch(Span(source), MakeBpsPatch(Span(source), Span(target)))),
                target);
        }
    }

    void everyTruncationIsRefused()
    {
        for (qsizetype length = 0; length < kEveryAction.size(); ++length)
            QVERIFY2(!RefusalOf(kSource, kEveryAction.first(length)).isEmpty(),
                qPrintable(QString::number(length)));
    }

    void makeRefusesImagesOver64MiB()
    {
        const QByteArray large((qsizetype(64) << 20) + 1, '\0');
        for (const bool fromLarge : {true, false}) {
            const QString refusal = FailureOf<PatchError>(
                [&] { fromLarge ? MakeBpsPatch(Span(large), {}) : MakeBpsPatch({}, Span(large)); });
            QVERIFY2(
                refusal.contains("has 67108865 bytes, more than the 64 MiB"), qPrintable(refusal));
        }
    }
};

QTEST_APPLESS_MAIN(BpsPatchTest)
#include "BpsPatchTest.moc"
