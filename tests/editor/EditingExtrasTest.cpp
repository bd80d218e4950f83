// Undo and redo, sprite images dropped or pasted, and ROM images opened by argument or drop.
#include "EditorHarness.h"
#include "TestData.h"
#include "spritepng/SpritePng.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;

namespace {

// Delivers a drop of one local file on the window, as the desktop would.
bool DropFile(QWidget* window, const QUrl& file)
{
    QMimeData mime;
    mime.setUrls({file});
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
    void undoOfAnotherTileLeavesTheGridAlone();
    void droppedSpriteImageIsUndoableAndSavedOnlyBySave();
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
    PictureBox* grid = &h.Grid();
    const QByteArray original = h.SpriteBuf();
    const QImage originalView = h.View(0).Image().copy();
    const QImage originalGrid = grid->Image().copy();
    w.Color_Click(3);
    QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(grid, QPoint(20, 2));
    QTest::mouseMove(grid, QPoint(40, 2));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(40, 2));
    const QByteArray firstStroke = h.SpriteBuf();
    const QImage firstView = h.View(0).Image().copy();
    w.Color_Click(2);
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(100, 100));
    const QByteArray secondStroke = h.SpriteBuf();
    QVERIFY(firstStroke != original && secondStroke != firstStroke);
    const QAction& undo = h.Find<QAction>(QStringLiteral("mnuEditUndo"));
    QCOMPARE(undo.text(), QStringLiteral("&Undo Paint"));

    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.SpriteBuf(), firstStroke);
    QCOMPARE(h.View(0).Image(), firstView);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(h.SpriteBuf(), original); // the three cells of the drag went back together
    QCOMPARE(h.View(0).Image(), originalView);
    QCOMPARE(grid->Image(), originalGrid);
    QVERIFY(!undo.isEnabled());
    QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(h.SpriteBuf(), firstStroke);
    QCOMPARE(h.View(0).Image(), firstView);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(h.SpriteBuf(), secondStroke);
}

void EditingExtrasTest::undoOfAnotherTileLeavesTheGridAlone()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    h.Click(QStringLiteral("picSprites(4)"));
    h.Click(QStringLiteral("Color(%1)").arg((PixelValue(h.SpriteBuf().mid(64, 16), 4, 4) + 1) % 4));
    h.PressGrid(QPoint(70, 70));
    h.ReleaseGrid(QPoint(70, 70));
    const QImage painted = h.View(4).Image().copy();
    h.Click(QStringLiteral("picSprites(6)"));
    const QImage grid = h.Grid().Image().copy();
    h.Trigger(QStringLiteral("mnuEditUndo"));
    QVERIFY(h.View(4).Image() != painted);
    QCOMPARE(h.Grid().Image(), grid);
    QVERIFY(h.MarkerShown(6));
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
    QVERIFY(DropFile(&w, QUrl::fromLocalFile(png)));
    QCOMPARE(h.SpriteBuf(), Bytes(art));
    for (int t = 0; t < 24; ++t)
        QVERIFY(CompareTileView(h.View(t).Image(), Bytes(art).mid(16 * t, 16)).isEmpty());
    QCOMPARE(h.Grid().Image().pixelColor(127, 127), h.View(9).Image().pixelColor(31, 31));
    QCOMPARE(rom.Contents().mid(kEntry0, 384), original);

    h.Trigger(QStringLiteral("mnuEditUndo"));
    QCOMPARE(h.SpriteBuf(), original);
    h.Trigger(QStringLiteral("mnuEditRedo"));
    w.cmdSave_Click();
    QCOMPARE(rom.Contents().mid(kEntry0, 384), Bytes(art));
    QVERIFY(h.messages.shown.empty());
}

void EditingExtrasTest::copyThenPasteGivesTheSameSprite()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto paste = [&w] { QTest::keyClick(&w, Qt::Key_V, Qt::ControlModifier); };
    w.Color_Click(2);
    h.Find<QScrollBar>(QStringLiteral("hRED")).setValue(40); // copies use the colours shown now
    w.picEdit_MouseDown(1, 0, 30, 30);
    const QByteArray painted = h.SpriteBuf();
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(16, 96));
    QCOMPARE(copied.pixelColor(1, 1), QColor(40, 255, 255));

    h.LoadSprite(3);
    QVERIFY(h.SpriteBuf() != painted);
    paste();
    QCOMPARE(h.SpriteBuf(), painted);
    QVERIFY(h.messages.shown.empty());

    QApplication::clipboard()->setText(QStringLiteral("not an image"));
    paste();
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QCOMPARE(h.SpriteBuf(), painted);
    QImage wrongSize(16, 95, QImage::Format_RGB32);
    wrongSize.fill(Qt::white);
    QApplication::clipboard()->setImage(wrongSize);
    paste();
    QCOMPARE(h.messages.shown.size(), std::size_t(2));
    QVERIFY2(h.messages.LastText().startsWith(QStringLiteral("The pasted image: ")),
        qPrintable(h.messages.LastText()));
    QCOMPARE(h.SpriteBuf(), painted);
}

void EditingExtrasTest::romOpensByArgumentAndByDrop()
{
    RomFixture first;
    QTemporaryDir dir;
    // The second ROM's name is Latin-1, as an older system wrote it: no Qt string can hold it.
    const QByteArray second = QFile::encodeName(dir.path())
        + "/s\xE9"
          "cond.gbc";
    QByteArray contents = RomFixture::Pattern(1045104);
    contents.replace(kEntry0, 384, QByteArray(384, '\x5A'));
    const int fd = ::open(second.constData(), O_CREAT | O_EXCL | O_WRONLY, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, contents.constData(), std::size_t(contents.size())), ssize_t(1045104));
    ::close(fd);

    EditorHarness h;
    QVERIFY(h.window->OpenRom(QFile::encodeName(first.Path())));
    QCOMPARE(Caption(*h.window), "Morvane Sarnet Sprite Editor [" + first.Path() + "]");
    QVERIFY(DropFile(
        h.window.get(), QUrl::fromEncoded("file://" + QByteArray(second).toPercentEncoding("/"))));
    QCOMPARE(h.window->Document().RomPath(), second.toStdString());
    QCOMPARE(h.SpriteBuf(), QByteArray(384, '\x5A'));
    QCOMPARE(Caption(*h.window),
        "Morvane Sarnet Sprite Editor [" + dir.path() + QStringLiteral("/s\u00E9cond.gbc]"));
    // A ROM opened by drop is the next Open dialog's file, like one chosen there.
    h.dialogs.CancelOpen();
    h.window->mnuFileLoad_Click();
    QCOMPARE(h.dialogs.OpenRequests().constLast().fileName, QFile::decodeName(second));
}

void EditingExtrasTest::otherDropsAreRefused()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QVERIFY(WriteWholeFile(text, "hello"));
    const QString png = dir.filePath(QStringLiteral("sprite.png"));
    WriteSpritePng(png, RandomBlock(3), PngPalette::HardwareGreys);
    EditorHarness h;
    QVERIFY(!DropFile(h.window.get(), QUrl::fromLocalFile(text)));
    // A sprite image needs an open ROM and a loaded sprite to go into.
    QVERIFY(DropFile(h.window.get(), QUrl::fromLocalFile(png)));
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QVERIFY(h.messages.LastText().contains(png));
    QVERIFY(h.window->Document().SpriteBuf() == SpriteBlock {});
}

QTEST_MAIN(EditingExtrasTest)
#include "EditingExtrasTest.moc"
