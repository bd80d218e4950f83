// The editing grid's pointer, read back from the cursor itself: where its hot spot is and which of
// its 32 x 32 pixels are drawn.
#include "widgets/CrosshairCursor.h"

#include <QBitmap>
#include <QPixmap>
#include <QtTest>

using namespace morvane;

namespace {

// Whether the pointer draws pixel (x, y): an opaque pixel of a colour pointer, or a pixel that
// inverts the screen (bit set, mask clear) of a two-bitmap pointer.
bool Drawn(const QCursor& cursor, int x, int y)
{
    const QPixmap pixmap = cursor.pixmap();
    if (!pixmap.isNull())
        return qAlpha(pixmap.toImage().pixel(x, y)) != 0;
    const QImage bits = cursor.bitmap().toImage();
    const QImage mask = cursor.mask().toImage();
    return bits.pixelIndex(x, y) != 0 && mask.pixelIndex(x, y) == 0;
}

} // namespace

class CrosshairCursorTest : public QObject {
    Q_OBJECT

private slots:
    void isTwoLinesCrossingAtTheHotSpot();
    void drawsOnlyTheTwoLines_data();
    void drawsOnlyTheTwoLines();
    void linesShowOnLightAndDarkGround();
};

void CrosshairCursorTest::isTwoLinesCrossingAtTheHotSpot()
{
    const QCursor cursor = CrosshairCursor();
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(15, 15));
    const QSize size = cursor.pixmap().isNull() ? cursor.bitmap().size() : cursor.pixmap().size();
    QCOMPARE(size, QSize(32, 32));
    // Two lines of 19 pixels that share the hot spot, and nothing else anywhere.
    int drawn = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            drawn += Drawn(cursor, x, y) ? 1 : 0;
    QCOMPARE(drawn, 37);
}

void CrosshairCursorTest::drawsOnlyTheTwoLines_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("hot spot") << QPoint(15, 15) << true;
    QTest::newRow("top of the vertical line") << QPoint(15, 6) << true;
    QTest::newRow("above it") << QPoint(15, 5) << false;
    QTest::newRow("bottom of the vertical line") << QPoint(15, 24) << true;
    QTest::newRow("below it") << QPoint(15, 25) << false;
    QTest::newRow("left end of the horizontal line") << QPoint(6, 15) << true;
    QTest::newRow("left of it") << QPoint(5, 15) << false;
    QTest::newRow("right end of the horizontal line") << QPoint(24, 15) << true;
    QTest::newRow("right of it") << QPoint(25, 15) << false;
    QTest::newRow("beside the crossing") << QPoint(16, 16) << false;
    QTest::newRow("corner") << QPoint(31, 0) << false;
}

void CrosshairCursorTest::drawsOnlyTheTwoLines()
{
    QFETCH(QPoint, pixel);
    QFETCH(bool, drawn);
    QCOMPARE(Drawn(CrosshairCursor(), pixel.x(), pixel.y()), drawn);
}

void CrosshairCursorTest::linesShowOnLightAndDarkGround()
{
    const QCursor cursor = CrosshairCursor();
    if (cursor.pixmap().isNull())
        QSKIP("this platform's pointer inverts the screen beneath its lines");
    // Where a pointer cannot invert the screen, its lines mix black and white pixels.
    const QImage image = cursor.pixmap().toImage();
    QSet<QRgb> colours;
    for (int i = 6; i <= 24; ++i) {
        colours << (image.pixel(15, i) & RGB_MASK);
        colours << (image.pixel(i, 15) & RGB_MASK);
    }
    QCOMPARE(colours, (QSet<QRgb> {0x000000, 0xFFFFFF}));
}

QTEST_MAIN(CrosshairCursorTest)
#include "CrosshairCursorTest.moc"
