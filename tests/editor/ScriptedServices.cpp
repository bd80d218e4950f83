#include "ScriptedServices.h"

namespace morvane::test {

void RecordingMessages::Show(QWidget*, Icon icon, const QString& title, const QString& text)
{
    shown.push_back({icon, title, text});
}

bool RecordingHelpViewer::Open(const QString& path, QString& reason)
{
    opened << path;
    if (!succeed)
        reason = failure;
    return succeed;
}

} // namespace morvane::test
