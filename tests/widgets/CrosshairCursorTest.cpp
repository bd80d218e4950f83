// The editing grid's pointer: where its lines run, their colours, and its hot spot.
#include "widgets/CrosshairCursor.h"

#include <QtTest>

using namespace morvane;

class CrosshairCursorTest : public QObject {
    Q_OBJECT

private slots:
    void linesAndHotSpot_data();
    void linesAndHotSpot();
};

void CrosshairCursorTest::linesAndHotSpot_data()
{
    // A pixel of the 32 x 32 shape and what it shows; the lines cross at (15, 15).
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("shown"); // invalid: see-through
    QTest::newRow("vertical line, top end") << QPoint(15, 6) << QColor(Qt::white);
    QTest::newRow("vertical line, next pixel") << QPoint(15, 7) << QColor(Qt::black);
    QTest::newRow("vertical line, bottom end") << QPoint(15, 24) << QColor(Qt::white);
    QTest::newRow("above the vertical line") << QPoint(15, 5) << QColor();
    QTest::newRow("below the vertical line") << QPoint(15, 25) << QColor();
    QTest::newRow("horizontal line, left end") << QPoint(6, 15) << QColor(Qt::white);
    QTest::newRow("horizontal line, right end") << QPoint(24, 15) << QColor(Qt::white);
    QTest::newRow("left of the horizontal line") << QPoint(5, 15) << QColor();
    QTest::newRow("right of the horizontal line") << QPoint(25, 15) << QColor();
    QTest::newRow("the crossing") << QPoint(15, 15) << QColor(Qt::black);
    QTest::newRow("beside the crossing") << QPoint(16, 16) << QColor();
    QTest::newRow("a corner") << QPoint(0, 0) << QColor();
}

void CrosshairCursorTest::linesAndHotSpot()
{
    QFETCH(QPoint, at);
    QFETCH(QColor, shown);
    const QImage image = CrosshairImage();
    QCOMPARE(image.size(), QSize(32, 32));
    const QColor pixel = image.pixelColor(at);
    if (shown.isValid())
        QCOMPARE(pixel, shown);
    else
        QCOMPARE(pixel.alpha(), 0);
    const QCursor cursor = CrosshairCursor();
    QCOMPARE(cursor.hotSpot(), QPoint(15, 15));
    QCOMPARE(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32), image);
}

QTEST_MAIN(CrosshairCursorTest)
#include "CrosshairCursorTest.moc"
