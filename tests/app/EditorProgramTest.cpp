// The editor's command line, read before any window exists, and the built editor run by a user.
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "app/EditorCommandLine.h"
#include "version/ProjectVersion.h"

#include <QtTest>

#include <csignal>

using namespace morvane;
using namespace morvane::test;
using namespace Qt::StringLiterals;
using Action = EditorCommand::Action;

namespace {

const QString kEditor = QStringLiteral(MORVANE_EDITOR);

// An environment in which QApplication cannot start: the X11 platform and no display.
QProcessEnvironment WithoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    return environment;
}

struct CommandLine {
    const char* name;
    QStringList arguments;
    Action action;
    QString romPath {};
    QStringList ignoredFiles {};
    QString errorNames {}; // what the refusal must quote
};

struct Answer {
    const char* name;
    QStringList arguments;
    int status;
    QString out; // the start of standard output
    QString err {}; // the start of standard error
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
    void reads_data()
    {
        AddRows<CommandLine>({{"nothing", {}, Action::Run},
            {"one ROM image", {"my rom.gb"}, Action::Run, "my rom.gb"},
            {"extra files are ignored", {"a.gb", "b.gb", "c.gbc"}, Action::Run, "a.gb",
                {"b.gb", "c.gbc"}},
            {"--help", {"--help"}, Action::ShowHelp},
            {"-h after a ROM image", {"a.gb", "-h"}, Action::ShowHelp},
            {"--version", {"--version"}, Action::ShowVersion}, {"-v", {"-v"}, Action::ShowVersion},
            {"unknown long option", {"a.gb", "--bogus"}, Action::Refuse, {}, {}, "\"--bogus\""},
            {"unknown short option", {"-x", "a.gb"}, Action::Refuse, {}, {}, "\"-x\""},
            {"a mistyped --help", {"--hlep"}, Action::Refuse, {}, {}, "\"--hlep\""},
            {"standard input", {"-"}, Action::Refuse, {}, {}, "standard input"},
            {"-- ends the options", {"--", "-odd.gb", "--help"}, Action::Run, "-odd.gb",
                {"--help"}},
            {"Qt option with its value", {"-platform", "offscreen", "a.gb"}, Action::Run, "a.gb"},
            {"Qt option with two dashes", {"--style", "fusion", "a.gb"}, Action::Run, "a.gb"},
            {"Qt option with =", {"-style=fusion", "a.gb"}, Action::Run, "a.gb"},
            {"Qt switch", {"-reverse", "a.gb"}, Action::Run, "a.gb"},
            {"Qt option without its value", {"a.gb", "-style"}, Action::Refuse, {}, {},
                "\"-style\""},
            {"a Qt switch does not take a value", {"-reverse=yes"}, Action::Refuse, {}, {},
                "\"-reverse=yes\""}});
    }
    void reads()
    {
        const auto& row = CurrentRow<CommandLine>();
        const EditorCommand command = ParseEditorCommandLine(row.arguments);
        QCOMPARE(command.action, row.action);
        if (command.action == Action::Refuse) {
            QVERIFY2(command.error.contains(row.errorNames), qPrintable(command.error));
            return;
        }
        QCOMPARE(command.romPath, row.romPath);
        QCOMPARE(command.ignoredFiles, row.ignoredFiles);
    }

    void answersWithoutADisplay_data()
    {
        const QString version
            = QString::fromUtf8(kProjectVersion.data(), qsizetype(kProjectVersion.size()));
        AddRows<Answer>({{"--help", {"--help"}, 0,
                             "Usage: morvane-sprite-editor [OPTIONS] [ROM]\n"},
            {"--version", {"rom.gb", "--version"}, 0, "morvane-sprite-editor " + version + "\n"},
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
        if (arguments.contains(u"--version"_s))
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
                    "(Qt's messages above say why); run it from a desktop session, or set "
                    "DISPLAY to a display that can be reached"}});
    }
    void noDisplayIsExplained()
    {
        const auto& row = CurrentRow<UnreachableDisplay>();
        RomFixture rom;
        QProcessEnvironment environment = WithoutDisplay();
        if (!row.display.isEmpty())
            environment.insert(u"DISPLAY"_s, row.display);
        const ToolRun run
            = RunProgram(kEditor, {rom.Path()}, rom.Folder(), {.environment = environment});
        QVERIFY2(run.status == 1, qPrintable(run.err));
        QCOMPARE(run.err.trimmed().section(u'\n', -1), row.line);
    }

    void aFullStandardOutputIsAnError()
    {
        const ToolRun run = RunProgram(kEditor, {u"--help"_s}, QDir::currentPath(),
            {.outputFile = u"/dev/full"_s, .environment = WithoutDisplay()});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.startsWith("morvane-sprite-editor: cannot write to standard output: "));
    }

    void namesTheIgnoredFilesAndKeepsRunning()
    {
        RomFixture rom;
        QProcess editor;
        QProcessEnvironment environment = WithoutDisplay();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        editor.setProcessEnvironment(environment);
        editor.start(kEditor, {rom.Path(), u"second.gb"_s, u"third.gbc"_s});
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
        const QString status
            = QString::fromLatin1(ReadWholeFile(u"/proc/%1/status"_s.arg(editor.processId())));
        const QString mask = status.section(u"SigIgn:"_s, 1).section(u'\n', 0, 0);
        QVERIFY2(
            mask.trimmed().toULongLong(nullptr, 16) & (1ULL << (SIGXFSZ - 1)), qPrintable(status));

        QTest::qWait(500);
        QCOMPARE(editor.state(), QProcess::Running);
        editor.kill();
        editor.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(EditorProgramTest)
#include "EditorProgramTest.moc"
