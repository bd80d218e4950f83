#pragma once

#include "editor/PlatformServices.h"

#include <QStringList>

#include <deque>
#include <vector>

namespace morvane::test {

// Records every message box instead of showing it, and answers its questions as scripted.
class RecordingMessages : public MessageService {
public:
    struct Shown {
        Icon icon;
        QString title, text;
    };
    void Show(QWidget*, Icon icon, const QString& title, const QString& text) override
    {
        shown.push_back({icon, title, text});
    }
    int Ask(QWidget*, const QString& title, const QString& text, const QStringList& buttons,
        int defaultButton) override
    {
        asked.push_back({title, text, buttons, defaultButton});
        const QString answer = answers.empty() ? buttons.back() : answers.front();
        if (!answers.empty())
            answers.pop_front();
        const auto chosen = answer == u"Return" ? defaultButton : buttons.indexOf(answer);
        if (chosen < 0)
            qFatal("the question has no button \"%s\"", qPrintable(answer));
        return static_cast<int>(chosen);
    }

    std::vector<Shown> shown;
    // The questions asked, and the answers in turn: a button's caption, or "Return" for the
    // default. With no answer left the last button answers, keeping the window as it was.
    struct Asked {
        QString title, text;
        QStringList buttons;
        int defaultButton = 0;
    };
    std::vector<Asked> asked;
    std::deque<QString> answers;
    QString LastText() const { return shown.empty() ? QString() : shown.back().text; }
};

// Records the paths the window asked to show, and answers with a scripted outcome.
class RecordingHelpViewer : public HelpViewer {
public:
    bool Open(const QString& path, QString& reason) override
    {
        opened << path;
        if (!succeed)
            reason = failure;
        return succeed;
    }

    QStringList opened;
    bool succeed = true;
    QString failure = QStringLiteral("no viewer is installed");
};

} // namespace morvane::test
