// The editor's widgets: block copies between images, the picture box and its overlays on screen,
// the click of tile views and swatches, a focused swatch's frame, and the editing grid's pointer.
#include "widgets/ClickableArea.h"
#include "widgets/ColorSwatch.h"
#include "widgets/CrosshairCursor.h"
#include "widgets/ImageBlit.h"
#include "widgets/PictureBox.h"

#include "RowTable.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

// Every pixel a different colour, none of them black, so a copy from the wrong place shows.
QImage Numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x, y, (x * 7 + y * 13 + 1) & 0xFF));
    return image;
}

struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

struct Stretch {
    const char* name;
    int sourceSide, targetSide;
    QList<QLine> shows; // from a point of the block drawn at (2, 2) to the source pixel it shows
};

struct Change {
    const char* name;
    std::function<void(PictureBox&, int line)> apply;
};

struct Steps {
    const char* name;
    QStringList steps;
    int clicks;
};

struct Frame {
    const char* name;
    QColor fill;
    bool focused;
    QColor frame; // the colour of the dotted frame just inside the edge
};

// Whether the pointer draws `pixel`: an opaque pixel of a colour pointer, or a pixel that inverts
// the screen (bit set, mask clear) of a two-bitmap pointer.
bool Drawn(const QCursor& cursor, QPoint pixel)
{
    const QPixmap pixmap = cursor.pixmap();
    if (!pixmap.isNull())
        return qAlpha(pixmap.toImage().pixel(pixel)) != 0;
    const QImage bits = cursor.bitmap().toImage();
    return bits.pixelIndex(pixel) != 0 && cursor.mask().toImage().pixelIndex(pixel) == 0;
}

struct Pixel {
    const char* name;
    QPoint pixel;
    bool drawn;
};

} // namespace

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    // Points worked out by hand. Enlarging four times, target pixels 4k..4k+3 show source pixel
    // k; reducing four times, target pixel k shows source pixel 4k, the top left of its block.
    void stretchReplicatesOrSamplesExactly_data()
    {
        AddRows<Stretch>({
            {"tile to view, 4x", 8, 32,
                {{0, 0, 0, 0}, {3, 3, 0, 0}, {4, 0, 1, 0}, {13, 22, 3, 5}, {31, 31, 7, 7}}},
            {"view to grid, 4x", 32, 128, {{5, 6, 1, 1}, {127, 64, 31, 16}, {64, 127, 16, 31}}},
            {"grid to view, 1/4", 128, 32,
                {{0, 0, 0, 0}, {1, 0, 4, 0}, {7, 3, 28, 12}, {31, 31, 124, 124}}},
            {"same size", 16, 16, {{0, 0, 0, 0}, {9, 15, 9, 15}, {15, 15, 15, 15}}},
            {"down to one pixel", 4, 1, {{0, 0, 0, 0}}},
            {"up from one pixel", 1, 4, {{0, 0, 0, 0}, {3, 3, 0, 0}}},
        });
    }
    void stretchReplicatesOrSamplesExactly()
    {
        const auto& [name, sourceSide, targetSide, shows] = CurrentRow<Stretch>();
        const QImage source = Numbered(sourceSide, sourceSide);
        QImage target(targetSide + 4, targetSide + 4, QImage::Format_RGB32);
        target.fill(Qt::black);
        StretchBlt(target, 2, 2, targetSide, targetSide, source, 0, 0, sourceSide, sourceSide);
        for (const QLine& show : shows)
            QCOMPARE(target.pixel(show.p1() + QPoint(2, 2)), source.pixel(show.p2()));
        // Nothing lands outside the block: a frame two pixels wide stays black all round.
        for (int a = 0; a < target.width(); ++a)
            for (int b : {0, 1, targetSide + 2, targetSide + 3})
                QCOMPARE(
                    QList({target.pixel(a, b), target.pixel(b, a)}), QList<QRgb>(2, qRgb(0, 0, 0)));
    }

    void stretchWithinOneImageReadsTheSourceFirst()
    {
        // A corner enlarged onto the whole image, in place, is read before it is drawn over.
        QImage view = Numbered(32, 32);
        const QImage corner = view.copy(0, 0, 8, 8);
        StretchBlt(view, 0, 0, 32, 32, view, 0, 0, 8, 8);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                QCOMPARE(view.pixel(x, y), corner.pixel(x / 4, y / 4));
    }

    void bitBltCopiesAndClips()
    {
        const QImage source = Numbered(64, 64);
        QImage frame(64, 64, QImage::Format_RGB32);
        frame.fill(Qt::black);
        BitBlt(frame, 32, 32, 32, 32, source, 0, 0);
        QCOMPARE(frame.copy(32, 32, 32, 32), source.copy(0, 0, 32, 32));
        // Parts outside either image are skipped, not wrapped or read out of bounds.
        BitBlt(frame, -10, 60, 32, 32, source, 0, 0);
        BitBlt(frame, 0, 0, 32, 32, source, 50, 50);
        QCOMPARE(QList({frame.pixel(31, 31), frame.pixel(0, 60), frame.pixel(21, 63),
                     frame.pixel(13, 13), frame.pixel(14, 0)}),
            QList({qRgb(0, 0, 0), source.pixel(10, 0), source.pixel(31, 3), source.pixel(63, 63),
                qRgb(0, 0, 0)}));
    }

    void pictureBoxImageFitsBeforeShowAndOverlaysStayOut()
    {
        PictureBox box;
        box.setGeometry(0, 0, 32, 32);
        QCOMPARE(box.Image().size(), QSize(32, 32)); // drawn into before it is ever shown
        box.Image().fill(Qt::green);
        const int marker = box.AddOutline(QRect(0, 100, 32, 32), Qt::red);
        QCOMPARE(box.Rendered(), box.Image()); // below the view: not seen
        box.SetOverlayTop(marker, 0);
        const QImage screen = box.Rendered();
        for (int i = 0; i < 32; ++i)
            for (const QPoint edge : {QPoint(i, 0), QPoint(0, i), QPoint(i, 31), QPoint(31, i)})
                QCOMPARE(screen.pixelColor(edge), QColor(Qt::red));
        QCOMPARE(screen.pixelColor(1, 1), QColor(Qt::green));
        QCOMPARE(box.Image().pixelColor(0, 0), QColor(Qt::green));
        box.SetOverlayVisible(marker, false);
        QCOMPARE(box.Rendered(), box.Image());
        // An outline is one pixel wide on every side, also where the box has room beyond it.
        box.setGeometry(0, 0, 40, 40);
        QCOMPARE(box.Image().pixelColor(0, 0), QColor(Qt::green)); // what was drawn stays put
        QCOMPARE(box.Image().pixelColor(31, 31), QColor(Qt::green));
        QCOMPARE(box.Image().pixelColor(39, 39), box.palette().color(QPalette::Button));
        box.SetOverlayVisible(marker, true);
        QVERIFY(box.Rendered().pixelColor(10, 32) != QColor(Qt::red));
        QVERIFY(box.Rendered().pixelColor(32, 10) != QColor(Qt::red));
    }

    void pictureBoxShowsEveryChangeOnScreen_data()
    {
        AddRows<Change>({{"refresh", [](auto& box, int) { box.Refresh(); }},
            {"an overlay hidden", [](auto& box, int line) { box.SetOverlayVisible(line, false); }},
            {"an overlay recoloured",
                [](auto& box, int line) { box.SetOverlayColor(line, Qt::yellow); }},
            {"an overlay moved", [](auto& box, int line) { box.SetOverlayTop(line, 20); }}});
    }
    void pictureBoxShowsEveryChangeOnScreen()
    {
        PictureBox box;
        box.setGeometry(0, 0, 32, 32);
        box.Image().fill(Qt::green);
        const int line = box.AddLine(QRect(0, 8, 32, 1), Qt::red);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        PaintCounter paints;
        box.installEventFilter(&paints);
        box.Image().fill(Qt::blue); // drawn into the image, not yet shown
        CurrentRow<Change>().apply(box, line);
        // The box is painted again, and paints the image with its overlays over it.
        QTRY_VERIFY(paints.count > 0);
        QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32), box.Rendered());
    }

    void clicks_data()
    {
        AddRows<Steps>({{"press and release inside", {"press", "release in"}, 1},
            {"right button", {"right press", "right release"}, 0},
            {"released outside", {"press", "release out"}, 0},
            {"released with no press before", {"release in"}, 0},
            {"a press counts once", {"press", "release out", "release in"}, 0},
            {"two clicks", {"press", "release in", "press", "release in"}, 2},
            {"Space", {"Space"}, 1}, {"Return", {"Return"}, 1}, {"Shift+Space", {"Shift+Space"}, 0},
            {"another key", {"X"}, 0}});
    }
    void clicks()
    {
        const auto& row = CurrentRow<Steps>();
        ClickableArea area;
        area.setGeometry(0, 0, 32, 32);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QSignalSpy clicked(&area, &ClickableArea::Clicked);
        for (const QString& step : row.steps) {
            const auto button = step.startsWith("right") ? Qt::RightButton : Qt::LeftButton;
            const QPoint at(step.endsWith("out") ? 40 : 16, 16);
            if (step.endsWith("press"))
                QTest::mousePress(&area, button, {}, at);
            else if (step.contains("release"))
                QTest::mouseRelease(&area, button, {}, at);
            else
                QTest::keySequence(&area, QKeySequence(step));
        }
        QCOMPARE(clicked.count(), row.clicks);
    }

    void focusedSwatchIsFramed_data()
    {
        AddRows<Frame>({{"light swatch, focused", QColor(200, 220, 90), true, Qt::black},
            {"dark swatch, focused", QColor(0, 0, 120), true, Qt::white},
            {"not focused: no frame", QColor(0, 0, 120), false, QColor(0, 0, 120)}});
    }
    void focusedSwatchIsFramed()
    {
        const auto& row = CurrentRow<Frame>();
        QWidget window;
        new ColorSwatch(&window); // first in the focus chain, to hold the focus otherwise
        auto* swatch = new ColorSwatch(&window);
        swatch->setGeometry(40, 0, 33, 27);
        swatch->SetFillColor(row.fill);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        if (row.focused)
            swatch->setFocus();
        QTRY_COMPARE(swatch->hasFocus(), row.focused);
        const QImage shown = swatch->grab().toImage();
        int framed = 0;
        for (int x = 0; x < shown.width(); ++x)
            framed += shown.pixelColor(x, 1) == row.frame ? 1 : 0;
        // Dotted: about every other pixel of the row, or the whole row where there is no frame.
        QVERIFY2(row.focused ? framed >= 8 && framed <= 20 : framed == shown.width(),
            qPrintable(QString::number(framed)));
        QCOMPARE(shown.pixelColor(5, 5), row.fill);
    }

    void crosshairIsTwoLinesCrossingAtTheHotSpot()
    {
        const QCursor cursor = CrosshairCursor();
        QCOMPARE(std::pair(cursor.shape(), cursor.hotSpot()),
            std::pair(Qt::BitmapCursor, QPoint(15, 15)));
        QCOMPARE(cursor.pixmap().isNull() ? cursor.bitmap().size() : cursor.pixmap().size(),
            QSize(32, 32));
        // Two lines of 19 pixels that share the hot spot, and nothing else anywhere.
        int drawn = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                drawn += Drawn(cursor, {x, y}) ? 1 : 0;
        QCOMPARE(drawn, 37);
    }

    void crosshairDrawsOnlyTheTwoLines_data()
    {
        AddRows<Pixel>({{"hot spot", {15, 15}, true}, {"top of the vertical line", {15, 6}, true},
            {"above it", {15, 5}, false}, {"bottom of the vertical line", {15, 24}, true},
            {"below it", {15, 25}, false}, {"left end of the horizontal line", {6, 15}, true},
            {"left of it", {5, 15}, false}, {"right end of the horizontal line", {24, 15}, true},
            {"right of it", {25, 15}, false}, {"beside the crossing", {16, 16}, false},
            {"corner", {31, 0}, false}});
    }
    void crosshairDrawsOnlyTheTwoLines()
    {
        QCOMPARE(Drawn(CrosshairCursor(), CurrentRow<Pixel>().pixel), CurrentRow<Pixel>().drawn);
    }

    void crosshairShowsOnLightAndDarkGround()
    {
        const QCursor cursor = CrosshairCursor();
        if (cursor.pixmap().isNull())
            QSKIP("this platform's pointer inverts the screen beneath its lines");
        // Where a pointer cannot invert the screen, its lines mix black and white pixels.
        const QImage image = cursor.pixmap().toImage();
        QSet<QRgb> colours;
        for (int i = 6; i <= 24; ++i)
            colours << (image.pixel(15, i) & RGB_MASK) << (image.pixel(i, 15) & RGB_MASK);
        QCOMPARE(colours, (QSet<QRgb> {0x000000, 0xFFFFFF}));
    }
};

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
