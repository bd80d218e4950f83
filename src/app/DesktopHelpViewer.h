#pragma once

#include "editor/PlatformServices.h"

#include <QStringList>

namespace morvane {

// Opens the help text with the desktop's default viewer for text files. The path travels as one
// argument of a program started directly, never through a shell, so spaces and shell characters
// in the program's folder are harmless.
class DesktopHelpViewer : public HelpViewer {
public:
    // `launchers` are tried in order, each as a program name followed by the path as its last
    // argument.
    explicit DesktopHelpViewer(QStringList launchers = DefaultLaunchers());
    bool Open(const QString& path, QString& reason) override;

    static QStringList DefaultLaunchers();

private:
    QStringList launchers_;
};

} // namespace morvane
