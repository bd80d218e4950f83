// Painting through the window: the cell a press or a move paints, and what reaches the grid, tile
// view and SpriteBuf; then which colour the swatches make current and what the sliders edit.
#include "EditorHarness.h"
#include "RowTable.h"
#include "widgets/ColorSwatch.h"

#include <QCheckBox>
#include <QScrollBar>

#include <array>

using namespace morvane;
using namespace morvane::test;

namespace {

struct PressRow {
    const char* name;
    std::array<std::uint8_t, 2> before; // the two bytes of the painted row
    int colour; // swatch clicked before painting
    float x, y;
    int byte; // first byte of the painted row in the block
    std::array<std::uint8_t, 2> after;
};

struct ButtonRow {
    const char* name;
    bool press; // a press, or else a move
    int buttons;
    float x, y;
    bool paints;
};

struct SwatchRow {
    const char* name;
    int index;
    QColor colour;
};

// The default display colours of values 0 to 3, and colour 2 with its red set to 128.
const QColor kMagenta(223, 0, 200), kBlack(0, 0, 0), kWhite(255, 255, 255), kBlue(0, 0, 255);
const QColor kPaleCyan(128, 255, 255);

} // namespace

class PixelEditorTest : public QObject {
    Q_OBJECT

private slots:
    void init() { h_.emplace(); }
    void cleanup() { h_.reset(); }
    void pressPaintsGridViewAndRowBytes_data()
    {
        AddRows<PressRow>({{"code 11 top left", {0, 0}, 3, 5, 5, 0, {0x80, 0x80}},
            {"code 10 bottom right", {0, 0}, 1, 127, 127, 14, {0x01, 0x00}},
            {"code 01 column 2 of a full row", {0xFF, 0xFF}, 2, 40, 3, 0, {0xDF, 0xFF}},
            {"code 00 clears one pixel", {0xFF, 0x00}, 0, 127, 0.5, 0, {0xFE, 0x00}},
            {"a press reported past the edge paints the edge cell", {0, 0}, 1, 200, 300, 14,
                {0x01, 0x00}}});
    }
    void pressPaintsGridViewAndRowBytes()
    {
        const PressRow& row = CurrentRow<PressRow>();
        const QByteArray block = QByteArray(384, '\0').replace(row.byte, 2, Bytes(row.before));
        LoadBlock(block);
        h_->window->Color_Click(row.colour);
        h_->window->picEdit_MouseDown(1, 0, row.x, row.y);

        const QByteArray painted = QByteArray(block).replace(row.byte, 2, Bytes(row.after));
        QCOMPARE(h_->SpriteBuf(), painted);
        QCOMPARE(CompareTileView(h_->View(0).Image(), painted.left(16)), QString());
        QVERIFY(h_->GridShowsView(0));
        // Nothing reaches the file before Save.
        QCOMPARE(h_->rom.Contents().mid(kEntry0, 384), block);
    }
    void pressPaintsWithAnyButtonMoveOnlyWithLeftAlone_data()
    {
        AddRows<ButtonRow>({{"press left", true, 1, 50, 50, true},
            {"press right", true, 2, 50, 50, true}, {"press middle", true, 4, 50, 50, true},
            {"press at x 0", true, 1, 0, 50, true}, {"move left", false, 1, 50, 50, true},
            {"move right", false, 2, 50, 50, false},
            {"move left and right", false, 3, 50, 50, false},
            {"move at x 0", false, 1, 0, 50, false}, {"move at y 0", false, 1, 50, 0, false},
            {"move at x 128", false, 1, 128, 50, false},
            {"move at y 128", false, 1, 50, 128, false}, {"move beyond", false, 1, 300, -20, false},
            {"move just inside", false, 1, 0.5, 127.5, true},
            {"move just inside, top right", false, 1, 127.5, 0.5, true}});
    }
    void pressPaintsWithAnyButtonMoveOnlyWithLeftAlone()
    {
        const auto& [name, press, buttons, x, y, paints] = CurrentRow<ButtonRow>();
        LoadBlock(QByteArray(384, '\0'));
        h_->window->Color_Click(3);
        press ? h_->window->picEdit_MouseDown(buttons, 0, x, y)
              : h_->window->picEdit_MouseMove(buttons, 0, x, y);
        QCOMPARE(h_->SpriteBuf() != QByteArray(384, '\0'), paints);
    }
    void gridLinesDoNotChangeWhatIsPainted()
    {
        const auto paint = [this](bool shown) {
            h_.emplace();
            LoadBlock(RomFixture::Pattern(384), 7);
            h_->Find<QCheckBox>(QStringLiteral("chkGRID")).setChecked(shown);
            h_->window->Color_Click(2);
            for (float x : {1.0f, 16.0f, 17.0f, 33.0f, 112.0f})
                h_->window->picEdit_MouseDown(1, 0, x, x);
            return QList<std::pair<QString, QVariant>> {{"SpriteBuf", h_->SpriteBuf()},
                {"the editing grid", h_->Grid().Image().copy()},
                {"tile view 7", h_->View(7).Image().copy()}};
        };
        const auto shown = paint(true);
        QCOMPARE(paint(false), shown);
    }
    void tileClickFramesThatViewAndUnpacksItsBits()
    {
        LoadBlock(QByteArray(384, '\0').replace(16 * 5 + 2 * 3, 2, "\x3C\x7E"));
        QVERIFY(h_->Show());
        QTest::mouseClick(&h_->View(5), Qt::LeftButton);

        QCOMPARE(h_->window->Document().CurTile(), 5);
        for (int t = 0; t < 24; ++t)
            QCOMPARE(h_->MarkerShown(t), t == 5);
        // On screen the view is framed in red; its image holds no marker.
        QCOMPARE(h_->View(5).Rendered().pixelColor(0, 16), QColor(Qt::red));
        QCOMPARE(h_->View(5).Rendered().pixelColor(31, 31), QColor(Qt::red));
        QCOMPARE(h_->View(5).Image().pixelColor(0, 16), DefaultColour(0));

        // Row 3 of the tile, one entry a column; the tables count from 1.
        const auto row3
            = [](const BitTable& bits) { return QList<int>(bits.begin() + 25, bits.begin() + 33); };
        QCOMPARE(row3(h_->window->Document().TileLoBits()), QList<int>({0, 0, 1, 1, 1, 1, 0, 0}));
        QCOMPARE(row3(h_->window->Document().TileHiBits()), QList<int>({0, 1, 1, 1, 1, 1, 1, 0}));
        QVERIFY(h_->GridShowsView(5));
    }
    void swatchClickMakesItsColourCurrent_data()
    {
        AddRows<SwatchRow>({{"0 magenta", 0, kMagenta}, {"1 black", 1, kBlack},
            {"2 white", 2, kWhite}, {"3 blue", 3, kBlue}});
    }
    void swatchClickMakesItsColourCurrent()
    {
        const auto& [name, index, colour] = CurrentRow<SwatchRow>();
        h_->window->Color_Click(index);
        QCOMPARE(Sliders(), QList<int>({colour.red(), colour.green(), colour.blue()}));
        QCOMPARE(Swatches(), QList<QColor>({kMagenta, kBlack, kWhite, kBlue, colour}));
        QCOMPARE(PaintedValue(), index);
    }
    void slidersEditOnlyTheCurrentColour()
    {
        const QImage sheet = h_->View(5).Image().copy();
        const QImage grid = h_->Grid().Image().copy();
        h_->window->Color_Click(2);
        Slider("hRED").setValue(128);
        QCOMPARE(Swatches(), QList<QColor>({kMagenta, kBlack, kPaleCyan, kBlue, kPaleCyan}));
        // Display only: nothing already drawn is recoloured.
        QCOMPARE(h_->View(5).Image(), sheet);
        QCOMPARE(h_->Grid().Image(), grid);
    }
    void switchingColoursKeepsEachColoursEdits()
    {
        h_->window->Color_Click(2);
        Slider("hRED").setValue(128);
        h_->window->Color_Click(1);
        QCOMPARE(Sliders(), QList<int>({0, 0, 0}));
        QCOMPARE(Swatches(), QList<QColor>({kMagenta, kBlack, kPaleCyan, kBlue, kBlack}));
        QCOMPARE(PaintedValue(), 1);
        h_->window->Color_Click(2);
        QCOMPARE(Sliders(), QList<int>({128, 255, 255}));
        QCOMPARE(Swatches().at(4), kPaleCyan);
    }
    void currentColourSwatchAndRepeatedClicksChangeNothing()
    {
        h_->window->Color_Click(3);
        Slider("hGREEN").setValue(90);
        const auto before = std::pair(Swatches(), Sliders());
        h_->window->Color_Click(4);
        QCOMPARE(std::pair(Swatches(), Sliders()), before);
        QCOMPARE(PaintedValue(), 3);
        h_->window->Color_Click(3);
        QCOMPARE(std::pair(Swatches(), Sliders()), before);
    }
    void assigningTheSameValueRaisesNoChange()
    {
        QSignalSpy changes(&Slider("hGREEN"), &QScrollBar::valueChanged);
        h_->window->Color_Click(0); // green is already 0
        QCOMPARE(changes.count(), 0);
        h_->window->Color_Click(2); // green goes to 255
        QCOMPARE(changes.count(), 1);
    }
    void thumbDragUpdatesTheSwatchesAsItMoves()
    {
        h_->window->Color_Click(1);
        QScrollBar& blue = Slider("hBLUE");
        blue.setSliderDown(true);
        for (int value : {10, 60, 140}) {
            blue.setSliderPosition(value);
            const QColor dragged(0, 0, value);
            QCOMPARE(Swatches(), QList<QColor>({kMagenta, dragged, kWhite, kBlue, dragged}));
        }
        blue.setSliderDown(false);
        h_->window->Color_Click(0);
        h_->window->Color_Click(1);
        QCOMPARE(blue.value(), 140);
    }
    void newLoadRomPutsTheDefaultsBack()
    {
        h_->window->Color_Click(2);
        Slider("hRED").setValue(5);
        Slider("hBLUE").setValue(6);
        h_->LoadRom(h_->rom.Path());
        QCOMPARE(Swatches(), QList<QColor>({kMagenta, kBlack, kWhite, kBlue, kMagenta}));
        QCOMPARE(Sliders(), QList<int>({223, 0, 200}));
        QCOMPARE(PaintedValue(), 0);
        h_->window->Color_Click(2);
        QCOMPARE(Sliders(), QList<int>({255, 255, 255}));
    }
    void colourChangeReachesPaintAtOnceAndTheSheetAtNextLoad()
    {
        LoadBlock(QByteArray(384, '\0'));
        h_->window->Color_Click(0);
        Slider("hGREEN").setValue(77); // colour 0 becomes RGB(223, 77, 200)
        QCOMPARE(h_->View(0).Image().pixelColor(0, 0), QColor(223, 0, 200));
        h_->window->Color_Click(3);
        Slider("hRED").setValue(9); // colour 3 becomes RGB(9, 0, 255)
        h_->window->picEdit_MouseDown(1, 0, 20, 20);
        QCOMPARE(h_->View(0).Image().pixelColor(4, 4), QColor(9, 0, 255));
        QCOMPARE(h_->View(0).Image().pixelColor(0, 0), QColor(223, 0, 200));
        h_->window->cmdLoad_Click();
        QCOMPARE(h_->View(0).Image().pixelColor(0, 0), QColor(223, 77, 200));
        QCOMPARE(h_->View(23).Image().pixelColor(31, 31), QColor(223, 77, 200));
    }

private:
    // Loads entry 0 with its block replaced by `block` and selects tile `tile`.
    void LoadBlock(const QByteArray& block, int tile = 0)
    {
        h_->rom.Poke(kEntry0, block);
        h_->LoadRom(h_->rom.Path());
        h_->window->picSprites_Click(tile);
    }

    // What the swatches show: colours 0 to 3, then the current colour.
    QList<QColor> Swatches() const
    {
        QList<QColor> shown;
        for (int i = 0; i < 5; ++i)
            shown << h_->Find<ColorSwatch>(QStringLiteral("Color(%1)").arg(i)).FillColor();
        return shown;
    }
    QScrollBar& Slider(const char* name) const { return h_->Find<QScrollBar>(name); }
    QList<int> Sliders() const
    {
        return {Slider("hRED").value(), Slider("hGREEN").value(), Slider("hBLUE").value()};
    }
    // Paints the top-left pixel of the selected tile and returns the value it got: the current
    // colour's pixel value, by way of its shade code.
    int PaintedValue() const
    {
        h_->window->picEdit_MouseDown(1, 0, 1, 1);
        return PixelValue(h_->SpriteBuf().mid(16 * h_->window->Document().CurTile(), 16), 0, 0);
    }

    std::optional<OpenEditor> h_;
};

QTEST_MAIN(PixelEditorTest)
#include "PixelEditorTest.moc"
