#pragma once

#include "sprite/SpriteBlock.h"

#include <QColor>
#include <QRgb>

namespace morvane {

// The editor keeps every colour packed (red in bits 0-7, green 8-15, blue 16-23); Qt takes
// QColor and QRgb. These are the only translations between them.

inline QRgb ToQRgb(PackedColor colour)
{
    return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

inline QColor ToQColor(PackedColor colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

// Alpha is dropped: a packed colour has none.
inline PackedColor ToPacked(QRgb rgb)
{
    return PackRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

inline PackedColor ToPacked(const QColor& colour)
{
    return PackRgb(colour.red(), colour.green(), colour.blue());
}

} // namespace morvane
