#include "DesktopHelpViewer.h"

#include "HelpTextDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace morvane {

namespace {

// A launcher that cannot open the file says so within moments. One that ends later was showing
// the file in the foreground until its viewer closed, and its status is then the viewer's.
constexpr qint64 kLauncherVerdictMs = 10000;
// Enough of a launcher's complaint for the first line of it.
constexpr qsizetype kComplaintBytes = 1024;

} // namespace

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

DesktopHelpViewer::~DesktopHelpViewer()
{
    // A launcher still waiting on its viewer is let go: the viewer it started stays open.
    for (QProcess* launcher : findChildren<QProcess*>()) {
        launcher->disconnect(this);
        launcher->kill();
        launcher->waitForFinished(1000);
    }
}

bool DesktopHelpViewer::Open(const QString& path, QString& reason)
{
    // Read first: the editor's own viewer may be needed after the launcher has ended.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());

    for (const QString& name : launchers_) {
        const QString program = QStandardPaths::findExecutable(name);
        if (program.isEmpty())
            continue;
        auto* launcher = new QProcess(this);
        launcher->setProgram(program);
        launcher->setArguments(name == QLatin1String("gio")
                ? QStringList {QStringLiteral("open"), path}
                : QStringList {path});
        launcher->setStandardOutputFile(QProcess::nullDevice());
        auto complaint = std::make_shared<QByteArray>();
        const auto hear = [launcher, complaint] {
            complaint->append(
                launcher->readAllStandardError().left(kComplaintBytes - complaint->size()));
        };
        connect(launcher, &QProcess::readyReadStandardError, this, hear);
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        connect(launcher, &QProcess::finished, this,
            [this, launcher, hear, complaint, started, name, text](
                int status, QProcess::ExitStatus exit) {
                launcher->deleteLater();
                hear();
                if ((exit == QProcess::NormalExit && status == 0)
                    || started->elapsed() > kLauncherVerdictMs)
                    return;
                QString said
                    = QString::fromLocal8Bit(*complaint).trimmed().section(QLatin1Char('\n'), 0, 0);
                if (said.isEmpty()) {
                    said = exit == QProcess::NormalExit
                        ? QStringLiteral("%1 ended with exit status %2").arg(name).arg(status)
                        : QStringLiteral("%1 crashed").arg(name);
                }
                ShowOwnViewer(text,
                    QStringLiteral("The desktop could not show the user guide (%1), so here it is.")
                        .arg(said));
            });
        launcher->start();
        if (launcher->waitForStarted())
            return true;
        delete launcher;
    }
    ShowOwnViewer(text,
        QStringLiteral("No program to show text files was found (tried %1), so here is the user "
                       "guide.")
            .arg(launchers_.join(QStringLiteral(", "))));
    return true;
}

void DesktopHelpViewer::ShowOwnViewer(const QString& text, const QString& why)
{
    auto* dialog = new HelpTextDialog(text, why, QApplication::activeWindow());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

} // namespace morvane
