// The editor's command line as the program reads it before any window exists.
#include "app/EditorCommandLine.h"
#include "RowTable.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using Action = EditorCommand::Action;

namespace {

struct Row {
    const char* name;
    QStringList arguments;
    Action action;
    QString romPath {};
    QStringList ignoredFiles {};
    QString errorNames {}; // what the refusal must quote
};

} // namespace

class EditorCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void reads_data()
    {
        AddRows<Row>({{"nothing", {}, Action::Run},
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
        const auto& row = CurrentRow<Row>();
        const EditorCommand command = ParseEditorCommandLine(row.arguments);
        QCOMPARE(command.action, row.action);
        if (command.action == Action::Refuse) {
            QVERIFY2(command.error.contains(row.errorNames), qPrintable(command.error));
            return;
        }
        QCOMPARE(command.romPath, row.romPath);
        QCOMPARE(command.ignoredFiles, row.ignoredFiles);
    }
};

QTEST_APPLESS_MAIN(EditorCommandLineTest)
#include "EditorCommandLineTest.moc"
