// The editor's command line as the program reads it before any window exists.
#include "app/EditorCommandLine.h"

#include <QtTest>

using namespace morvane;
using Action = EditorCommand::Action;

class EditorCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
};

void EditorCommandLineTest::reads_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("romPath");
    QTest::addColumn<QStringList>("ignoredFiles");
    QTest::addColumn<QString>("errorNames"); // what the refusal must quote

    const auto row = [](const char* name, QStringList arguments, Action action,
                         QString romPath = {}, QStringList ignored = {}, QString error = {}) {
        QTest::newRow(name) << arguments << int(action) << romPath << ignored << error;
    };
    row("nothing", {}, Action::Run);
    row("one ROM image", {"my rom.gb"}, Action::Run, "my rom.gb");
    row("extra files are ignored", {"a.gb", "b.gb", "c.gbc"}, Action::Run, "a.gb",
        {"b.gb", "c.gbc"});
    row("--help", {"--help"}, Action::ShowHelp);
    row("-h after a ROM image", {"a.gb", "-h"}, Action::ShowHelp);
    row("--version", {"--version"}, Action::ShowVersion);
    row("-v", {"-v"}, Action::ShowVersion);
    row("unknown long option", {"a.gb", "--bogus"}, Action::Refuse, {}, {}, "\"--bogus\"");
    row("unknown short option", {"-x", "a.gb"}, Action::Refuse, {}, {}, "\"-x\"");
    row("a mistyped --help", {"--hlep"}, Action::Refuse, {}, {}, "\"--hlep\"");
    row("standard input", {"-"}, Action::Refuse, {}, {}, "standard input");
    row("-- ends the options", {"--", "-odd.gb", "--help"}, Action::Run, "-odd.gb", {"--help"});
    row("Qt option with its value", {"-platform", "offscreen", "a.gb"}, Action::Run, "a.gb");
    row("Qt option with two dashes", {"--style", "fusion", "a.gb"}, Action::Run, "a.gb");
    row("Qt option with =", {"-style=fusion", "a.gb"}, Action::Run, "a.gb");
    row("Qt switch", {"-reverse", "a.gb"}, Action::Run, "a.gb");
    row("Qt option without its value", {"a.gb", "-style"}, Action::Refuse, {}, {}, "\"-style\"");
    row("a Qt switch does not take a value", {"-reverse=yes"}, Action::Refuse, {}, {},
        "\"-reverse=yes\"");
}

void EditorCommandLineTest::reads()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, romPath);
    QFETCH(QStringList, ignoredFiles);
    QFETCH(QString, errorNames);

    const EditorCommand command = ParseEditorCommandLine(arguments);
    QCOMPARE(int(command.action), action);
    if (command.action == Action::Refuse) {
        QVERIFY2(command.error.contains(errorNames), qPrintable(command.error));
        return;
    }
    QCOMPARE(command.romPath, romPath);
    QCOMPARE(command.ignoredFiles, ignoredFiles);
}

QTEST_APPLESS_MAIN(EditorCommandLineTest)
#include "EditorCommandLineTest.moc"
