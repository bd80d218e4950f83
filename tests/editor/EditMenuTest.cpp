// The Edit menu's commands through the real window: each item triggered on the frame of the
// selected tile changes the block exactly as the sprite core says, as one undo step named for
// what it did; the views follow the tile pictures' rule; Save stores the block and nothing else,
// and Undo gives the block back byte for byte.
#include "EditorHarness.h"
#include "RowTable.h"
#include "TestData.h"
#include "sprite/FrameLayout.h"
#include "sprite/FrameTools.h"
#include "spriteimage/SpriteImage.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

#include <functional>

using namespace morvane;
using namespace morvane::test;

namespace {

// The selected tile: the bottom-left quarter of frame 1.
constexpr int kTile = 6;
// Colour 3 is retuned to this before every command, so the views tell freshly drawn pixels from
// pixels moved in the colour they were shown in.
const QColor kRetuned(17, 0, 255);

struct EditRow {
    const char* item; // the Edit menu item triggered
    std::function<SpriteBlock(const SpriteBlock&)> expect; // what the core makes of the block
    QString step; // the undo step's name; empty when the command must leave no step
    bool movesPixels = false; // a frame tool: pixels keep the colour they were shown in
    std::function<void(EditorHarness&)> given = [](EditorHarness&) {};
    QString message = {}; // the start of the message the user must see
};

EditRow Tool(const char* item, FrameTool tool, const char* step)
{
    return {item, [tool](const SpriteBlock& b) { return ApplyFrameTool(b, kTile, tool); },
        QString::fromLatin1(step), true};
}

} // namespace

Q_DECLARE_METATYPE(EditRow)

class EditMenuTest : public QObject {
    Q_OBJECT

private slots:
    void commandChangesOnlyItsPartAsOneStep_data()
    {
        AddRowColumn<EditRow>();
        using enum FrameTool;
        QTest::newRow("flip horizontally")
            << Tool("mnuEditFlipHorizontally", FlipHorizontally, "Flip Frame Horizontally");
        QTest::newRow("flip vertically")
            << Tool("mnuEditFlipVertically", FlipVertically, "Flip Frame Vertically");
        QTest::newRow("rotate clockwise")
            << Tool("mnuEditRotateClockwise", RotateClockwise, "Rotate Frame Clockwise");
        QTest::newRow("rotate anticlockwise") << Tool(
            "mnuEditRotateAnticlockwise", RotateAnticlockwise, "Rotate Frame Anticlockwise");
        QTest::newRow("shift left") << Tool("mnuEditShiftLeft", ShiftLeft, "Shift Frame Left");
        QTest::newRow("shift right") << Tool("mnuEditShiftRight", ShiftRight, "Shift Frame Right");
        QTest::newRow("shift up") << Tool("mnuEditShiftUp", ShiftUp, "Shift Frame Up");
        QTest::newRow("shift down") << Tool("mnuEditShiftDown", ShiftDown, "Shift Frame Down");
        QTest::newRow("fill tile in the painting colour") << EditRow {
            "mnuEditFill", [](const SpriteBlock& b) { return FillTile(b, kTile, 3); }, "Fill Tile"};
        QTest::newRow("swap colours") << EditRow {"mnuEditSwap",
            [](const SpriteBlock& b) { return SwapPixelValues(b, 1, 3); }, "Swap Colours 1 and 3",
            false, [](EditorHarness& h) { h.dialogs.AnswerSwap(3, 1); }};
        QTest::newRow("swap colours cancelled")
            << EditRow {"mnuEditSwap", [](const SpriteBlock& b) { return b; }, {}, false,
                   [](EditorHarness& h) { h.dialogs.CancelSwap(); }};
        // A frame copied in the current display colours and pasted onto another frame.
        QTest::newRow("copy frame 0, paste onto frame 1") << EditRow {"mnuEditPasteFrame",
            [](const SpriteBlock& b) {
                SpriteBlock result = b;
                EncodeFrame(DecodeFrame(b, 0), 1, result);
                return result;
            },
            "Paste Frame", false,
            [](EditorHarness& h) {
                h.Click(QStringLiteral("picSprites(3)"));
                h.Trigger(QStringLiteral("mnuEditCopyFrame"));
                h.Click(QStringLiteral("picSprites(6)"));
            }};
        // A frame image from another program, in the four greys.
        QTest::newRow("paste a frame image in the greys") << EditRow {"mnuEditPasteFrame",
            [](const SpriteBlock& b) {
                SpriteBlock result = b;
                EncodeFrame(DecodeFrame(RandomBlock(5), 4), 1, result);
                return result;
            },
            "Paste Frame", false,
            [](EditorHarness&) {
                QApplication::clipboard()->setImage(
                    FrameToImage(RandomBlock(5), 4, PaletteColours(PngPalette::HardwareGreys)));
            }};
        QTest::newRow("paste a frame image of the wrong size") << EditRow {"mnuEditPasteFrame",
            [](const SpriteBlock& b) { return b; }, {}, false,
            [](EditorHarness&) {
                QApplication::clipboard()->setImage(
                    SpriteToImage(RandomBlock(5), PaletteColours(PngPalette::HardwareGreys)));
            },
            "The pasted image: The image is 16 x 96 pixels; a frame image must be 16 x 16."};
    }

    void commandChangesOnlyItsPartAsOneStep()
    {
        const EditRow& row = CurrentRow<EditRow>();
        RomFixture rom;
        rom.Poke(kEntry0, Bytes(RandomBlock(9)));
        EditorHarness h;
        QVERIFY(h.Show()); // shown, so that Ctrl+Z reaches the window
        h.LoadRom(rom.Path());
        h.Click(QStringLiteral("picSprites(%1)").arg(kTile));
        h.Click(QStringLiteral("Color(3)"));
        h.Find<QScrollBar>(QStringLiteral("hRED")).setValue(kRetuned.red());
        row.given(h);
        const QByteArray file = rom.Contents();
        const SpriteBlock before = h.window->Document().SpriteBuf();
        std::vector<QImage> views;
        for (int t = 0; t < 24; ++t)
            views.push_back(h.View(t).Image().copy());
        const QUndoStack& history = h.window->Document().History();
        const int steps = history.count();

        h.Trigger(QString::fromLatin1(row.item));
        const SpriteBlock after = row.expect(before);
        QCOMPARE(h.SpriteBuf(), Bytes(after));
        QCOMPARE(history.count(), steps + (row.step.isEmpty() ? 0 : 1));
        if (!row.step.isEmpty())
            QCOMPARE(h.Find<QAction>(QStringLiteral("mnuEditUndo")).text(), "&Undo " + row.step);
        QCOMPARE(h.messages.LastText().left(row.message.size()), row.message);

        // Every view pixel shows its value in the colour it was shown in, moved with it; a pixel
        // given a new value is drawn in the current colour of that value.
        for (int t = 0; t < 24; ++t) {
            const QByteArray was = Bytes(before).mid(16 * t, 16);
            const QByteArray now = Bytes(after).mid(16 * t, 16);
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    const int value = PixelValue(now, x / 4, y / 4);
                    const bool drawn = !row.movesPixels && value != PixelValue(was, x / 4, y / 4);
                    const QColor expected = drawn && value == 3 ? kRetuned : DefaultColour(value);
                    QVERIFY2(h.View(t).Image().pixelColor(x, y) == expected,
                        qPrintable(QStringLiteral("view %1 pixel (%2, %3)").arg(t).arg(x).arg(y)));
                }
            }
        }
        QVERIFY(h.GridShowsView(kTile));

        h.Click(QStringLiteral("cmdSave"));
        QCOMPARE(rom.Contents(), QByteArray(file).replace(kEntry0, 384, Bytes(after)));
        if (row.step.isEmpty())
            return;
        h.Keys("Ctrl+Z");
        QCOMPARE(h.SpriteBuf(), Bytes(before));
        for (int t = 0; t < 24; ++t)
            QCOMPARE(h.View(t).Image(), views[std::size_t(t)]);
        QVERIFY(h.Find<QAction>(QStringLiteral("mnuEditRedo")).isEnabled());
        h.Click(QStringLiteral("cmdSave"));
        QCOMPARE(rom.Contents(), file);
    }
};

QTEST_MAIN(EditMenuTest)
#include "EditMenuTest.moc"
