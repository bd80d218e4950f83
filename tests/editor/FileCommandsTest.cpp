// File, Load Rom, Load Sprite, Save and Save Changes through the real window, and every file a
// user can bring that the window must refuse: each refusal shows one message naming the file and
// leaves the window, its unsaved paint and the ROM image it saves into exactly as they were.
// Which entry Save writes and what a failed read leaves are the document's rules
// (SpriteSessionTest); the messages' wording is the file access's (the core suite).
#include "EditorHarness.h"
#include "HostileFiles.h"
#include "RowTable.h"
#include "TestData.h"
#include "WindowSnapshot.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <algorithm>
#include <optional>

#include <sys/resource.h>

using namespace morvane;
using namespace morvane::test;

namespace {

// The entry the edited sprite is loaded from: in the middle of the first run of blocks.
constexpr int kEditedEntry = 9;
constexpr qint64 kEditedOffset = kEntry0 + kEditedEntry * 384;

enum class Refused {
    OpenMissing,
    OpenUnreadable,
    OpenPipe,
    OpenShortOfEntry0,
    LoadBeyondTheEnd,
    ImportGarbage,
    ImportHugeHeader,
    ImportPipe
};
enum class SaveBreaker { Deleted, RunningProgram, ReplacedByPipe };

struct SaveRow {
    const char* name;
    bool menu; // File, Save Changes, or else the Save button
    int listed; // the entry the list shows when Save is pressed
};

struct PathRow {
    QByteArray relative; // the file system's own bytes
    QString shown; // how the caption shows them
};

// A refusal, and the words of the system's reason the message must hold.
struct RefusedRow {
    const char* name;
    Refused kind;
    QString reason;
};

struct BreakerRow {
    const char* name;
    SaveBreaker breaker;
    QString reason;
};

// The largest amount of memory the process has held so far, in kilobytes.
long PeakMemoryKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Opens `rom`, loads the edited entry and paints one cell of tile 5, so the window has unsaved
// work that a refused command must not lose.
void OpenAndEdit(EditorHarness& h, const QString& rom)
{
    h.LoadRom(rom);
    h.LoadSprite(kEditedEntry);
    h.Click(QStringLiteral("picSprites(5)"));
    h.PaintOneCell();
}

// The ROM bytes with `block` written over the edited entry.
QByteArray WithEditedBlock(QByteArray rom, const QByteArray& block)
{
    rom.replace(kEditedOffset, block.size(), block);
    return rom;
}

QString NestedPath(const QString& base, int atLeast, const QString& fileName)
{
    QString folder = base;
    while (folder.size() + fileName.size() < atLeast)
        folder += QStringLiteral("/a folder with a long name");
    return folder + QLatin1Char('/') + fileName;
}

} // namespace

Q_DECLARE_METATYPE(SaveRow)
Q_DECLARE_METATYPE(PathRow)
Q_DECLARE_METATYPE(RefusedRow)
Q_DECLARE_METATYPE(BreakerRow)

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void loadRomOpensTheImageAndShowsEntryZero()
    {
        OpenEditor h;
        frmMain& w = *h.window;

        QCOMPARE(Caption(w), "Morvane Sarnet Sprite Editor [" + h.rom.Path() + "]");
        for (const char* control :
            {"Frame1", "Frame2", "Frame3", "Frame4", "cboSprite", "cmdLoad", "cmdSave", "cmdTest"})
            QVERIFY2(h.Find<QWidget>(QLatin1String(control)).isEnabled(), control);
        QVERIFY(h.Find<QAction>(QStringLiteral("mnuFileSave")).isEnabled());
        QVERIFY(h.Find<QAction>(QStringLiteral("mnuOptionsTest")).isEnabled());

        QCOMPARE(h.Find<QComboBox>(QStringLiteral("cboSprite")).currentIndex(), 0);

        const QByteArray file = h.rom.Contents();
        QCOMPARE(h.SpriteBuf(), file.mid(kEntry0, 384));
        const QString difference = h.SheetDifference(file.mid(kEntry0, 384));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        // Tile 0 is selected as if clicked: framed, and enlarged into the editing grid.
        QVERIFY(h.MarkerShown(0));
        QCOMPARE(h.Grid().Image().pixelColor(127, 127), h.View(0).Image().pixelColor(31, 31));
        QVERIFY(h.messages.shown.empty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
    void openDialogAsksForGameboyImagesInTheProgramFolder()
    {
        OpenEditor h;
        h.LoadRom(h.rom.Path());
        QCOMPARE(h.dialogs.OpenRequests().size(), 2);
        const FileDialogRequest& first = h.dialogs.OpenRequests().at(0);
        QCOMPARE(first.owner, h.window.get());
        QCOMPARE(first.initialFolder, h.programFolder.path());
        QCOMPARE(first.nameFilters.size(), 1);
        QVERIFY(first.nameFilters.at(0).startsWith("Gameboy Rom Images (*.gb; *.gbc)"));
        // The shared dialog offers the last chosen file again.
        QCOMPARE(h.dialogs.OpenRequests().at(1).fileName, h.rom.Path());
    }
    void cancelledOpenChangesNothingAtAll()
    {
        EditorHarness h;
        h.dialogs.CancelOpen();
        h.window->mnuFileLoad_Click();
        QCOMPARE(Caption(*h.window), QStringLiteral("Morvane Sarnet Sprite Editor"));
        QVERIFY(!h.Find<QGroupBox>(QStringLiteral("Frame1")).isEnabled());

        RomFixture rom;
        OpenAndEdit(h, rom.Path());
        h.window->Color_Click(2);
        h.Find<QScrollBar>(QStringLiteral("hRED")).setValue(17);
        const WindowSnapshot before = TakeSnapshot(*h.window);

        h.dialogs.CancelOpen();
        h.window->mnuFileLoad_Click();
        const QString difference = SnapshotDifference(before, TakeSnapshot(*h.window));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(h.Find<QComboBox>(QStringLiteral("cboSprite")).currentIndex(), kEditedEntry);
        QVERIFY(h.messages.shown.empty());
    }
    void refusedFirstOpenLeavesTheWindowEmpty()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("nothing-here.gb"));
        EditorHarness h;
        const WindowSnapshot before = TakeSnapshot(*h.window);
        h.LoadRom(missing);
        const QString fault = RefusalFault(h, 0, missing, QStringLiteral("No such file"), before);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY(!QFile::exists(missing));
        QVERIFY(!h.Find<QGroupBox>(QStringLiteral("Frame1")).isEnabled());
        QVERIFY(!h.Find<QPushButton>(QStringLiteral("cmdSave")).isEnabled());

        // A name that is not UTF-8 (a command-line argument) is named readably.
        QVERIFY(!h.window->OpenRom(QFile::encodeName(dir.path()) + "/caf\xE9.gb"));
        const QString named = dir.path() + QStringLiteral("/caf\u00E9.gb");
        QVERIFY2(h.messages.LastText().contains(named), qPrintable(h.messages.LastText()));
        QCOMPARE(Caption(*h.window), QStringLiteral("Morvane Sarnet Sprite Editor"));
    }
    // Which bytes a load reads is the document's rule; the window reads them under the busy
    // pointer and redraws from them.
    void loadSpriteReadsUnderTheBusyPointerAndRedrawsTheGrid()
    {
        const qint64 offset = 91184; // entry 21
        OpenEditor h;
        h.window->picSprites_Click(13);
        h.WatchTransfers();

        h.LoadSprite(21);

        const QByteArray file = h.rom.Contents();
        QVERIFY(CompareTileView(h.View(23).Image(), file.mid(offset + 368, 16)).isEmpty());
        QVERIFY(!h.transfers.empty());
        for (const EditorHarness::Transfer& read : h.transfers)
            QCOMPARE(read.pointer, std::optional(Qt::WaitCursor));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        // The editing grid shows the selected tile of the new sprite, which is still selected.
        QVERIFY(CompareTileView(h.View(13).Image(), file.mid(offset + 16 * 13, 16)).isEmpty());
        QVERIFY(h.GridShowsView(13));
        QVERIFY(h.MarkerShown(13));
    }
    void loadSpriteWithoutSelectionWarns()
    {
        OpenEditor h;
        const QByteArray before = h.SpriteBuf();
        h.Find<QComboBox>(QStringLiteral("cboSprite")).setCurrentIndex(-1);
        h.window->cmdLoad_Click();
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QCOMPARE(h.messages.shown[0].text, QStringLiteral("Select a sprite to load!"));
        QCOMPARE(h.messages.shown[0].title, QStringLiteral("Morvane Sarnet Sprite Editor"));
        QCOMPARE(h.messages.shown[0].icon, MessageService::Icon::Warning);
        QCOMPARE(h.SpriteBuf(), before);
    }
    void saveWritesTheLoadedBlockFromButtonAndMenu_data()
    {
        AddRows<SaveRow>(
            {{"Save button", false, kEditedEntry}, {"File, Save Changes", true, kEditedEntry},
                {"Save with another entry in the list", false, 30}});
    }
    void saveWritesTheLoadedBlockFromButtonAndMenu()
    {
        const auto [name, menu, listed] = CurrentRow<SaveRow>();
        RomFixture rom;
        EditorHarness h;
        QVERIFY(h.Show());
        OpenAndEdit(h, rom.Path());
        h.Find<QComboBox>(QStringLiteral("cboSprite")).setCurrentIndex(listed);
        h.WatchTransfers();
        if (menu)
            h.Find<QAction>(QStringLiteral("mnuFileSave")).trigger();
        else
            QTest::mouseClick(&h.Find<QPushButton>(QStringLiteral("cmdSave")), Qt::LeftButton);

        QCOMPARE(rom.Contents(), WithEditedBlock(RomFixture::Pattern(kRomBytes), h.SpriteBuf()));
        // One write of the block, and every transfer under the busy pointer.
        QCOMPARE(std::count_if(h.transfers.begin(), h.transfers.end(),
                     [](const EditorHarness::Transfer& t) { return t.write; }),
            1);
        for (const EditorHarness::Transfer& transfer : h.transfers)
            QCOMPARE(transfer.pointer, std::optional(Qt::WaitCursor));
        QVERIFY(h.messages.shown.empty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
    void awkwardPathsOpenLoadAndSave_data()
    {
        AddRowColumn<PathRow>();
        const auto named = [](const char* name, const QString& path) {
            QTest::newRow(name) << PathRow {path.toUtf8(), path};
        };
        named("deep folders, path over 255 characters",
            NestedPath(QStringLiteral("deep"), 300, QStringLiteral("image.gb")));
        named("file name of exactly 255 characters",
            QString(252, QLatin1Char('n')) + QStringLiteral(".gb"));
        named("spaces, quotes and non-ASCII in folders and name",
            QStringLiteral("Sprïtes & \"Co\"/ROMs (copy) 精灵/Mörvane 'ROM' ü $HOME.gbc"));
        // The caption marks unsaved paint in the place "[*]" stands for, which a name may hold too.
        named("a name holding [*]", QStringLiteral("[*] rom.gb"));
        QTest::newRow("a Latin-1 name, not UTF-8")
            << PathRow {"Sprites/caf\xE9.gb", QStringLiteral("Sprites/caf\u00E9.gb")};
    }
    void awkwardPathsOpenLoadAndSave()
    {
        const auto& [relative, shown] = CurrentRow<PathRow>();
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + relative;
        QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(shown)).path()));
        QVERIFY(WriteNativeFile(path, RomFixture::Pattern(kRomBytes)));

        EditorHarness h;
        // Opened as a command-line argument, then again through the Open dialog, which offers it:
        // a deep path once opened only the first time. No Qt string can name a Latin-1 file, so
        // that one is opened as an argument twice.
        QVERIFY(h.window->OpenRom(path));
        if (QString::fromUtf8(relative) == shown)
            h.LoadRom(dir.path() + '/' + shown);
        else
            QVERIFY(h.window->OpenRom(path));
        h.LoadSprite(kEditedEntry);
        h.Click(QStringLiteral("picSprites(5)"));
        h.PaintOneCell();
        h.window->cmdSave_Click();
        QVERIFY2(h.messages.shown.empty(), qPrintable(h.messages.LastText()));
        QCOMPARE(
            Caption(*h.window), "Morvane Sarnet Sprite Editor [" + dir.path() + '/' + shown + "]");
        QCOMPARE(
            ReadNativeFile(path), WithEditedBlock(RomFixture::Pattern(kRomBytes), h.SpriteBuf()));
    }
    void refusedCommandKeepsTheWindowAndItsWork_data()
    {
        AddRows<RefusedRow>({{"open: missing, spaces and non-ASCII in its name",
                                 Refused::OpenMissing, "No such file"},
            {"open: unreadable", Refused::OpenUnreadable, "Permission denied"},
            {"open: a named pipe nothing writes to", Refused::OpenPipe, "pipe"},
            {"open: 50000 bytes, short of entry 0", Refused::OpenShortOfEntry0, "beyond"},
            {"load: an entry beyond the end of the ROM", Refused::LoadBeyondTheEnd, "beyond"},
            {"import: not a PNG", Refused::ImportGarbage, "not a PNG image"},
            {"import: header claims 100000 x 100000", Refused::ImportHugeHeader,
                "100000 x 100000 pixels"},
            {"import: a named pipe", Refused::ImportPipe, "pipe"}});
    }
    void refusedCommandKeepsTheWindowAndItsWork()
    {
        const auto& [name, kind, reason] = CurrentRow<RefusedRow>();
        // Long enough for entries 0..36 only, for the load that goes beyond its end.
        RomFixture rom(kind == Refused::LoadBeyondTheEnd ? 524288 : kRomBytes);
        QTemporaryDir dir;
        EditorHarness h;
        OpenAndEdit(h, rom.Path());
        const WindowSnapshot before = TakeSnapshot(*h.window);
        const std::size_t messages = h.messages.shown.size();
        const long peakBefore = PeakMemoryKb();

        QString bad = dir.filePath(QStringLiteral("bad.gb"));
        QByteArray contents; // what a bad file holds, to check it is left alone
        switch (kind) {
        case Refused::OpenMissing:
            bad = dir.filePath(QStringLiteral("Mörvane Sprïtes 精灵 (copy).gb"));
            break;
        case Refused::OpenUnreadable:
            contents = RomFixture::Pattern(kRomBytes);
            QVERIFY(WriteWholeFile(bad, contents));
            QVERIFY(QFile::setPermissions(bad, QFile::Permissions()));
            QVERIFY(OpenFolderToEveryone(dir.path()));
            break;
        case Refused::OpenPipe:
        case Refused::ImportPipe:
            bad = dir.filePath(
                kind == Refused::OpenPipe ? QStringLiteral("pipe.gb") : QStringLiteral("pipe.png"));
            QVERIFY(MakePipe(bad));
            break;
        case Refused::OpenShortOfEntry0:
            contents = RomFixture::Pattern(50000);
            break;
        case Refused::LoadBeyondTheEnd:
            bad = rom.Path();
            break;
        case Refused::ImportGarbage:
            contents = QByteArray("\x7f"
                                  "ELF and then some more bytes");
            break;
        case Refused::ImportHugeHeader:
            contents = WithClaimedSize(
                SpritePngBytes(RandomBlock(7), PngPalette::HardwareGreys), 100000, 100000);
            break;
        }
        const bool import = kind >= Refused::ImportGarbage;
        if (import && kind != Refused::ImportPipe)
            bad = dir.filePath(QStringLiteral("sprite image.png"));
        if (!contents.isNull() && kind != Refused::OpenUnreadable)
            QVERIFY(WriteWholeFile(bad, contents));

        {
            std::optional<OrdinaryUserRights> rights;
            if (kind == Refused::OpenUnreadable && RunningAsRoot() && !rights.emplace().Switched())
                QSKIP("running as root and unable to take an ordinary user's rights");
            if (kind == Refused::LoadBeyondTheEnd)
                h.LoadSprite(37);
            else if (import)
                QVERIFY(!h.window->ImportSpriteImage(bad));
            else
                h.LoadRom(bad);
        }

        const QString fault = RefusalFault(h, messages, bad, reason, before);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        // A header that claims gigabytes of pixels is refused from the header alone.
        QVERIFY2(PeakMemoryKb() - peakBefore < 256 * 1024,
            qPrintable(QStringLiteral("took %1 MB").arg((PeakMemoryKb() - peakBefore) / 1024)));
        if (kind == Refused::OpenUnreadable)
            QVERIFY(QFile::setPermissions(bad, QFile::ReadOwner | QFile::WriteOwner));
        if (!contents.isNull())
            QCOMPARE(ReadWholeFile(bad), contents);
        if (kind == Refused::OpenMissing)
            QVERIFY(!QFileInfo::exists(bad));

        // The ROM that was open still is: the paint saves where it was loaded from, and the undo
        // history still holds it.
        h.window->cmdSave_Click();
        QCOMPARE(h.messages.shown.size(), messages + 1);
        QCOMPARE(rom.Contents(),
            WithEditedBlock(RomFixture::Pattern(rom.Contents().size()), before.spriteBuf));
        h.Trigger(QStringLiteral("mnuEditUndo"));
        QCOMPARE(h.SpriteBuf(), RomFixture::Pattern(kRomBytes).mid(kEditedOffset, 384));
    }
    void refusedSaveKeepsTheEditForLater_data()
    {
        AddRows<BreakerRow>({{"deleted: not created again", SaveBreaker::Deleted, "No such file"},
            {"file of a running program", SaveBreaker::RunningProgram, "Text file busy"},
            {"replaced by a named pipe", SaveBreaker::ReplacedByPipe, "it is a pipe"}});
    }
    void refusedSaveKeepsTheEditForLater()
    {
        const auto& [name, breaker, reason] = CurrentRow<BreakerRow>();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("my rom.gb"));
        std::optional<RunningProgramRom> program;
        if (breaker == SaveBreaker::RunningProgram) {
            program.emplace(path);
            if (!program->Problem().isEmpty())
                QSKIP(qPrintable(QStringLiteral("a running program's file cannot serve as a ROM: ")
                    + program->Problem()));
        } else {
            QVERIFY(WriteWholeFile(path, RomFixture::Pattern(kRomBytes)));
        }
        const QByteArray original = ReadWholeFile(path);
        QVERIFY(original.size() > kEditedOffset + 384);

        EditorHarness h;
        OpenAndEdit(h, path);
        QVERIFY(h.messages.shown.empty());
        const WindowSnapshot before = TakeSnapshot(*h.window);
        if (breaker != SaveBreaker::RunningProgram)
            QVERIFY(QFile::remove(path));
        if (breaker == SaveBreaker::ReplacedByPipe)
            QVERIFY(MakePipe(path));

        h.window->cmdSave_Click();
        const QString fault = RefusalFault(h, 0, path, reason, before);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));

        // Nothing reached the file, and once the cause is gone the same edit saves.
        switch (breaker) {
        case SaveBreaker::Deleted:
            QVERIFY(!QFileInfo::exists(path));
            break;
        case SaveBreaker::RunningProgram:
            QCOMPARE(ReadWholeFile(path), original);
            program->Stop();
            break;
        case SaveBreaker::ReplacedByPipe:
            QVERIFY(!QFileInfo(path).isFile());
            QVERIFY(QFile::remove(path));
            break;
        }
        if (breaker != SaveBreaker::RunningProgram)
            QVERIFY(WriteWholeFile(path, original));
        h.window->cmdSave_Click();
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QCOMPARE(ReadWholeFile(path), WithEditedBlock(original, before.spriteBuf));
    }
};

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"
