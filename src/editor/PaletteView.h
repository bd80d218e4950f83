#pragma once

namespace morvane {

class PaletteModel;
struct MainWindowControls;

// Shows the palette in the window from now on: swatch Color(i) the display colour i, and the
// current-colour swatch Color(4) and the R, G and B sliders the current colour, and the
// swatches' accessible descriptions say which colour each shows and which paints. A slider moved
// here reports a value the current colour already has, so the window's change handlers, which
// pass the user's input back to the palette, change nothing.
void ShowPaletteIn(const PaletteModel& palette, const MainWindowControls& controls);

} // namespace morvane
