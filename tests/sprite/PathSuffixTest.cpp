// How a file's kind is told from its name: the ending, in any case, and nothing else.
#include "sprite/PathSuffix.h"

#include <QtTest>

using namespace morvane;

namespace {

struct Row {
    const char* path;
    const char* suffix;
    bool ends;
};

} // namespace

Q_DECLARE_METATYPE(Row)

class PathSuffixTest : public QObject {
    Q_OBJECT

private slots:
    void endingInAnyCase_data()
    {
        QTest::addColumn<Row>("row");
        QTest::newRow("same case") << Row {"/roms/game.gb", ".gb", true};
        QTest::newRow("capitals") << Row {"GAME.GBC", ".gbc", true};
        QTest::newRow("mixed case") << Row {"sprite.Png", ".png", true};
        QTest::newRow("another ending before it") << Row {"notes.txt.gb", ".gb", true};
        QTest::newRow("the suffix inside the name") << Row {"game.gbc", ".gb", false};
        QTest::newRow("the suffix without its dot") << Row {"gb", ".gb", false};
        QTest::newRow("an empty path") << Row {"", ".png", false};
        QTest::newRow("non-ASCII bytes compared as they are")
            << Row {"caf\xC9.png", "\xE9.png", false};
    }
    void endingInAnyCase()
    {
        QFETCH(Row, row);
        QCOMPARE(HasSuffix(row.path, row.suffix), row.ends);
    }
};

QTEST_GUILESS_MAIN(PathSuffixTest)
#include "PathSuffixTest.moc"
