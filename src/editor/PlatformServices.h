#pragma once

#include <QString>

class QWidget;

namespace morvane {

class DialogBackend;

// Message boxes with a title, an icon and a single OK button. The editor shows Qt's; tests record
// what would have been shown.
class MessageService {
public:
    enum class Icon { Information, Warning, Error };
    virtual ~MessageService() = default;
    virtual void Show(QWidget* owner, Icon icon, const QString& title, const QString& text) = 0;
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
