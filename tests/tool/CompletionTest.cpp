// The shell completion, sourced in bash as bash-completion sources it: it offers the tool's own
// commands and each command's options.
#include "RomFixture.h"
#include "TestData.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace morvane::test;

namespace {

QString Bash()
{
    return QStandardPaths::findExecutable(QStringLiteral("bash"));
}

// What the completion offers for the words of a command line, the last one being completed.
QStringList Completions(const QStringList& words, const QString& folder)
{
    QString quoted;
    for (const QString& word : words)
        quoted += QStringLiteral(" '%1'").arg(word);
    const QString script
        = QStringLiteral("source '%1'; COMP_WORDS=(%2); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                         "_morvane_sprite_tool; printf '%s\\n' \"${COMPREPLY[@]}\"")
              .arg(QStringLiteral(MORVANE_COMPLETION), quoted);
    const ToolRun run = RunProgram(Bash(), {QStringLiteral("-c"), script}, folder);
    return run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class CompletionTest : public QObject {
    Q_OBJECT

private slots:
    void offers_data();
    void offers();
    void knowsEveryCommandOfTheTool();
};

void CompletionTest::offers_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a command") << QStringList {"morvane-sprite-tool", "ex"}
                               << QStringList {"export"};
    QTest::newRow("the options of export")
        << QStringList {"morvane-sprite-tool", "export", "rom.gb", "--"}
        << QStringList {"--all", "--sheet", "--colours", "--raw", "--force", "--quiet", "--help"};
    QTest::newRow("the options of import") << QStringList {"morvane-sprite-tool", "import",
        "--"} << QStringList {"--all", "--sheet", "--dry-run", "--raw", "--quiet", "--help"};
    QTest::newRow("the option of checksum")
        << QStringList {"morvane-sprite-tool", "checksum", "--f"} << QStringList {"--fix"};
    QTest::newRow("a command after help")
        << QStringList {"morvane-sprite-tool", "help", "ch"} << QStringList {"checksum"};
    QTest::newRow("a file after --png")
        << QStringList {"morvane-sprite-tool", "diff", "--png", "r"} << QStringList {"rom.gb"};
    QTest::newRow("the colour sets") << QStringList {"morvane-sprite-tool", "export", "--colours",
        ""} << QStringList {"greys", "display"};
    QTest::newRow("a list format") << QStringList {"morvane-sprite-tool", "list", "--format", "t"}
                                   << QStringList {"text", "tsv"};
    // bash hands "--format=t" over split at the "=", or whole where "=" breaks no words.
    QTest::newRow("a list format after =") << QStringList {"morvane-sprite-tool", "list",
        "--format", "=", "t"} << QStringList {"text", "tsv"};
    QTest::newRow("the colour sets right after =") << QStringList {"morvane-sprite-tool", "export",
        "--colours", "="} << QStringList {"greys", "display"};
    QTest::newRow("a list format in one word") << QStringList {"morvane-sprite-tool", "list",
        "--format=j"} << QStringList {"--format=json"};
    QTest::newRow("a sprite index after --colours=display")
        << QStringList {"morvane-sprite-tool", "export", "--colours", "=", "display", "rom.gb", "4"}
        << QStringList {"4", "40", "41", "42", "43", "44"};
    QTest::newRow("a sprite index after the ROM image") << QStringList {"morvane-sprite-tool",
        "import", "--dry-run", "rom.gb", "4"} << QStringList {"4", "40", "41", "42", "43", "44"};
    QTest::newRow("a folder after --all") << QStringList {"morvane-sprite-tool", "import", "rom.gb",
        "--all", ""} << QStringList {"sprites"};
    QTest::newRow("a file after the index") << QStringList {"morvane-sprite-tool", "export",
        "rom.gb", "3", "r"} << QStringList {"rom.gb"};
}

void CompletionTest::offers()
{
    QFETCH(QStringList, words);
    QFETCH(QStringList, expected);
    if (Bash().isEmpty())
        QSKIP("bash is not installed");
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sprites")));
    QVERIFY(WriteWholeFile(dir.filePath(QStringLiteral("rom.gb")), "rom"));

    QCOMPARE(Completions(words, dir.path()), expected);
}

// The commands the tool's help lists are the ones the completion offers.
void CompletionTest::knowsEveryCommandOfTheTool()
{
    if (Bash().isEmpty())
        QSKIP("bash is not installed");
    QTemporaryDir dir;
    const ToolRun help = RunProgram(QStringLiteral(MORVANE_SPRITE_TOOL), {"--help"}, dir.path());
    const QString commands
        = help.out.section(QStringLiteral("Commands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
    QStringList listed;
    for (const QString& line : commands.split(QLatin1Char('\n'))) {
        const QString command = line.simplified().section(QLatin1Char(' '), 0, 0);
        if (!listed.contains(command))
            listed << command;
    }
    QVERIFY(listed.size() >= 8);
    const QStringList expected = listed + QStringList {"--help", "--version"};
    QCOMPARE(Completions({QStringLiteral("morvane-sprite-tool"), QString()}, dir.path()), expected);
}

QTEST_GUILESS_MAIN(CompletionTest)
#include "CompletionTest.moc"
