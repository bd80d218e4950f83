// The click shared by the tile views and the swatches: a whole left click inside, or a key; and
// the focus frame a swatch shows keyboard users.
#include "widgets/ClickableArea.h"
#include "widgets/ColorSwatch.h"

#include <QSignalSpy>
#include <QtTest>

using namespace morvane;

class ClickableAreaTest : public QObject {
    Q_OBJECT

private slots:
    void clicks_data();
    void clicks();
    void focusedSwatchIsFramed_data();
    void focusedSwatchIsFramed();
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

void ClickableAreaTest::focusedSwatchIsFramed_data()
{
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QColor>("frame"); // the colour of the dotted frame just inside the edge
    QTest::newRow("light swatch, focused") << QColor(200, 220, 90) << true << QColor(Qt::black);
    QTest::newRow("dark swatch, focused") << QColor(0, 0, 120) << true << QColor(Qt::white);
    QTest::newRow("not focused: no frame") << QColor(0, 0, 120) << false << QColor(0, 0, 120);
}

void ClickableAreaTest::focusedSwatchIsFramed()
{
    QFETCH(QColor, fill);
    QFETCH(bool, focused);
    QFETCH(QColor, frame);
    QWidget window;
    new ColorSwatch(&window); // first in the focus chain, to hold the focus otherwise
    auto* swatch = new ColorSwatch(&window);
    swatch->setGeometry(40, 0, 33, 27);
    swatch->SetFillColor(fill);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    if (focused)
        swatch->setFocus();
    QTRY_COMPARE(swatch->hasFocus(), focused);
    const QImage shown = swatch->grab().toImage();
    int framed = 0;
    for (int x = 0; x < shown.width(); ++x)
        framed += shown.pixelColor(x, 1) == frame ? 1 : 0;
    // Dotted: about every other pixel of the row, or the whole row where there is no frame.
    QVERIFY2(focused ? framed >= 8 && framed <= 20 : framed == shown.width(),
        qPrintable(QString::number(framed)));
    QCOMPARE(shown.pixelColor(5, 5), fill);
}

QTEST_MAIN(ClickableAreaTest)
#include "ClickableAreaTest.moc"
