#pragma once

#include "editor/PlatformServices.h"

#include <QStringList>

#include <vector>

namespace morvane::test {

// Records every message box the window would have shown, instead of showing it.
class RecordingMessages : public MessageService {
public:
    struct Shown {
        Icon icon;
        QString title;
        QString text;
    };
    void Show(QWidget* owner, Icon icon, const QString& title, const QString& text) override;

    std::vector<Shown> shown;
    // The text of the last message, or an empty string.
    QString LastText() const { return shown.empty() ? QString() : shown.back().text; }
};

// Records the paths the window asked to show, and answers with a scripted outcome.
class RecordingHelpViewer : public HelpViewer {
public:
    bool Open(const QString& path, QString& reason) override;

    QStringList opened;
    bool succeed = true;
    QString failure = QStringLiteral("no viewer is installed");
};

} // namespace morvane::test
