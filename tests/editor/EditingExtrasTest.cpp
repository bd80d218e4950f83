// Undo on another tile, sprite images dropped or pasted, and ROM images opened by argument or drop.
#include "EditorHarness.h"
#include "TestData.h"
#include "spriteimage/SpriteImage.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>

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
        QCOMPARE(h.SheetDifference(Bytes(art)), QString());
        QCOMPARE(h.Grid().Image().pixelColor(127, 127), h.View(9).Image().pixelColor(31, 31));
        QCOMPARE(rom.Contents().mid(kEntry0, 384), original);

        h.Trigger(QStringLiteral("mnuEditUndo"));
        QCOMPARE(h.SpriteBuf(), original);
        h.Trigger(QStringLiteral("mnuEditRedo"));
        w.cmdSave_Click();
        QCOMPARE(rom.Contents().mid(kEntry0, 384), Bytes(art));
        QVERIFY(h.messages.shown.empty());
    }
    void copyThenPasteGivesTheSameSprite()
    {
        OpenEditor h;
        frmMain& w = *h.window;
        QVERIFY(h.Show());
        w.Color_Click(2);
        h.Find<QScrollBar>(QStringLiteral("hRED")).setValue(40); // copies use the colours shown now
        w.picEdit_MouseDown(1, 0, 30, 30);
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
        QImage wrongSize(16, 95, QImage::Format_RGB32);
        wrongSize.fill(Qt::white);
        QApplication::clipboard()->setImage(wrongSize);
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
        const QByteArray second = QFile::encodeName(dir.path())
            + "/s\xE9"
              "cond.gbc";
        QByteArray contents = RomFixture::Pattern(kRomBytes);
        contents.replace(kEntry0, 384, QByteArray(384, '\x5A'));
        QVERIFY(WriteNativeFile(second, contents));

        EditorHarness h;
        QVERIFY(h.window->OpenRom(QFile::encodeName(first.Path())));
        QCOMPARE(Caption(*h.window), "Morvane Sarnet Sprite Editor [" + first.Path() + "]");
        QVERIFY(DropFile(h.window.get(),
            QUrl::fromEncoded("file://" + QByteArray(second).toPercentEncoding("/"))));
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
        QVERIFY(!DropFile(h.window.get(), QUrl::fromLocalFile(text)));
        // A sprite image needs an open ROM and a loaded sprite to go into.
        QVERIFY(DropFile(h.window.get(), QUrl::fromLocalFile(png)));
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QVERIFY(h.messages.LastText().contains(png));
        QVERIFY(h.window->Document().SpriteBuf() == SpriteBlock {});
    }
};

QTEST_MAIN(EditingExtrasTest)
#include "EditingExtrasTest.moc"
