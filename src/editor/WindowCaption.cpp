#include "WindowCaption.h"

namespace morvane {

QString CaptionWithUnsavedMarker(const QString& text)
{
    return QString(text).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"))
        + QStringLiteral("[*]");
}

} // namespace morvane
