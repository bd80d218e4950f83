#include "PaletteView.h"

#include "MainWindowLayout.h"
#include "PaletteModel.h"
#include "qtcolour/PackedColourQt.h"
#include "widgets/ColorSwatch.h"

#include <QScrollBar>

namespace morvane {

namespace {

QString ColourText(PackedColor colour)
{
    return QStringLiteral("red %1, green %2, blue %3")
        .arg(RedOf(colour))
        .arg(GreenOf(colour))
        .arg(BlueOf(colour));
}

// A screen reader hears which colour each swatch shows and which one paints.
void Describe(const PaletteModel& palette, const MainWindowControls& w)
{
    for (int i = 0; i < 4; ++i) {
        QString text = ColourText(palette.Colour(i));
        if (i == palette.CurColor())
            text += QStringLiteral("; the painting colour");
        w.Color[static_cast<std::size_t>(i)]->setAccessibleDescription(text);
    }
    w.Color[4]->setAccessibleDescription(QStringLiteral("Value %1: %2")
                                             .arg(palette.CurColor())
                                             .arg(ColourText(palette.CurrentColour())));
}

} // namespace

void ShowPaletteIn(const PaletteModel& palette, const MainWindowControls& controls)
{
    const MainWindowControls* w = &controls;
    QObject::connect(&palette, &PaletteModel::ColourChanged, w->Color[4], [&palette, w](int i) {
        w->Color[static_cast<std::size_t>(i)]->SetFillColor(ToQColor(palette.Colour(i)));
        if (i == palette.CurColor())
            w->Color[4]->SetFillColor(ToQColor(palette.CurrentColour()));
        Describe(palette, *w);
    });
    QObject::connect(&palette, &PaletteModel::CurrentChanged, w->Color[4], [&palette, w] {
        const PackedColor current = palette.CurrentColour();
        w->hRED->setValue(RedOf(current));
        w->hGREEN->setValue(GreenOf(current));
        w->hBLUE->setValue(BlueOf(current));
        w->Color[4]->SetFillColor(ToQColor(current));
        Describe(palette, *w);
    });
}

} // namespace morvane
