// The swatches and sliders: which colour is current, what the sliders edit, and the order of the
// nested slider changes.
#include "EditorHarness.h"
#include "widgets/ColorSwatch.h"
#include "widgets/PictureBox.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

class PaletteTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void swatchClickMakesItsColourCurrent_data();
    void swatchClickMakesItsColourCurrent();
    void slidersEditOnlyTheCurrentColour();
    void switchingColoursKeepsEachColoursEdits();
    void currentColourSwatchAndRepeatedClicksChangeNothing();
    void assigningTheSameValueRaisesNoChange();
    void thumbDragUpdatesTheSwatchesAsItMoves();
    void newLoadRomPutsTheDefaultsBack();
    void colourChangeReachesPaintAtOnceAndTheSheetAtNextLoad();

private:
    std::unique_ptr<RomFixture> rom_;
    std::unique_ptr<EditorHarness> h_;
};

void PaletteTest::init()
{
    rom_ = std::make_unique<RomFixture>();
    h_ = std::make_unique<EditorHarness>();
    h_->LoadRom(rom_->Path());
}

void PaletteTest::cleanup()
{
    h_.reset();
    rom_.reset();
}

void PaletteTest::swatchClickMakesItsColourCurrent_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("code");
    QTest::newRow("0 magenta") << 0 << QColor(223, 0, 200) << "00";
    QTest::newRow("1 black") << 1 << QColor(0, 0, 0) << "10";
    QTest::newRow("2 white") << 2 << QColor(255, 255, 255) << "01";
    QTest::newRow("3 blue") << 3 << QColor(0, 0, 255) << "11";
}

void PaletteTest::swatchClickMakesItsColourCurrent()
{
    QFETCH(int, index);
    QFETCH(QColor, colour);
    QFETCH(QString, code);
    frmMain& w = *h_->window;
    w.Color_Click(index);
    QCOMPARE(w.State.CurColor, index);
    QCOMPARE(QString::fromStdString(w.State.CurCode), code);
    QCOMPARE(w.hRED->value(), colour.red());
    QCOMPARE(w.hGREEN->value(), colour.green());
    QCOMPARE(w.hBLUE->value(), colour.blue());
    QCOMPARE(w.Color[4]->FillColor(), colour);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(w.Color[static_cast<std::size_t>(i)]->FillColor(), DefaultColour(i));
}

void PaletteTest::slidersEditOnlyTheCurrentColour()
{
    frmMain& w = *h_->window;
    const QImage sheet = w.picSprites[5]->Image().copy();
    const QImage grid = w.picEdit->Image().copy();
    w.Color_Click(2);
    w.hRED->setValue(128);
    QCOMPARE(w.State.PalRed[2], 128);
    QCOMPARE(w.Color[2]->FillColor(), QColor(128, 255, 255));
    QCOMPARE(w.Color[4]->FillColor(), QColor(128, 255, 255));
    for (int i : {0, 1, 3})
        QCOMPARE(w.Color[static_cast<std::size_t>(i)]->FillColor(), DefaultColour(i));
    // Display only: nothing already drawn is recoloured, and the drawing palette waits for the
    // next load.
    QCOMPARE(w.State.PalColor[2], PackedColor(0xFFFFFF));
    QCOMPARE(w.picSprites[5]->Image(), sheet);
    QCOMPARE(w.picEdit->Image(), grid);
}

void PaletteTest::switchingColoursKeepsEachColoursEdits()
{
    frmMain& w = *h_->window;
    w.Color_Click(2);
    w.hRED->setValue(128);
    w.Color_Click(1);
    QCOMPARE(w.hRED->value(), 0);
    QCOMPARE(w.hGREEN->value(), 0);
    QCOMPARE(w.hBLUE->value(), 0);
    QCOMPARE(w.Color[1]->FillColor(), QColor(0, 0, 0));
    QCOMPARE(w.Color[2]->FillColor(), QColor(128, 255, 255));
    QCOMPARE(w.State.PalRed[1], 0);
    QCOMPARE(w.State.PalGreen[1], 0);
    QCOMPARE(w.State.PalBlue[1], 0);
    QCOMPARE(w.Color[4]->FillColor(), QColor(0, 0, 0));
    QCOMPARE(w.State.CurCode, std::string("10"));
    w.Color_Click(2);
    QCOMPARE(w.hRED->value(), 128);
    QCOMPARE(w.Color[4]->FillColor(), QColor(128, 255, 255));
}

void PaletteTest::currentColourSwatchAndRepeatedClicksChangeNothing()
{
    frmMain& w = *h_->window;
    w.Color_Click(3);
    w.hGREEN->setValue(90);
    const auto snapshot = [&w] {
        QList<QVariant> all;
        for (ColorSwatch* swatch : w.Color)
            all << swatch->FillColor();
        all << w.hRED->value() << w.hGREEN->value() << w.hBLUE->value() << w.State.CurColor
            << QString::fromStdString(w.State.CurCode);
        return all;
    };
    const auto before = snapshot();
    w.Color_Click(4);
    QCOMPARE(snapshot(), before);
    w.Color_Click(3);
    QCOMPARE(snapshot(), before);
    // A real click on the swatch goes through the same handler.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.Color[0], Qt::LeftButton);
    QCOMPARE(w.State.CurColor, 0);
    QCOMPARE(w.Color[4]->FillColor(), QColor(223, 0, 200));
}

void PaletteTest::assigningTheSameValueRaisesNoChange()
{
    frmMain& w = *h_->window;
    QSignalSpy changes(w.hGREEN, &QScrollBar::valueChanged);
    w.Color_Click(0); // green is already 0
    QCOMPARE(changes.count(), 0);
    w.Color_Click(2); // green goes to 255
    QCOMPARE(changes.count(), 1);
}

void PaletteTest::thumbDragUpdatesTheSwatchesAsItMoves()
{
    frmMain& w = *h_->window;
    w.Color_Click(1);
    w.hBLUE->setSliderDown(true);
    for (int value : {10, 60, 140}) {
        w.hBLUE->setSliderPosition(value);
        QCOMPARE(w.Color[1]->FillColor(), QColor(0, 0, value));
        QCOMPARE(w.Color[4]->FillColor(), QColor(0, 0, value));
    }
    w.hBLUE->setSliderDown(false);
    QCOMPARE(w.State.PalBlue[1], 140);
}

void PaletteTest::newLoadRomPutsTheDefaultsBack()
{
    frmMain& w = *h_->window;
    w.Color_Click(2);
    w.hRED->setValue(5);
    w.hBLUE->setValue(6);
    h_->LoadRom(rom_->Path());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(w.Color[static_cast<std::size_t>(i)]->FillColor(), DefaultColour(i));
    QCOMPARE(w.State.CurColor, 0);
    QCOMPARE(w.Color[4]->FillColor(), QColor(223, 0, 200));
    QCOMPARE(w.State.CurCode, std::string("00"));
    QCOMPARE(w.hRED->value(), 223);
    QCOMPARE(w.hBLUE->value(), 200);
    QCOMPARE(w.State.PalRed[2], 255);
}

void PaletteTest::colourChangeReachesPaintAtOnceAndTheSheetAtNextLoad()
{
    frmMain& w = *h_->window;
    rom_->Poke(82928, QByteArray(384, '\0'));
    w.cmdLoad_Click();
    w.Color_Click(0);
    w.hGREEN->setValue(77); // colour 0 becomes RGB(223, 77, 200)
    QCOMPARE(w.picSprites[0]->Image().pixelColor(0, 0), QColor(223, 0, 200));
    w.Color_Click(3);
    w.hRED->setValue(9); // colour 3 becomes RGB(9, 0, 255)
    w.picEdit_MouseDown(1, 0, 20, 20);
    QCOMPARE(w.picSprites[0]->Image().pixelColor(4, 4), QColor(9, 0, 255));
    w.cmdLoad_Click();
    QCOMPARE(w.picSprites[0]->Image().pixelColor(0, 0), QColor(223, 77, 200));
    QCOMPARE(w.State.PalColor[0], PackRgb(223, 77, 200));
}

QTEST_MAIN(PaletteTest)
#include "PaletteTest.moc"
