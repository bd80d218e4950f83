#include "AppIcon.h"

namespace morvane {

QIcon AppIcon()
{
    return QIcon(QStringLiteral(":/icons/morvane-sprite-editor.png"));
}

} // namespace morvane
