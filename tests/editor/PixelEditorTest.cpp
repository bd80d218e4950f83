// Selecting tiles and painting pixels through the window: which cell a press or a move paints,
// and what lands in the editing grid, the tile view and SpriteBuf.
#include "EditorHarness.h"
#include "RowTable.h"
#include "TestData.h"
#include "widgets/PictureBox.h"

#include <QCheckBox>
#include <QtTest>

#include <array>

using namespace morvane;
using namespace morvane::test;

namespace {

struct PressRow {
    const char* name;
    std::array<std::uint8_t, 2> before; // the two bytes of the painted row
    int colour; // swatch clicked before painting
    QPointF at;
    int byte; // first byte of the painted row in the block
    std::array<std::uint8_t, 2> after;
};

struct ButtonRow {
    const char* name;
    bool press; // a press, or else a move
    int buttons;
    QPointF at;
    bool paints;
};

bool CellIs(const QImage& grid, int column, int row, const QColor& colour)
{
    for (int y = 16 * row; y < 16 * row + 16; ++y)
        for (int x = 16 * column; x < 16 * column + 16; ++x)
            if (grid.pixelColor(x, y) != colour)
                return false;
    return true;
}

} // namespace

Q_DECLARE_METATYPE(PressRow)
Q_DECLARE_METATYPE(ButtonRow)

class PixelEditorTest : public QObject {
    Q_OBJECT

private slots:
    void init() { h_.emplace(); }
    void cleanup() { h_.reset(); }
    void pressPaintsGridViewAndRowBytes_data()
    {
        AddRows<PressRow>({{"code 11 top left", {0, 0}, 3, {5, 5}, 0, {0x80, 0x80}},
            {"code 10 bottom right", {0, 0}, 1, {127, 127}, 14, {0x01, 0x00}},
            {"code 01 column 2 of a full row", {0xFF, 0xFF}, 2, {40, 3}, 0, {0xDF, 0xFF}},
            {"code 00 clears one pixel", {0xFF, 0x00}, 0, {127, 0.5}, 0, {0xFE, 0x00}},
            {"a press reported past the edge paints the edge cell", {0, 0}, 1, {200, 300}, 14,
                {0x01, 0x00}}});
    }
    void pressPaintsGridViewAndRowBytes()
    {
        const PressRow& row = CurrentRow<PressRow>();
        QByteArray block(384, '\0');
        block.replace(row.byte, 2, Bytes(row.before));
        LoadBlock(block);
        frmMain& w = *h_->window;
        w.Color_Click(row.colour);
        w.picEdit_MouseDown(1, 0, static_cast<float>(row.at.x()), static_cast<float>(row.at.y()));

        QByteArray painted = block;
        painted.replace(row.byte, 2, Bytes(row.after));
        QCOMPARE(h_->SpriteBuf(), painted);
        const int column = std::min(static_cast<int>(row.at.x()) / 16, 7);
        const int line = std::min(static_cast<int>(row.at.y()) / 16, 7);
        QVERIFY(CellIs(h_->Grid().Image(), column, line, DefaultColour(row.colour)));
        QVERIFY(CompareTileView(h_->View(0).Image(), painted.left(16)).isEmpty());
        // Nothing reaches the file before Save.
        QCOMPARE(h_->rom.Contents().mid(kEntry0, 384), block);
    }
    void pressPaintsWithAnyButtonMoveOnlyWithLeftAlone_data()
    {
        AddRows<ButtonRow>({{"press left", true, 1, {50, 50}, true},
            {"press right", true, 2, {50, 50}, true}, {"press middle", true, 4, {50, 50}, true},
            {"press at x 0", true, 1, {0, 50}, true}, {"move left", false, 1, {50, 50}, true},
            {"move right", false, 2, {50, 50}, false},
            {"move left and right", false, 3, {50, 50}, false},
            {"move at x 0", false, 1, {0, 50}, false}, {"move at y 0", false, 1, {50, 0}, false},
            {"move at x 128", false, 1, {128, 50}, false},
            {"move at y 128", false, 1, {50, 128}, false},
            {"move beyond", false, 1, {300, -20}, false},
            {"move just inside", false, 1, {0.5, 127.5}, true},
            {"move just inside, top right", false, 1, {127.5, 0.5}, true}});
    }
    void pressPaintsWithAnyButtonMoveOnlyWithLeftAlone()
    {
        const auto& [name, press, buttons, at, paints] = CurrentRow<ButtonRow>();
        LoadBlock(QByteArray(384, '\0'));
        frmMain& w = *h_->window;
        w.Color_Click(3);
        const auto x = static_cast<float>(at.x());
        const auto y = static_cast<float>(at.y());
        if (press)
            w.picEdit_MouseDown(buttons, 0, x, y);
        else
            w.picEdit_MouseMove(buttons, 0, x, y);
        QCOMPARE(h_->SpriteBuf() != QByteArray(384, '\0'), paints);
    }
    void gridLinesDoNotChangeWhatIsPainted()
    {
        QList<QByteArray> buffers;
        QList<QImage> grids;
        QList<QImage> views;
        for (bool shown : {true, false}) {
            cleanup();
            init();
            LoadBlock(RomFixture::Pattern(384), 7);
            frmMain& w = *h_->window;
            h_->Find<QCheckBox>(QStringLiteral("chkGRID")).setChecked(shown);
            w.Color_Click(2);
            for (float x : {1.0f, 16.0f, 17.0f, 33.0f, 112.0f})
                w.picEdit_MouseDown(1, 0, x, x);
            buffers << h_->SpriteBuf();
            grids << h_->Grid().Image().copy();
            views << h_->View(7).Image().copy();
        }
        QCOMPARE(buffers[0], buffers[1]);
        QCOMPARE(grids[0], grids[1]);
        QCOMPARE(views[0], views[1]);
    }
    void tileClickFramesThatViewAndUnpacksItsBits()
    {
        QByteArray block(384, '\0');
        block[16 * 5 + 2 * 3] = '\x3C';
        block[16 * 5 + 2 * 3 + 1] = '\x7E';
        h_->rom.Poke(kEntry0, block);
        h_->LoadRom(h_->rom.Path());
        frmMain& w = *h_->window;
        QVERIFY(h_->Show());
        QTest::mouseClick(&h_->View(5), Qt::LeftButton);

        QCOMPARE(w.Document().CurTile(), 5);
        for (int t = 0; t < 24; ++t)
            QCOMPARE(h_->MarkerShown(t), t == 5);
        // On screen the view is framed in red; its image holds no marker.
        QCOMPARE(h_->View(5).Rendered().pixelColor(0, 16), QColor(Qt::red));
        QCOMPARE(h_->View(5).Rendered().pixelColor(31, 31), QColor(Qt::red));
        QCOMPARE(h_->View(5).Image().pixelColor(0, 16), DefaultColour(0));

        const int lo[8] = {0, 0, 1, 1, 1, 1, 0, 0};
        const int hi[8] = {0, 1, 1, 1, 1, 1, 1, 0};
        for (int c = 0; c < 8; ++c) {
            QCOMPARE(
                int(w.Document().TileLoBits()[static_cast<std::size_t>(8 * 3 + c + 1)]), lo[c]);
            QCOMPARE(
                int(w.Document().TileHiBits()[static_cast<std::size_t>(8 * 3 + c + 1)]), hi[c]);
        }
        // Each grid cell has the colour of the view's 4 x 4 block.
        const QImage grid = h_->Grid().Image();
        const QImage view = h_->View(5).Image();
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c)
                QVERIFY(CellIs(grid, c, r, view.pixelColor(4 * c, 4 * r)));
    }

private:
    // Loads entry 0 with its block replaced by `block` and selects tile `tile`.
    void LoadBlock(const QByteArray& block, int tile = 0)
    {
        h_->rom.Poke(kEntry0, block);
        h_->LoadRom(h_->rom.Path());
        h_->window->picSprites_Click(tile);
    }

    std::optional<OpenEditor> h_;
};

QTEST_MAIN(PixelEditorTest)
#include "PixelEditorTest.moc"
