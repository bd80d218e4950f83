#include "PaletteModel.h"

#include "sprite/DisplayPalette.h"

namespace morvane {

PaletteModel::PaletteModel(QObject* parent) : QObject(parent) { }

PackedColor PaletteModel::Colour(int index) const
{
    return colours_.at(static_cast<std::size_t>(index));
}

void PaletteModel::SelectColour(int index)
{
    if (index < 0 || index >= static_cast<int>(colours_.size()) || index == curColor_)
        return;
    curColor_ = index;
    emit CurrentChanged(index);
}

void PaletteModel::SetComponent(Component component, int value)
{
    const PackedColor old = CurrentColour();
    int red = RedOf(old);
    int green = GreenOf(old);
    int blue = BlueOf(old);
    (component == Component::Red ? red : component == Component::Green ? green : blue) = value;
    const PackedColor now = PackRgb(red, green, blue);
    if (now == old)
        return;
    colours_[static_cast<std::size_t>(curColor_)] = now;
    emit ColourChanged(curColor_);
}

void PaletteModel::ResetToDefaults()
{
    colours_ = kDefaultPalette;
    curColor_ = 0;
    for (int i = 0; i < static_cast<int>(colours_.size()); ++i)
        emit ColourChanged(i);
    emit CurrentChanged(curColor_);
}

} // namespace morvane
