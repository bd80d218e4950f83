#include "ScriptedDialogBackend.h"

namespace morvane::test {

template <typename Answer, typename Request>
std::optional<Answer> ScriptedDialogBackend::Next(
    Script<Answer, Request>& script, const Request& request, const char* kind)
{
    script.requests.append(request);
    if (script.answers.empty()) {
        const QString call = QStringLiteral("Unscripted dialog: %1 (answered with Cancel)")
                                 .arg(QLatin1String(kind));
        unscripted_.append(call);
        qWarning("%s", qPrintable(call));
        return std::nullopt;
    }
    // The answer is taken out as a plain value: copying the optional itself trips GCC 12's false
    // "may be used uninitialized" for a QString inside it.
    if (!script.answers.front().has_value()) {
        script.answers.pop_front();
        return std::nullopt;
    }
    Answer answer = *script.answers.front();
    script.answers.pop_front();
    return answer;
}

int ScriptedDialogBackend::PendingAnswers() const
{
    return static_cast<int>(
        open_.answers.size() + save_.answers.size() + color_.answers.size() + swap_.answers.size());
}

std::optional<QString> ScriptedDialogBackend::GetOpenFileName(const FileDialogRequest& request)
{
    return Next(open_, request, "Open");
}

std::optional<QString> ScriptedDialogBackend::GetSaveFileName(const FileDialogRequest& request)
{
    return Next(save_, request, "Save As");
}

std::optional<PackedColor> ScriptedDialogBackend::ChooseColor(
    QWidget* owner, PackedColor initial, std::uint32_t flags)
{
    return Next(color_, {owner, initial, flags}, "Color");
}

std::optional<ColourSwap> ScriptedDialogBackend::ChooseColourSwap(
    QWidget*, const Palette&, int first)
{
    return Next(swap_, first, "Swap Colours");
}

} // namespace morvane::test
