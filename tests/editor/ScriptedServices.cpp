#include "ScriptedServices.h"

namespace morvane::test {

void RecordingMessages::Show(QWidget*, Icon icon, const QString& title, const QString& text)
{
    shown.push_back({icon, title, text});
}

int RecordingMessages::Ask(QWidget*, const QString& title, const QString& text,
    const QStringList& buttons, int defaultButton)
{
    asked.push_back({title, text, buttons, defaultButton});
    const QString answer = answers.empty() ? buttons.back() : answers.front();
    if (!answers.empty())
        answers.pop_front();
    if (answer == u"Return")
        return defaultButton;
    const auto chosen = buttons.indexOf(answer);
    if (chosen < 0)
        qFatal("the question has no button \"%s\"", qPrintable(answer));
    return static_cast<int>(chosen);
}

bool RecordingHelpViewer::Open(const QString& path, QString& reason)
{
    opened << path;
    if (!succeed)
        reason = failure;
    return succeed;
}

} // namespace morvane::test
