// The built editor run as a user runs it: --help and --version answer without a display, a
// mistake on the command line is refused, no display ends it with a line of its own, extra file
// names are named as ignored, and a write past the file-size limit cannot end the editor.
#include "RomFixture.h"
#include "version/ProjectVersion.h"

#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <csignal>

using namespace morvane::test;

class EditorProgramTest : public QObject {
    Q_OBJECT

private slots:
    void answersWithoutADisplay_data();
    void answersWithoutADisplay();
    void noDisplayIsExplained_data();
    void noDisplayIsExplained();
    void aFullStandardOutputIsAnError();
    void namesTheIgnoredFilesAndKeepsRunning();
};

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

} // namespace

void EditorProgramTest::answersWithoutADisplay_data()
{
    const QString version = QString::fromUtf8(
        morvane::kProjectVersion.data(), qsizetype(morvane::kProjectVersion.size()));
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // the start of standard output
    QTest::addColumn<QString>("err"); // the start of standard error

    QTest::newRow("--help") << QStringList {"--help"} << 0
                            << "Usage: morvane-sprite-editor [OPTIONS] [ROM]\n"
                            << QString();
    QTest::newRow("--version") << QStringList {"rom.gb", "--version"} << 0
                               << "morvane-sprite-editor " + version + "\n"
                               << QString();
    QTest::newRow("unknown option") << QStringList {"--open", "rom.gb"} << 2 << QString()
                                    << "morvane-sprite-editor: unknown option \"--open\"\n"
                                       "Try \"morvane-sprite-editor --help\".\n";
    QTest::newRow("standard input") << QStringList {"-"} << 2 << QString()
                                    << "morvane-sprite-editor: cannot open a ROM image from "
                                       "standard input";
}

void EditorProgramTest::answersWithoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess editor;
    editor.setProcessEnvironment(WithoutDisplay());
    editor.start(kEditor, arguments);
    QVERIFY(editor.waitForFinished(20000));
    const QString printed = QString::fromUtf8(editor.readAllStandardOutput());
    const QString complaint = QString::fromUtf8(editor.readAllStandardError());
    QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
    QVERIFY2(editor.exitCode() == status, qPrintable(complaint));
    QVERIFY2(printed.startsWith(out) && (out.isEmpty() == printed.isEmpty()), qPrintable(printed));
    QVERIFY2(
        complaint.startsWith(err) && (err.isEmpty() == complaint.isEmpty()), qPrintable(complaint));
    if (arguments.contains(QStringLiteral("--version")))
        QCOMPARE(printed, out);
}

void EditorProgramTest::noDisplayIsExplained_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("line"); // the last line of standard error

    QTest::newRow("none set") << QString()
                              << "morvane-sprite-editor: cannot open the window: no display is "
                                 "set (DISPLAY is empty); run it from a desktop session, or set "
                                 "DISPLAY";
    QTest::newRow("one that cannot be reached")
        << ":2147483"
        << "morvane-sprite-editor: cannot open the window on the display \":2147483\" (Qt's "
           "messages above say why); run it from a desktop session, or set DISPLAY to a display "
           "that can be reached";
}

void EditorProgramTest::noDisplayIsExplained()
{
    QFETCH(QString, display);
    QFETCH(QString, line);

    RomFixture rom;
    QProcessEnvironment environment = WithoutDisplay();
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    QProcess editor;
    editor.setProcessEnvironment(environment);
    editor.start(kEditor, {rom.Path()});
    QVERIFY(editor.waitForFinished(20000));
    const QString complaint = QString::fromLocal8Bit(editor.readAllStandardError());
    QVERIFY2(editor.exitStatus() == QProcess::NormalExit && editor.exitCode() == 1,
        qPrintable(complaint));
    QCOMPARE(complaint.trimmed().section(QLatin1Char('\n'), -1), line);
}

void EditorProgramTest::aFullStandardOutputIsAnError()
{
    QProcess editor;
    editor.setProcessEnvironment(WithoutDisplay());
    editor.setStandardOutputFile(QStringLiteral("/dev/full"));
    editor.start(kEditor, {QStringLiteral("--help")});
    QVERIFY(editor.waitForFinished(20000));
    QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(editor.exitCode(), 1);
    QVERIFY(editor.readAllStandardError().startsWith(
        "morvane-sprite-editor: cannot write to standard output: "));
}

void EditorProgramTest::namesTheIgnoredFilesAndKeepsRunning()
{
    RomFixture rom;
    QProcess editor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    editor.setProcessEnvironment(environment);
    editor.start(kEditor, {rom.Path(), QStringLiteral("second.gb"), QStringLiteral("third.gbc")});
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

QTEST_GUILESS_MAIN(EditorProgramTest)
#include "EditorProgramTest.moc"
