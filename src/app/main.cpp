#include "DesktopHelpViewer.h"
#include "QtMessageService.h"
#include "dialogs/QtDialogBackend.h"
#include "editor/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvane Sarnet Sprite Editor"));

    morvane::QtDialogBackend dialogs;
    morvane::QtMessageService messages;
    morvane::DesktopHelpViewer help;
    morvane::frmMain window({dialogs, messages, help, QCoreApplication::applicationDirPath()});
    window.show();

    // A ROM image named on the command line opens exactly as if chosen in File, Load Rom.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        window.OpenRom(arguments.at(1));
    return QApplication::exec();
}
