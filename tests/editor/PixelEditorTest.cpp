// Selecting tiles and painting pixels through the window: which cell a press or a move paints,
// and what lands in the editing grid, the tile view and SpriteBuf.
#include "EditorHarness.h"
#include "widgets/ColorSwatch.h"
#include "widgets/PictureBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

bool CellIs(const QImage& grid, int column, int row, const QColor& colour)
{
    for (int y = 16 * row; y < 16 * row + 16; ++y)
        for (int x = 16 * column; x < 16 * column + 16; ++x)
            if (grid.pixelColor(x, y) != colour)
                return false;
    return true;
}

} // namespace

class PixelEditorTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pressPaintsGridViewAndRowBytes_data();
    void pressPaintsGridViewAndRowBytes();
    void pressPaintsWithAnyButtonMoveOnlyWithLeftAlone_data();
    void pressPaintsWithAnyButtonMoveOnlyWithLeftAlone();
    void realDragPaintsEveryCellItPasses();
    void gridLinesDoNotChangeWhatIsPainted();
    void tileClickFramesThatViewAndUnpacksItsBits();

private:
    // Loads entry 0 with its block replaced by `block` and selects tile `tile`.
    void LoadBlock(const QByteArray& block, int tile = 0);

    std::unique_ptr<RomFixture> rom_;
    std::unique_ptr<EditorHarness> h_;
};

void PixelEditorTest::init()
{
    rom_ = std::make_unique<RomFixture>();
    h_ = std::make_unique<EditorHarness>();
}

void PixelEditorTest::cleanup()
{
    h_.reset();
    rom_.reset();
}

void PixelEditorTest::LoadBlock(const QByteArray& block, int tile)
{
    rom_->Poke(kEntry0, block);
    h_->LoadRom(rom_->Path());
    h_->window->picSprites_Click(tile);
}

void PixelEditorTest::pressPaintsGridViewAndRowBytes_data()
{
    QTest::addColumn<QByteArray>("row"); // the two bytes of the row before painting
    QTest::addColumn<int>("colour"); // swatch clicked before painting
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<int>("byte"); // first byte of the painted row in the block
    QTest::addColumn<QByteArray>("expect");
    QTest::newRow("code 11 top left")
        << QByteArray(2, '\0') << 3 << QPointF(5, 5) << 0 << QByteArray("\x80\x80", 2);
    QTest::newRow("code 10 bottom right")
        << QByteArray(2, '\0') << 1 << QPointF(127, 127) << 14 << QByteArray("\x01\x00", 2);
    QTest::newRow("code 01 column 2 of a full row")
        << QByteArray("\xFF\xFF", 2) << 2 << QPointF(40, 3) << 0 << QByteArray("\xDF\xFF", 2);
    QTest::newRow("code 00 clears one pixel")
        << QByteArray("\xFF\x00", 2) << 0 << QPointF(127, 0.5) << 0 << QByteArray("\xFE\x00", 2);
    QTest::newRow("a press reported past the edge paints the edge cell")
        << QByteArray(2, '\0') << 1 << QPointF(200, 300) << 14 << QByteArray("\x01\x00", 2);
}

void PixelEditorTest::pressPaintsGridViewAndRowBytes()
{
    QFETCH(QByteArray, row);
    QFETCH(int, colour);
    QFETCH(QPointF, at);
    QFETCH(int, byte);
    QFETCH(QByteArray, expect);
    QByteArray block(384, '\0');
    block.replace(byte, 2, row);
    LoadBlock(block);
    frmMain& w = *h_->window;
    w.Color_Click(colour);
    w.picEdit_MouseDown(1, 0, static_cast<float>(at.x()), static_cast<float>(at.y()));

    QByteArray painted = block;
    painted.replace(byte, 2, expect);
    QCOMPARE(h_->SpriteBuf(), painted);
    const int column = std::min(static_cast<int>(at.x()) / 16, 7);
    const int rowIndex = std::min(static_cast<int>(at.y()) / 16, 7);
    QVERIFY(CellIs(h_->Grid().Image(), column, rowIndex, DefaultColour(colour)));
    QVERIFY(CompareTileView(h_->View(0).Image(), painted.left(16)).isEmpty());
    // Nothing reaches the file before Save.
    QCOMPARE(rom_->Contents().mid(kEntry0, 384), block);
}

void PixelEditorTest::pressPaintsWithAnyButtonMoveOnlyWithLeftAlone_data()
{
    QTest::addColumn<bool>("press");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<bool>("paints");
    QTest::newRow("press left") << true << 1 << QPointF(50, 50) << true;
    QTest::newRow("press right") << true << 2 << QPointF(50, 50) << true;
    QTest::newRow("press middle") << true << 4 << QPointF(50, 50) << true;
    QTest::newRow("press at x 0") << true << 1 << QPointF(0, 50) << true;
    QTest::newRow("move left") << false << 1 << QPointF(50, 50) << true;
    QTest::newRow("move right") << false << 2 << QPointF(50, 50) << false;
    QTest::newRow("move left and right") << false << 3 << QPointF(50, 50) << false;
    QTest::newRow("move at x 0") << false << 1 << QPointF(0, 50) << false;
    QTest::newRow("move at y 0") << false << 1 << QPointF(50, 0) << false;
    QTest::newRow("move at x 128") << false << 1 << QPointF(128, 50) << false;
    QTest::newRow("move at y 128") << false << 1 << QPointF(50, 128) << false;
    QTest::newRow("move beyond") << false << 1 << QPointF(300, -20) << false;
    QTest::newRow("move just inside") << false << 1 << QPointF(0.5, 127.5) << true;
    QTest::newRow("move just inside, top right") << false << 1 << QPointF(127.5, 0.5) << true;
}

void PixelEditorTest::pressPaintsWithAnyButtonMoveOnlyWithLeftAlone()
{
    QFETCH(bool, press);
    QFETCH(int, buttons);
    QFETCH(QPointF, at);
    QFETCH(bool, paints);
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

void PixelEditorTest::realDragPaintsEveryCellItPasses()
{
    LoadBlock(QByteArray(384, '\0'), 5);
    frmMain& w = *h_->window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Color_Click(3);
    PictureBox* grid = &h_->Grid();
    QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(8, 8));
    for (int x : {24, 40, 56})
        QTest::mouseMove(grid, QPoint(x, 8));
    QTest::mouseMove(grid, QPoint(200, 8)); // outside: ignored
    QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(200, 8));
    const QByteArray buf = h_->SpriteBuf();
    QCOMPARE(static_cast<std::uint8_t>(buf.at(16 * 5)), 0xF0);
    QCOMPARE(static_cast<std::uint8_t>(buf.at(16 * 5 + 1)), 0xF0);
    QCOMPARE(buf.count('\0'), 382);
    QCOMPARE(h_->View(5).Image().pixelColor(15, 0), QColor(0, 0, 255));
    QCOMPARE(h_->View(5).Image().pixelColor(16, 0), QColor(223, 0, 200));
    // The drag is one undo step.
    QCOMPARE(w.Document().History().count(), 1);
}

void PixelEditorTest::gridLinesDoNotChangeWhatIsPainted()
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

void PixelEditorTest::tileClickFramesThatViewAndUnpacksItsBits()
{
    QByteArray block(384, '\0');
    block[16 * 5 + 2 * 3] = '\x3C';
    block[16 * 5 + 2 * 3 + 1] = '\x7E';
    rom_->Poke(kEntry0, block);
    h_->LoadRom(rom_->Path());
    frmMain& w = *h_->window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
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
        QCOMPARE(int(w.Document().TileLoBits()[static_cast<std::size_t>(8 * 3 + c + 1)]), lo[c]);
        QCOMPARE(int(w.Document().TileHiBits()[static_cast<std::size_t>(8 * 3 + c + 1)]), hi[c]);
    }
    // Each grid cell has the colour of the view's 4 x 4 block.
    const QImage grid = h_->Grid().Image();
    const QImage view = h_->View(5).Image();
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            QVERIFY(CellIs(grid, c, r, view.pixelColor(4 * c, 4 * r)));
}

QTEST_MAIN(PixelEditorTest)
#include "PixelEditorTest.moc"
