#pragma once

#include "dialogs/DialogBackend.h"
#include "editor/PlatformServices.h"

#include <QStringList>

namespace morvane::bench {

// Answers every Open dialog with one ROM image and cancels every other dialog, so the measured
// window never waits on a modal dialog.
class FixedOpenDialogs final : public DialogBackend {
public:
    explicit FixedOpenDialogs(QString romPath) : romPath_(std::move(romPath)) { }
    std::optional<QString> GetOpenFileName(const FileDialogRequest& request) override;
    std::optional<QString> GetSaveFileName(const FileDialogRequest& request) override;
    std::optional<PackedColor> ChooseColor(
        QWidget* owner, PackedColor initial, std::uint32_t flags) override;

private:
    QString romPath_;
};

// Keeps the text of every message box instead of showing it: a command that had to tell the user
// something did not do the work being measured.
class RecordedMessages final : public MessageService {
public:
    void Show(QWidget* owner, Icon icon, const QString& title, const QString& text) override;
    QStringList texts;
};

// The benchmarks never open the help text.
class NoHelpViewer final : public HelpViewer {
public:
    bool Open(const QString& path, QString& reason) override;
};

} // namespace morvane::bench
