// File, Load Rom, Load Sprite, Save and Save Changes through the real window, with the file
// operations' failures: each ends in a message naming the file and leaves everything intact.
#include "EditorHarness.h"
#include "dialogs/clsMSDLG.h"
#include "widgets/ColorSwatch.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

constexpr qint64 kEntry0 = 82928;
constexpr qint64 kEntry21 = 91184;

// Paints cell (2, 2) of the selected tile in a colour it does not have, so SpriteBuf differs
// from the file.
void PaintSomething(frmMain& w)
{
    const QByteArray tile(
        reinterpret_cast<const char*>(w.State.SpriteBuf.data()) + 16 * w.State.CurTile, 16);
    w.Color_Click((PixelValue(tile, 2, 2) + 1) % 4);
    w.picEdit_MouseDown(1, 0, 40, 40);
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void loadRomOpensTheImageAndShowsEntryZero();
    void openDialogAsksForGameboyImagesInTheProgramFolder();
    void cancelledOpenChangesNothingAtAll();
    void loadSpriteReadsTheSelectedEntry_data();
    void loadSpriteReadsTheSelectedEntry();
    void loadSpriteWithoutSelectionWarns();
    void loadSpriteAgainDiscardsUnsavedPaint();
    void saveWritesOnlyTheLoadedBlock();
    void saveWritesToTheLoadedEntryWhateverTheListShows();
    void saveAndSaveChangesGiveTheSameFile();
    void longPathOpensTwiceInARow();
    void pathWithSpacesAndNonAsciiWorks();
    void missingRomIsRefusedAndTheWindowStaysEmpty();
    void folderIsRefused();
    void shortRomOpensAndEntriesBeyondItsEndAreRefused();
    void romDeletedBetweenLoadAndSaveIsNotRecreated();
    void romShortenedBetweenLoadAndSaveIsNotGrown();
    void fullDiskOnSaveIsReportedNotTakenForSuccess();
    void secondRomTooShortForEntryZeroKeepsNothingToSave();
};

void FileCommandsTest::loadRomOpensTheImageAndShowsEntryZero()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;

    QCOMPARE(w.windowTitle(), "Morvane Sarnet Sprite Editor [" + rom.Path() + "]");
    for (QWidget* control : std::initializer_list<QWidget*> {
             w.Frame1, w.Frame2, w.Frame3, w.Frame4, w.cboSprite, w.cmdLoad, w.cmdSave, w.cmdTest})
        QVERIFY(control->isEnabled());
    QVERIFY(w.mnuFileSave->isEnabled());
    QVERIFY(w.mnuOptionsTest->isEnabled());

    for (int i = 0; i < 4; ++i)
        QCOMPARE(w.Color[static_cast<std::size_t>(i)]->FillColor(), DefaultColour(i));
    QCOMPARE(w.Color[4]->FillColor(), QColor(223, 0, 200));
    QCOMPARE(w.hRED->value(), 223);
    QCOMPARE(w.hGREEN->value(), 0);
    QCOMPARE(w.hBLUE->value(), 200);
    QCOMPARE(w.State.PalColor, (Palette {0xC800DF, 0, 0xFFFFFF, 0xFF0000}));
    QCOMPARE(w.State.CurColor, 0);
    QCOMPARE(w.State.CurCode, std::string("00"));
    QCOMPARE(w.cboSprite->currentIndex(), 0);

    const QByteArray file = rom.Contents();
    QCOMPARE(h.SpriteBuf(), file.mid(kEntry0, 384));
    for (int t = 0; t < 24; ++t) {
        const QString difference = CompareTileView(
            w.picSprites[static_cast<std::size_t>(t)]->Image(), file.mid(kEntry0 + 16 * t, 16));
        QVERIFY2(
            difference.isEmpty(), qPrintable(QStringLiteral("tile %1: %2").arg(t).arg(difference)));
    }
    QVERIFY(h.messages.shown.empty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void FileCommandsTest::openDialogAsksForGameboyImagesInTheProgramFolder()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    h.LoadRom(rom.Path());
    QCOMPARE(h.dialogs.OpenRequests().size(), 2);
    const FileDialogRequest& first = h.dialogs.OpenRequests().at(0);
    QCOMPARE(first.owner, h.window.get());
    QCOMPARE(first.initialFolder, h.programFolder.path());
    QCOMPARE(first.nameFilters.size(), 1);
    QVERIFY(first.nameFilters.at(0).startsWith("Gameboy Rom Images (*.gb; *.gbc)"));
    // The shared dialog offers the last chosen file again.
    QVERIFY(h.dialogs.OpenRequests().at(1).fileName.endsWith(rom.Path())
        || h.dialogs.OpenRequests().at(1).fileName == rom.Path());
}

void FileCommandsTest::cancelledOpenChangesNothingAtAll()
{
    EditorHarness h;
    h.dialogs.CancelOpen();
    h.window->mnuFileLoad_Click();
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Morvane Sarnet Sprite Editor"));
    QVERIFY(!h.window->Frame1->isEnabled());

    RomFixture rom;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    h.LoadSprite(5);
    w.Color_Click(2);
    w.hRED->setValue(17);
    PaintSomething(w);
    const QByteArray painted = h.SpriteBuf();
    const QImage view = w.picSprites[0]->Image().copy();
    const int colour = w.State.CurColor;

    h.dialogs.CancelOpen();
    w.mnuFileLoad_Click();
    QCOMPARE(h.SpriteBuf(), painted);
    QCOMPARE(w.cboSprite->currentIndex(), 5);
    QCOMPARE(w.State.LoadedIndex, 5);
    QCOMPARE(w.State.CurColor, colour);
    QCOMPARE(w.Color[2]->FillColor(), QColor(17, 255, 255));
    QCOMPARE(w.picSprites[0]->Image(), view);
    QVERIFY(h.messages.shown.empty());
}

void FileCommandsTest::loadSpriteReadsTheSelectedEntry_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<qint64>("offset");
    QTest::newRow("first") << 0 << qint64(82928);
    QTest::newRow("end of first run") << 20 << qint64(90608);
    QTest::newRow("start of second run, not after entry 20") << 21 << kEntry21;
    QTest::newRow("end of second run") << 36 << qint64(96944);
    QTest::newRow("start of third run") << 37 << qint64(1042032);
    QTest::newRow("last") << 44 << qint64(1044720);
}

void FileCommandsTest::loadSpriteReadsTheSelectedEntry()
{
    QFETCH(int, index);
    QFETCH(qint64, offset);
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    h.LoadSprite(index);
    const QByteArray file = rom.Contents();
    QCOMPARE(h.SpriteBuf(), file.mid(offset, 384));
    QVERIFY(
        CompareTileView(h.window->picSprites[23]->Image(), file.mid(offset + 368, 16)).isEmpty());
}

void FileCommandsTest::loadSpriteWithoutSelectionWarns()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    const QByteArray before = h.SpriteBuf();
    h.window->cboSprite->setCurrentIndex(-1);
    h.window->cmdLoad_Click();
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QCOMPARE(h.messages.shown[0].text, QStringLiteral("Select a sprite to load!"));
    QCOMPARE(h.messages.shown[0].title, QStringLiteral("Morvane Sarnet Sprite Editor"));
    QCOMPARE(h.messages.shown[0].icon, MessageService::Icon::Warning);
    QCOMPARE(h.SpriteBuf(), before);
}

void FileCommandsTest::loadSpriteAgainDiscardsUnsavedPaint()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    PaintSomething(*h.window);
    QVERIFY(h.SpriteBuf() != rom.Contents().mid(kEntry0, 384));
    h.window->cmdLoad_Click();
    QCOMPARE(h.SpriteBuf(), rom.Contents().mid(kEntry0, 384));
    QVERIFY(CompareTileView(h.window->picSprites[0]->Image(), rom.Contents().mid(kEntry0, 16))
                .isEmpty());
    QVERIFY(h.messages.shown.empty());
}

void FileCommandsTest::saveWritesOnlyTheLoadedBlock()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    h.LoadSprite(21);
    PaintSomething(*h.window);
    const QByteArray before = rom.Contents();
    h.window->cmdSave_Click();
    const QByteArray after = rom.Contents();
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.mid(kEntry21, 384), h.SpriteBuf());
    QCOMPARE(after.left(kEntry21), before.left(kEntry21));
    QCOMPARE(after.mid(kEntry21 + 384), before.mid(kEntry21 + 384));
    QVERIFY(h.messages.shown.empty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // Saving again without edits leaves the file as the first Save left it.
    h.window->cmdSave_Click();
    QCOMPARE(rom.Contents(), after);
}

void FileCommandsTest::saveWritesToTheLoadedEntryWhateverTheListShows()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    h.LoadSprite(4);
    PaintSomething(*h.window);
    const QByteArray before = rom.Contents();
    h.window->cboSprite->setCurrentIndex(7);
    h.window->cmdSave_Click();
    const QByteArray after = rom.Contents();
    const qint64 entry4 = kEntry0 + 4 * 384;
    const qint64 entry7 = kEntry0 + 7 * 384;
    QCOMPARE(after.mid(entry4, 384), h.SpriteBuf());
    QCOMPARE(after.mid(entry7, 384), before.mid(entry7, 384));
}

void FileCommandsTest::saveAndSaveChangesGiveTheSameFile()
{
    RomFixture first;
    RomFixture second;
    for (const RomFixture* rom : {&first, &second}) {
        EditorHarness h;
        h.LoadRom(rom->Path());
        h.LoadSprite(37);
        PaintSomething(*h.window);
        if (rom == &first)
            h.window->cmdSave->click();
        else
            h.window->mnuFileSave->trigger();
    }
    QVERIFY(first.Contents() != RomFixture::Pattern(first.Contents().size()));
    QCOMPARE(first.Contents(), second.Contents());
}

void FileCommandsTest::longPathOpensTwiceInARow()
{
    QTemporaryDir dir;
    QString folder = dir.path();
    while (folder.size() < 280)
        folder += QStringLiteral("/a-rather-long-folder-name");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/image.gb");
    QVERIFY(path.size() > 255);
    QVERIFY(WriteWholeFile(path, RomFixture::Pattern(1045104)));
    EditorHarness h;
    h.LoadRom(path);
    h.LoadRom(path);
    QCOMPARE(h.window->windowTitle(), "Morvane Sarnet Sprite Editor [" + path + "]");
    QCOMPARE(h.SpriteBuf(), RomFixture::Pattern(1045104).mid(kEntry0, 384));
    QVERIFY(h.messages.shown.empty());
}

void FileCommandsTest::pathWithSpacesAndNonAsciiWorks()
{
    RomFixture rom(1045104, QStringLiteral("Mörvane sprites ünd $HOME 'copy'.gb"));
    EditorHarness h;
    h.LoadRom(rom.Path());
    h.LoadSprite(44);
    PaintSomething(*h.window);
    h.window->cmdSave_Click();
    QVERIFY(h.messages.shown.empty());
    QCOMPARE(rom.Contents().mid(1044720, 384), h.SpriteBuf());
}

void FileCommandsTest::missingRomIsRefusedAndTheWindowStaysEmpty()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("nothing-here.gb"));
    EditorHarness h;
    h.LoadRom(missing);
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QVERIFY(h.messages.LastText().contains(missing));
    QCOMPARE(h.messages.shown[0].title, QStringLiteral("Morvane Sarnet Sprite Editor"));
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Morvane Sarnet Sprite Editor"));
    QVERIFY(!h.window->Frame1->isEnabled());
    QVERIFY(h.window->State.RomPath.empty());
}

void FileCommandsTest::folderIsRefused()
{
    QTemporaryDir dir;
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    const QByteArray loaded = h.SpriteBuf();
    h.LoadRom(dir.path());
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QVERIFY(h.messages.LastText().contains(dir.path()));
    // The ROM that was open stays open.
    QCOMPARE(h.window->State.RomPath, rom.PathUtf8());
    QCOMPARE(h.SpriteBuf(), loaded);
}

void FileCommandsTest::shortRomOpensAndEntriesBeyondItsEndAreRefused()
{
    RomFixture rom(524288); // long enough for the first two runs, not for entries 37..44
    EditorHarness h;
    h.LoadRom(rom.Path());
    QVERIFY(h.messages.shown.empty());
    h.LoadSprite(36);
    const QByteArray loaded = h.SpriteBuf();
    QList<QImage> views;
    for (PictureBox* view : h.window->picSprites)
        views << view->Image().copy();

    h.LoadSprite(37);
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    const QString text = h.messages.LastText();
    QVERIFY2(text.contains(rom.Path()) && text.contains("524288") && text.contains("1042032")
            && text.contains("beyond"),
        qPrintable(text));
    QCOMPARE(h.SpriteBuf(), loaded);
    QCOMPARE(h.window->State.LoadedIndex, 36);
    for (int t = 0; t < 24; ++t)
        QCOMPARE(h.window->picSprites[static_cast<std::size_t>(t)]->Image(), views[t]);
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // Save still goes to entry 36, the one SpriteBuf holds, and the file does not grow.
    h.window->cmdSave_Click();
    QCOMPARE(rom.Contents().size(), 524288);
}

void FileCommandsTest::romDeletedBetweenLoadAndSaveIsNotRecreated()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    PaintSomething(*h.window);
    QVERIFY(QFile::remove(rom.Path()));
    h.window->cmdSave_Click();
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QVERIFY(h.messages.LastText().contains(rom.Path()));
    QVERIFY(!QFile::exists(rom.Path()));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void FileCommandsTest::romShortenedBetweenLoadAndSaveIsNotGrown()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    h.LoadSprite(40);
    PaintSomething(*h.window);
    const QByteArray shorter = RomFixture::Pattern(600000);
    QVERIFY(WriteWholeFile(rom.Path(), shorter));
    h.window->cmdSave_Click();
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QVERIFY(h.messages.LastText().contains("600000"));
    QCOMPARE(rom.Contents(), shorter);
}

void FileCommandsTest::fullDiskOnSaveIsReportedNotTakenForSuccess()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("this system has no /dev/full");
    EditorHarness h;
    h.LoadRom(QStringLiteral("/dev/full"));
    QVERIFY(h.messages.shown.empty());
    PaintSomething(*h.window);
    h.window->cmdSave_Click();
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QVERIFY(h.messages.LastText().contains("/dev/full"));
    QCOMPARE(h.messages.shown[0].icon, MessageService::Icon::Error);
}

void FileCommandsTest::secondRomTooShortForEntryZeroKeepsNothingToSave()
{
    RomFixture big;
    RomFixture tiny(4096, QStringLiteral("tiny.gb"));
    EditorHarness h;
    h.LoadRom(big.Path());
    PaintSomething(*h.window);
    h.LoadRom(tiny.Path());
    QCOMPARE(h.messages.shown.size(), std::size_t(1)); // entry 0 lies beyond the end
    // The first ROM's sprite must never be written into the second ROM.
    h.window->cmdSave_Click();
    QCOMPARE(h.messages.shown.size(), std::size_t(2));
    QCOMPARE(tiny.Contents(), RomFixture::Pattern(4096));
    QCOMPARE(big.Contents(), RomFixture::Pattern(1045104));
}

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"
