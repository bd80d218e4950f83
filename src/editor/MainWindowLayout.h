#pragma once

namespace morvane {

class frmMain;

// Builds every frame, control, overlay and menu of the main window at its fixed pixel position,
// in its starting state, with the keyboard focus order; sizes the window to a 417 x 346 client
// area below the menu bar and centres it on the screen.
void BuildMainWindowLayout(frmMain& window);

} // namespace morvane
