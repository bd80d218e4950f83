// Every bad file a user can hand the command-line tool, run as a user runs it: each ends with
// status 1, one line on standard error naming the file and why, nothing on standard output, and
// every file in the folder exactly as it was.
#include "HostileFiles.h"
#include "RomFixture.h"
#include "TestData.h"
#include "demo/DemoRom.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/resource.h>

using namespace morvane;
using namespace morvane::test;

namespace {

constexpr qint64 kRomBytes = 1045104;

// What a folder holds: each entry's kind and, for a regular file, its bytes. Pipes are never
// read, since reading one would wait for a writer.
QMap<QString, QByteArray> FolderContents(const QString& folder)
{
    QMap<QString, QByteArray> contents;
    const QFileInfoList entries
        = QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            contents.insert(entry.fileName(), "folder");
        else if (entry.isFile())
            contents.insert(entry.fileName(), ReadWholeFile(entry.filePath()));
        else
            contents.insert(entry.fileName(), "special");
    }
    return contents;
}

// The largest amount of memory any finished child process has held, in kilobytes.
long ChildPeakMemoryKb()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

} // namespace

class ToolRefusalsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void refusals_data();
    void refusals();

private:
    ToolRun Run(const QStringList& args, bool asOrdinaryUser) const
    {
        return RunProgram(QStringLiteral(MORVANE_SPRITE_TOOL), args, dir_.path(),
            asOrdinaryUser ? AsOrdinaryUserInChild() : std::function<void()>());
    }

    QTemporaryDir dir_;
    std::unique_ptr<RunningProgramRom> running_;
};

void ToolRefusalsTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    const auto path = [this](const char* name) { return dir_.filePath(QString::fromUtf8(name)); };
    const QByteArray rom = RomFixture::Pattern(kRomBytes);
    for (const char* name : {"rom.gb", "locked.gb", "readonly.gb"})
        QVERIFY(WriteWholeFile(path(name), rom));
    QVERIFY(QFile::setPermissions(path("locked.gb"), QFile::Permissions()));
    QVERIFY(QFile::setPermissions(
        path("readonly.gb"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(WriteWholeFile(path("empty.gb"), QByteArray()));
    QVERIFY(QDir().mkdir(path("folder.gb")));
    QVERIFY(QDir().mkdir(path("folder.png")));
    QVERIFY(MakePipe(path("pipe.gb")));
    QVERIFY(MakePipe(path("pipe.png")));
    running_ = std::make_unique<RunningProgramRom>(path("running.gb"));

    // A sprite image that differs from every block of the ROM, so an import would write.
    const QByteArray good = SpritePngBytes(DemoSprite(12), PngPalette::HardwareGreys);
    QVERIFY(WriteWholeFile(path("good.png"), good));
    QVERIFY(WriteWholeFile(path("empty.png"), QByteArray()));
    QVERIFY(WriteWholeFile(path("huge.png"), WithClaimedSize(good, 100000, 100000)));
    QVERIFY(WriteWholeFile(path("five.png"), FiveColourPng()));
    QVERIFY(WriteWholeFile(path("damaged.png"), DamagedPixelDataPng()));
    QVERIFY(WriteWholeFile(path("garbage.png"), good.left(8) + QByteArray(300, '\x5a')));
    // The tool as an ordinary user must reach the folder; only each file's own rights decide.
    QVERIFY(OpenFolderToEveryone(dir_.path()));
}

void ToolRefusalsTest::refusals_data()
{
    QTest::addColumn<QStringList>("args"); // "@" stands for the test folder
    QTest::addColumn<QString>("named"); // the file the error line must name
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("asOrdinaryUser");

    const QString longRom = QStringLiteral("@/") + QString(256, QLatin1Char('n')) + ".gb";
    const QString longPng = QStringLiteral("@/") + QString(256, QLatin1Char('p')) + ".png";
    const QString oddRom = QStringLiteral("@/ROM mit Ümlaut 精灵.gb");
    const QString oddPng = QStringLiteral("@/Sprïte 'one' 精灵.png");
    const auto row = [](const char* name, const QStringList& args, const QString& named,
                         const char* reason, bool asUser = false) {
        QTest::newRow(name) << args << named << QString::fromUtf8(reason) << asUser;
    };

    row("import into a folder", {"import", "@/folder.gb", "3", "@/good.png"}, "@/folder.gb",
        "folder");
    row("export from a folder", {"export", "@/folder.gb", "3", "@/out.png"}, "@/folder.gb",
        "folder");
    row("import into an unreadable ROM", {"import", "@/locked.gb", "3", "@/good.png"},
        "@/locked.gb", "Permission denied", true);
    row("export from an unreadable ROM", {"export", "@/locked.gb", "3", "@/out.png"}, "@/locked.gb",
        "Permission denied", true);
    row("import into a read-only ROM", {"import", "@/readonly.gb", "3", "@/good.png"},
        "@/readonly.gb", "Permission denied", true);
    row("import into the file of a running program", {"import", "@/running.gb", "3", "@/good.png"},
        "@/running.gb", "Text file busy");
    row("import into a named pipe", {"import", "@/pipe.gb", "3", "@/good.png"}, "@/pipe.gb",
        "pipe");
    row("export from a named pipe", {"export", "@/pipe.gb", "3", "@/out.png"}, "@/pipe.gb", "pipe");
    row("import into an empty ROM", {"import", "@/empty.gb", "3", "@/good.png"}, "@/empty.gb",
        "only 0 bytes long");
    row("export --all from an empty ROM", {"export", "--all", "@/empty.gb", "@/all"}, "@/empty.gb",
        "only 0 bytes long");
    row("import into a full disk", {"import", "/dev/full", "3", "@/good.png"}, "/dev/full",
        "No space left on device");
    row("ROM name over 255 characters", {"import", longRom, "3", "@/good.png"}, longRom,
        "File name too long");
    row("PNG name over 255 characters", {"export", "@/rom.gb", "3", longPng}, longPng,
        "cannot be written");
    row("missing ROM, spaces and non-ASCII in its name", {"export", oddRom, "3", "@/out.png"},
        oddRom, "No such file");
    row("missing PNG, spaces and non-ASCII in its name", {"import", "@/rom.gb", "3", oddPng},
        oddPng, "cannot be read");
    // A device target (/dev/full) takes the same road; a pipe in the test folder is used so a
    // regression replaces nothing outside it.
    row("export onto a named pipe", {"export", "@/rom.gb", "3", "@/pipe.png"}, "@/pipe.png",
        "pipe or a device");
    row("export onto a folder", {"export", "@/rom.gb", "3", "@/folder.png"}, "@/folder.png",
        "cannot be written");
    row("import an empty PNG", {"import", "@/rom.gb", "3", "@/empty.png"}, "@/empty.png",
        "the file is empty");
    row("import a PNG claiming 100000 x 100000 pixels", {"import", "@/rom.gb", "3", "@/huge.png"},
        "@/huge.png", "100000 x 100000 pixels");
    row("import a PNG of five colours", {"import", "@/rom.gb", "3", "@/five.png"}, "@/five.png",
        "palette index 4 at pixel (3, 40)");
    row("import a PNG with damaged pixel data", {"import", "@/rom.gb", "3", "@/damaged.png"},
        "@/damaged.png", "cannot be read");
    row("import garbage after a PNG signature", {"import", "@/rom.gb", "3", "@/garbage.png"},
        "@/garbage.png", "cannot be read");
    row("import a named pipe as PNG", {"import", "@/rom.gb", "3", "@/pipe.png"}, "@/pipe.png",
        "pipe");
    row("import a folder as PNG", {"import", "@/rom.gb", "3", "@/folder.png"}, "@/folder.png",
        "cannot be read");
}

void ToolRefusalsTest::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, named);
    QFETCH(QString, reason);
    QFETCH(bool, asOrdinaryUser);
    if (args.contains(QStringLiteral("@/running.gb")) && !running_->Problem().isEmpty())
        QSKIP(qPrintable(QStringLiteral("a running program's file cannot serve as a ROM: ")
            + running_->Problem()));
    if (args.contains(QStringLiteral("/dev/full"))
        && !QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("this system has no /dev/full");
    for (QString& arg : args)
        arg.replace(QLatin1Char('@'), dir_.path());
    named.replace(QLatin1Char('@'), dir_.path());
    const QMap<QString, QByteArray> before = FolderContents(dir_.path());

    const ToolRun run = Run(args, asOrdinaryUser);
    if (asOrdinaryUser && run.status == 126)
        QSKIP("running as root and unable to start the tool as an ordinary user");

    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.startsWith(QStringLiteral("morvane-sprite-tool: "))
            && run.err.endsWith(QLatin1Char('\n')) && run.err.count(QLatin1Char('\n')) == 1,
        qPrintable(run.err));
    QVERIFY2(run.err.contains(named), qPrintable(run.err));
    QVERIFY2(run.err.contains(reason), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QVERIFY(FolderContents(dir_.path()) == before);
    // A header that claims gigabytes of pixels is refused from the header alone.
    QVERIFY2(ChildPeakMemoryKb() < 512 * 1024,
        qPrintable(QStringLiteral("a run took %1 MB").arg(ChildPeakMemoryKb() / 1024)));
}

QTEST_GUILESS_MAIN(ToolRefusalsTest)
#include "ToolRefusalsTest.moc"
