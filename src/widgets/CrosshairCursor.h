#pragma once

#include <QCursor>
#include <QImage>

namespace morvane {

// The editing grid's pointer: a 32 x 32 crosshair with its hot spot at (15, 15), one vertical
// line (column 15, rows 6..24) and one horizontal line (row 15, columns 6..24).
QCursor CrosshairCursor();

// The shape as an image: on platforms whose pointers cannot invert the screen, the lines'
// pixels alternate black and white so they show on any background; elsewhere transparent.
QImage CrosshairImage();

} // namespace morvane
