#include "DesktopHelpViewer.h"

#include <QProcess>
#include <QStandardPaths>

namespace morvane {

QStringList DesktopHelpViewer::DefaultLaunchers()
{
#if defined(Q_OS_WIN)
    return {QStringLiteral("notepad")};
#elif defined(Q_OS_MACOS)
    return {QStringLiteral("open")};
#else
    return {QStringLiteral("xdg-open"), QStringLiteral("gio")};
#endif
}

DesktopHelpViewer::DesktopHelpViewer(QStringList launchers) : launchers_(std::move(launchers)) { }

bool DesktopHelpViewer::Open(const QString& path, QString& reason)
{
    for (const QString& launcher : launchers_) {
        const QString program = QStandardPaths::findExecutable(launcher);
        if (program.isEmpty())
            continue;
        QStringList arguments;
        if (launcher == QLatin1String("gio"))
            arguments << QStringLiteral("open");
        arguments << path;
        if (QProcess::startDetached(program, arguments))
            return true;
    }
    reason = QStringLiteral("no program to show text files was found (tried %1).")
                 .arg(launchers_.join(QStringLiteral(", ")));
    return false;
}

} // namespace morvane
