#include "demo/DemoRom.h"
#include "RowTable.h"
#include "sprite/FrameLayout.h"
#include "sprite/RomHeader.h"
#include "sprite/SpriteCatalogue.h"

#include <QtTest>

#include <ranges>

using namespace morvane;
using namespace morvane::test;

class DemoRomTest : public QObject {
    Q_OBJECT

    const std::vector<std::uint8_t> rom_ = MakeDemoRom();

private slots:
    void imageHasTheSizeAndTitle()
    {
        QCOMPARE(rom_.size(), std::size_t(1048576));
        QVERIFY(rom_.size() >= std::size_t(kLastBlockEnd));
        // Readers of a cartridge header check both sums; the header reader is tested on its own.
        const std::optional<RomHeader> header = ReadRomHeader(rom_);
        QVERIFY(header && header->HeaderChecksumMatches() && header->GlobalChecksumMatches());
        QCOMPARE(header->title, std::string("MORVANE DEMO"));
    }

    void everyEntrySitsAtItsOffset_data()
    {
        AddRowColumn<int>();
        for (int index = 0; index < kSpriteCount; ++index)
            QTest::addRow("%d %s", index, std::string(SpriteLabel(index)).c_str()) << index;
    }
    void everyEntrySitsAtItsOffset()
    {
        const std::int16_t index = static_cast<std::int16_t>(CurrentRow<int>());
        const SpriteBlock block = DemoSprite(index);
        QVERIFY(std::equal(block.begin(), block.end(), rom_.begin() + *SpriteOffsetValue(index)));
    }

    void noTwoEntriesAlike()
    {
        // Alike in the first frame already would make two entries hard to tell apart.
        for (int a = 0; a < kSpriteCount; ++a)
            for (int b = a + 1; b < kSpriteCount; ++b)
                QVERIFY2(DecodeFrame(DemoSprite(a), 0) != DecodeFrame(DemoSprite(b), 0),
                    qPrintable(QStringLiteral("entries %1 and %2 face down alike").arg(a).arg(b)));
    }

    void everyPoseWalks_data() { everyEntrySitsAtItsOffset_data(); }
    void everyPoseWalks()
    {
        const SpriteBlock block = DemoSprite(CurrentRow<int>());
        std::array<FramePixels, 6> frames {};
        for (std::size_t frame = 0; frame < frames.size(); ++frame) {
            frames[frame] = DecodeFrame(block, int(frame));
            const auto drawn = std::ranges::count_if(
                frames[frame] | std::views::join, [](auto v) { return v != 0; });
            QVERIFY2(
                drawn >= 40, qPrintable(QStringLiteral("frame %1 is nearly empty").arg(frame)));
        }
        // The two frames of each pose differ, and so do the three poses.
        for (const auto& [a, b] : std::to_array<std::pair<std::size_t, std::size_t>>(
                 {{0, 3}, {1, 4}, {2, 5}, {0, 1}, {0, 2}, {1, 2}}))
            QVERIFY2(frames[a] != frames[b],
                qPrintable(QStringLiteral("frames %1 and %2 are alike").arg(a).arg(b)));
    }

    void indexOutsideTheCatalogueIsBlank()
    {
        QVERIFY(DemoSprite(-1) == SpriteBlock {});
        QVERIFY(DemoSprite(kSpriteCount) == SpriteBlock {});
    }
};

QTEST_APPLESS_MAIN(DemoRomTest)
#include "DemoRomTest.moc"
