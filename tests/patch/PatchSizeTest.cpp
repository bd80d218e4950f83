// BPS patches of edits users make, against the sizes a widely used patcher's default mode writes
// for the same pairs: ours must be no larger, and must rebuild the edited image.
#include "demo/DemoRom.h"
#include "patch/BpsPatch.h"
#include "sprite/SpriteCatalogue.h"
#include "spriteimage/SpriteImage.h"

#include "RowTable.h"

#include <QtTest>

#include <algorithm>
#include <numeric>

using namespace morvane;
using namespace morvane::test;

namespace {

using Image = std::vector<std::uint8_t>;

// `rom` with the sprites at `indices` mirrored left to right the way a user does it: the block's
// 16 x 96 image reversed in every pixel row and imported back.
Image Mirrored(Image rom, const QList<int>& indices)
{
    const Palette greys = PaletteColours(PngPalette::HardwareGreys);
    for (const int index : indices) {
        const auto offset = rom.begin() + *SpriteOffsetValue(static_cast<std::int16_t>(index));
        SpriteBlock block;
        std::copy_n(offset, block.size(), block.begin());
        block = ImageToSprite(SpriteToImage(block, greys).mirrored(true, false));
        std::copy(block.begin(), block.end(), offset);
    }
    return rom;
}

struct Pair {
    const char* name;
    Image edited;
    std::size_t largest; // what the other patcher writes for it
};

} // namespace

class PatchSizeTest : public QObject {
    Q_OBJECT

    const Image demo_ = MakeDemoRom();

private slots:
    void bpsNoLargerThanOthers_data()
    {
        QList<int> all(kSpriteCount);
        std::iota(all.begin(), all.end(), 0);
        Image grown = demo_;
        for (std::size_t i = 0; i < kDemoRomBytes; ++i)
            grown.push_back(static_cast<std::uint8_t>(i));

        AddRows<Pair>({{"3 sprites mirrored", Mirrored(demo_, {5, 17, 33}), 133},
            {"all 45 mirrored", Mirrored(demo_, all), 1102}, {"grown to 2 MiB", grown, 292}});
    }

    void bpsNoLargerThanOthers()
    {
        const auto& pair = CurrentRow<Pair>();
        const Image patch = MakeBpsPatch(demo_, pair.edited);
        QVERIFY2(patch.size() <= pair.largest, qPrintable(QString::number(patch.size())));
        QVERIFY(ApplyBpsPatch(demo_, patch) == pair.edited);
    }
};

QTEST_APPLESS_MAIN(PatchSizeTest)
#include "PatchSizeTest.moc"
