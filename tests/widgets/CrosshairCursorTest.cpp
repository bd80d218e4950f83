// The editing grid's pointer, read back from the cursor itself: where its hot spot is and which of
// its 32 x 32 pixels are drawn.
#include "widgets/CrosshairCursor.h"
#include "RowTable.h"

#include <QBitmap>
#include <QPixmap>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

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

struct Pixel {
    const char* name;
    QPoint pixel;
    bool drawn;
};

} // namespace

class CrosshairCursorTest : public QObject {
    Q_OBJECT

private slots:
    void isTwoLinesCrossingAtTheHotSpot()
    {
        const QCursor cursor = CrosshairCursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(), QPoint(15, 15));
        const QSize size
            = cursor.pixmap().isNull() ? cursor.bitmap().size() : cursor.pixmap().size();
        QCOMPARE(size, QSize(32, 32));
        // Two lines of 19 pixels that share the hot spot, and nothing else anywhere.
        int drawn = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                drawn += Drawn(cursor, x, y) ? 1 : 0;
        QCOMPARE(drawn, 37);
    }

    void drawsOnlyTheTwoLines_data()
    {
        AddRows<Pixel>({{"hot spot", {15, 15}, true}, {"top of the vertical line", {15, 6}, true},
            {"above it", {15, 5}, false}, {"bottom of the vertical line", {15, 24}, true},
            {"below it", {15, 25}, false}, {"left end of the horizontal line", {6, 15}, true},
            {"left of it", {5, 15}, false}, {"right end of the horizontal line", {24, 15}, true},
            {"right of it", {25, 15}, false}, {"beside the crossing", {16, 16}, false},
            {"corner", {31, 0}, false}});
    }
    void drawsOnlyTheTwoLines()
    {
        const auto& row = CurrentRow<Pixel>();
        QCOMPARE(Drawn(CrosshairCursor(), row.pixel.x(), row.pixel.y()), row.drawn);
    }

    void linesShowOnLightAndDarkGround()
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
};

QTEST_MAIN(CrosshairCursorTest)
#include "CrosshairCursorTest.moc"
