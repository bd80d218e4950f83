#include "demo/DemoRom.h"
#include "sprite/SpriteCatalogue.h"
#include "sprite/TileCodec.h"

#include <QtTest>

#include <algorithm>
#include <cstring>

using namespace morvane;

namespace {

// The 16 x 16 pixel values of frame f, decoded tile by tile.
std::array<std::uint8_t, 256> FrameValues(const SpriteBlock& block, int frame)
{
    std::array<std::uint8_t, 256> values {};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int tile = 4 * frame + quarter;
        for (int row = 0; row < 8; ++row) {
            const std::size_t at = static_cast<std::size_t>(16 * tile + 2 * row);
            const auto rowValues = DecodeRow(block[at], block[at + 1]);
            for (int column = 0; column < 8; ++column) {
                const int x = (quarter % 2) * 8 + column;
                const int y = (quarter / 2) * 8 + row;
                values[static_cast<std::size_t>(16 * y + x)]
                    = rowValues[static_cast<std::size_t>(column)];
            }
        }
    }
    return values;
}

} // namespace

class DemoRomTest : public QObject {
    Q_OBJECT

private slots:
    void imageHasTheSizeAndTitle();
    void everyEntrySitsAtItsOffset();
    void noTwoEntriesAlike();
    void everyPoseWalks_data();
    void everyPoseWalks();
    void indexOutsideTheCatalogueIsBlank();
};

void DemoRomTest::imageHasTheSizeAndTitle()
{
    const std::vector<std::uint8_t> rom = MakeDemoRom();
    QCOMPARE(rom.size(), std::size_t(1048576));
    QVERIFY(rom.size() >= std::size_t(kLastBlockEnd));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(rom.data()) + 0x134, 16),
        QByteArray("MORVANE DEMO\0\0\0\0", 16));
    // A cartridge's header checksum covers 0x134..0x14C; readers of the header check it.
    std::uint8_t sum = 0;
    for (std::size_t i = 0x134; i <= 0x14C; ++i)
        sum = static_cast<std::uint8_t>(sum - rom[i] - 1);
    QCOMPARE(rom[0x14D], sum);
}

void DemoRomTest::everyEntrySitsAtItsOffset()
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

void DemoRomTest::noTwoEntriesAlike()
{
    for (int a = 0; a < kSpriteCount; ++a) {
        for (int b = a + 1; b < kSpriteCount; ++b) {
            // Alike in the first frame already would make two entries hard to tell apart.
            QVERIFY2(FrameValues(DemoSprite(a), 0) != FrameValues(DemoSprite(b), 0),
                qPrintable(QStringLiteral("entries %1 and %2 face down alike").arg(a).arg(b)));
        }
    }
}

void DemoRomTest::everyPoseWalks_data()
{
    QTest::addColumn<int>("index");
    for (int index = 0; index < kSpriteCount; ++index)
        QTest::addRow("%d %s", index, std::string(SpriteLabel(index)).c_str()) << index;
}

void DemoRomTest::everyPoseWalks()
{
    QFETCH(int, index);
    const SpriteBlock block = DemoSprite(index);
    std::array<std::array<std::uint8_t, 256>, 6> frames {};
    for (int frame = 0; frame < 6; ++frame) {
        frames[static_cast<std::size_t>(frame)] = FrameValues(block, frame);
        const auto& values = frames[static_cast<std::size_t>(frame)];
        const auto drawn
            = std::count_if(values.begin(), values.end(), [](auto v) { return v != 0; });
        QVERIFY2(drawn >= 40, qPrintable(QStringLiteral("frame %1 is nearly empty").arg(frame)));
    }
    for (int pose = 0; pose < 3; ++pose) {
        QVERIFY2(
            frames[static_cast<std::size_t>(pose)] != frames[static_cast<std::size_t>(pose + 3)],
            qPrintable(QStringLiteral("pose %1 has one frame twice").arg(pose)));
    }
    QVERIFY(frames[0] != frames[1]);
    QVERIFY(frames[0] != frames[2]);
    QVERIFY(frames[1] != frames[2]);
}

void DemoRomTest::indexOutsideTheCatalogueIsBlank()
{
    const SpriteBlock blank {};
    QVERIFY(DemoSprite(-1) == blank);
    QVERIFY(DemoSprite(kSpriteCount) == blank);
}

QTEST_APPLESS_MAIN(DemoRomTest)
#include "DemoRomTest.moc"
