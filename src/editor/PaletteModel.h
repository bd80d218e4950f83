#pragma once

#include "sprite/SpriteBlock.h"

#include <QObject>

namespace morvane {

// The palette of the editor: the four display colours, one per pixel value, and the current
// colour, which paints. Swatches Color(0..3), the current-colour swatch Color(4) and the R, G and
// B sliders only show what is held here and pass the user's input on. The colours are for display
// only: nothing here reaches the sprite block or the ROM image.
class PaletteModel : public QObject {
    Q_OBJECT

public:
    enum class Component { Red, Green, Blue };

    explicit PaletteModel(QObject* parent = nullptr);

    // The display colour of each pixel value 0..3.
    const Palette& Colours() const { return colours_; }
    PackedColor Colour(int index) const;
    // The current colour: its index, which is also the pixel value it paints, and the colour.
    int CurColor() const { return curColor_; }
    PackedColor CurrentColour() const { return Colour(curColor_); }

    // Makes display colour 0..3 current; any other index changes nothing.
    void SelectColour(int index);
    // Sets one component, 0..255, of the current colour.
    void SetComponent(Component component, int value);
    // The display colours Load Rom installs, colour 0 current.
    void ResetToDefaults();

signals:
    void ColourChanged(int index);
    // Another colour became current, or the palette was reset.
    void CurrentChanged(int index);

private:
    Palette colours_ {};
    int curColor_ = 0;
};

} // namespace morvane
