// The block copies between picture images, and the picture box's image and overlays on screen.
#include "widgets/ImageBlit.h"
#include "RowTable.h"
#include "widgets/PictureBox.h"

#include <QtTest>

#include <functional>

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

// Counts the paint events of the widget it watches.
class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// A target point (inside the block drawn at (2, 2)) and the source pixel it must show.
struct Stretch {
    const char* name;
    int sourceSide;
    int targetSide;
    QList<std::pair<QPoint, QPoint>> shows;
};

struct Change {
    const char* name;
    std::function<void(PictureBox&, int line)> apply;
};

} // namespace

class ImageBlitTest : public QObject {
    Q_OBJECT

private slots:
    // Points worked out by hand. Enlarging four times, target pixels 4k..4k+3 show source pixel
    // k; reducing four times, target pixel k shows source pixel 4k, the top left of its block.
    void stretchReplicatesOrSamplesExactly_data()
    {
        AddRows<Stretch>({{"tile to view, 4x", 8, 32,
                              {{{0, 0}, {0, 0}}, {{3, 3}, {0, 0}}, {{4, 0}, {1, 0}},
                                  {{13, 22}, {3, 5}}, {{31, 31}, {7, 7}}}},
            {"view to grid, 4x", 32, 128,
                {{{5, 6}, {1, 1}}, {{127, 64}, {31, 16}}, {{64, 127}, {16, 31}}}},
            {"grid to view, 1/4", 128, 32,
                {{{0, 0}, {0, 0}}, {{1, 0}, {4, 0}}, {{7, 3}, {28, 12}}, {{31, 31}, {124, 124}}}},
            {"same size", 16, 16, {{{0, 0}, {0, 0}}, {{9, 15}, {9, 15}}, {{15, 15}, {15, 15}}}},
            {"down to one pixel", 4, 1, {{{0, 0}, {0, 0}}}},
            {"up from one pixel", 1, 4, {{{0, 0}, {0, 0}}, {{3, 3}, {0, 0}}}}});
    }
    void stretchReplicatesOrSamplesExactly()
    {
        const auto& [name, sourceSide, targetSide, shows] = CurrentRow<Stretch>();
        const QImage source = Numbered(sourceSide, sourceSide);
        QImage target(targetSide + 4, targetSide + 4, QImage::Format_RGB32);
        target.fill(Qt::black);
        StretchBlt(target, 2, 2, targetSide, targetSide, source, 0, 0, sourceSide, sourceSide);
        for (const auto& [at, from] : shows)
            QCOMPARE(target.pixel(at + QPoint(2, 2)), source.pixel(from));
        // Nothing lands outside the block: a frame two pixels wide stays black all round.
        for (int a = 0; a < target.width(); ++a)
            for (int b : {0, 1, targetSide + 2, targetSide + 3}) {
                QCOMPARE(target.pixel(a, b), qRgb(0, 0, 0));
                QCOMPARE(target.pixel(b, a), qRgb(0, 0, 0));
            }
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
        QCOMPARE(frame.pixel(31, 31), qRgb(0, 0, 0));
        // Parts outside either image are skipped, not wrapped or read out of bounds.
        BitBlt(frame, -10, 60, 32, 32, source, 0, 0);
        QCOMPARE(frame.pixel(0, 60), source.pixel(10, 0));
        QCOMPARE(frame.pixel(21, 63), source.pixel(31, 3));
        BitBlt(frame, 0, 0, 32, 32, source, 50, 50);
        QCOMPARE(frame.pixel(13, 13), source.pixel(63, 63));
        QCOMPARE(frame.pixel(14, 0), qRgb(0, 0, 0));
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
        for (int i = 0; i < 32; ++i) {
            for (const QPoint edge : {QPoint(i, 0), QPoint(0, i), QPoint(i, 31), QPoint(31, i)})
                QCOMPARE(screen.pixelColor(edge), QColor(Qt::red));
        }
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
        AddRows<Change>({{"refresh", [](PictureBox& box, int) { box.Refresh(); }},
            {"an overlay hidden",
                [](PictureBox& box, int line) { box.SetOverlayVisible(line, false); }},
            {"an overlay recoloured",
                [](PictureBox& box, int line) { box.SetOverlayColor(line, Qt::yellow); }},
            {"an overlay moved", [](PictureBox& box, int line) { box.SetOverlayTop(line, 20); }}});
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
};

QTEST_MAIN(ImageBlitTest)
#include "ImageBlitTest.moc"
