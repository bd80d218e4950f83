// How a file's kind is told from its name: the ending, in any case, and nothing else.
#include "sprite/PathSuffix.h"

#include "RowTable.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

struct Row {
    const char* name;
    std::string_view path, suffix;
    bool ends;
};

} // namespace

class PathSuffixTest : public QObject {
    Q_OBJECT

private slots:
    void endingInAnyCase_data()
    {
        AddRows<Row>({{"same case", "/roms/game.gb", ".gb", true},
            {"capitals", "GAME.GBC", ".gbc", true}, {"mixed case", "sprite.Png", ".png", true},
            {"another ending before it", "notes.txt.gb", ".gb", true},
            {"the suffix inside the name", "game.gbc", ".gb", false},
            {"the suffix without its dot", "gb", ".gb", false},
            {"an empty path", "", ".png", false},
            {"non-ASCII bytes compared as they are", "caf\xC9.png", "\xE9.png", false}});
    }
    void endingInAnyCase()
    {
        const auto& row = CurrentRow<Row>();
        QCOMPARE(HasSuffix(row.path, row.suffix), row.ends);
    }
};

QTEST_GUILESS_MAIN(PathSuffixTest)
#include "PathSuffixTest.moc"
