// The swatches and sliders: which colour is current, what the sliders edit, and the order of the
// nested slider changes.
#include "EditorHarness.h"
#include "RowTable.h"
#include "widgets/ColorSwatch.h"
#include "widgets/PictureBox.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

struct SwatchRow {
    const char* name;
    int index;
    QColor colour;
};

} // namespace

Q_DECLARE_METATYPE(SwatchRow)

class PaletteTest : public QObject {
    Q_OBJECT

private slots:
    void init() { h_.emplace(); }
    void cleanup() { h_.reset(); }
    void swatchClickMakesItsColourCurrent_data()
    {
        AddRows<SwatchRow>({{"0 magenta", 0, {223, 0, 200}}, {"1 black", 1, {0, 0, 0}},
            {"2 white", 2, {255, 255, 255}}, {"3 blue", 3, {0, 0, 255}}});
    }
    void swatchClickMakesItsColourCurrent()
    {
        const auto& [name, index, colour] = CurrentRow<SwatchRow>();
        h_->window->Color_Click(index);
        QCOMPARE(Sliders(), QList<int>({colour.red(), colour.green(), colour.blue()}));
        QCOMPARE(Swatch(4).FillColor(), colour);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Swatch(i).FillColor(), DefaultColour(i));
        QCOMPARE(PaintedValue(), index);
    }
    void slidersEditOnlyTheCurrentColour()
    {
        const QImage sheet = h_->View(5).Image().copy();
        const QImage grid = h_->Grid().Image().copy();
        h_->window->Color_Click(2);
        Slider("hRED").setValue(128);
        QCOMPARE(Swatch(2).FillColor(), QColor(128, 255, 255));
        QCOMPARE(Swatch(4).FillColor(), QColor(128, 255, 255));
        for (int i : {0, 1, 3})
            QCOMPARE(Swatch(i).FillColor(), DefaultColour(i));
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
        QCOMPARE(Swatch(1).FillColor(), QColor(0, 0, 0));
        QCOMPARE(Swatch(2).FillColor(), QColor(128, 255, 255));
        QCOMPARE(Swatch(4).FillColor(), QColor(0, 0, 0));
        QCOMPARE(PaintedValue(), 1);
        h_->window->Color_Click(2);
        QCOMPARE(Sliders(), QList<int>({128, 255, 255}));
        QCOMPARE(Swatch(4).FillColor(), QColor(128, 255, 255));
    }
    void currentColourSwatchAndRepeatedClicksChangeNothing()
    {
        frmMain& w = *h_->window;
        w.Color_Click(3);
        Slider("hGREEN").setValue(90);
        const auto snapshot = [this] {
            QList<QVariant> all;
            for (int i = 0; i < 5; ++i)
                all << Swatch(i).FillColor();
            for (int value : Sliders())
                all << value;
            return all;
        };
        const auto before = snapshot();
        w.Color_Click(4);
        QCOMPARE(snapshot(), before);
        QCOMPARE(PaintedValue(), 3);
        w.Color_Click(3);
        QCOMPARE(snapshot(), before);
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
            QCOMPARE(Swatch(1).FillColor(), QColor(0, 0, value));
            QCOMPARE(Swatch(4).FillColor(), QColor(0, 0, value));
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
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Swatch(i).FillColor(), DefaultColour(i));
        QCOMPARE(Swatch(4).FillColor(), QColor(223, 0, 200));
        QCOMPARE(Sliders(), QList<int>({223, 0, 200}));
        QCOMPARE(PaintedValue(), 0);
        h_->window->Color_Click(2);
        QCOMPARE(Sliders(), QList<int>({255, 255, 255}));
    }
    void colourChangeReachesPaintAtOnceAndTheSheetAtNextLoad()
    {
        frmMain& w = *h_->window;
        h_->rom.Poke(kEntry0, QByteArray(384, '\0'));
        w.cmdLoad_Click();
        w.Color_Click(0);
        Slider("hGREEN").setValue(77); // colour 0 becomes RGB(223, 77, 200)
        QCOMPARE(h_->View(0).Image().pixelColor(0, 0), QColor(223, 0, 200));
        w.Color_Click(3);
        Slider("hRED").setValue(9); // colour 3 becomes RGB(9, 0, 255)
        w.picEdit_MouseDown(1, 0, 20, 20);
        QCOMPARE(h_->View(0).Image().pixelColor(4, 4), QColor(9, 0, 255));
        QCOMPARE(h_->View(0).Image().pixelColor(0, 0), QColor(223, 0, 200));
        w.cmdLoad_Click();
        QCOMPARE(h_->View(0).Image().pixelColor(0, 0), QColor(223, 77, 200));
        QCOMPARE(h_->View(23).Image().pixelColor(31, 31), QColor(223, 77, 200));
    }

private:
    ColorSwatch& Swatch(int i) const
    {
        return h_->Find<ColorSwatch>(QStringLiteral("Color(%1)").arg(i));
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

QTEST_MAIN(PaletteTest)
#include "PaletteTest.moc"
