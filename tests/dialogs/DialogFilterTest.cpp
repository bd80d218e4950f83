#include "dialogs/DialogFilter.h"

#include <QtTest>

using namespace morvane;
using namespace Qt::StringLiterals;

class DialogFilterTest : public QObject {
    Q_OBJECT

private slots:
    void recordFilterBecomesNameFilters_data();
    void recordFilterBecomesNameFilters();
};

void DialogFilterTest::recordFilterBecomesNameFilters_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("nameFilters");

    QTest::newRow("Load Rom") << "Gameboy Rom Images (*.gb; *.gbc)\0*.gb;*.gbc\0\0\0"_ba
                              << QStringList {"Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"};
    QTest::newRow("two pairs") << "Roms\0*.gb\0All files\0*.*\0\0"_ba
                               << QStringList {"Roms (*.gb)", "All files (*.*)"};
    QTest::newRow("semicolons, spaces and empty patterns")
        << "Pictures\0*.png; *.bmp;;*.gif \0\0"_ba << QStringList {"Pictures (*.png *.bmp *.gif)"};
    QTest::newRow("description without parentheses")
        << "Text files\0*.txt\0\0"_ba << QStringList {"Text files (*.txt)"};
    QTest::newRow("description naming its own patterns")
        << "Text (*.txt)\0*.txt\0\0"_ba << QStringList {"Text (*.txt) (*.txt)"};
    QTest::newRow("8-bit description")
        << "R\xc3\xb6me\0*.gb\0\0"_ba << QStringList {u"R\u00f6me (*.gb)"_s};
    QTest::newRow("unfinished pair dropped")
        << "Roms\0*.gb\0Orphan\0\0"_ba << QStringList {"Roms (*.gb)"};
    QTest::newRow("empty filter") << "\0\0"_ba << QStringList {};
    QTest::newRow("no closing NULs") << "Roms\0*.gb"_ba << QStringList {"Roms (*.gb)"};
    QTest::newRow("cut short after a description")
        << "Roms\0*.gb\0Orphan"_ba << QStringList {"Roms (*.gb)"};
}

void DialogFilterTest::recordFilterBecomesNameFilters()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, nameFilters);

    QCOMPARE(NameFiltersFromRecord(record), nameFilters);
}

QTEST_GUILESS_MAIN(DialogFilterTest)
#include "DialogFilterTest.moc"
