#include "dialogs/DialogFilter.h"
#include "RowTable.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using namespace Qt::StringLiterals;

namespace {

struct Row {
    const char* name;
    QByteArray record;
    QStringList nameFilters;
};

} // namespace

class DialogFilterTest : public QObject {
    Q_OBJECT

private slots:
    void recordFilterBecomesNameFilters_data()
    {
        AddRows<Row>({{"Load Rom", "Gameboy Rom Images (*.gb; *.gbc)\0*.gb;*.gbc\0\0\0"_ba,
                          {"Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"}},
            {"two pairs", "Roms\0*.gb\0All files\0*.*\0\0"_ba, {"Roms (*.gb)", "All files (*.*)"}},
            {"semicolons, spaces and empty patterns", "Pictures\0*.png; *.bmp;;*.gif \0\0"_ba,
                {"Pictures (*.png *.bmp *.gif)"}},
            {"description without parentheses", "Text files\0*.txt\0\0"_ba, {"Text files (*.txt)"}},
            {"description naming its own patterns", "Text (*.txt)\0*.txt\0\0"_ba,
                {"Text (*.txt) (*.txt)"}},
            {"8-bit description", "R\xc3\xb6me\0*.gb\0\0"_ba, {u"R\u00f6me (*.gb)"_s}},
            {"unfinished pair dropped", "Roms\0*.gb\0Orphan\0\0"_ba, {"Roms (*.gb)"}},
            {"empty filter", "\0\0"_ba, {}}, {"no closing NULs", "Roms\0*.gb"_ba, {"Roms (*.gb)"}},
            {"cut short after a description", "Roms\0*.gb\0Orphan"_ba, {"Roms (*.gb)"}}});
    }
    void recordFilterBecomesNameFilters()
    {
        const auto& row = CurrentRow<Row>();
        QCOMPARE(NameFiltersFromRecord(row.record), row.nameFilters);
    }
};

QTEST_GUILESS_MAIN(DialogFilterTest)
#include "DialogFilterTest.moc"
