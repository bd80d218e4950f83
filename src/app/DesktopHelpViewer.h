#pragma once

#include "editor/PlatformServices.h"

#include <QObject>
#include <QStringList>

namespace morvane {

// Opens the help text with the desktop's default viewer for text files, and shows it in the
// editor's own read-only viewer when the desktop has no viewer or its launcher reports that it
// could not open the file, so Help never fails silently. The path travels as one argument of a
// program started directly, never through a shell, so spaces and shell characters in the
// program's folder are harmless.
class DesktopHelpViewer : public QObject, public HelpViewer {
    Q_OBJECT

public:
    // `launchers` are tried in order, each as a program name followed by the path as its last
    // argument; the first one found on the system is the one started.
    explicit DesktopHelpViewer(QStringList launchers = DefaultLaunchers());
    ~DesktopHelpViewer() override;

    // False, with the reason, only when the help text cannot be read.
    bool Open(const QString& path, QString& reason) override;

    static QStringList DefaultLaunchers();

private:
    void ShowOwnViewer(const QString& text, const QString& why);

    QStringList launchers_;
};

} // namespace morvane
