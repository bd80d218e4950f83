#pragma once

#include "dialogs/DialogBackend.h"

#include <QList>

#include <deque>

namespace morvane::test {

// What a colour dialog was opened with.
struct ColorDialogRequest {
    QWidget* owner = nullptr;
    PackedColor initial = 0;
    std::uint32_t flags = 0;
};

// Stands in for the platform's dialogs: each takes the next answer scripted for its kind at once,
// so no test waits on a modal window, and keeps its request. One with no answer left is cancelled,
// noted in UnscriptedCalls() and warned of ("Unscripted dialog"), for QTest::failOnWarning.
class ScriptedDialogBackend final : public DialogBackend {
public:
    void AnswerOpen(const QString& path) { open_.answers.emplace_back(path); }
    void CancelOpen() { open_.answers.emplace_back(std::nullopt); }
    void AnswerSave(const QString& path) { save_.answers.emplace_back(path); }
    void CancelSave() { save_.answers.emplace_back(std::nullopt); }
    void AnswerColor(PackedColor color) { color_.answers.emplace_back(color); }
    void CancelColor() { color_.answers.emplace_back(std::nullopt); }
    void AnswerSwap(int first, int second) { swap_.answers.push_back({{first, second}}); }
    void CancelSwap() { swap_.answers.emplace_back(std::nullopt); }

    const QList<FileDialogRequest>& OpenRequests() const { return open_.requests; }
    const QList<FileDialogRequest>& SaveRequests() const { return save_.requests; }
    const QList<ColorDialogRequest>& ColorRequests() const { return color_.requests; }
    // The value each Swap Colours dialog started on.
    const QList<int>& SwapRequests() const { return swap_.requests; }

    // One line for every dialog that found no answer scripted for it.
    const QStringList& UnscriptedCalls() const { return unscripted_; }
    // Scripted answers that no dialog has taken yet.
    int PendingAnswers() const
    {
        return static_cast<int>(open_.answers.size() + save_.answers.size() + color_.answers.size()
            + swap_.answers.size());
    }

    std::optional<QString> GetOpenFileName(const FileDialogRequest& request) override
    {
        return Next(open_, request, "Open");
    }
    std::optional<QString> GetSaveFileName(const FileDialogRequest& request) override
    {
        return Next(save_, request, "Save As");
    }
    std::optional<PackedColor> ChooseColor(
        QWidget* owner, PackedColor initial, std::uint32_t flags) override
    {
        return Next(color_, {owner, initial, flags}, "Color");
    }
    std::optional<ColourSwap> ChooseColourSwap(QWidget*, const Palette&, int first) override
    {
        return Next(swap_, first, "Swap Colours");
    }

private:
    // The answers scripted for one kind of dialog, and what each dialog of that kind was asked.
    template <typename Answer, typename Request> struct Script {
        std::deque<std::optional<Answer>> answers;
        QList<Request> requests;
    };

    template <typename Answer, typename Request>
    std::optional<Answer> Next(
        Script<Answer, Request>& script, const Request& request, const QString& kind)
    {
        script.requests.append(request);
        if (script.answers.empty()) {
            const QString call = "Unscripted dialog: " + kind + " (answered with Cancel)";
            unscripted_.append(call);
            qWarning("%s", qPrintable(call));
            return std::nullopt;
        }
        // The answer is taken out as a plain value: copying the optional itself trips GCC 12's
        // false "may be used uninitialized" for a QString inside it.
        const bool answered = script.answers.front().has_value();
        const Answer answer = answered ? *script.answers.front() : Answer {};
        script.answers.pop_front();
        return answered ? std::optional(answer) : std::nullopt;
    }

    Script<QString, FileDialogRequest> open_, save_;
    Script<PackedColor, ColorDialogRequest> color_;
    Script<ColourSwap, int> swap_;
    QStringList unscripted_;
};

} // namespace morvane::test
