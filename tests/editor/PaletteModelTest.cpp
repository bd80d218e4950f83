// The palette on its own: which colour a change reaches, and that a change which changes nothing
// tells no one, so the sliders and swatches never redraw or recurse for nothing.
#include "editor/PaletteModel.h"
#include "sprite/DisplayPalette.h"

#include <QSignalSpy>
#include <QtTest>

#include <functional>

using namespace morvane;

namespace {

struct Row {
    std::function<void(PaletteModel&)> steps;
    Palette colours; // afterwards
    int current;
    QList<int> changed; // the colours reported changed, in order
    QList<int> currents; // the colours reported current, in order
};

Palette With(int index, PackedColor colour)
{
    Palette colours = kDefaultPalette;
    colours[std::size_t(index)] = colour;
    return colours;
}

} // namespace

Q_DECLARE_METATYPE(Row)

class PaletteModelTest : public QObject {
    Q_OBJECT

private slots:
    void changesReachOnlyTheCurrentColour_data()
    {
        using C = PaletteModel::Component;
        QTest::addColumn<Row>("row");
        QTest::newRow("another colour made current")
            << Row {[](PaletteModel& p) { p.SelectColour(2); }, kDefaultPalette, 2, {}, {2}};
        QTest::newRow("the current-colour swatch, no index, the current colour: nothing")
            << Row {[](PaletteModel& p) {
                        p.SelectColour(4);
                        p.SelectColour(-1);
                        p.SelectColour(0);
                        p.SetComponent(C::Red, 223);
                    },
                   kDefaultPalette, 0, {}, {}};
        QTest::newRow("each component of colour 1 set on its own")
            << Row {[](PaletteModel& p) {
                        p.SelectColour(1);
                        p.SetComponent(C::Blue, 10);
                        p.SetComponent(C::Green, 20);
                        p.SetComponent(C::Red, 30);
                    },
                   With(1, PackRgb(30, 20, 10)), 1, {1, 1, 1}, {1}};
        QTest::newRow("an edit stays with its colour when another is current")
            << Row {[](PaletteModel& p) {
                        p.SelectColour(3);
                        p.SetComponent(C::Green, 90);
                        p.SelectColour(0);
                    },
                   With(3, PackRgb(0, 90, 255)), 0, {3}, {3, 0}};
        QTest::newRow("reset puts back every default and colour 0")
            << Row {[](PaletteModel& p) {
                        p.SelectColour(2);
                        p.SetComponent(C::Red, 5);
                        p.ResetToDefaults();
                    },
                   kDefaultPalette, 0, {2, 0, 1, 2, 3}, {2, 0}};
    }
    void changesReachOnlyTheCurrentColour()
    {
        QFETCH(Row, row);
        PaletteModel palette;
        palette.ResetToDefaults();
        QSignalSpy changed(&palette, &PaletteModel::ColourChanged);
        QSignalSpy current(&palette, &PaletteModel::CurrentChanged);
        row.steps(palette);
        QCOMPARE(palette.Colours(), row.colours);
        QCOMPARE(palette.CurColor(), row.current);
        QCOMPARE(palette.CurrentColour(), row.colours[std::size_t(row.current)]);
        const auto indexes = [](const QSignalSpy& spy) {
            QList<int> list;
            for (const QList<QVariant>& arguments : spy)
                list << arguments.at(0).toInt();
            return list;
        };
        QCOMPARE(indexes(changed), row.changed);
        QCOMPARE(indexes(current), row.currents);
    }
};

QTEST_GUILESS_MAIN(PaletteModelTest)
#include "PaletteModelTest.moc"
