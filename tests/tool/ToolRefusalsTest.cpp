// Every refusal of the command-line tool, run as a user runs it: its exit status, one line on
// standard error naming the file and why, nothing on standard output, the test folder unchanged.
#include "HostileFiles.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "demo/DemoRom.h"
#include "patch/BpsPatch.h"

#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;

namespace {

// Everything under a folder: each entry's kind and, for a regular file, its bytes. Links are
// not followed and pipes never read, since reading one would wait for a writer.
QMap<QString, QByteArray> FolderContents(const QString& folder)
{
    QMap<QString, QByteArray> contents;
    QDirIterator entries(folder,
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QFileInfo entry(entries.next());
        contents.insert(QDir(folder).relativeFilePath(entry.filePath()),
            entry.isSymLink()    ? "link to " + entry.symLinkTarget().toUtf8()
                : entry.isDir()  ? QByteArray("folder")
                : entry.isFile() ? ReadWholeFile(entry.filePath())
                                 : QByteArray("special"));
    }
    return contents;
}

// One refusal: "@" in the arguments stands for the test folder, `named` is the file the error
// line must name, `stdoutTo` is empty for the test itself and starts with ">>" when appended to.
struct Refusal {
    QStringList args;
    QString named, reason;
    int status = 1;
    bool asOrdinaryUser = false;
    qint64 sizeLimit = 0; // 0: none
    QString stdoutTo = {};
};

// Every refusal, grouped by what is refused.
void AddRefusalRows()
{
    AddRowColumn<Refusal>();
    // The arguments are given as one string, split at each blank.
    const auto naming
        = [](const char* name, const QString& args, const QString& named, const QString& reason,
              int status = 1, bool asUser = false, qint64 limit = 0, const QString& stdoutTo = {}) {
              QTest::newRow(name) << Refusal {args.split(u' ', Qt::SkipEmptyParts), named, reason,
                  status, asUser, limit, stdoutTo};
          };
    // Most errors name one of the arguments: the one in brackets.
    const auto row = [&](const char* name, QString args, const QString& reason, int status = 1,
                         bool asUser = false, qint64 limit = 0, const QString& stdoutTo = {}) {
        const QString named = args.section(u'[', 1).section(u']', 0, 0);
        if (named.isEmpty())
            qFatal("the refusal \"%s\" names no argument", name);
        naming(
            name, args.remove(u'[').remove(u']'), named, reason, status, asUser, limit, stdoutTo);
    };
    const auto usage = [&](const char* name, const QString& args, const QString& reason) {
        naming(name, args, QString(), reason, 2);
    };

    // A mistake on the command line.
    const char* dash = "a ROM image cannot be \"-\"";
    usage("index 45", "import @/rom.gb 45 @/good.png", "\"45\" is not a sprite index");
    usage("index x", "import @/rom.gb x @/good.png", "\"x\" is not a sprite index");
    usage("index -10", "export @/rom.gb -10 @/x.png", "\"-10\" is not a sprite index");
    usage("index 007", "export @/rom.gb 007 @/x.png", "\"007\" is not a sprite index");
    usage("unknown command", "frobnicate", "unknown command \"frobnicate\"");
    usage("option before the command", "--verbose list", "the command comes first");
    usage("unknown option", "list --verbose", "unknown option --verbose");
    usage("--all of another command", "list --all", "the list command has no option --all");
    usage("--sheet of another command", "diff --sheet", "the diff command has no option --sheet");
    usage("--dry-run of another command", "export @/rom.gb 3 @/x.png --dry-run",
        "the export command has no option --dry-run");
    usage(
        "--force of another command", "import --force", "the import command has no option --force");
    usage("--colours of another command", "import --colours=greys",
        "the import command has no option --colours");
    usage("--format of another command", "export --format tsv",
        "the export command has no option --format");
    usage("unknown colour set", "export --colours sepia @/rom.gb 3 @/x.png", "not \"sepia\"");
    usage("unknown list format", "list --format=xml", "not \"xml\"");
    usage("too few arguments", "import @/rom.gb 3", "too few arguments");
    usage("too many arguments", "demo @/a.gb @/b.gb", "too many arguments");
    usage("nothing at all", "", "no command given");
    usage("--all with --sheet", "export @/rom.gb --all --sheet @/x",
        "--all and --sheet cannot be given together");
    usage("import with a ROM image from standard input", "import - 3 @/good.png", dash);
    usage("export with a ROM image from standard input", "export - 3 @/good.png", dash);
    usage("diff of standard input", "diff @/rom.gb -", dash);
    usage("apply to standard input", "apply - @/for-other.bps @/out.gb", dash);
    usage("info of standard input", "info -", dash);
    usage("patch of standard input", "patch @/rom.gb - @/out.bps", dash);
    usage("apply a patch from standard input", "apply @/rom.gb - @/out.gb", dash);
    usage("export --all to standard output", "export @/rom.gb --all -", "which cannot be \"-\"");
    usage("help with an unknown command", "help frobnicate", "there is no command \"frobnicate\"");
    usage("the sheet as raw tiles", "export @/rom.gb --sheet @/sheet.2bpp",
        "the sheet is one PNG image");
    usage("colours for raw tiles", "export --colours display @/rom.gb 3 @/x.2bpp",
        "raw 2bpp tiles hold pixel values, not colours");
    usage("--force of diff without a picture", "diff --force @/rom.gb @/short.gb",
        "--force goes with --png");
    usage(
        "--fix of another command", "info --fix @/rom.gb", "the info command has no option --fix");

    // A ROM image that cannot be read or written: the same file errors for every command.
    const QString oddRom = QStringLiteral("@/ROM mit Ümlaut 精灵.gb");
    QTest::newRow("missing ROM, spaces and non-ASCII in its name")
        << Refusal {{"export", oddRom, "3", "@/out.png"}, oddRom, "No such file"};
    // A name not in UTF-8 is shown with its odd bytes in hex, and so is a control character.
    row("missing ROM, a Latin-1 name", "export [@/caf\\xE9.gb] 3 @/out.png", "No such file");
    naming("missing ROM, an escape character in its name", "info @/\\x1B[2Jrom.gb",
        "\"@/\\x1B[2Jrom.gb\"", "No such file");
    // Only printable, well-formed UTF-8 shows as it is; a C1 control character, an overlong form,
    // a surrogate, a code point past U+10FFFF or a character cut short shows in hex.
    const auto missingRom = [](const QString& name, const QString& shown) {
        return Refusal {{"info", "@/" + name}, "\"@/" + shown + "\"", "No such file"};
    };
    for (const char* odd :
        {"\\xC2\\x80", "\\xC0\\xAF", "\\xED\\xA0\\x80", "\\xF4\\x90\\x80\\x80", "\\xE2\\x82"})
        QTest::addRow("missing ROM, %s in its name", odd) << missingRom(odd, odd);
    for (const char* fine : {"\\xC2\\xA0", "\\xED\\x9F\\xBF", "\\xF4\\x8F\\xBF\\xBF"})
        QTest::addRow("missing ROM, %s in its name, shown as it is", fine)
            << missingRom(fine, QString::fromUtf8(NameBytes(fine)));
    row("ROM name over 255 characters", "import [@/" + QString(256, u'n') + ".gb] 3 @/good.png",
        "File name too long");
    row("ROM that is a folder", "import [@/folder.gb] 3 @/good.png", "it is a folder");
    row("ROM that is a named pipe", "export [@/pipe.gb] 3 @/out.png", "it is a pipe");
    row("ROM that is a device", "import [/dev/zero] 3 @/good.png", "it is a device");
    row("unreadable ROM", "export [@/locked.gb] 3 @/out.png", "Permission denied", 1, true);
    row("read-only ROM", "import [@/readonly.gb] 3 @/good.png", "Permission denied", 1, true);
    row("ROM that is a running program", "import [@/running.gb] 3 @/good.png", "Text file busy");
    row("ROM too short for the entry", "import [@/short.gb] 40 @/good.png",
        "only 100000 bytes long");
    row("empty ROM, export --all", "export --all [@/empty.gb] @/all", "only 0 bytes long");
    row("import under a file-size limit below the block", "import [@/rom.gb] 3 @/good.png",
        "File too large. The ROM image is unchanged.", 1, false, 80000);
    row("demo onto an existing file", "demo [@/notes.txt]", "already exists");

    // A sprite image that cannot be read; the reasons are the image reader's own.
    row("missing image", "import @/rom.gb 3 [@/none.png]", "cannot be read");
    naming("missing image, a Latin-1 name", "import @/rom.gb 3 @/caf\\xE9.png",
        "\"@/caf\\xE9.png\" cannot be read", "No such file");
    // After "--" a name that starts with a dash is a file, not an option.
    naming("image named like an option, after --", "import @/rom.gb 3 -- -none.png",
        "\"-none.png\"", "cannot be read");
    row("image of another size", "import @/rom.gb 3 [@/wide.png]", "is 32 x 96 pixels");
    row("image that is a named pipe", "import @/rom.gb 3 [@/pipe.png]", "pipe or a device");
    row("single image as a sheet", "import @/rom.gb --sheet [@/good.png]",
        "a sprite sheet must be 144 x 480");
    row("raw tiles a byte short", "import @/rom.gb 3 [@/short.2bpp]",
        "is 383 bytes long, and a sprite's raw 2bpp tiles are exactly 384 bytes");
    row("an image read as raw tiles", "import --raw @/rom.gb 3 [@/good.png]",
        "bytes long, and a sprite's raw 2bpp tiles");

    // An export that would replace what is not its own kind of file.
    row("export onto the ROM image itself", "export @/rom.gb 3 [@/rom.gb]",
        "it is the ROM image being read");
    row("export onto a hard link of the ROM image, forced",
        "export --force @/rom.gb 3 [@/hardlink-to-rom.png]", "it is the ROM image being read");
    row("export through a link to the ROM image", "export @/rom.gb 3 [@/link-to-rom.png]",
        "it is a link");
    row("export through a link to a text file", "export @/rom.gb 3 [@/link-to-notes.png]",
        "it is a link");
    row("export through a dangling link", "export @/rom.gb 3 [@/dangling.png]", "it is a link");
    row("export onto a text file", "export @/rom.gb 3 [@/notes.txt]", "it is not a PNG image");
    row("export onto a folder, forced", "export --force @/rom.gb 3 [@/folder.png]",
        "it is a folder");
    row("export onto a named pipe, forced", "export --force @/rom.gb 3 [@/pipe.png]",
        "it is a pipe or a device");
    row("export into a missing folder", "export @/rom.gb 3 [@/missing/x.png]", "No such file");
    row("export sheet onto a text file", "export @/rom.gb --sheet [@/notes.txt]",
        "it is not a PNG image");
    row("raw tiles onto a file of another length", "export --raw @/rom.gb 3 [@/good.png]",
        "it is not a sprite's raw 2bpp tiles");
    row("the picture of a diff onto a text file", "diff @/rom.gb @/short.gb --png [@/notes.txt]",
        "it is not a PNG image", 2);
    row("the picture of a diff onto the edited image, forced",
        "diff --force @/rom.gb [@/short.gb] --png=@/short.gb", "it is the edited image being read",
        2);
    naming("export --all past a planted link", "export @/rom.gb --all @/planted",
        "@/planted/10-Old-Man.png", "it is a link");
    row("export --all into a file", "export @/rom.gb --all [@/notes.txt]",
        "a file of that name is in the way");
    naming("export --all into a name too long, the folders above it made and removed again",
        "export @/rom.gb --all @/made/" + QString(300, u'x'), "@/made/xxx", "File name too long");
    naming("export --all under a file", "export @/rom.gb --all @/notes.txt/sprites",
        "@/notes.txt\" is a file, not a folder", "Cannot create the folder");
    row("export under a file-size limit", "export @/rom.gb 3 [@/out.png]", "File too large", 1,
        false, 100);
    naming("export --all under a file-size limit, the folders it made removed again",
        "export @/rom.gb --all @/fresh/sprites", "@/fresh/sprites/00-",
        "File too large. No image was written, and nothing was changed: the folder \"@/fresh\" "
        "made for them was removed again.",
        1, false, 100);

    // A set of images refused whole, every refused file named.
    naming("import --all with an index past the last entry", "import @/rom.gb --all @/set-45",
        "@/set-45/45-x.png", "is no sprite image of an entry");
    naming("import --all with a file of no entry", "import @/rom.gb --all @/set-extra",
        "@/set-extra/readme.txt", "is no sprite image of an entry");
    naming("import --all with two files for one entry", "import @/rom.gb --all @/set-twice",
        "@/set-twice/03-y.png", "are both for entry 3");
    naming("import --all with two bad images", "import @/rom.gb --all @/set-bad",
        "@/set-bad/05-x.png", "colours either; \"@/set-bad/06-x.png\" is 32 x 96 pixels");
    naming("import --all with names that only look numbered", "import @/rom.gb --all @/set-odd",
        "@/set-odd/ 3-x.png", "\"@/set-odd/05-x_png\" is no sprite image of an entry");
    row("import --all from an empty folder", "import @/rom.gb --all [@/set-empty]",
        "holds no sprite images");
    row("import --all from a missing folder", "import @/rom.gb --all [@/none]",
        "there is no such folder");
    row("import --all from a file", "import @/rom.gb --all [@/notes.txt]", "it is not a folder");
    naming("import --all from a missing folder, a Latin-1 name", "import @/rom.gb --all @/d\\xE9",
        "\"@/d\\xE9\"", "there is no such folder");
    row("import --all from a folder that cannot be reached",
        "import @/rom.gb --all [@/unsearchable/set]", "Permission denied", 1, true);

    // Patches: a new file each, never over the input, never for another image.
    usage("patch of an unknown format", "patch @/rom.gb @/short.gb @/out.txt",
        "must end in .ips or .bps");
    row("patch onto an existing file", "patch @/rom.gb @/short.gb [@/notes.txt.bps]",
        "already exists");
    row("apply onto the ROM image itself", "apply @/rom.gb @/for-other.bps [@/rom.gb]",
        "already exists");
    row("apply onto the ROM image itself, forced",
        "apply --force @/rom.gb @/for-other.bps [@/rom.gb]", "it is the ROM image being read");
    row("patch onto a hard link of the original, forced",
        "patch --force @/rom.gb @/short.gb [@/hardlink-to-rom.bps]",
        "it is the original image being read");
    row("apply onto a folder, forced", "apply --force @/rom.gb @/for-other.bps [@/folder.gb]",
        "it is a folder");
    row("apply a BPS patch made for another image", "apply @/rom.gb [@/for-other.bps] @/out.gb",
        "this patch was made for another image");
    row("apply a damaged patch", "apply @/rom.gb [@/damaged.bps] @/out.gb", "the patch is damaged");
    row("apply what is no patch", "apply @/rom.gb [@/notes.txt] @/out.gb", "neither an IPS patch");
    row("info of a device", "info [/dev/zero]", "it is a device");
    row("checksum of an image without a header", "checksum [@/empty.gb]",
        "only 0 bytes long, and the cartridge header that holds them ends at byte 336");
    row("checksum --fix of a read-only ROM", "checksum --fix [@/readonly.gb]", "Permission denied",
        1, true);
    row("checksum --fix under a file-size limit below the header", "checksum --fix [@/saved.gb]",
        "File too large. The ROM image is unchanged.", 1, false, 300);

    // Errors of diff take status 2, since 1 means the images differ.
    row("diff with a missing image", "diff @/rom.gb [@/none.gb]", "No such file", 2);

    // Output that cannot be delivered is an error, not a success.
    naming("list to a full disk", "list", "standard output", "No space left on device", 1, false, 0,
        "/dev/full");
    naming("image to a terminal", "export @/rom.gb 3 -", "standard output", "it is a terminal", 1,
        false, 0, "@terminal");
    naming("diff to a full disk", "diff @/rom.gb @/short.gb", "standard output",
        "No space left on device", 2, false, 0, "/dev/full");
    // Standard output appended to a file the command reads would grow or garble it.
    row("image appended to the ROM image", "export [@/rom.gb] 3 -", "which this command reads", 1,
        false, 0, ">>@/rom.gb");
    row("import report appended to the ROM image", "import [@/rom.gb] 3 @/good.png",
        "which this command reads", 1, false, 0, ">>@/rom.gb");
    row("diff report appended to the edited image", "diff @/rom.gb [@/short.gb]",
        "which this command reads", 2, false, 0, ">>@/short.gb");
    naming("picture of a diff to a terminal", "diff @/rom.gb @/short.gb --png -", "standard output",
        "it is a terminal", 2, false, 0, "@terminal");
    row("checksum report appended to the ROM image", "checksum [@/saved.gb]",
        "which this command reads", 1, false, 0, ">>@/saved.gb");
}

} // namespace

class ToolRefusalsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        // An ordinary user must be able to run the tool wherever the build lies.
        tool_ = CopyProgramForEveryone(QStringLiteral(MORVANE_SPRITE_TOOL), programDir_.path());
        QVERIFY(!tool_.isEmpty());

        const QByteArray rom = Bytes(MakeDemoRom());
        // A sprite saved, so the global checksum is wrong and "checksum --fix" has bytes to write.
        QByteArray saved = rom;
        saved[90000] = char(saved[90000] ^ 1);
        // A sprite image unlike every block of the ROM image, so an import would write.
        const QByteArray good = SpritePngBytes(DemoSprite(12), PngPalette::HardwareGreys);
        const QByteArray wide = PngBytes(QImage(32, 96, QImage::Format_RGB32));
        // Patches: one made for another image, one damaged, and a file that is no patch.
        QByteArray other = rom;
        other[0x200] = 1;
        QByteArray damaged = Bytes(MakeBpsPatch(Span(rom), Span(other)));
        damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x40);
        // Folders where a file belongs, a folder with a planted link, and sets of sprite images.
        for (const char* folder : {"folder.gb", "folder.png", "planted", "set-extra", "set-twice",
                 "set-bad", "set-45", "set-empty", "set-odd"})
            QVERIFY(QDir().mkdir(Path(folder)));
        // Among the files, sets that "import --all" must refuse whole, and names that only look
        // numbered: a blank for the first digit, "png" without its dot.
        const std::pair<const char*, QByteArray> files[] = {{"rom.gb", rom}, {"locked.gb", rom},
            {"saved.gb", saved}, {"readonly.gb", saved}, {"empty.gb", {}},
            {"short.gb", rom.left(100000)}, {"good.png", good}, {"wide.png", wide},
            {"five.png", FiveColourPng()}, {"notes.txt", "not an image\n"},
            {"notes.txt.bps", "not a patch\n"}, {"short.2bpp", QByteArray(383, '\x55')},
            {"for-other.bps", Bytes(MakeBpsPatch(Span(other), Span(rom)))},
            {"damaged.bps", damaged}, {"set-extra/03-x.png", good}, {"set-extra/04-x.png", good},
            {"set-extra/readme.txt", "hello"}, {"set-twice/03-x.png", good},
            {"set-twice/04-x.png", good}, {"set-twice/03-y.png", good}, {"set-bad/03-x.png", good},
            {"set-bad/04-x.png", good}, {"set-bad/05-x.png", FiveColourPng()},
            {"set-bad/06-x.png", wide}, {"set-45/45-x.png", good}, {"set-odd/ 3-x.png", good},
            {"set-odd/05-x_png", good}};
        for (const auto& [name, bytes] : files)
            QVERIFY2(WriteWholeFile(Path(name), bytes), name);
        QVERIFY(QFile::setPermissions(
            Path("readonly.gb"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(Path("locked.gb"), QFile::Permissions()));
        QVERIFY(MakePipe(Path("pipe.gb")));
        QVERIFY(MakePipe(Path("pipe.png")));
        running_ = std::make_unique<RunningProgramRom>(Path("running.gb"));

        // Names an export must not write through, or over.
        QVERIFY(QFile::link(Path("notes.txt"), Path("link-to-notes.png")));
        QVERIFY(QFile::link(Path("rom.gb"), Path("link-to-rom.png")));
        QVERIFY(QFile::link(Path("nowhere.png"), Path("dangling.png")));
        for (const char* name : {"hardlink-to-rom.png", "hardlink-to-rom.bps"})
            QVERIFY(::link(qPrintable(Path("rom.gb")), qPrintable(Path(name))) == 0);
        QVERIFY(QFile::link(Path("notes.txt"), Path("planted/10-Old-Man.png")));

        // A set behind a folder its owner may read but not search, so the set cannot be reached;
        // only root can clean it up again.
        if (RunningAsRoot()) {
            QVERIFY(QDir().mkpath(Path("unsearchable/set")));
            QVERIFY(
                QFile::setPermissions(Path("unsearchable"), QFile::ReadOwner | QFile::WriteOwner));
        }

        // The tool as an ordinary user must reach the folder; only each file's own rights decide.
        QVERIFY(OpenFolderToEveryone(dir_.path()));
    }
    void refusals_data() { AddRefusalRows(); }
    void refusals()
    {
        auto [args, named, reason, status, asOrdinaryUser, sizeLimit, stdoutTo]
            = CurrentRow<Refusal>();
        if (args.contains(u"@/running.gb") && !running_->Problem().isEmpty())
            QSKIP(qPrintable(QStringLiteral("a running program's file cannot serve as a ROM: ")
                + running_->Problem()));
        for (const QString& device : {QStringLiteral("/dev/zero"), QStringLiteral("/dev/full")})
            if ((args.contains(device) || stdoutTo == device) && !QFileInfo::exists(device))
                QSKIP("this system lacks the device");
        if (asOrdinaryUser && !RunningAsRoot())
            QSKIP("only root can run the tool as another user");
        args.replaceInStrings(QStringLiteral("@"), dir_.path());
        named.replace(u'@', dir_.path());
        reason.replace(u'@', dir_.path());
        const QMap<QString, QByteArray> before = FolderContents(dir_.path());

        RunSetup setup {.inChild = asOrdinaryUser ? AsOrdinaryUserInChild()
                : sizeLimit > 0                   ? FileSizeLimitInChild(sizeLimit)
                                                  : nullptr};
        // A pseudo-terminal stands for the user's screen.
        int terminal = -1;
        if (stdoutTo == u"@terminal") {
            terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (terminal < 0 || ::grantpt(terminal) != 0 || ::unlockpt(terminal) != 0)
                QSKIP("this system gives no pseudo-terminal");
            stdoutTo = QString::fromLocal8Bit(::ptsname(terminal));
        }
        setup.appendOutput = stdoutTo.startsWith(u">>");
        setup.outputFile
            = setup.appendOutput ? stdoutTo.mid(2).replace(u'@', dir_.path()) : stdoutTo;
        const ToolRun run = args.join(QString()).contains(u"\\x")
            ? RunProgramWithByteArguments(tool_, args, dir_.path(), setup)
            : RunProgram(tool_, args, dir_.path(), setup);

        if (terminal >= 0)
            ::close(terminal);
        QCOMPARE(std::pair(run.status, run.out), std::pair(status, QString()));
        QVERIFY2(run.err.startsWith(u"morvane-sprite-tool: ") && run.err.endsWith(u'\n')
                && run.err.count(u'\n') == 1 && run.err.contains(named) && run.err.contains(reason),
            qPrintable(run.err));
        QVERIFY(FolderContents(dir_.path()) == before);
    }

private:
    QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

    QTemporaryDir dir_;
    QTemporaryDir programDir_;
    QString tool_;
    std::unique_ptr<RunningProgramRom> running_;
};

QTEST_GUILESS_MAIN(ToolRefusalsTest)
#include "ToolRefusalsTest.moc"
