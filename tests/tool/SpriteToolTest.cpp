// What each command of the command-line tool does, run as a user runs it.
#include "HostileFiles.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "demo/DemoRom.h"
#include "patch/IpsPatch.h"
#include "sprite/DisplayPalette.h"
#include "spritepng/SpriteSheet.h"
#include "version/ProjectVersion.h"

#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;

// A failed look for words in what a command printed shows all it printed.
#define VERIFY_SHOWS(text, words) QVERIFY2((text).contains(words), qPrintable(text))

namespace {

#ifndef MORVANE_MAN_PAGE
#define MORVANE_MAN_PAGE "" // built without manual pages
#endif

// Every command, each with a help of its own.
const char* const kCommands[]
    = {"list", "export", "import", "diff", "patch", "apply", "info", "checksum", "demo", "help"};

// Pixels that differ between two blocks, counted on their images, not by the tool's comparison.
int PixelsChanged(const SpriteBlock& before, const SpriteBlock& after)
{
    const Palette greys = PaletteColours(PngPalette::HardwareGreys);
    const QImage a = SpriteToImage(before, greys), b = SpriteToImage(after, greys);
    int pixels = 0;
    for (int at = 0; at < 16 * 96; ++at)
        pixels += a.pixelIndex(at % 16, at / 16) != b.pixelIndex(at % 16, at / 16) ? 1 : 0;
    return pixels;
}

// Bytes, and 16-byte tiles, that differ between two blocks.
int PartsChanged(const SpriteBlock& before, const SpriteBlock& after, int size)
{
    int parts = 0;
    for (int at = 0; at < kSpriteBlockBytes; at += size)
        parts += Bytes(before).mid(at, size) != Bytes(after).mid(at, size) ? 1 : 0;
    return parts;
}

// Pixels and bytes that differ between two blocks, as the tool's reports give them.
QString ChangeCounts(const SpriteBlock& before, const SpriteBlock& after)
{
    return QString::asprintf(
        "%d pixels and %d bytes", PixelsChanged(before, after), PartsChanged(before, after, 1));
}

// Gives a file a name that need not be UTF-8, its odd bytes written "\xE9".
bool RenameToBytes(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), NameBytes(to).constData()) == 0;
}

// Dates a file back to a fixed time long past, and gives that time; a write would move it.
QDateTime SetOldTime(const QString& path)
{
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)
        || !file.setFileTime(old, QFileDevice::FileModificationTime))
        qFatal("cannot date back %s", qPrintable(path));
    return old;
}

struct HelpCase {
    QStringList args;
    QString starts;
};

struct ExportOne {
    const char* name;
    QStringList options;
    PngPalette palette;
    QString file; // empty: named after the row
};

struct Replaced {
    const char* name;
    QByteArray file; // what the target holds, or else
    QString link; // what it links to, in its folder
    QStringList options;
};

struct PipeCase {
    const char* name;
    QStringList exportArgs, importArgs; // "@" stands for the source, and the target, ROM image
};

struct DiffCase {
    const char* name;
    QByteArray original, edited; // an empty original: the demo image
    int status;
    QStringList lines;
};

struct PatchRound {
    const char* name;
    QString extension;
    bool forcedOverOld;
};

struct InfoCase {
    const char* name;
    QByteArray image;
    QStringList lines;
};

struct Record {
    const char* name;
    QString command;
    QByteArray image; // info's, or diff's edited image against the demo
    QString file; // its name, "\xE9" for the byte
    QJsonObject facts;
};

struct Quiet {
    const char* name;
    QStringList args; // "@rom" a saved image of its own, "@/" the test folder
    int status;
    bool prints;
    QString made; // a file the command must leave, or "@rom" when it writes it
};

struct Pictured {
    const char* name;
    QByteArray edited;
    QString target; // "-": standard output
    int status;
};

} // namespace

class SpriteToolTest : public QObject {
    Q_OBJECT

    // A run's status with what `file` then holds, compared as one.
    static auto Left(int end, const QString& file) { return std::pair(end, ReadWholeFile(file)); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(WriteWholeFile(Path("rom.gb"), demo_));
        WriteSpritePng(Path("sprite40.png"), DemoSprite(40), PngPalette::HardwareGreys);
    }
    void help_data()
    {
        AddRowColumn<HelpCase>();
        const QString usage = QStringLiteral("Usage: morvane-sprite-tool ");
        QTest::newRow("--help") << HelpCase {{"--help"}, usage + "COMMAND"};
        QTest::newRow("-h") << HelpCase {{"-h"}, usage + "COMMAND"};
        QTest::newRow("--version") << HelpCase {
            {"--version"}, "morvane-sprite-tool " + QString::fromLatin1(kProjectVersion) + "\n"};
        for (const char* command : kCommands)
            QTest::newRow(command) << HelpCase {{command, "--help"}, usage + command};
        QTest::newRow("help after arguments")
            << HelpCase {{"import", "rom.gb", "-h"}, usage + "import"};
        QTest::newRow("help COMMAND") << HelpCase {{"help", "diff"}, usage + "diff"};
        QTest::newRow("help alone") << HelpCase {{"help", "-q"}, usage + "COMMAND"};
    }
    void help()
    {
        const auto& [args, starts] = CurrentRow<HelpCase>();
        const ToolRun run = Run(args);
        QCOMPARE(std::pair(run.status, run.err), std::pair(0, QString()));
        // The version is all that --version prints; a help goes on past its first words.
        QCOMPARE(args.first() == u"--version" ? run.out : run.out.left(starts.size()), starts);
    }
    // A number in the help texts that drifts from the code's constant misleads the user. Every
    // pattern must be found at least once, so a reworded text cannot slip past unchecked.
    void helpTextsStateTheFacts()
    {
        QString prose = Run({"--help"}).out;
        for (const char* command : kCommands)
            prose += u' ' + Run({command, "--help"}).out;
        prose = prose.simplified();
        const auto number = [](qint64 value) { return QStringList {QString::number(value)}; };
        const auto both = [](qint64 a, qint64 b) { return QStringLiteral("%1,%2").arg(a).arg(b); };
        // Only a whole number of MiB can be stated as one.
        const auto mib = [](qint64 bytes) {
            return QStringList {bytes % (1 << 20) ? QString() : QString::number(bytes >> 20)};
        };
        QStringList colours; // each value with its colour, either way round
        for (int value = 0; value < 4; ++value) {
            const PackedColor c = kDefaultPalette[std::size_t(value)];
            const auto rgb = QString::asprintf("RGB(%d, %d, %d)", RedOf(c), GreenOf(c), BlueOf(c));
            colours << QString::number(value) + u',' + rgb << rgb + u',' + QString::number(value);
        }
        const struct {
            const char* pattern;
            QStringList holds; // what its captures may be, joined by commas
        } facts[] = {
            {R"((\d+) (?:overworld character )?sprite(?:s|s?\b blocks))", number(kSpriteCount)},
            {R"(\(0+ to (\d+)\))", number(kSpriteCount - 1)},
            {R"((\d+) x (\d+))",
                {both(kSpriteImageWidth, kSpriteImageHeight), both(kSheetWidth, kSheetHeight),
                    both(kFrameSide, kFrameSide)}},
            {R"((\d+)-byte)", number(kSpriteBlockBytes)},
            {R"((\d+) tiles)", number(kTilesPerSprite)},
            {R"(i mod (\d+) and row i div (\d+))",
                {both(kSheetSpritesAcross, kSheetSpritesAcross)}},
            {R"((\d) (RGB\(\d+, \d+, \d+\)))", colours},
            {R"((RGB\(\d+, \d+, \d+\)) (\d))", colours},
            {R"((\d) white, (\d) light grey, (\d) dark grey, (\d) black)", {"0,1,2,3"}},
            {R"(white (\d), light grey (\d), dark grey (\d), black (\d))", {"0,1,2,3"}},
            {R"((\d) black, (\d) white)", {"1,2"}},
            {R"(black (\d), white (\d))", {"1,2"}},
            {R"(greys \(white (\d), black (\d)\))", {"0,3"}},
            {R"(indices (\d) to (\d))", {"0,3"}},
            {R"(a (\d+) MiB demo)", mib(kDemoRomBytes)},
            {R"(over (\d+) MiB)", mib(kMaxSpritePngBytes)},
            {R"(past (\d+) MiB)", mib(qint64(kIpsMaxOffset) + 1)},
            {R"((\d) success; .* (\d) a file cannot .* (\d) a mistake on the command line)",
                {"0,1,2"}},
            {R"((\d) when the images are identical, (\d) when they differ, (\d) for any error)",
                {"0,1,2"}},
        };
        for (const auto& fact : facts) {
            const auto matches = QRegularExpression(fact.pattern).globalMatch(prose);
            QVERIFY2(matches.hasNext(), fact.pattern);
            for (const auto& m : matches)
                QVERIFY2(fact.holds.contains(m.capturedTexts().mid(1).join(u',')),
                    qPrintable(QStringLiteral("\"%1\" is not so").arg(m.captured(0))));
        }
    }
    // Each format gives every entry with its index, label and offset.
    void list_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("text") << QStringList();
        QTest::newRow("tsv") << QStringList {"--format", "tsv"};
        QTest::newRow("json") << QStringList {"--format=json"};
    }
    void list()
    {
        QFETCH(QStringList, options);
        const ToolRun run = Run(QStringList {"list"} + options);
        QCOMPARE(run.status, 0);

        QStringList entries, expected; // index, label and offset, split by tabs
        for (int index = 0; index < kSpriteCount; ++index)
            expected
                << QStringLiteral("%1\t%2\t%3").arg(index).arg(LabelOf(index)).arg(OffsetOf(index));
        if (options.isEmpty()) {
            const QRegularExpression shape(R"(^\s*(\d+)\s+(.+?)\s+(\d+)\s+0x([0-9A-F]+)$)");
            for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
                const QRegularExpressionMatch match = shape.match(line);
                QVERIFY2(match.hasMatch(), qPrintable(line));
                QCOMPARE(match.captured(4).toLongLong(nullptr, 16), match.captured(3).toLongLong());
                entries << match.capturedTexts().mid(1, 3).join(u'\t');
            }
        } else if (options.contains(u"tsv")) {
            entries = run.out.split(u'\n', Qt::SkipEmptyParts);
            QCOMPARE(entries.takeFirst(), QStringLiteral("index\tlabel\toffset"));
        } else {
            QJsonParseError error {};
            const QJsonDocument json = QJsonDocument::fromJson(run.outBytes, &error);
            QCOMPARE(error.error, QJsonParseError::NoError);
            for (const QJsonValue& entry : json.array())
                entries << QStringLiteral("%1\t%2\t%3")
                               .arg(entry["index"].toInt())
                               .arg(entry["label"].toString())
                               .arg(qint64(entry["offset"].toDouble()));
        }
        QCOMPARE(entries, expected);
    }
    void demoWritesTheImage()
    {
        QCOMPARE(Left(Run({"demo", Path("demo.gb")}).status, Path("demo.gb")), std::pair(0, demo_));
    }
    void exportOne_data()
    {
        AddRows<ExportOne>({
            {"greys by default", {}, PngPalette::HardwareGreys, {}},
            {"--colours greys", {"--colours", "greys"}, PngPalette::HardwareGreys, {}},
            {"--colours display", {"--colours", "display"}, PngPalette::DisplayDefaults, {}},
            {"--colours=display, first", {"--colours=display"}, PngPalette::DisplayDefaults, {}},
            // The longest name a file may have leaves no room for a temporary name built on it.
            {"a name of 255 bytes", {}, PngPalette::HardwareGreys, QString(251, u'n') + ".png"},
        });
    }
    void exportOne()
    {
        const auto& [name, options, palette, file] = CurrentRow<ExportOne>();
        const QString target = Path(file.isEmpty() ? QStringLiteral("one-%1.png").arg(name) : file);
        const ToolRun run
            = Run(QStringList {"export"} + options + QStringList {Path("rom.gb"), "37", target});
        QCOMPARE(std::pair(run.status, run.err), std::pair(0, QString()));

        QList<QRgb> expected;
        for (const PackedColor colour : PaletteColours(palette))
            expected << qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour));
        QCOMPARE(QImage(target).colorTable(), expected);
        QCOMPARE(Bytes(ReadSpritePng(target)), Bytes(DemoSprite(37)));
    }
    void exportAllIntoNewFolder()
    {
        const QDir folder(Path("all/nested"));
        QCOMPARE(Run({"export", Path("rom.gb"), "--all", folder.path()}).status, 0);

        const QStringList names = folder.entryList(QDir::Files, QDir::Name);
        QCOMPARE(names.size(), kSpriteCount);
        for (const char* name :
            {"00-Tamsin-Bicycle.png", "03-Dr-Velloc.png", "15-unknown.png", "29-Quillan.png"})
            QVERIFY2(names.contains(name), name);
        for (int index = 0; index < kSpriteCount; ++index) {
            QVERIFY2(names[index].startsWith(Numbered(index)), qPrintable(names[index]));
            QCOMPARE(Bytes(ReadSpritePng(folder.filePath(names[index]))), Bytes(DemoSprite(index)));
        }
    }
    // What an export may take the place of; a link is replaced itself, never written through.
    void exportReplaces_data()
    {
        AddRows<Replaced>({
            {"a PNG image", SpritePngBytes(DemoSprite(1), PngPalette::HardwareGreys), {}, {}},
            {"a text file, forced", "a text\n", {}, {"--force"}},
            {"a link to a text file, forced", {}, "other.txt", {"--force"}},
            {"a dangling link, forced", {}, "gone.txt", {"--force"}},
        });
    }
    void exportReplaces()
    {
        const auto& [name, file, link, options] = CurrentRow<Replaced>();
        QTemporaryDir dir;
        const QString target = dir.filePath("target.png");
        const QString other = dir.filePath("other.txt");
        QVERIFY(WriteWholeFile(other, "kept\n"));
        QVERIFY(link.isEmpty() ? WriteWholeFile(target, file)
                               : QFile::link(dir.filePath(link), target));

        QCOMPARE(Run(QStringList {"export", Path("rom.gb"), "22", target} + options).status, 0);
        QVERIFY(!QFileInfo(target).isSymLink());
        QCOMPARE(Bytes(ReadSpritePng(target)), Bytes(DemoSprite(22)));
        QCOMPARE(ReadWholeFile(other), QByteArray("kept\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }
    // A write failing part way through --all leaves every file as it was, and no temporary file.
    void exportAllChangesNothingWhenAWriteFails()
    {
        QTemporaryDir dir;
        QVERIFY(Run({"export", Path("rom.gb"), "--all", dir.path()}).status == 0);
        // The images differ in size: under the first one's size as a limit, the first larger fails.
        const QStringList names = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        const qint64 limit = QFileInfo(dir.filePath(names[0])).size();
        const auto failing = std::ranges::find_if(names,
            [&](const QString& name) { return QFileInfo(dir.filePath(name)).size() > limit; });
        QVERIFY(failing != names.end());
        const QByteArray blank = SpritePngBytes({}, PngPalette::HardwareGreys);
        for (const QString& name : names)
            QVERIFY(WriteWholeFile(dir.filePath(name), blank));

        const ToolRun run = Run({"export", Path("rom.gb"), "--all", dir.path()},
            {.inChild = FileSizeLimitInChild(limit)});
        QCOMPARE(run.status, 1);
        VERIFY_SHOWS(run.err,
            QStringLiteral("\"%1\": File too large. No image was written, and nothing was changed.")
                .arg(dir.filePath(*failing)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            names);
        for (const QString& name : names)
            QVERIFY2(ReadWholeFile(dir.filePath(name)) == blank, qPrintable(name));
    }
    void importChangesOnlyThatBlock()
    {
        const QString rom = FreshRom("import.gb");
        const QString png = Path("sprite13.png");
        WriteSpritePng(png, DemoSprite(13), PngPalette::DisplayDefaults);
        // A Latin-1 name, as an older system writes it, is a name like any other.
        QVERIFY(RenameToBytes(png, Path("caf\\xE9.png")));

        const ToolRun run = Run({"import", rom, "12", Path("caf\\xE9.png")});
        QCOMPARE(Left(run.status, rom), std::pair(0, WithBlock(demo_, 12, 13)));
        VERIFY_SHOWS(run.out, u"/caf\\xE9.png into sprite 12");
        VERIFY_SHOWS(run.out, ChangeCounts(DemoSprite(12), DemoSprite(13)));
    }
    // Started with standard descriptors closed, a command still does exactly its work: no file it
    // opens takes a closed descriptor's number, where a line printed later would land in it.
    void closedStandardDescriptors_data()
    {
        QTest::addColumn<QList<int>>("closed");
        QTest::newRow("standard output") << QList<int> {STDOUT_FILENO};
        QTest::newRow("all three") << QList<int> {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
    }
    void closedStandardDescriptors()
    {
        QFETCH(QList<int>, closed);
        const QString rom = FreshRom("closed.gb");
        const auto closing = [closed] { std::ranges::for_each(closed, ::close); };
        const ToolRun run = Run({"import", rom, "12", Path("sprite40.png")}, {.inChild = closing});
        QCOMPARE(Left(run.status, rom), std::pair(0, WithBlock(demo_, 12, 40)));
    }
    // A read error on standard input ends the run with the system's reason; it is not tried again.
    void unreadableStandardInput()
    {
        const QString rom = FreshRom("stdin.gb");
        const auto folderAsInput = [folder = QFile::encodeName(dir_.path())] {
            ::dup2(::open(folder.constData(), O_RDONLY | O_DIRECTORY), STDIN_FILENO);
        };
        const ToolRun run = Run({"import", rom, "9", "-"}, {.inChild = folderAsInput});
        QCOMPARE(Left(run.status, rom), std::pair(1, demo_));
        VERIFY_SHOWS(run.err, u"Standard input cannot be read: Is a directory.");
    }
    void dryRunWritesNothing()
    {
        const QString rom = FreshRom("dry.gb");
        const ToolRun run = Run({"import", "--dry-run", rom, "5", Path("sprite40.png")});
        QCOMPARE(Left(run.status, rom), std::pair(0, demo_));
        VERIFY_SHOWS(run.out, ChangeCounts(DemoSprite(5), DemoSprite(40)));
        VERIFY_SHOWS(run.out, u"nothing was written");
    }
    void identicalImportDoesNotWrite()
    {
        const QString rom = FreshRom("same.gb");
        // Relative and in small letters: the report must spell it as given.
        QCOMPARE(Run({"export", rom, "20", "s20.png"}).status, 0);
        const QDateTime old = SetOldTime(rom);

        const ToolRun run = Run({"import", rom, "20", "s20.png"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith(u"The image s20.png matches sprite 20 "), qPrintable(run.out));
        VERIFY_SHOWS(run.out, u"nothing to change");
        QCOMPARE(QFileInfo(rom).lastModified().toUTC(), old);
    }
    // Export all, redraw three, import all: exactly those three blocks change. Neither the folder's
    // name nor one image's is UTF-8, and each is still found.
    void importAllChangesExactlyTheEditedImages()
    {
        const QString rom = FreshRom("set.gb");
        QDir folder(Path("set"));
        QCOMPARE(Run({"export", rom, "--all", folder.path()}).status, 0);
        const QList<std::pair<int, int>> edits = {{2, 30}, {21, 3}, {44, 0}};
        QByteArray expected = demo_;
        for (const auto& [index, other] : edits) {
            // Renamed, as a user's editor may save it: only the number counts.
            QVERIFY(folder.remove(folder.entryList({Numbered(index) + "*.png"}).value(0)));
            const QString file = Numbered(index) + (index == 44 ? ".png" : "redrawn.PNG");
            WriteSpritePng(folder.filePath(file), DemoSprite(other), PngPalette::DisplayDefaults);
            expected = WithBlock(expected, index, other);
        }
        QVERIFY(
            RenameToBytes(folder.filePath("21-redrawn.PNG"), folder.filePath("21-caf\\xE9.png")));
        QVERIFY(RenameToBytes(folder.path(), Path("s\\xE9t")));

        ToolRun run = Run({"import", "--dry-run", rom, "--all", "s\\xE9t"});
        QCOMPARE(Left(run.status, rom), std::pair(0, demo_));
        VERIFY_SHOWS(run.out, u"3 of 45 entries would change");

        run = Run({"import", rom, "--all", "s\\xE9t"});
        QCOMPARE(Left(run.status, rom), std::pair(0, expected));
        for (const auto& [index, other] : edits)
            VERIFY_SHOWS(run.out,
                QStringLiteral("Sprite %1 (%2): %3 changed")
                    .arg(QString::number(index), LabelOf(index),
                        ChangeCounts(DemoSprite(index), DemoSprite(other))));
        QCOMPARE(run.out.count(u" changed."), 3);
        VERIFY_SHOWS(run.out, u"images of s\\xE9t into");
    }
    // Export the sheet, import it back: no byte changes; into another image, the differing blocks.
    void sheetRoundTrip()
    {
        const QString rom = FreshRom("sheet.gb");
        const QString sheet = Path("sheet.png");
        QCOMPARE(Run({"export", rom, "--sheet", sheet}).status, 0);
        QCOMPARE(QImage(sheet).size(), QSize(144, 480));
        const QDateTime old = SetOldTime(rom);

        QCOMPARE(Left(Run({"import", rom, "--sheet", sheet}).status, rom), std::pair(0, demo_));
        QCOMPARE(QFileInfo(rom).lastModified().toUTC(), old);

        const QString other = FreshRom("other.gb", WithBlock(WithBlock(demo_, 7, 8), 40, 1));
        const ToolRun run = Run({"import", other, "--sheet", sheet});
        QCOMPARE(Left(run.status, other), std::pair(0, demo_));
        VERIFY_SHOWS(run.out, u"Imported 2 of 45");
    }
    // "-" reads the image from standard input or writes it to standard output.
    void pipes_data()
    {
        AddRows<PipeCase>({
            {"one sprite", {"export", "@", "3", "-"}, {"import", "@", "9", "-"}},
            {"the sheet", {"export", "@", "--sheet", "-"}, {"import", "@", "--sheet", "-"}},
            {"raw tiles", {"export", "--raw", "@", "3", "-"}, {"import", "@", "9", "-", "--raw"}},
        });
    }
    void pipes()
    {
        auto [name, exportArgs, importArgs] = CurrentRow<PipeCase>();
        const QString source = FreshRom("pipe-from.gb", WithBlock(demo_, 3, 25));
        const QString target = FreshRom("pipe-to.gb");
        exportArgs.replaceInStrings(QStringLiteral("@"), source);
        importArgs.replaceInStrings(QStringLiteral("@"), target);

        const ToolRun exported = Run(exportArgs);
        QCOMPARE(exported.status, 0);
        if (exportArgs.contains(u"--raw"))
            QCOMPARE(exported.outBytes, Bytes(DemoSprite(25)));
        else
            QVERIFY(exported.outBytes.startsWith("\x89PNG"));
        QCOMPARE(Run(importArgs, {.input = exported.outBytes}).status, 0);

        const bool sheet = exportArgs.contains(u"--sheet");
        QCOMPARE(ReadWholeFile(target), sheet ? ReadWholeFile(source) : WithBlock(demo_, 9, 25));
    }
    void diff_data()
    {
        QByteArray edited = WithBlock(demo_, 12, 13);
        edited[OffsetOf(30) + 16 * 7 + 3] = char(~edited[OffsetOf(30) + 16 * 7 + 3]);
        edited.replace(0x200, 5, "\1\2\3\4\5");
        edited[0] = '\x55';
        // Both end inside the first block, and the one byte that differs lies in it.
        QByteArray cut = demo_.left(83000);
        cut[82950] = char(~cut[82950]);
        const QString named = Path("edited.gb"); // where diff finds the edited image
        AddRows<DiffCase>({
            {"identical", {}, demo_, 0, {"are identical."}},
            {"two sprites and six bytes, the first one among them", {}, edited, 1,
                {QStringLiteral("Sprite 12 (Boy): %1 pixels differ, in %2 of 24 tiles.")
                        .arg(PixelsChanged(DemoSprite(12), DemoSprite(13)))
                        .arg(PartsChanged(DemoSprite(12), DemoSprite(13), 16)),
                    "Sprite 30 (Man): 8 pixels differ, in 1 of 24 tiles.",
                    "2 of 45 sprites differ; 6 bytes differ outside the sprite blocks."}},
            {"cut short before the last entries", {}, demo_.left(1043000), 1,
                {"Sprite 39 (Morvane): lies beyond the end of " + named + ".",
                    "Sprite 44 (Wenna): lies beyond the end of " + named + ".",
                    "6 of 45 sprites differ; 0 bytes differ outside the sprite blocks; " + named
                        + " is 5576 bytes shorter than " + Path("rom.gb") + "."}},
            {"both cut short inside a block that differs", demo_.left(83000), cut, 1,
                {QStringLiteral("Sprite 0 (%1): lies partly beyond the end of both images; 1 "
                                "byte differs in the part they hold.")
                        .arg(LabelOf(0)),
                    "1 of 45 sprites differ; 0 bytes differ outside the sprite blocks."}},
        });
    }
    void diff()
    {
        const auto& [name, original, edited, status, lines] = CurrentRow<DiffCase>();
        const QString from
            = original.isEmpty() ? Path("rom.gb") : FreshRom("original.gb", original);

        const ToolRun run = Run({"diff", from, FreshRom("edited.gb", edited)});
        QCOMPARE(std::pair(run.status, run.err), std::pair(status, QString()));
        for (const QString& line : lines)
            VERIFY_SHOWS(run.out, line);
    }
    // "patch" then "apply" rebuild the edited image; forced, they replace a file or a link itself.
    void patchAndApply_data()
    {
        AddRows<PatchRound>({
            {"BPS", "bps", false},
            {"IPS", "ips", false},
            {"BPS over a file and a link, forced", "bps", true},
        });
    }
    void patchAndApply()
    {
        const auto& [name, extension, forcedOverOld] = CurrentRow<PatchRound>();
        QByteArray edited = WithBlock(WithBlock(WithBlock(demo_, 0, 44), 21, 5), 44, 9);
        edited.replace(0x134, 7, "EDITED!");
        const QString original = Path("rom.gb");
        const QString changed = FreshRom("patched-" + extension + ".gb", edited);
        const QString patch = Path("edit." + extension);
        const QString result = Path("result-" + extension + ".gb");
        const QString kept = Path("kept.txt");
        QStringList force;
        if (forcedOverOld) {
            QVERIFY(WriteWholeFile(patch, "an old patch\n"));
            QVERIFY(WriteWholeFile(kept, "kept\n"));
            QFile::remove(result);
            QVERIFY(QFile::link(kept, result));
            force << QStringLiteral("--force");
        }

        ToolRun run = Run(QStringList {"patch", original, changed, patch} + force);
        QCOMPARE(run.status, 0);
        VERIFY_SHOWS(
            run.out, QStringLiteral("Wrote the %1 patch %2").arg(extension.toUpper(), patch));
        QVERIFY(QFileInfo(patch).size() < 4096);

        QCOMPARE(Run(QStringList {"apply", original, patch, result} + force).status, 0);
        QCOMPARE(
            std::pair(ReadWholeFile(result), ReadWholeFile(original)), std::pair(edited, demo_));
        if (forcedOverOld) {
            QVERIFY(!QFileInfo(result).isSymLink());
            QCOMPARE(ReadWholeFile(kept), QByteArray("kept\n"));
        }
    }
    void info_data()
    {
        AddRows<InfoCase>({
            {"the demo image", demo_,
                {"Size:             1048576 bytes", "Title:            \"MORVANE DEMO\"",
                    "computed: matches\nGlobal checksum:",
                    "Sprite blocks:    all 45 inside the file"}},
            {"a sprite changed, the sums not", WithBlock(demo_, 3, 4),
                {"Header checksum:  0x83 stored, 0x83 computed: matches",
                    "computed: differs, which is harmless: the hardware checks only the header "
                    "checksum, so the game still runs (\"checksum --fix\" corrects it)\nSprite "
                    "blocks"}},
            {"too short for the last entries", demo_.left(1043000),
                {"Sprite blocks:    39 of 45 inside the file; those of entries 39 to 44 "
                 "lie beyond its end"}},
            {"too short for a header", demo_.left(0x140),
                {"Header:           none: the image ends before byte 336",
                    "Sprite blocks:    0 of 45 inside the file; those of entries 0 to 44"}},
        });
    }
    void info()
    {
        const auto& [name, image, lines] = CurrentRow<InfoCase>();
        const QString rom = FreshRom("info.gb", image);
        const ToolRun run = Run({"info", rom});
        QCOMPARE(Left(run.status, rom), std::pair(0, image));
        QVERIFY2(run.out.startsWith(QStringLiteral("File:             ") + rom + "\n"),
            qPrintable(run.out));
        for (const QString& line : lines)
            VERIFY_SHOWS(run.out, line);
    }
    // The raw tiles of a sprite are its block's bytes as stored, and go back into exactly that
    // block; a set of them round-trips as images do, each file's ending telling its kind.
    void rawTiles()
    {
        const QString rom = Path("rom.gb");
        const QString tiles = Path("s.2bpp");
        // An older export of raw tiles is refreshed without --force.
        QVERIFY(WriteWholeFile(tiles, QByteArray(384, 'x')));
        QCOMPARE(Run({"export", rom, "5", tiles}).status, 0);
        QCOMPARE(ReadWholeFile(tiles), demo_.mid(OffsetOf(5), 384));
        const QString other = FreshRom("raw-into.gb", WithBlock(demo_, 5, 6));
        QCOMPARE(Left(Run({"import", other, "5", tiles}).status, other), std::pair(0, demo_));

        QDir folder(Path("raw-set"));
        QCOMPARE(Run({"export", rom, "--all", folder.path(), "--raw"}).status, 0);
        const QStringList names = folder.entryList(QDir::Files, QDir::Name);
        QCOMPARE(names.size(), kSpriteCount);
        QByteArray expected(demo_.size(), '\0');
        for (int index = 0; index < kSpriteCount; ++index) {
            QVERIFY2(names[index].endsWith(u".2bpp"), qPrintable(names[index]));
            QCOMPARE(ReadWholeFile(folder.filePath(names[index])), demo_.mid(OffsetOf(index), 384));
            expected = WithBlock(expected, index, index == 20 ? 21 : index);
        }
        QVERIFY(folder.remove(names[20]));
        WriteSpritePng(folder.filePath("20-new.png"), DemoSprite(21), PngPalette::DisplayDefaults);
        const QString blank = FreshRom("raw-blank.gb", QByteArray(demo_.size(), '\0'));
        QCOMPARE(Left(Run({"import", blank, "--all", folder.path()}).status, blank),
            std::pair(0, expected));
    }
    // checksum --fix writes only the checksum bytes that were wrong, the header checksum before the
    // global one that covers it, so info then finds both right; with none wrong it writes nothing.
    void checksumFix_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::newRow("a sprite saved") << WithBlock(demo_, 3, 4);
        QTest::newRow("the title changed") << QByteArray(demo_).replace(0x134, 4, "EDIT");
        QTest::newRow("both right") << demo_;
    }
    void checksumFix()
    {
        QFETCH(QByteArray, image);
        const QString rom = FreshRom("checksum.gb", image);
        const QDateTime old = SetOldTime(rom);
        const ToolRun report = Run({"checksum", rom});
        const ToolRun run = Run({"checksum", "--fix", rom});
        QCOMPARE(std::pair(report.status, run.status), std::pair(0, 0));

        const QByteArray fixed = ReadWholeFile(rom);
        QCOMPARE(fixed.size(), image.size());
        for (qsizetype i = 0; i < fixed.size(); ++i) {
            if (fixed[i] == image[i])
                continue;
            QVERIFY2(i >= 0x14D && i <= 0x14F, qPrintable(QString::number(i, 16)));
            VERIFY_SHOWS(run.out,
                QString::asprintf("0x%03llX: 0x%02X -> 0x%02X", qlonglong(i), quint8(image[i]),
                    quint8(fixed[i])));
        }
        // Summed in the wrong order, the global checksum would miss the new header checksum byte.
        QCOMPARE(Run({"info", rom}).out.count(u" computed: matches\n"), 2);
        if (fixed == image) {
            VERIFY_SHOWS(report.out, u"nothing to fix");
            VERIFY_SHOWS(run.out, u"not written");
            QCOMPARE(QFileInfo(rom).lastModified().toUTC(), old);
        } else {
            VERIFY_SHOWS(report.out, u"\"checksum --fix\" would write");
        }
    }
    // info and diff for programs: JSON holds the facts; TSV has the same keys, order and values.
    void records_data()
    {
        const auto nulls = [](QJsonObject facts, const QStringList& keys) {
            for (const QString& key : keys)
                facts.insert(key, QJsonValue::Null);
            return facts;
        };
        QByteArray edited = WithBlock(demo_, 12, 13);
        edited[0x200] = '\x42';
        QJsonArray beyond;
        for (int index = 39; index < kSpriteCount; ++index)
            beyond.append(nulls({{"index", index}, {"label", LabelOf(index)},
                                    {"offset", OffsetOf(index)}, {"state", "beyond_end_of_edited"}},
                {"tiles", "pixels", "bytes"}));
        AddRows<Record>({
            {"info of a saved image", "info", WithBlock(demo_, 3, 4), "saved.gb",
                {{"size", 1048576}, {"title", "MORVANE DEMO"}, {"header_checksum_matches", true},
                    {"global_checksum_matches", false}, {"sprite_blocks_inside", 45}}},
            {"info of an image too short for a header", "info", demo_.left(0x140), "short.gb",
                nulls({{"size", 0x140}, {"sprite_blocks_inside", 0}},
                    {"title", "header_checksum_stored", "global_checksum_matches"})},
            {"info of a name with a quote and a Latin-1 byte", "info", demo_, "q\"\\xE9.gb",
                {{"file", Path("q\"\\xE9.gb")}}},
            {"diff of a sprite and a byte", "diff", edited, "edited.gb",
                {{"original", Path("rom.gb")}, {"edited", Path("edited.gb")}, {"identical", false},
                    {"sprites_differing", 1}, {"bytes_differing_outside_sprites", 1},
                    {"sprites",
                        QJsonArray {QJsonObject {{"index", 12}, {"label", "Boy"},
                            {"offset", OffsetOf(12)}, {"state", "differs"},
                            {"tiles", PartsChanged(DemoSprite(12), DemoSprite(13), 16)},
                            {"pixels", PixelsChanged(DemoSprite(12), DemoSprite(13))},
                            {"bytes", PartsChanged(DemoSprite(12), DemoSprite(13), 1)}}}}}},
            {"diff of an image cut short", "diff", demo_.left(1043000), "cut.gb",
                {{"edited_size", 1043000}, {"sprites_differing", 6}, {"sprites", beyond}}},
            {"diff of identical images", "diff", demo_, "same.gb",
                {{"identical", true}, {"sprites_differing", 0}, {"sprites", QJsonArray()}}},
        });
    }
    void records()
    {
        const auto& [name, command, image, file, facts] = CurrentRow<Record>();
        QVERIFY(RenameToBytes(FreshRom("records.gb", image), Path(file)));
        const bool diff = command == u"diff";
        const QStringList args = diff ? QStringList {command, Path("rom.gb"), Path(file)}
                                      : QStringList {command, Path(file)};

        const ToolRun json = Run(args + QStringList {"--format=json"});
        QCOMPARE(json.status, diff && !facts.value(QStringLiteral("identical")).toBool() ? 1 : 0);
        QJsonParseError error {};
        const QJsonObject object = QJsonDocument::fromJson(json.outBytes, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        for (auto fact = facts.begin(); fact != facts.end(); ++fact)
            QVERIFY2(object[fact.key()] == fact.value(), qPrintable(fact.key()));

        // TSV keys come in the JSON's order: info's object's, or diff's first sprite's.
        const QString keyed
            = diff ? json.out.section("\n    {", 1, 1).section(u'\n', 0, 0) : json.out;
        QStringList keys;
        for (const auto& match : QRegularExpression(R"re("(\w+)": )re").globalMatch(keyed))
            keys << match.captured(1);
        const QJsonArray rows = diff ? object["sprites"].toArray() : QJsonArray {object};
        const QStringList stable {"index", "label", "offset", "state", "tiles", "pixels", "bytes"};
        if (diff && !rows.isEmpty())
            QCOMPARE(keys, stable);
        const QStringList columns = diff ? stable : keys;
        QString tsv = columns.join(u'\t') + u'\n';
        for (const QJsonValue& row : rows) {
            QStringList fields;
            for (const QString& key : columns)
                fields << row[key].toVariant().toString(); // true, false, whole numbers, or text
            tsv += fields.join(u'\t') + u'\n';
        }
        QCOMPARE(Run(args + QStringList {"--format", "tsv"}).out, tsv);
    }
    // --quiet silences the telling of a command's work, never the work or what it must print.
    void quiet_data()
    {
        AddRows<Quiet>({
            {"import", {"import", "-q", "@rom", "12", "@/sprite40.png"}, 0, false, "@rom"},
            {"import --dry-run still tells",
                {"import", "--dry-run", "--quiet", "@rom", "12", "@/sprite40.png"}, 0, true, ""},
            {"export to a file", {"export", "@rom", "3", "@/quiet3.png", "-q"}, 0, false,
                "@/quiet3.png"},
            {"export to standard output", {"export", "-q", "@rom", "3", "-"}, 0, true, ""},
            {"checksum --fix", {"checksum", "--fix", "-q", "@rom"}, 0, false, "@rom"},
            {"checksum's report stays", {"checksum", "-q", "@rom"}, 0, true, ""},
            {"list stays", {"list", "-q"}, 0, true, ""},
            {"diff answers by its status", {"diff", "-q", "@/rom.gb", "@rom"}, 1, false, ""},
            {"patch", {"patch", "-q", "@/rom.gb", "@rom", "@/quiet.ips"}, 0, false, "@/quiet.ips"},
            {"demo", {"demo", "--quiet", "@/quiet-demo.gb"}, 0, false, "@/quiet-demo.gb"},
        });
    }
    void quiet()
    {
        auto [name, args, status, prints, made] = CurrentRow<Quiet>();
        const QByteArray saved = WithBlock(demo_, 3, 4);
        const QString rom = FreshRom("quiet.gb", saved);
        args.replaceInStrings(QStringLiteral("@rom"), rom);
        args.replaceInStrings(QStringLiteral("@/"), dir_.path() + u'/');

        const ToolRun run = Run(args);
        QCOMPARE(std::pair(run.status, run.err), std::pair(status, QString()));
        QCOMPARE(!run.outBytes.isEmpty(), prints);
        QCOMPARE(ReadWholeFile(rom) != saved, made == u"@rom");
        if (made.startsWith(u"@/"))
            QVERIFY(QFileInfo::exists(made.replace(QStringLiteral("@/"), dir_.path() + u'/')));
    }
    // diff --png draws the edited image's sheet with exactly the pixels whose value differs in red,
    // every other pixel of a changed sprite in its grey, and each sprite without a difference in
    // one set of four other greys; the exit status says whether the images differ.
    void diffPicture_data()
    {
        QByteArray edited = WithBlock(demo_, 12, 13);
        edited[OffsetOf(44) + 5] = char(edited[OffsetOf(44) + 5] ^ 0x10);
        AddRows<Pictured>({
            {"two sprites differ", edited, "changes.png", 1},
            {"identical", demo_, "same.png", 0},
            {"to standard output, the report to standard error", edited, "-", 1},
            {"the last sprites beyond the edited image's end", demo_.left(1043000), "short.png", 1},
        });
    }
    void diffPicture()
    {
        const auto& [name, edited, target, status] = CurrentRow<Pictured>();
        const QString out = target == u"-" ? target : Path(target);
        const ToolRun run
            = Run({"diff", "--png", out, Path("rom.gb"), FreshRom("pictured.gb", edited)});
        QCOMPARE(run.status, status);
        const QImage picture = out == u"-" ? QImage::fromData(run.outBytes, "PNG") : QImage(out);
        QCOMPARE(picture.size(), QSize(kSheetWidth, kSheetHeight));
        const QString report = out == u"-" ? run.err : run.out;

        const Palette greys = PaletteColours(PngPalette::HardwareGreys);
        QMap<int, QRgb> dimmed; // the dimmed grey of each value, the same in every dimmed sprite
        for (int index = 0; index < kSpriteCount; ++index) {
            const QByteArray block = edited.mid(OffsetOf(index), 384);
            const bool missing = block.size() < 384;
            SpriteBlock after {};
            std::copy(block.begin(), block.end(), reinterpret_cast<char*>(after.data()));
            const QImage before = SpriteToImage(DemoSprite(index), greys);
            const QImage now = SpriteToImage(after, greys);
            const QPoint cell(16 * (index % 9), 96 * (index / 9));
            const int red = missing ? 16 * 96 : PixelsChanged(DemoSprite(index), after);
            for (int at = 0; at < 16 * 96; ++at) {
                const QPoint pixel(at % 16, at / 16);
                const QRgb got = picture.pixel(cell + pixel);
                const int value = now.pixelIndex(pixel);
                if (missing || before.pixelIndex(pixel) != value) {
                    QCOMPARE(got, qRgb(255, 0, 0));
                } else if (red > 0) {
                    QCOMPARE(got, now.pixel(pixel));
                } else {
                    QVERIFY(qIsGray(got));
                    QVERIFY(got != now.pixel(pixel));
                    QCOMPARE(dimmed.value(value, got), got);
                    dimmed[value] = got;
                }
            }
            if (red > 0 && !missing)
                VERIFY_SHOWS(report,
                    QStringLiteral("Sprite %1 (%2): %3 pixel")
                        .arg(QString::number(index), LabelOf(index), QString::number(red)));
        }
        QCOMPARE(QSet<QRgb>(dimmed.begin(), dimmed.end()).size(), dimmed.size());
        QCOMPARE(report.isEmpty(), false);
    }
    // The manual page gives every command the help lists a section that names each option of the
    // command's own help, with an example, and has the exit status and files sections.
    void manPageDocumentsEveryCommand()
    {
        if (!*MORVANE_MAN_PAGE)
            QSKIP("built without manual pages");
        const QString groff = QStandardPaths::findExecutable(QStringLiteral("groff"));
        if (groff.isEmpty())
            QSKIP("groff is not installed");
        const QByteArray page = RunProgram("gzip", {"-dc", MORVANE_MAN_PAGE}, dir_.path()).outBytes;
        QVERIFY(!page.isEmpty());
        const QString shown
            = RunProgram(groff, {"-man", "-Tascii", "-P-cbou"}, dir_.path(), {.input = page}).out;
        for (const char* section : {"\nOPTIONS\n", "\nCOMMANDS\n", "\nEXIT STATUS\n", "\nFILES\n"})
            QVERIFY2(shown.contains(QString::fromLatin1(section)), section);
        const QString commands
            = u'\n' + shown.section("\nCOMMANDS\n", 1).section(QRegularExpression("\n[A-Z]"), 0, 0);

        const QString listing
            = Run({"--help"}).out.section("Commands:", 1, 1).section("\n\n", 0, 0);
        const QRegularExpression listed(R"(^  (\w+) )", QRegularExpression::MultilineOption);
        const QRegularExpression option(R"(--?[a-z][a-z-]*)");
        const QStringList common {"-h", "--help", "-q", "--quiet"}; // told of once for all
        QStringList names;
        for (const auto& command : listed.globalMatch(listing))
            names << command.captured(1);
        names.removeDuplicates();
        QVERIFY(names.size() >= 10);
        for (const QString& name : names) {
            const QString own = commands.section(QStringLiteral("\n   %1\n").arg(name), 1, 1)
                                    .section(QRegularExpression("\n   \\S"), 0, 0);
            QVERIFY2(own.contains(u"Example"), qPrintable(name));
            const QString options
                = Run({name, "--help"}).out.section("\nOptions:\n", 1, 1).section("\n\n", 0, 0);
            for (const QString& line : options.split(u'\n').filter(QRegularExpression("^  -"))) {
                for (const auto& spelled :
                    option.globalMatch(line.section("  ", 1, 1).section(u' ', 0, 1))) {
                    const QString word = spelled.captured(0);
                    QVERIFY2((common.contains(word) ? shown : own).contains(word),
                        qPrintable(name + QStringLiteral(": ") + word));
                }
            }
        }
    }

private:
    static qsizetype OffsetOf(int index) { return *SpriteOffsetValue(std::int16_t(index)); }
    static QString LabelOf(int index) { return QString::fromUtf8(SpriteLabel(index)).trimmed(); }
    // What the name of an exported image of entry `index` starts with.
    static QString Numbered(int index) { return QString::asprintf("%02d-", index); }
    // The demo image with entry `index` holding the demo drawing of `other`.
    static QByteArray WithBlock(QByteArray rom, int index, int other)
    {
        return rom.replace(OffsetOf(index), 384, Bytes(DemoSprite(other)));
    }
    // "\xE9" in an argument stands for that byte.
    ToolRun Run(const QStringList& args, const RunSetup& setup = {}) const
    {
        const auto run
            = args.join(QString()).contains(u"\\x") ? RunProgramWithByteArguments : RunProgram;
        return run(QStringLiteral(MORVANE_SPRITE_TOOL), args, dir_.path(), setup);
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // A ROM image of its own for a test that writes into it.
    QString FreshRom(const QString& name, const QByteArray& bytes = {}) const
    {
        WriteWholeFile(Path(name), bytes.isNull() ? demo_ : bytes);
        return Path(name);
    }

    QTemporaryDir dir_;
    // Made with the test object, so the tables that build on it are whole even when only listed.
    QByteArray demo_ = Bytes(MakeDemoRom());
};

QTEST_GUILESS_MAIN(SpriteToolTest)
#include "SpriteToolTest.moc"
