#pragma once

#include "dialogs/DialogBackend.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <optional>

namespace morvane::test {

// What a colour dialog was opened with.
struct ColorDialogRequest {
    QWidget* owner = nullptr;
    PackedColor initial = 0;
    std::uint32_t flags = 0;
};

// Stands in for the platform's dialogs in tests: every dialog takes the next answer scripted for
// its kind at once, so no test ever waits on a modal window, and every request is kept so a test
// can check what the dialog would have shown. A dialog with no answer left is cancelled, noted in
// UnscriptedCalls() and reported with a warning starting "Unscripted dialog"; a suite can turn
// that warning into a failure with QTest::failOnWarning.
class ScriptedDialogBackend final : public DialogBackend {
public:
    void AnswerOpen(const QString& path) { openAnswers_.emplace_back(path); }
    void CancelOpen() { openAnswers_.emplace_back(std::nullopt); }
    void AnswerSave(const QString& path) { saveAnswers_.emplace_back(path); }
    void CancelSave() { saveAnswers_.emplace_back(std::nullopt); }
    void AnswerColor(PackedColor color) { colorAnswers_.emplace_back(color); }
    void CancelColor() { colorAnswers_.emplace_back(std::nullopt); }
    void AnswerSwap(int first, int second)
    {
        swapAnswers_.emplace_back(ColourSwap {first, second});
    }
    void CancelSwap() { swapAnswers_.emplace_back(std::nullopt); }

    const QList<FileDialogRequest>& OpenRequests() const { return openRequests_; }
    const QList<FileDialogRequest>& SaveRequests() const { return saveRequests_; }
    const QList<ColorDialogRequest>& ColorRequests() const { return colorRequests_; }
    // The value each Swap Colours dialog started on.
    const QList<int>& SwapRequests() const { return swapRequests_; }

    // One line for every dialog that found no answer scripted for it.
    const QStringList& UnscriptedCalls() const { return unscripted_; }
    // Scripted answers that no dialog has taken yet.
    int PendingAnswers() const;

    std::optional<QString> GetOpenFileName(const FileDialogRequest& request) override;
    std::optional<QString> GetSaveFileName(const FileDialogRequest& request) override;
    std::optional<PackedColor> ChooseColor(
        QWidget* owner, PackedColor initial, std::uint32_t flags) override;
    std::optional<ColourSwap> ChooseColourSwap(
        QWidget* owner, const Palette& colours, int first) override;

private:
    template <typename Answer>
    std::optional<Answer> Next(std::deque<std::optional<Answer>>& answers, const char* kind);

    std::deque<std::optional<QString>> openAnswers_;
    std::deque<std::optional<QString>> saveAnswers_;
    std::deque<std::optional<PackedColor>> colorAnswers_;
    std::deque<std::optional<ColourSwap>> swapAnswers_;
    QList<FileDialogRequest> openRequests_;
    QList<FileDialogRequest> saveRequests_;
    QList<ColorDialogRequest> colorRequests_;
    QList<int> swapRequests_;
    QStringList unscripted_;
};

} // namespace morvane::test
