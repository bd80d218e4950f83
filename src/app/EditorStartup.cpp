#include "EditorStartup.h"

#include "DesktopHelpViewer.h"
#include "QtMessageService.h"
#include "dialogs/QtDialogBackend.h"
#include "editor/AboutText.h"
#include "editor/frmMain.h"

#include <QApplication>

namespace morvane {

int RunEditor(const std::function<void(frmMain&)>& whenShown)
{
    QApplication::setApplicationName(kProgramTitle);

    QtDialogBackend dialogs;
    QtMessageService messages;
    DesktopHelpViewer help;
    frmMain window({dialogs, messages, help, QCoreApplication::applicationDirPath()});
    window.show();

    // A ROM image named on the command line opens exactly as if chosen in File, Load Rom.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        window.OpenRom(arguments.at(1));
    if (whenShown)
        whenShown(window);
    return QApplication::exec();
}

} // namespace morvane
