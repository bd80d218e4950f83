// The shell completion, sourced in bash as bash-completion does, offers commands and options.
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"

#include <QtTest>

using namespace morvane::test;

namespace {

// The words after the tool's name, the last one being completed, and what must be offered for it.
struct Offer {
    const char* name;
    QStringList words, expected;
};

} // namespace

class CompletionTest : public QObject {
    Q_OBJECT

private slots:
    void offers_data()
    {
        AddRows<Offer>({
            {"a command", {"ex"}, {"export"}},
            {"the options of export", {"export", "rom.gb", "--"},
                {"--all", "--sheet", "--colours", "--raw", "--force", "--quiet", "--help"}},
            {"the options of import", {"import", "--"},
                {"--all", "--sheet", "--dry-run", "--raw", "--quiet", "--help"}},
            {"the option of checksum", {"checksum", "--f"}, {"--fix"}},
            {"a command after help", {"help", "ch"}, {"checksum"}},
            {"a file after --png", {"diff", "--png", "r"}, {"rom.gb"}},
            {"the colour sets", {"export", "--colours", ""}, {"greys", "display"}},
            {"a list format", {"list", "--format", "t"}, {"text", "tsv"}},
            // bash hands "--format=t" over split at the "=", or whole where "=" breaks no words.
            {"a list format after =", {"list", "--format", "=", "t"}, {"text", "tsv"}},
            {"the colour sets right after =", {"export", "--colours", "="}, {"greys", "display"}},
            {"a list format in one word", {"list", "--format=j"}, {"--format=json"}},
            {"a sprite index after --colours=display",
                {"export", "--colours", "=", "display", "rom.gb", "4"},
                {"4", "40", "41", "42", "43", "44"}},
            {"a sprite index after the ROM image", {"import", "--dry-run", "rom.gb", "4"},
                {"4", "40", "41", "42", "43", "44"}},
            {"a folder after --all", {"import", "rom.gb", "--all", ""}, {"sprites"}},
            {"a file after the index", {"export", "rom.gb", "3", "r"}, {"rom.gb"}},
        });
    }
    void offers()
    {
        const auto& [name, words, expected] = CurrentRow<Offer>();
        if (Bash().isEmpty())
            QSKIP("bash is not installed");
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sprites")));
        QVERIFY(WriteWholeFile(dir.filePath("rom.gb"), "rom"));

        QCOMPARE(Completions(QStringList {"morvane-sprite-tool"} + words, dir.path()), expected);
    }
    // The commands the tool's help lists are the ones the completion offers.
    void knowsEveryCommandOfTheTool()
    {
        if (Bash().isEmpty())
            QSKIP("bash is not installed");
        QTemporaryDir dir;
        const QString help = RunProgram(MORVANE_SPRITE_TOOL, {"--help"}, dir.path()).out;
        const QString listing = help.section("Commands:\n", 1).section("\n\n", 0, 0);
        QStringList listed;
        for (const QString& line : listing.split(u'\n'))
            listed << line.simplified().section(u' ', 0, 0);
        listed.removeDuplicates();
        QVERIFY(listed.size() >= 8);
        const QStringList expected = listed + QStringList {"--help", "--version"};
        QCOMPARE(Completions({"morvane-sprite-tool", QString()}, dir.path()), expected);
    }

private:
    static QString Bash() { return QStandardPaths::findExecutable(QStringLiteral("bash")); }
    // What the completion offers for the words of a command line, the last one being completed.
    static QStringList Completions(const QStringList& words, const QString& folder)
    {
        const QString script
            = QStringLiteral(
                "source '%1'; COMP_WORDS=('%2'); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                "_morvane_sprite_tool; printf '%s\\n' \"${COMPREPLY[@]}\"")
                  .arg(QStringLiteral(MORVANE_COMPLETION), words.join(QStringLiteral("' '")));
        return RunProgram(Bash(), {"-c", script}, folder).out.split(u'\n', Qt::SkipEmptyParts);
    }
};

QTEST_GUILESS_MAIN(CompletionTest)
#include "CompletionTest.moc"
