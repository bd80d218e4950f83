#include "TileViews.h"

#include "RowTable.h"
#include "preview/PreviewFrames.h"
#include "widgets/PictureBox.h"

#include <QTest>

using namespace morvane;
using namespace morvane::test;

namespace {

struct Quadrant {
    int tile;
    int frameImage;
    QPoint at;
};

} // namespace

class PreviewFramesTest : public QObject {
    Q_OBJECT

private slots:
    // Tile groups 0..2 are the poses' first frames (images 0, 2, 4), groups 3..5 their second
    // frames (images 1, 3, 5); four tiles per group, top left, top right, bottom left, bottom
    // right.
    void tileLandsInItsQuadrant_data()
    {
        AddRowColumn<Quadrant>();
        const int frameOfGroup[6] = {0, 2, 4, 1, 3, 5};
        const QPoint quadrant[4] = {{0, 0}, {32, 0}, {0, 32}, {32, 32}};
        for (int tile = 0; tile < 24; ++tile) {
            const Quadrant row {tile, frameOfGroup[tile / 4], quadrant[tile % 4]};
            QTest::addRow(
                "tile %d -> image %d at (%d,%d)", tile, row.frameImage, row.at.x(), row.at.y())
                << row;
        }
    }
    void tileLandsInItsQuadrant()
    {
        const auto& row = CurrentRow<Quadrant>();
        const std::array<QImage, 24> sheet = TileViews();
        QWidget window;
        std::array<PictureBox*, 6> frames {};
        for (auto& frame : frames)
            frame = FilledBox(&window, 64, Qt::magenta);

        ComposePreviewFrames(sheet, frames);

        // Each row checks one quadrant in full; together the rows cover every pixel of every
        // frame image, so no stale magenta can survive anywhere.
        const QImage quarter
            = frames[std::size_t(row.frameImage)]->Image().copy(row.at.x(), row.at.y(), 32, 32);
        QCOMPARE(quarter, sheet[std::size_t(row.tile)]);
    }
};

QTEST_MAIN(PreviewFramesTest)
#include "PreviewFramesTest.moc"
