#include "sprite/FrameTools.h"
#include "sprite/FrameLayout.h"

#include "RowTable.h"
#include "TestData.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

using Tool = std::function<SpriteBlock(const SpriteBlock&, int tile)>;

Tool FrameToolOf(FrameTool tool)
{
    return [tool](const SpriteBlock& block, int tile) { return ApplyFrameTool(block, tile, tool); };
}

// A tool with its laws: `inverse` undoes it, `order` applications give the block back. A marked
// pixel (1 on a frame of 0) must land at `to` as `toValue`, the rest turning `background`: that
// catches a tool that is its own inverse but moves pixels or values the wrong way.
struct ToolCase {
    const char* name;
    Tool apply, inverse;
    int order = 0;
    bool wholeBlock = false; // changes every frame, not only the tile's own
    QPoint from, to;
    int toValue = 1, background = 0;
};

const std::vector<SpriteBlock> kRandomBlocks {
    RandomBlock(1), RandomBlock(2), RandomBlock(3), RandomBlock(4)};

// True when the two blocks agree on every byte outside the tiles of the frame holding `tile`.
bool SameOutsideFrame(SpriteBlock a, const SpriteBlock& b, int tile)
{
    const auto first = std::size_t(kTileBytes * TileOfFrame(FrameOfTile(tile), 0));
    std::copy_n(b.begin() + first, 4 * kTileBytes, a.begin() + first);
    return a == b;
}

} // namespace

class FrameToolsTest : public QObject {
    Q_OBJECT

private slots:
    void tools_data()
    {
        const auto frame = [](const char* name, FrameTool tool, FrameTool inverse, int order,
                               QPoint from, QPoint to) {
            return ToolCase {name, FrameToolOf(tool), FrameToolOf(inverse), order, false, from, to};
        };
        const auto swap = [](const char* name, int a, int b, int toValue, int background) {
            const Tool tool
                = [a, b](const SpriteBlock& block, int) { return SwapPixelValues(block, a, b); };
            return ToolCase {name, tool, tool, 2, true, {4, 12}, {4, 12}, toValue, background};
        };
        using enum FrameTool;
        AddRows<ToolCase>({
            frame("flip horizontally", FlipHorizontally, FlipHorizontally, 2, {2, 5}, {13, 5}),
            frame("flip vertically", FlipVertically, FlipVertically, 2, {2, 5}, {2, 10}),
            frame("rotate clockwise", RotateClockwise, RotateAnticlockwise, 4, {2, 5}, {10, 2}),
            frame("rotate anticlockwise", RotateAnticlockwise, RotateClockwise, 4, {2, 5}, {5, 13}),
            frame("shift left wraps", ShiftLeft, ShiftRight, 16, {0, 5}, {15, 5}),
            frame("shift right crosses tiles", ShiftRight, ShiftLeft, 16, {7, 9}, {8, 9}),
            frame("shift up wraps", ShiftUp, ShiftDown, 16, {2, 0}, {2, 15}),
            frame("shift down wraps", ShiftDown, ShiftUp, 16, {2, 15}, {2, 0}),
            swap("swap 1 and 3", 1, 3, 3, 0),
            swap("swap 2 and 1", 2, 1, 2, 0),
            swap("swap 3 and 0 keeps 1", 3, 0, 1, 3),
        });
    }

    // The laws on random blocks through a tile of every frame and quarter, byte for byte, then
    // where the one marked pixel of a frame goes, in every frame, with the other frames random.
    void tools()
    {
        const auto& c = CurrentRow<ToolCase>();
        for (const SpriteBlock& block : kRandomBlocks) {
            for (int tile = 0; tile < kTilesPerSprite; ++tile) {
                SpriteBlock repeated = c.apply(block, tile);
                QVERIFY(c.wholeBlock || SameOutsideFrame(repeated, block, tile));
                QVERIFY(c.inverse(repeated, tile) == block);
                for (int n = 1; n < c.order; ++n) {
                    QVERIFY2(repeated != block, "gives the block back too soon");
                    repeated = c.apply(repeated, tile);
                }
                QVERIFY(repeated == block);
            }
        }
        for (int frame = 0; frame < kFramesPerSprite; ++frame) {
            SpriteBlock block = kRandomBlocks.front();
            FramePixels pixels {};
            pixels[std::size_t(c.from.y())][std::size_t(c.from.x())] = 1;
            EncodeFrame(pixels, frame, block);

            FramePixels expected {};
            for (auto& line : expected)
                line.fill(std::uint8_t(c.background));
            expected[std::size_t(c.to.y())][std::size_t(c.to.x())] = std::uint8_t(c.toValue);
            QVERIFY(DecodeFrame(c.apply(block, TileOfFrame(frame, frame % 4)), frame) == expected);
        }
    }

    // A filled tile's rows hold the value's plane-0 bit in all of one byte, plane-1 in the next.
    void fillSetsExactlyOneTile()
    {
        const SpriteBlock block = kRandomBlocks.front();
        for (int value = 0; value < 4; ++value) {
            const char plane0 = value & 1 ? '\xFF' : '\0', plane1 = value & 2 ? '\xFF' : '\0';
            const QByteArray filled = (QByteArray(1, plane0) + plane1).repeated(8);
            for (int tile = 0; tile < kTilesPerSprite; ++tile)
                QCOMPARE(Bytes(FillTile(block, tile, value)),
                    Bytes(block).replace(kTileBytes * tile, kTileBytes, filled));
        }
    }

    void outOfRangeTileOrValueIsRefused()
    {
        const SpriteBlock block {};
        using enum FrameTool;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, ApplyFrameTool(block, 24, FlipHorizontally));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, ApplyFrameTool(block, -1, ShiftDown));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, FillTile(block, 0, 4));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, FillTile(block, 24, 0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, SwapPixelValues(block, -1, 2));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, SwapPixelValues(block, 0, 4));
    }
};

QTEST_APPLESS_MAIN(FrameToolsTest)
#include "FrameToolsTest.moc"
