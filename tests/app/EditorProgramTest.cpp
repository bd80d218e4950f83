// The built editor run as a user runs it: --help and --version answer without a display, a
// mistake on the command line is refused, no display ends it with a line of its own, extra file
// names are named as ignored, and a write past the file-size limit cannot end the editor.
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "version/ProjectVersion.h"

#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <csignal>

using namespace morvane::test;

namespace {

const QString kEditor = QStringLiteral(MORVANE_EDITOR);

// An environment in which QApplication cannot start: the X11 platform and no display.
QProcessEnvironment WithoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

struct Answer {
    const char* name;
    QStringList arguments;
    int status;
    QString out; // the start of standard output
    QString err; // the start of standard error
};

struct UnreachableDisplay {
    const char* name;
    QString display;
    QString line; // the last line of standard error
};

} // namespace

class EditorProgramTest : public QObject {
    Q_OBJECT

private slots:
    void answersWithoutADisplay_data()
    {
        const QString version = QString::fromUtf8(
            morvane::kProjectVersion.data(), qsizetype(morvane::kProjectVersion.size()));
        AddRows<Answer>(
            {{"--help", {"--help"}, 0, "Usage: morvane-sprite-editor [OPTIONS] [ROM]\n", {}},
                {"--version", {"rom.gb", "--version"}, 0, "morvane-sprite-editor " + version + "\n",
                    {}},
                {"unknown option", {"--open", "rom.gb"}, 2, {},
                    "morvane-sprite-editor: unknown option \"--open\"\n"
                    "Try \"morvane-sprite-editor --help\".\n"},
                {"standard input", {"-"}, 2, {},
                    "morvane-sprite-editor: cannot open a ROM image from standard input"}});
    }
    void answersWithoutADisplay()
    {
        const auto& [name, arguments, status, out, err] = CurrentRow<Answer>();
        const ToolRun run = RunProgram(
            kEditor, arguments, QDir::currentPath(), {.environment = WithoutDisplay()});
        QVERIFY2(run.status == status, qPrintable(run.err));
        QVERIFY2(
            run.out.startsWith(out) && (out.isEmpty() == run.out.isEmpty()), qPrintable(run.out));
        QVERIFY2(
            run.err.startsWith(err) && (err.isEmpty() == run.err.isEmpty()), qPrintable(run.err));
        if (arguments.contains(QStringLiteral("--version")))
            QCOMPARE(run.out, out);
    }

    void noDisplayIsExplained_data()
    {
        AddRows<UnreachableDisplay>(
            {{"none set", {},
                 "morvane-sprite-editor: cannot open the window: no display is set "
                 "(DISPLAY is empty); run it from a desktop session, or set DISPLAY"},
                {"one that cannot be reached", ":2147483",
                    "morvane-sprite-editor: cannot open the window on the display \":2147483\" "
                    "(Qt's "
                    "messages above say why); run it from a desktop session, or set DISPLAY to a "
                    "display that can be reached"}});
    }
    void noDisplayIsExplained()
    {
        const auto& row = CurrentRow<UnreachableDisplay>();
        RomFixture rom;
        QProcessEnvironment environment = WithoutDisplay();
        if (!row.display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), row.display);
        const ToolRun run
            = RunProgram(kEditor, {rom.Path()}, rom.Folder(), {.environment = environment});
        const QString complaint = run.err;
        QVERIFY2(run.status == 1, qPrintable(complaint));
        QCOMPARE(complaint.trimmed().section(QLatin1Char('\n'), -1), row.line);
    }

    void aFullStandardOutputIsAnError()
    {
        const ToolRun run = RunProgram(kEditor, {QStringLiteral("--help")}, QDir::currentPath(),
            {.outputFile = QStringLiteral("/dev/full"), .environment = WithoutDisplay()});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.startsWith("morvane-sprite-editor: cannot write to standard output: "));
    }

    void namesTheIgnoredFilesAndKeepsRunning()
    {
        RomFixture rom;
        QProcess editor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        editor.setProcessEnvironment(environment);
        editor.start(
            kEditor, {rom.Path(), QStringLiteral("second.gb"), QStringLiteral("third.gbc")});
        QVERIFY(editor.waitForStarted());

        const QByteArray note = "morvane-sprite-editor: opens one ROM image at a time; ignoring "
                                "\"second.gb\", \"third.gbc\"\n";
        QByteArray complaint;
        QTRY_VERIFY_WITH_TIMEOUT((complaint += editor.readAllStandardError()).contains(note)
                || editor.state() != QProcess::Running,
            10000);
        QVERIFY2(complaint.contains(note), complaint.constData());

        // The kernel's own record of the running editor: SIGXFSZ is among the ignored signals, so a
        // write past the file-size limit fails with an error that Save reports.
        QFile status(QStringLiteral("/proc/%1/status").arg(editor.processId()));
        QVERIFY(status.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = status.readAll().split('\n');
        const auto ignored = std::find_if(lines.begin(), lines.end(),
            [](const QByteArray& line) { return line.startsWith("SigIgn:"); });
        QVERIFY(ignored != lines.end());
        bool ok = false;
        const qulonglong mask = ignored->mid(7).trimmed().toULongLong(&ok, 16);
        QVERIFY(ok);
        QVERIFY(mask & (1ULL << (SIGXFSZ - 1)));

        QTest::qWait(500);
        QCOMPARE(editor.state(), QProcess::Running);
        editor.kill();
        editor.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(EditorProgramTest)
#include "EditorProgramTest.moc"
