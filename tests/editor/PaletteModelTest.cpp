// The palette on its own: a change reaches only the current colour, and a change that changes
// nothing tells no one, so the swatches and sliders never redraw or echo for nothing.
#include "editor/PaletteModel.h"
#include "sprite/DisplayPalette.h"

#include <QtTest>

using namespace morvane;

class PaletteModelTest : public QObject {
    Q_OBJECT

    static QList<int> Indexes(QSignalSpy& spy)
    {
        QList<int> indexes;
        while (!spy.isEmpty())
            indexes << spy.takeFirst().at(0).toInt();
        return indexes;
    }

private slots:
    void changesReachTheCurrentColourAndSaySo()
    {
        PaletteModel palette;
        palette.ResetToDefaults();
        QSignalSpy changed(&palette, &PaletteModel::ColourChanged);
        QSignalSpy current(&palette, &PaletteModel::CurrentChanged);

        // The current-colour swatch, no colour and the current colour itself: nothing.
        for (int index : {4, -1, 0})
            palette.SelectColour(index);
        palette.SetComponent(PaletteModel::Component::Red, 223);
        QCOMPARE(changed.count() + current.count(), 0);

        palette.SelectColour(1);
        palette.SetComponent(PaletteModel::Component::Blue, 10);
        palette.SetComponent(PaletteModel::Component::Green, 20);
        palette.SetComponent(PaletteModel::Component::Red, 30);
        palette.SelectColour(3);
        Palette expected = kDefaultPalette;
        expected[1] = PackRgb(30, 20, 10);
        QCOMPARE(palette.Colours(), expected);
        QCOMPARE(palette.CurrentColour(), expected[3]);
        QCOMPARE(Indexes(changed), QList<int>({1, 1, 1}));
        QCOMPARE(Indexes(current), QList<int>({1, 3}));

        palette.ResetToDefaults();
        QCOMPARE(palette.Colours(), kDefaultPalette);
        QCOMPARE(palette.CurColor(), 0);
        QCOMPARE(Indexes(changed), QList<int>({0, 1, 2, 3}));
        QCOMPARE(Indexes(current), QList<int>({0}));
    }
};

QTEST_GUILESS_MAIN(PaletteModelTest)
#include "PaletteModelTest.moc"
