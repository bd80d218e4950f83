#include "TileViews.h"

#include "preview/PreviewFrames.h"
#include "widgets/PictureBox.h"

#include <QTest>

using namespace morvane;

class PreviewFramesTest : public QObject {
    Q_OBJECT

private slots:
    void tileLandsInItsQuadrant_data();
    void tileLandsInItsQuadrant();
};

void PreviewFramesTest::tileLandsInItsQuadrant_data()
{
    QTest::addColumn<int>("tile");
    QTest::addColumn<int>("frameImage");
    QTest::addColumn<QPoint>("at");

    // Tile groups 0..2 are the poses' first frames (images 0, 2, 4), groups 3..5 their second
    // frames (images 1, 3, 5); four tiles per group, top left, top right, bottom left, bottom
    // right.
    const int frameOfGroup[6] = {0, 2, 4, 1, 3, 5};
    const QPoint quadrant[4] = {{0, 0}, {32, 0}, {0, 32}, {32, 32}};
    for (int tile = 0; tile < 24; ++tile) {
        const int frame = frameOfGroup[tile / 4];
        const QPoint at = quadrant[tile % 4];
        QTest::addRow("tile %d -> image %d at (%d,%d)", tile, frame, at.x(), at.y())
            << tile << frame << at;
    }
}

void PreviewFramesTest::tileLandsInItsQuadrant()
{
    QFETCH(int, tile);
    QFETCH(int, frameImage);
    QFETCH(QPoint, at);

    test::TileViews sheet;
    QWidget window;
    std::array<PictureBox*, 6> frames {};
    for (auto& frame : frames)
        frame = test::FilledBox(&window, 64, Qt::magenta);

    ComposePreviewFrames(sheet.views, frames);

    // Each row checks one quadrant in full; together the rows cover every pixel of every frame
    // image, so no stale magenta can survive anywhere.
    const QImage quarter
        = frames[static_cast<std::size_t>(frameImage)]->Image().copy(at.x(), at.y(), 32, 32);
    QCOMPARE(quarter, sheet.Image(tile));
}

QTEST_MAIN(PreviewFramesTest)
#include "PreviewFramesTest.moc"
