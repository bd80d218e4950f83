#include "EditorStartup.h"

#include "DesktopHelpViewer.h"
#include "QtMessageService.h"
#include "dialogs/QtDialogBackend.h"
#include "editor/AboutText.h"
#include "editor/frmMain.h"

#include <QApplication>

namespace morvane {

int RunEditor(const std::function<void(frmMain&)>& whenShown, const char* romArgument)
{
    QApplication::setApplicationName(kProgramTitle);

    QtDialogBackend dialogs;
    QtMessageService messages;
    DesktopHelpViewer help;
    frmMain window({dialogs, messages, help, QCoreApplication::applicationDirPath()});
    window.show();

    // A ROM image named on the command line opens exactly as if chosen in File, Load Rom. Its
    // name goes on as given: Qt's argument list would lose bytes that are not UTF-8.
    if (romArgument != nullptr)
        window.OpenRom(QByteArray(romArgument));
    if (whenShown)
        whenShown(window);
    return QApplication::exec();
}

} // namespace morvane
