#include "ScriptedDialogBackend.h"

#include <QtGlobal>

namespace morvane::test {

template <typename Answer>
std::optional<Answer> ScriptedDialogBackend::Next(
    std::deque<std::optional<Answer>>& answers, const char* kind)
{
    if (answers.empty()) {
        const QString call = QStringLiteral("Unscripted dialog: %1 (answered with Cancel)")
                                 .arg(QLatin1String(kind));
        unscripted_.append(call);
        qWarning("%s", qPrintable(call));
        return std::nullopt;
    }
    // The answer is taken out as a plain value: copying the optional itself trips GCC 12's false
    // "may be used uninitialized" for a QString inside it.
    if (!answers.front().has_value()) {
        answers.pop_front();
        return std::nullopt;
    }
    Answer answer = *answers.front();
    answers.pop_front();
    return answer;
}

int ScriptedDialogBackend::PendingAnswers() const
{
    return static_cast<int>(
        openAnswers_.size() + saveAnswers_.size() + colorAnswers_.size() + swapAnswers_.size());
}

std::optional<QString> ScriptedDialogBackend::GetOpenFileName(const FileDialogRequest& request)
{
    openRequests_.append(request);
    return Next(openAnswers_, "Open");
}

std::optional<QString> ScriptedDialogBackend::GetSaveFileName(const FileDialogRequest& request)
{
    saveRequests_.append(request);
    return Next(saveAnswers_, "Save As");
}

std::optional<PackedColor> ScriptedDialogBackend::ChooseColor(
    QWidget* owner, PackedColor initial, std::uint32_t flags)
{
    colorRequests_.append({owner, initial, flags});
    return Next(colorAnswers_, "Color");
}

std::optional<ColourSwap> ScriptedDialogBackend::ChooseColourSwap(
    QWidget*, const Palette&, int first)
{
    swapRequests_.append(first);
    return Next(swapAnswers_, "Swap Colours");
}

} // namespace morvane::test
