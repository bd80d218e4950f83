// The Edit menu through the real window: each item, on the selected tile's frame, changes the block
// as the sprite core says, as one undo step named for it; the views follow; Save stores the block
// alone and Undo gives it back byte for byte. Then drops, pastes, Test Sprite, colours and Help.
#include "EditorHarness.h"
#include "RowTable.h"
#include "preview/frmTest.h"
#include "sprite/FrameLayout.h"
#include "sprite/FrameTools.h"
#include "spriteimage/SpriteImage.h"

#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <QScrollBar>

using namespace morvane;
using namespace morvane::test;

namespace {

// The selected tile: the bottom-left quarter of frame 1.
constexpr int kTile = 6;
// Colour 3 is retuned to this before every command, so the views tell freshly drawn pixels from
// pixels moved in the colour they were shown in.
const QColor kRetuned(17, 0, 255);

struct EditRow {
    QString item; // the Edit menu item triggered
    std::function<SpriteBlock(const SpriteBlock&)> expect; // what the core makes of the block
    QString step; // the undo step's name; empty when the command must leave no step
    bool movesPixels = false; // a frame tool: pixels keep the colour they were shown in
    std::function<void(EditorHarness&)> given = [](EditorHarness&) {};
    QString message = {}; // the start of the message the user must see
};

// A frame tool, triggered by the item its undo step names ("Shift Frame Left": mnuEditShiftLeft).
EditRow Tool(FrameTool tool, const QString& step)
{
    return {"mnuEdit" + QString(step).remove(QStringLiteral(" Frame")).remove(QLatin1Char(' ')),
        [tool](const SpriteBlock& b) { return ApplyFrameTool(b, kTile, tool); }, step, true};
}

SpriteBlock WithFrame1From(SpriteBlock block, const SpriteBlock& source, int frame)
{
    EncodeFrame(DecodeFrame(source, frame), 1, block);
    return block;
}

// Delivers a drop of one local file on the window, as the desktop would.
bool DropFile(const EditorHarness& h, const QUrl& file)
{
    QMimeData mime;
    mime.setUrls({file});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h.window.get(), &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted())
        QCoreApplication::sendEvent(h.window.get(), &drop);
    return enter.isAccepted();
}

// Whether all 14 grid lines show in `colour` on screen, hidden ones once they are shown.
bool AllGridLines(const EditorHarness& h, const QColor& colour)
{
    QCheckBox& gridlines = h.Find<QCheckBox>(QStringLiteral("chkGRID"));
    const bool wasShown = gridlines.isChecked();
    gridlines.setChecked(true);
    const QImage screen = h.Grid().Rendered();
    gridlines.setChecked(wasShown);
    for (int i = 1; i <= 7; ++i)
        if (screen.pixelColor(16 * i, 3) != colour || screen.pixelColor(3, 16 * i) != colour)
            return false;
    return true;
}

// Whether all 24 markers are drawn in `colour` when their tile is selected.
bool AllMarkers(const EditorHarness& h, const QColor& colour)
{
    for (int t = 0; t < 24; ++t) {
        h.window->picSprites_Click(t);
        if (h.View(t).Rendered().pixelColor(31, 31) != colour)
            return false;
    }
    return true;
}

} // namespace

class EditingExtrasTest : public QObject {
    Q_OBJECT

private slots:
    void commandChangesOnlyItsPartAsOneStep_data()
    {
        AddRowColumn<EditRow>();
        using enum FrameTool;
        QTest::newRow("flip horizontally") << Tool(FlipHorizontally, "Flip Frame Horizontally");
        QTest::newRow("flip vertically") << Tool(FlipVertically, "Flip Frame Vertically");
        QTest::newRow("rotate clockwise") << Tool(RotateClockwise, "Rotate Frame Clockwise");
        QTest::newRow("rotate anticlockwise")
            << Tool(RotateAnticlockwise, "Rotate Frame Anticlockwise");
        QTest::newRow("shift left") << Tool(ShiftLeft, "Shift Frame Left");
        QTest::newRow("shift right") << Tool(ShiftRight, "Shift Frame Right");
        QTest::newRow("shift up") << Tool(ShiftUp, "Shift Frame Up");
        QTest::newRow("shift down") << Tool(ShiftDown, "Shift Frame Down");
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
            [](const SpriteBlock& b) { return WithFrame1From(b, b, 0); }, "Paste Frame", false,
            [](EditorHarness& h) {
                h.Click(QStringLiteral("picSprites(3)"));
                h.Trigger(QStringLiteral("mnuEditCopyFrame"));
                h.Click(QStringLiteral("picSprites(6)"));
            }};
        // A frame image from another program, in the four greys.
        QTest::newRow("paste a frame image in the greys") << EditRow {"mnuEditPasteFrame",
            [](const SpriteBlock& b) { return WithFrame1From(b, RandomBlock(5), 4); },
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
        const int steps = h.window->Document().History().count();

        h.Trigger(row.item);
        const SpriteBlock after = row.expect(before);
        QCOMPARE(h.SpriteBuf(), Bytes(after));
        QCOMPARE(h.window->Document().History().count(), steps + (row.step.isEmpty() ? 0 : 1));
        if (!row.step.isEmpty())
            QCOMPARE(h.Find<QAction>(QStringLiteral("mnuEditUndo")).text(), "&Undo " + row.step);
        QCOMPARE(h.messages.LastText().left(row.message.size()), row.message);

        // Every view pixel shows its value in the colour it was shown in, moved with it; a pixel
        // given a new value is drawn in the current colour of that value.
        for (int t = 0; t < 24; ++t)
            for (int p = 0; p < 32 * 32; ++p) {
                const int x = p % 32, y = p / 32;
                const int value = PixelValue(Bytes(after).mid(16 * t, 16), x / 4, y / 4);
                const bool drawn = !row.movesPixels
                    && value != PixelValue(Bytes(before).mid(16 * t, 16), x / 4, y / 4);
                const QColor expected = drawn && value == 3 ? kRetuned : DefaultColour(value);
                QVERIFY2(h.View(t).Image().pixelColor(x, y) == expected,
                    qPrintable(QStringLiteral("view %1 pixel (%2, %3)").arg(t).arg(x).arg(y)));
            }
        QVERIFY(h.GridShowsView(kTile));

        h.Click(QStringLiteral("cmdSave"));
        QCOMPARE(rom.Contents(), QByteArray(file).replace(kEntry0, 384, Bytes(after)));
        if (row.step.isEmpty())
            return;
        h.Keys("Ctrl+Z");
        // The views go back to the block as loaded, drawn in the colours it was loaded in.
        QCOMPARE(h.SpriteBuf(), Bytes(before));
        QCOMPARE(h.SheetDifference(Bytes(before)), QString());
        QVERIFY(h.Find<QAction>(QStringLiteral("mnuEditRedo")).isEnabled());
        h.Click(QStringLiteral("cmdSave"));
        QCOMPARE(rom.Contents(), file);
    }
    void undoOfAnotherTileLeavesTheGridAlone()
    {
        OpenEditor h;
        h.Click(QStringLiteral("picSprites(4)"));
        h.PaintCell((PixelValue(h.SpriteBuf().mid(64, 16), 4, 4) + 1) % 4, 4, 4);
        const QImage painted = h.View(4).Image().copy();
        h.Click(QStringLiteral("picSprites(6)"));
        const QImage grid = h.Grid().Image().copy();
        h.Trigger(QStringLiteral("mnuEditUndo"));
        QVERIFY(h.View(4).Image() != painted);
        QCOMPARE(h.Grid().Image(), grid);
        QVERIFY(h.MarkerShown(6));
    }
    void droppedSpriteImageIsUndoableAndSavedOnlyBySave()
    {
        QTemporaryDir dir;
        const SpriteBlock art = RandomBlock(7);
        const QString png = dir.filePath(QStringLiteral("art.png"));
        WriteSpritePng(png, art, PngPalette::HardwareGreys);

        OpenEditor h;
        h.window->picSprites_Click(9);
        const QByteArray original = h.SpriteBuf();
        QVERIFY(DropFile(h, QUrl::fromLocalFile(png)));
        QCOMPARE(h.SpriteBuf(), Bytes(art));
        QCOMPARE(h.SheetDifference(Bytes(art)), QString());
        QCOMPARE(h.Grid().Image().pixelColor(127, 127), h.View(9).Image().pixelColor(31, 31));
        QCOMPARE(h.rom.Contents().mid(kEntry0, 384), original);

        h.Trigger(QStringLiteral("mnuEditUndo"));
        QCOMPARE(h.SpriteBuf(), original);
        h.Trigger(QStringLiteral("mnuEditRedo"));
        h.window->cmdSave_Click();
        QCOMPARE(h.rom.Contents().mid(kEntry0, 384), Bytes(art));
        QVERIFY(h.messages.shown.empty());
    }
    void copyThenPasteGivesTheSameSprite()
    {
        OpenEditor h;
        QVERIFY(h.Show());
        h.window->Color_Click(2);
        h.Find<QScrollBar>(QStringLiteral("hRED")).setValue(40); // copies use the colours shown now
        h.window->picEdit_MouseDown(1, 0, 30, 30);
        const QByteArray painted = h.SpriteBuf();
        h.Keys("Ctrl+C");
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(16, 96));
        QCOMPARE(copied.pixelColor(1, 1), QColor(40, 255, 255));

        h.LoadSprite(3);
        QVERIFY(h.SpriteBuf() != painted);
        h.Keys("Ctrl+V");
        QCOMPARE(h.SpriteBuf(), painted);
        QVERIFY(h.messages.shown.empty());

        QApplication::clipboard()->setText(QStringLiteral("not an image"));
        h.Keys("Ctrl+V");
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QCOMPARE(h.SpriteBuf(), painted);
        QApplication::clipboard()->setImage(copied.copy(0, 0, 16, 95));
        h.Keys("Ctrl+V");
        QCOMPARE(h.messages.shown.size(), std::size_t(2));
        QVERIFY2(h.messages.LastText().startsWith(QStringLiteral("The pasted image: ")),
            qPrintable(h.messages.LastText()));
        QCOMPARE(h.SpriteBuf(), painted);
    }
    void romOpensByArgumentAndByDrop()
    {
        RomFixture first;
        QTemporaryDir dir;
        // The second ROM's name is Latin-1, as an older system wrote it: no Qt string can hold it.
        const QByteArray second = QFile::encodeName(dir.path()) + "/s\xE9" + "cond.gbc";
        QVERIFY(WriteNativeFile(
            second, RomFixture::Pattern(kRomBytes).replace(kEntry0, 384, QByteArray(384, '\x5A'))));

        EditorHarness h;
        QVERIFY(h.window->OpenRom(QFile::encodeName(first.Path())));
        QCOMPARE(Caption(*h.window), "Morvane Sarnet Sprite Editor [" + first.Path() + "]");
        QVERIFY(
            DropFile(h, QUrl::fromEncoded("file://" + QByteArray(second).toPercentEncoding("/"))));
        QCOMPARE(h.window->Document().RomPath(), second.toStdString());
        QCOMPARE(h.SpriteBuf(), QByteArray(384, '\x5A'));
        QCOMPARE(Caption(*h.window),
            "Morvane Sarnet Sprite Editor [" + dir.path() + QStringLiteral("/s\u00E9cond.gbc]"));
        // A ROM opened by drop is the next Open dialog's file, like one chosen there.
        h.dialogs.CancelOpen();
        h.window->mnuFileLoad_Click();
        QCOMPARE(h.dialogs.OpenRequests().constLast().fileName, QFile::decodeName(second));
    }
    void otherDropsAreRefused()
    {
        QTemporaryDir dir;
        const QString text = dir.filePath(QStringLiteral("notes.txt"));
        QVERIFY(WriteWholeFile(text, "hello"));
        const QString png = dir.filePath(QStringLiteral("sprite.png"));
        WriteSpritePng(png, RandomBlock(3), PngPalette::HardwareGreys);
        EditorHarness h;
        QVERIFY(!DropFile(h, QUrl::fromLocalFile(text)));
        // A sprite image needs an open ROM and a loaded sprite to go into.
        QVERIFY(DropFile(h, QUrl::fromLocalFile(png)));
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QVERIFY(h.messages.LastText().contains(png));
        QVERIFY(h.window->Document().SpriteBuf() == SpriteBlock {});
    }
    void colourCommandsWorkBeforeAnyRom()
    {
        EditorHarness h;
        h.dialogs.AnswerColor(PackRgb(0, 255, 0));
        h.Trigger(QStringLiteral("mnuOptionsGrid"));
        QVERIFY(AllGridLines(h, QColor(0, 255, 0)));
        QVERIFY(AllMarkers(h, Qt::red));

        h.dialogs.AnswerColor(PackRgb(0, 0, 255));
        h.Trigger(QStringLiteral("mnuOptionsSprites"));
        QVERIFY(AllMarkers(h, QColor(0, 0, 255)));
        QVERIFY(AllGridLines(h, QColor(0, 255, 0)));
        // Both commands share one dialog object, owned by the main window, asking with flags 0.
        QCOMPARE(h.dialogs.ColorRequests().size(), 2);
        const ColorDialogRequest& second = h.dialogs.ColorRequests().at(1);
        QCOMPARE(std::tuple(second.owner, second.flags, second.initial),
            std::tuple(h.window.get(), 0u, PackRgb(0, 255, 0)));

        // Hidden lines are recoloured too and show the new colour when shown again.
        h.Find<QCheckBox>(QStringLiteral("chkGRID")).setChecked(false);
        h.dialogs.AnswerColor(PackRgb(10, 20, 30));
        h.window->mnuOptionsGrid_Click();
        QVERIFY(AllGridLines(h, QColor(10, 20, 30)));
    }
    void cancelledColourLeavesLinesAndMarkersAsTheyWere()
    {
        EditorHarness h;
        h.dialogs.CancelColor();
        h.window->mnuOptionsGrid_Click();
        QVERIFY(AllGridLines(h, Qt::white));
        h.dialogs.AnswerColor(PackRgb(0, 0, 255));
        h.window->mnuOptionsSprites_Click();
        h.dialogs.CancelColor();
        h.window->mnuOptionsGrid_Click();
        QVERIFY(AllGridLines(h, Qt::white));
        h.dialogs.CancelColor();
        h.window->mnuOptionsSprites_Click();
        QVERIFY(AllMarkers(h, QColor(0, 0, 255)));
        // Black confirmed is a real choice, not a cancel.
        h.dialogs.AnswerColor(0);
        h.window->mnuOptionsGrid_Click();
        QVERIFY(AllGridLines(h, Qt::black));
    }
    void previewShowsUnsavedPaintAndReturnsWhenClosed()
    {
        OpenEditor h;
        QVERIFY(h.Show());
        h.window->picSprites_Click(12);
        h.window->Color_Click(3);
        h.window->picEdit_MouseDown(1, 0, 1, 1);

        QImage topLeftOfFrameOne;
        QTimer::singleShot(0, h.window.get(), [&] {
            auto* preview = qobject_cast<frmTest*>(QApplication::activeModalWidget());
            QVERIFY(preview != nullptr);
            topLeftOfFrameOne = preview->picSprite[1]->Image().copy(0, 0, 32, 32);
            // The first opening of a run starts on the poses' second frames.
            preview->tmrSprite_Timer();
            QCOMPARE(preview->picSpriteM[0]->Image(), preview->picSprite[1]->Image());
            preview->Command1->click();
        });
        h.Trigger(QStringLiteral("mnuOptionsTest"));
        QVERIFY(!topLeftOfFrameOne.isNull()); // the preview was seen
        QCOMPARE(topLeftOfFrameOne, h.View(12).Image());
        QCOMPARE(topLeftOfFrameOne.pixelColor(0, 0), QColor(0, 0, 255));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }
    void helpOpensTheTextBesideTheProgram()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Program Files; rm -rf ~ & 'x'"));
        QVERIFY(QDir().mkpath(folder));
        const QString help = folder + QStringLiteral("/Morvane Sarnet Sprite Editor.txt");
        QVERIFY(WriteWholeFile(help, "help"));
        EditorHarness h; // lends its recording services to a window started from that folder
        frmMain w(PlatformServices {h.dialogs, h.messages, h.help, folder});
        w.findChild<QAction*>(QStringLiteral("mnuHelpHelp"))->trigger();
        QCOMPARE(h.help.opened, QStringList {help});
        QVERIFY(h.messages.shown.empty());
    }
    void helpWithoutFileOrViewerSaysSo()
    {
        EditorHarness h;
        h.window->mnuHelpHelp_Click();
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QVERIFY(h.messages.LastText().contains("Morvane Sarnet Sprite Editor.txt"));
        QVERIFY(h.help.opened.isEmpty());

        QVERIFY(WriteWholeFile(h.programFolder.filePath("Morvane Sarnet Sprite Editor.txt"), "x"));
        h.help.succeed = false;
        h.window->mnuHelpHelp_Click();
        QCOMPARE(h.messages.shown.size(), std::size_t(2));
        QVERIFY(h.messages.LastText().contains(h.help.failure));
        QCOMPARE(h.messages.shown[1].title, kTitle);
    }
};

QTEST_MAIN(EditingExtrasTest)
#include "EditingExtrasTest.moc"
