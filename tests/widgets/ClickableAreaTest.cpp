// The click shared by the tile views and the swatches: a whole left click inside, or a key.
#include "widgets/ClickableArea.h"

#include <QSignalSpy>
#include <QtTest>

using namespace morvane;

class ClickableAreaTest : public QObject {
    Q_OBJECT

private slots:
    void clicks_data();
    void clicks();
};

void ClickableAreaTest::clicks_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("clicks");
    QTest::newRow("press and release inside") << QStringList {"press", "release in"} << 1;
    QTest::newRow("right button") << QStringList {"right press", "right release"} << 0;
    QTest::newRow("released outside") << QStringList {"press", "release out"} << 0;
    QTest::newRow("released with no press before") << QStringList {"release in"} << 0;
    QTest::newRow("a press counts once") << QStringList {"press", "release out", "release in"} << 0;
    QTest::newRow("two clicks") << QStringList {"press", "release in", "press", "release in"} << 2;
    QTest::newRow("Space") << QStringList {"Space"} << 1;
    QTest::newRow("Return") << QStringList {"Return"} << 1;
    QTest::newRow("Shift+Space") << QStringList {"Shift+Space"} << 0;
    QTest::newRow("another key") << QStringList {"X"} << 0;
}

void ClickableAreaTest::clicks()
{
    QFETCH(QStringList, steps);
    QFETCH(int, clicks);
    ClickableArea area;
    area.setGeometry(0, 0, 32, 32);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QSignalSpy clicked(&area, &ClickableArea::Clicked);
    const QPoint inside(16, 16);
    const QPoint outside(40, 16);
    for (const QString& step : steps) {
        if (step == "press")
            QTest::mousePress(&area, Qt::LeftButton, {}, inside);
        else if (step == "release in")
            QTest::mouseRelease(&area, Qt::LeftButton, {}, inside);
        else if (step == "release out")
            QTest::mouseRelease(&area, Qt::LeftButton, {}, outside);
        else if (step == "right press")
            QTest::mousePress(&area, Qt::RightButton, {}, inside);
        else if (step == "right release")
            QTest::mouseRelease(&area, Qt::RightButton, {}, inside);
        else
            QTest::keySequence(&area, QKeySequence(step));
    }
    QCOMPARE(clicked.count(), clicks);
}

QTEST_MAIN(ClickableAreaTest)
#include "ClickableAreaTest.moc"
