#pragma once

#include <QIcon>

namespace morvane {

// The program's 32 x 32 window icon: the installed icon's picture, a small character on a tile
// grid, compiled into the program as a resource.
QIcon AppIcon();

} // namespace morvane
