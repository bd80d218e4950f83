#include "PaletteView.h"

#include "MainWindowLayout.h"
#include "PaletteModel.h"
#include "qtcolour/PackedColourQt.h"
#include "widgets/ColorSwatch.h"

#include <QScrollBar>

namespace morvane {

void ShowPaletteIn(const PaletteModel& palette, const MainWindowControls& controls)
{
    const MainWindowControls* w = &controls;
    QObject::connect(&palette, &PaletteModel::ColourChanged, w->Color[4], [&palette, w](int i) {
        w->Color[static_cast<std::size_t>(i)]->SetFillColor(ToQColor(palette.Colour(i)));
        if (i == palette.CurColor())
            w->Color[4]->SetFillColor(ToQColor(palette.CurrentColour()));
    });
    QObject::connect(&palette, &PaletteModel::CurrentChanged, w->Color[4], [&palette, w] {
        const PackedColor current = palette.CurrentColour();
        w->hRED->setValue(RedOf(current));
        w->hGREEN->setValue(GreenOf(current));
        w->hBLUE->setValue(BlueOf(current));
        w->Color[4]->SetFillColor(ToQColor(current));
    });
}

} // namespace morvane
