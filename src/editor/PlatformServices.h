#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace morvane {

class DialogBackend;

// Message boxes with a title, an icon and a single OK button, and questions. The editor shows
// Qt's; tests record what would have been shown and answer the questions as scripted.
class MessageService {
public:
    enum class Icon { Information, Warning, Error };
    virtual ~MessageService() = default;
    virtual void Show(QWidget* owner, Icon icon, const QString& title, const QString& text) = 0;
    // Asks a question that only one of `buttons` answers: the box cannot be closed or escaped
    // without a choice, since each answer decides what becomes of the user's work. Return
    // presses `defaultButton`. Returns the index of the button chosen. A service that shows no
    // questions answers each as Return would.
    virtual int Ask([[maybe_unused]] QWidget* owner, [[maybe_unused]] const QString& title,
        [[maybe_unused]] const QString& text, [[maybe_unused]] const QStringList& buttons,
        int defaultButton)
    {
        return defaultButton;
    }
};

// Starts the desktop's viewer for a plain-text file without waiting for it. Returns false, with
// a reason a user can read, when no viewer could be started.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual bool Open(const QString& path, QString& reason) = 0;
};

// Everything the main window needs from the platform beyond its own widgets.
struct PlatformServices {
    DialogBackend& dialogs;
    MessageService& messages;
    HelpViewer& help;
    // The folder of the running program: the file dialogs' default folder and the help file's.
    QString programFolder;
};

} // namespace morvane
