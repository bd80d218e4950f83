// Undo and redo, sprite images dropped or pasted, and ROM images opened by argument or drop.
#include "EditorHarness.h"
#include "TestData.h"
#include "spritepng/SpritePng.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

constexpr qint64 kEntry0 = 82928;

// Delivers a drop of one local file on the window, as the desktop would.
bool DropFile(QWidget* window, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(50, 50);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    return true;
}

} // namespace

class EditingExtrasTest : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoWholeStrokes();
    void undoRestoresTheGridAndBitsOfTheSelectedTile();
    void historyKeepsAHundredStepsAndStartsAfreshOnLoad();
    void droppedSpriteImageIsUndoableAndSavedOnlyBySave();
    void refusedImageChangesNothing();
    void copyThenPasteGivesTheSameSprite();
    void romOpensByArgumentAndByDrop();
    void otherDropsAreRefused();
};

void EditingExtrasTest::undoAndRedoWholeStrokes()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QByteArray original = h.SpriteBuf();
    const QImage originalView = w.picSprites[0]->Image().copy();
    w.Color_Click(3);
    QTest::mousePress(w.picEdit, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(w.picEdit, QPoint(20, 2));
    QTest::mouseMove(w.picEdit, QPoint(40, 2));
    QTest::mouseRelease(w.picEdit, Qt::LeftButton, {}, QPoint(40, 2));
    const QByteArray firstStroke = h.SpriteBuf();
    const QImage firstView = w.picSprites[0]->Image().copy();
    w.Color_Click(2);
    QTest::mouseClick(w.picEdit, Qt::LeftButton, {}, QPoint(100, 100));
    const QByteArray secondStroke = h.SpriteBuf();
    QVERIFY(firstStroke != original && secondStroke != firstStroke);

    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.SpriteBuf(), firstStroke);
    QCOMPARE(w.picSprites[0]->Image(), firstView);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.SpriteBuf(), original); // the three cells of the drag went back together
    QCOMPARE(w.picSprites[0]->Image(), originalView);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); // nothing more to undo
    QCOMPARE(h.SpriteBuf(), original);
    QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(h.SpriteBuf(), firstStroke);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(h.SpriteBuf(), secondStroke);
    // A new stroke after an undo drops what could have been redone.
    w.Undo();
    w.picEdit_MouseDown(1, 0, 60, 60);
    w.Redo();
    QVERIFY(h.SpriteBuf() != secondStroke);
}

void EditingExtrasTest::undoRestoresTheGridAndBitsOfTheSelectedTile()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    w.picSprites_Click(4);
    const QImage grid = w.picEdit->Image().copy();
    const BitTable lo = w.State.TileLoBits;
    w.Color_Click(1);
    w.picEdit_MouseDown(1, 0, 70, 70);
    w.Undo();
    QCOMPARE(w.picEdit->Image(), grid);
    QVERIFY(w.State.TileLoBits == lo);
    // Painting after the undo rebuilds the row from the restored bits, not the undone ones.
    w.picEdit_MouseDown(1, 0, 5, 70);
    QByteArray expected = rom.Contents().mid(kEntry0, 384);
    expected[16 * 4 + 8] = static_cast<char>(expected.at(16 * 4 + 8) | 0x80);
    expected[16 * 4 + 9] = static_cast<char>(expected.at(16 * 4 + 9) & 0x7F);
    QCOMPARE(h.SpriteBuf(), expected);
}

void EditingExtrasTest::historyKeepsAHundredStepsAndStartsAfreshOnLoad()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    const QByteArray original = h.SpriteBuf();
    for (int i = 0; i < 100; ++i) {
        const int column = i % 8;
        const int row = i / 8 % 8;
        // Always a colour the pixel does not have, so every stroke is a change.
        w.Color_Click((PixelValue(h.SpriteBuf().left(16), column, row) + 1) % 4);
        w.picEdit_MouseDown(1, 0, float(column) * 16 + 1, float(row) * 16 + 1);
        w.picEdit_MouseMove(0, 0, 0, 0); // no button: the stroke ends at the release
        emit w.picEdit->MouseReleased(Qt::LeftButton);
    }
    int undone = 0;
    while (w.History().CanUndo()) {
        w.Undo();
        ++undone;
    }
    QCOMPARE(undone, 100);
    QCOMPARE(h.SpriteBuf(), original);

    w.picEdit_MouseDown(1, 0, 1, 1);
    w.cmdLoad_Click();
    QVERIFY(!w.History().CanUndo());
    w.Undo();
    QCOMPARE(h.SpriteBuf(), original);
}

void EditingExtrasTest::droppedSpriteImageIsUndoableAndSavedOnlyBySave()
{
    RomFixture rom;
    QTemporaryDir dir;
    const SpriteBlock art = RandomBlock(7);
    const QString png = dir.filePath(QStringLiteral("art.png"));
    WriteSpritePng(png, art, PngPalette::HardwareGreys);

    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    w.picSprites_Click(9);
    const QByteArray original = h.SpriteBuf();
    QVERIFY(DropFile(&w, png));
    QCOMPARE(h.SpriteBuf(), Bytes(art));
    for (int t = 0; t < 24; ++t)
        QVERIFY(CompareTileView(
            w.picSprites[static_cast<std::size_t>(t)]->Image(), Bytes(art).mid(16 * t, 16))
                    .isEmpty());
    QCOMPARE(w.picEdit->Image().pixelColor(0, 0), w.picSprites[9]->Image().pixelColor(0, 0));
    QCOMPARE(rom.Contents().mid(kEntry0, 384), original);

    w.Undo();
    QCOMPARE(h.SpriteBuf(), original);
    w.Redo();
    w.cmdSave_Click();
    QCOMPARE(rom.Contents().mid(kEntry0, 384), Bytes(art));
    QVERIFY(h.messages.shown.empty());
}

void EditingExtrasTest::refusedImageChangesNothing()
{
    RomFixture rom;
    QTemporaryDir dir;
    const QString wrongSize = dir.filePath(QStringLiteral("wide.png"));
    QImage wide(32, 96, QImage::Format_RGB32);
    wide.fill(Qt::white);
    QVERIFY(wide.save(wrongSize));
    const QString fiveColours = dir.filePath(QStringLiteral("five.png"));
    QImage five(16, 96, QImage::Format_RGB32);
    five.fill(Qt::white);
    five.setPixel(3, 40, qRgb(12, 34, 56));
    QVERIFY(five.save(fiveColours));

    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    const QByteArray original = h.SpriteBuf();
    const QImage view = w.picSprites[0]->Image().copy();
    QVERIFY(DropFile(&w, wrongSize));
    QVERIFY(DropFile(&w, fiveColours));
    QCOMPARE(h.messages.shown.size(), std::size_t(2));
    QVERIFY(h.messages.shown[0].text.contains("wide.png"));
    QVERIFY(h.messages.shown[1].text.contains("(3, 40)"));
    QCOMPARE(h.SpriteBuf(), original);
    QCOMPARE(w.picSprites[0]->Image(), view);
    QVERIFY(!w.History().CanUndo());
}

void EditingExtrasTest::copyThenPasteGivesTheSameSprite()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    w.Color_Click(2);
    w.hRED->setValue(40); // copies use the display colours as they are now
    w.picEdit_MouseDown(1, 0, 30, 30);
    const QByteArray painted = h.SpriteBuf();
    w.CopySprite();
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(16, 96));

    h.LoadSprite(3);
    QVERIFY(h.SpriteBuf() != painted);
    w.PasteSprite();
    QCOMPARE(h.SpriteBuf(), painted);
    QVERIFY(h.messages.shown.empty());

    QApplication::clipboard()->setText(QStringLiteral("not an image"));
    w.PasteSprite();
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QCOMPARE(h.SpriteBuf(), painted);
}

void EditingExtrasTest::romOpensByArgumentAndByDrop()
{
    RomFixture first;
    RomFixture second(1045104, QStringLiteral("second.gbc"));
    second.Poke(kEntry0, QByteArray(384, '\x5A'));
    EditorHarness h;
    QVERIFY(h.window->OpenRom(first.Path()));
    QCOMPARE(h.window->windowTitle(), "Morvane Sarnet Sprite Editor [" + first.Path() + "]");
    QVERIFY(DropFile(h.window.get(), second.Path()));
    QCOMPARE(h.window->State.RomPath, second.PathUtf8());
    QCOMPARE(h.SpriteBuf(), QByteArray(384, '\x5A'));
    h.dialogs.CancelOpen();
    h.window->mnuFileLoad_Click();
    QCOMPARE(h.dialogs.OpenRequests().constLast().fileName, second.Path());

    // A path that cannot be opened gives the usual message and changes nothing.
    EditorHarness fresh;
    QVERIFY(!fresh.window->OpenRom(first.Folder() + QStringLiteral("/missing.gb")));
    QCOMPARE(fresh.messages.shown.size(), std::size_t(1));
    QCOMPARE(fresh.window->windowTitle(), QStringLiteral("Morvane Sarnet Sprite Editor"));
}

void EditingExtrasTest::otherDropsAreRefused()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QVERIFY(WriteWholeFile(text, "hello"));
    const QString png = dir.filePath(QStringLiteral("sprite.png"));
    WriteSpritePng(png, RandomBlock(3), PngPalette::HardwareGreys);
    EditorHarness h;
    QVERIFY(!DropFile(h.window.get(), text));
    // A sprite image needs an open ROM and a loaded sprite to go into.
    QVERIFY(DropFile(h.window.get(), png));
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QVERIFY(h.window->State.SpriteBuf == SpriteBlock {});
}

QTEST_MAIN(EditingExtrasTest)
#include "EditingExtrasTest.moc"
