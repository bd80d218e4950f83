#pragma once

#include <QIcon>
#include <QImage>

namespace morvane {

// The program's 32 x 32 icon: a small walking figure on a tile grid, drawn from a pixel map.
QImage AppIconImage();
QIcon AppIcon();

} // namespace morvane
