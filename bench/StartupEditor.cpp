// Starts the editor exactly as the program does, shows its main window and quits once the window
// has been painted: the measured side of the start-up comparison.
#include "QuitAfterFirstPaint.h"
#include "app/DesktopHelpViewer.h"
#include "app/QtMessageService.h"
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
    morvane::bench::QuitAfterFirstPaint(window);
    return QApplication::exec();
}
