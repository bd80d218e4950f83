// File, Load Rom, Load Sprite, Save and Save Changes through the real window, and every file a user
// can bring that the window must refuse: each refusal shows one message naming the file and leaves
// the window, its unsaved paint and the ROM image exactly as they were. Which entry Save writes and
// what a failed read leaves are the document's rules; the wording, the file access's.
#include "EditorHarness.h"
#include "HostileFiles.h"
#include "RowTable.h"
#include "widgets/ColorSwatch.h"

#include <QScrollBar>

#include <algorithm>

#include <sys/resource.h>

using namespace morvane;
using namespace morvane::test;

namespace {

// The entry the edited sprite is loaded from: in the middle of the first run of blocks.
constexpr int kEditedEntry = 9;
constexpr qint64 kEditedOffset = kEntry0 + kEditedEntry * 384;

// The file a refused command is given, made in a folder of its own once the window has work.
enum class Given { Missing, Pipe, Bytes, UnreadableBytes, TheOpenRom };
enum class SaveBreaker { Deleted, RunningProgram, ReplacedByPipe };

struct SaveRow {
    const char* name;
    bool menu; // File, Save Changes, or else the Save button
    int listed; // the entry the list shows when Save is pressed
};

struct PathRow {
    const char* name;
    QString shown; // how the caption shows the path
    QByteArray relative = shown.toUtf8(); // the file system's own bytes
};

// A refusal, and the words of the system's reason the message must hold. A .png file is
// imported, any other opened as a ROM image; the open ROM image is asked for an entry.
struct RefusedRow {
    const char* name;
    Given given;
    QString file;
    QByteArray contents;
    QString reason;
};

struct BreakerRow {
    const char* name;
    SaveBreaker breaker;
    QString reason;
};

// Everything a refused command must leave as it was, each part named so a failure says which.
struct WindowSnapshot {
    explicit WindowSnapshot(const EditorHarness& h) : spriteBuf(h.SpriteBuf())
    {
        const SpriteSession& document = h.window->Document();
        parts = {{"SpriteBuf", spriteBuf}, {"the editing grid", h.Grid().Image().copy()},
            {"the ROM path", QString::fromStdString(document.RomPath())},
            {"the loaded entry", document.LoadedIndex()}, {"the caption", Caption(*h.window)},
            {"the undo history", document.History().index()}};
        for (int t = 0; t < 24; ++t)
            parts.append({QStringLiteral("tile view %1").arg(t), h.View(t).Image().copy()});
        for (const char* swatch : {"Color(0)", "Color(1)", "Color(2)", "Color(3)", "Color(4)"})
            parts.append({swatch, h.Find<ColorSwatch>(QLatin1String(swatch)).FillColor()});
        for (const char* slider : {"hRED", "hGREEN", "hBLUE"})
            parts.append({slider, h.Find<QScrollBar>(QLatin1String(slider)).value()});
    }
    QByteArray spriteBuf;
    QList<std::pair<QString, QVariant>> parts;
};

// Empty when the window has shown one message, an error of the editor naming `path` and holding
// `reason`, and the busy pointer is gone; otherwise the fault.
QString RefusalFault(const EditorHarness& h, const QString& path, const QString& reason)
{
    if (h.messages.shown.size() != 1)
        return QStringLiteral("%1 messages were shown, expected one").arg(h.messages.shown.size());
    const auto& [icon, title, text] = h.messages.shown.back();
    if (icon != MessageService::Icon::Error || title != kTitle || !text.contains(path)
        || !text.contains(reason))
        return QStringLiteral("not an error box of the editor naming the file and saying \"%1\": "
                              "icon %2, title \"%3\", text \"%4\"")
            .arg(reason, QString::number(int(icon)), title, text);
    if (QApplication::overrideCursor() != nullptr)
        return QStringLiteral("the busy pointer is still shown");
    return {};
}

// Opens `rom` if given, loads the edited entry and paints a cell: work a refusal must keep.
void OpenAndEdit(EditorHarness& h, const QString& rom = {})
{
    if (!rom.isNull())
        h.LoadRom(rom);
    h.LoadSprite(kEditedEntry);
    h.Click(QStringLiteral("picSprites(5)"));
    h.PaintOneCell();
}

QByteArray WithEditedBlock(QByteArray rom, const QByteArray& block)
{
    return rom.replace(kEditedOffset, block.size(), block);
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void loadRomOpensTheImageAndShowsEntryZero()
    {
        OpenEditor h;
        QCOMPARE(Caption(*h.window), kTitle + " [" + h.rom.Path() + "]");
        for (const char* control :
            {"Frame1", "Frame2", "Frame3", "Frame4", "cboSprite", "cmdLoad", "cmdSave", "cmdTest"})
            QVERIFY2(h.Find<QWidget>(QLatin1String(control)).isEnabled(), control);
        QVERIFY(h.Find<QAction>(QStringLiteral("mnuFileSave")).isEnabled());
        QVERIFY(h.Find<QAction>(QStringLiteral("mnuOptionsTest")).isEnabled());
        QCOMPARE(h.Find<QComboBox>(QStringLiteral("cboSprite")).currentIndex(), 0);

        const QByteArray block = h.rom.Contents().mid(kEntry0, 384);
        QCOMPARE(h.SpriteBuf(), block);
        QCOMPARE(h.SheetDifference(block), QString());
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
        QCOMPARE(std::tuple(first.owner, first.initialFolder, first.nameFilters.size(),
                     first.nameFilters.value(0).startsWith("Gameboy Rom Images (*.gb; *.gbc)")),
            std::tuple(h.window.get(), h.programFolder.path(), 1, true));
        // The shared dialog offers the last chosen file again.
        QCOMPARE(h.dialogs.OpenRequests().at(1).fileName, h.rom.Path());
    }
    void cancelledOpenChangesNothingAtAll()
    {
        EditorHarness h;
        h.dialogs.CancelOpen();
        h.window->mnuFileLoad_Click();
        QCOMPARE(Caption(*h.window), kTitle);
        QVERIFY(!h.Find<QWidget>(QStringLiteral("Frame1")).isEnabled());

        RomFixture rom;
        OpenAndEdit(h, rom.Path());
        h.window->Color_Click(2);
        h.Find<QScrollBar>(QStringLiteral("hRED")).setValue(17);
        const WindowSnapshot before(h);

        h.dialogs.CancelOpen();
        h.window->mnuFileLoad_Click();
        QCOMPARE(WindowSnapshot(h).parts, before.parts);
        QCOMPARE(h.Find<QComboBox>(QStringLiteral("cboSprite")).currentIndex(), kEditedEntry);
        QVERIFY(h.messages.shown.empty());
    }
    void refusedFirstOpenLeavesTheWindowEmpty()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("nothing-here.gb"));
        EditorHarness h;
        const WindowSnapshot before(h);
        h.LoadRom(missing);
        QCOMPARE(RefusalFault(h, missing, QStringLiteral("No such file")), QString());
        QCOMPARE(WindowSnapshot(h).parts, before.parts);
        QVERIFY(!QFile::exists(missing));
        QVERIFY(!h.Find<QWidget>(QStringLiteral("Frame1")).isEnabled());
        QVERIFY(!h.Find<QWidget>(QStringLiteral("cmdSave")).isEnabled());

        // A name that is not UTF-8 (a command-line argument) is named readably.
        QVERIFY(!h.window->OpenRom(QFile::encodeName(dir.path()) + "/caf\xE9.gb"));
        const QString named = dir.path() + QStringLiteral("/caf\u00E9.gb");
        QVERIFY2(h.messages.LastText().contains(named), qPrintable(h.messages.LastText()));
        QCOMPARE(Caption(*h.window), kTitle);
    }
    // Which bytes a load reads is the document's rule; the window's part: busy pointer, redraw.
    void loadSpriteReadsUnderTheBusyPointerAndRedrawsTheGrid()
    {
        const qint64 offset = 91184; // entry 21
        OpenEditor h;
        h.window->picSprites_Click(13);
        h.WatchTransfers();

        h.LoadSprite(21);

        const QByteArray file = h.rom.Contents();
        QCOMPARE(CompareTileView(h.View(23).Image(), file.mid(offset + 368, 16)), QString());
        QVERIFY(!h.transfers.empty());
        for (const EditorHarness::Transfer& read : h.transfers)
            QCOMPARE(read.pointer, std::optional(Qt::WaitCursor));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        // The editing grid shows the selected tile of the new sprite, which is still selected.
        QCOMPARE(CompareTileView(h.View(13).Image(), file.mid(offset + 16 * 13, 16)), QString());
        QVERIFY(h.GridShowsView(13));
        QVERIFY(h.MarkerShown(13));
    }
    void loadSpriteWithoutSelectionWarns()
    {
        OpenEditor h;
        const QByteArray before = h.SpriteBuf();
        h.LoadSprite(-1);
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        const RecordingMessages::Shown& shown = h.messages.shown[0];
        QCOMPARE(std::tuple(shown.text, shown.title, shown.icon),
            std::tuple(
                QStringLiteral("Select a sprite to load!"), kTitle, MessageService::Icon::Warning));
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
        OpenEditor h;
        QVERIFY(h.Show());
        OpenAndEdit(h);
        h.Find<QComboBox>(QStringLiteral("cboSprite")).setCurrentIndex(listed);
        h.WatchTransfers();
        menu ? h.Trigger(QStringLiteral("mnuFileSave")) : h.Click(QStringLiteral("cmdSave"));

        QCOMPARE(h.rom.Contents(), WithEditedBlock(RomFixture::Pattern(kRomBytes), h.SpriteBuf()));
        // One write of the block, and every transfer under the busy pointer.
        QCOMPARE(std::ranges::count(h.transfers, true, &EditorHarness::Transfer::write), 1);
        for (const EditorHarness::Transfer& transfer : h.transfers)
            QCOMPARE(transfer.pointer, std::optional(Qt::WaitCursor));
        QVERIFY(h.messages.shown.empty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
    void awkwardPathsOpenLoadAndSave_data()
    {
        AddRows<PathRow>(
            {{"deep folders, path over 255 characters",
                 "deep" + QStringLiteral("/a folder with a long name").repeated(12) + "/image.gb"},
                {"file name of exactly 255 characters", QString(252, u'n') + ".gb"},
                {"spaces, quotes and non-ASCII in folders and name",
                    QStringLiteral("Sprïtes & \"Co\"/ROMs (copy) 精灵/Mörvane 'ROM' ü $HOME.gbc")},
                // The caption marks unsaved paint where "[*]" stands, which a name may hold too.
                {"a name holding [*]", QStringLiteral("[*] rom.gb")},
                {"a Latin-1 name, not UTF-8", QStringLiteral("Sprites/caf\u00E9.gb"),
                    "Sprites/caf\xE9.gb"}});
    }
    void awkwardPathsOpenLoadAndSave()
    {
        const auto& [name, shown, relative] = CurrentRow<PathRow>();
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
        OpenAndEdit(h);
        h.window->cmdSave_Click();
        QVERIFY2(h.messages.shown.empty(), qPrintable(h.messages.LastText()));
        QCOMPARE(Caption(*h.window), kTitle + " [" + dir.path() + '/' + shown + "]");
        QCOMPARE(
            ReadNativeFile(path), WithEditedBlock(RomFixture::Pattern(kRomBytes), h.SpriteBuf()));
    }
    void refusedCommandKeepsTheWindowAndItsWork_data()
    {
        AddRows<RefusedRow>({{"open: missing, spaces and non-ASCII in its name", Given::Missing,
                                 "Mörvane Sprïtes 精灵 (copy).gb", {}, "No such file"},
            {"open: unreadable", Given::UnreadableBytes, "bad.gb", RomFixture::Pattern(kRomBytes),
                "Permission denied"},
            {"open: a named pipe nothing writes to", Given::Pipe, "pipe.gb", {}, "pipe"},
            {"open: 50000 bytes, short of entry 0", Given::Bytes, "bad.gb",
                RomFixture::Pattern(50000), "beyond"},
            {"load: an entry beyond the end of the ROM", Given::TheOpenRom, {}, {}, "beyond"},
            {"import: not a PNG", Given::Bytes, "sprite image.png",
                "\177ELF and then some more bytes", "not a PNG image"},
            {"import: header claims 100000 x 100000", Given::Bytes, "sprite image.png",
                WithClaimedSize(
                    SpritePngBytes(RandomBlock(7), PngPalette::HardwareGreys), 100000, 100000),
                "100000 x 100000 pixels"},
            {"import: a named pipe", Given::Pipe, "pipe.png", {}, "pipe"}});
    }
    void refusedCommandKeepsTheWindowAndItsWork()
    {
        const auto& [name, given, file, contents, reason] = CurrentRow<RefusedRow>();
        // Long enough for entries 0..36 only, for the load that goes beyond its end.
        RomFixture rom(given == Given::TheOpenRom ? 524288 : kRomBytes);
        QTemporaryDir dir;
        EditorHarness h;
        OpenAndEdit(h, rom.Path());
        const WindowSnapshot before(h);
        rusage usage {}; // ru_maxrss: the most memory the process has held so far, in kilobytes
        getrusage(RUSAGE_SELF, &usage);
        const long peakBefore = usage.ru_maxrss;

        const QString bad = given == Given::TheOpenRom ? rom.Path() : dir.filePath(file);
        if (given == Given::Pipe)
            QVERIFY(MakePipe(bad));
        if (!contents.isNull())
            QVERIFY(WriteWholeFile(bad, contents));
        if (given == Given::UnreadableBytes) {
            QVERIFY(QFile::setPermissions(bad, QFile::Permissions()));
            QVERIFY(OpenFolderToEveryone(dir.path()));
        }
        {
            std::optional<OrdinaryUserRights> rights;
            if (given == Given::UnreadableBytes && RunningAsRoot() && !rights.emplace().Switched())
                QSKIP("running as root and unable to take an ordinary user's rights");
            if (given == Given::TheOpenRom)
                h.LoadSprite(37);
            else if (bad.endsWith(QStringLiteral(".png")))
                QVERIFY(!h.window->ImportSpriteImage(bad));
            else
                h.LoadRom(bad);
        }

        QCOMPARE(RefusalFault(h, bad, reason), QString());
        QCOMPARE(WindowSnapshot(h).parts, before.parts);
        // A header that claims gigabytes of pixels is refused from the header alone.
        getrusage(RUSAGE_SELF, &usage);
        QCOMPARE_LT((usage.ru_maxrss - peakBefore) / 1024, 256); // in MB
        if (given == Given::UnreadableBytes)
            QVERIFY(QFile::setPermissions(bad, QFile::ReadOwner | QFile::WriteOwner));
        if (!contents.isNull())
            QCOMPARE(ReadWholeFile(bad), contents);
        if (given == Given::Missing)
            QVERIFY(!QFileInfo::exists(bad));

        // The ROM that was open still is: the paint saves there, and Undo still takes it back.
        h.window->cmdSave_Click();
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
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
        const WindowSnapshot before(h);
        if (!program)
            QVERIFY(QFile::remove(path));
        if (breaker == SaveBreaker::ReplacedByPipe)
            QVERIFY(MakePipe(path));

        h.window->cmdSave_Click();
        QCOMPARE(RefusalFault(h, path, reason), QString());
        QCOMPARE(WindowSnapshot(h).parts, before.parts);

        // Nothing reached the file, and once the cause is gone the same edit saves.
        if (breaker == SaveBreaker::ReplacedByPipe) {
            QVERIFY(!QFileInfo(path).isFile());
            QVERIFY(QFile::remove(path));
        }
        if (program) {
            QCOMPARE(ReadWholeFile(path), original);
            program->Stop();
        } else {
            QVERIFY(!QFileInfo::exists(path));
            QVERIFY(WriteWholeFile(path, original));
        }
        h.window->cmdSave_Click();
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QCOMPARE(ReadWholeFile(path), WithEditedBlock(original, before.spriteBuf));
    }
};

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"
