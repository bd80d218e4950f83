#include "demo/DemoRom.h"
#include "RowTable.h"
#include "sprite/FrameLayout.h"
#include "sprite/RomHeader.h"
#include "sprite/SpriteCatalogue.h"

#include <QtTest>

#include <algorithm>

using namespace morvane;
using namespace morvane::test;

class DemoRomTest : public QObject {
    Q_OBJECT

private slots:
    void imageHasTheSizeAndTitle()
    {
        const std::vector<std::uint8_t> rom = MakeDemoRom();
        QCOMPARE(rom.size(), std::size_t(1048576));
        QVERIFY(rom.size() >= std::size_t(kLastBlockEnd));
        // Readers of a cartridge header check both sums; the header reader is tested on its own.
        const std::optional<RomHeader> header = ReadRomHeader(rom);
        QVERIFY(header);
        QCOMPARE(header->title, std::string("MORVANE DEMO"));
        QVERIFY(header->HeaderChecksumMatches());
        QVERIFY(header->GlobalChecksumMatches());
    }

    void everyEntrySitsAtItsOffset()
    {
        const std::vector<std::uint8_t> rom = MakeDemoRom();
        for (int index = 0; index < kSpriteCount; ++index) {
            const std::size_t offset
                = static_cast<std::size_t>(*SpriteOffsetValue(static_cast<std::int16_t>(index)));
            const SpriteBlock block = DemoSprite(index);
            QVERIFY2(std::equal(block.begin(), block.end(), rom.begin() + std::ptrdiff_t(offset)),
                qPrintable(QStringLiteral("entry %1").arg(index)));
        }
    }

    void noTwoEntriesAlike()
    {
        for (int a = 0; a < kSpriteCount; ++a) {
            for (int b = a + 1; b < kSpriteCount; ++b) {
                // Alike in the first frame already would make two entries hard to tell apart.
                QVERIFY2(DecodeFrame(DemoSprite(a), 0) != DecodeFrame(DemoSprite(b), 0),
                    qPrintable(QStringLiteral("entries %1 and %2 face down alike").arg(a).arg(b)));
            }
        }
    }

    void everyPoseWalks_data()
    {
        AddRowColumn<int>();
        for (int index = 0; index < kSpriteCount; ++index)
            QTest::addRow("%d %s", index, std::string(SpriteLabel(index)).c_str()) << index;
    }

    void everyPoseWalks()
    {
        const int index = CurrentRow<int>();
        const SpriteBlock block = DemoSprite(index);
        std::array<FramePixels, 6> frames {};
        for (int frame = 0; frame < 6; ++frame) {
            frames[static_cast<std::size_t>(frame)] = DecodeFrame(block, frame);
            int drawn = 0;
            for (const auto& row : frames[static_cast<std::size_t>(frame)])
                drawn += int(std::count_if(row.begin(), row.end(), [](auto v) { return v != 0; }));
            QVERIFY2(
                drawn >= 40, qPrintable(QStringLiteral("frame %1 is nearly empty").arg(frame)));
        }
        for (int pose = 0; pose < 3; ++pose) {
            QVERIFY2(frames[static_cast<std::size_t>(pose)]
                    != frames[static_cast<std::size_t>(pose + 3)],
                qPrintable(QStringLiteral("pose %1 has one frame twice").arg(pose)));
        }
        QVERIFY(frames[0] != frames[1]);
        QVERIFY(frames[0] != frames[2]);
        QVERIFY(frames[1] != frames[2]);
    }

    void indexOutsideTheCatalogueIsBlank()
    {
        const SpriteBlock blank {};
        QVERIFY(DemoSprite(-1) == blank);
        QVERIFY(DemoSprite(kSpriteCount) == blank);
    }
};

QTEST_APPLESS_MAIN(DemoRomTest)
#include "DemoRomTest.moc"
