#include "EditorStartup.h"

#include "DesktopHelpViewer.h"
#include "EditorCommandLine.h"
#include "QtMessageService.h"
#include "dialogs/QtDialogBackend.h"
#include "editor/AboutText.h"
#include "editor/frmMain.h"

#include <QApplication>
#include <QFile>

namespace morvane {

int RunEditor(const QByteArray& romPath, const std::function<void(frmMain&)>& whenShown)
{
    QApplication::setApplicationName(kProgramTitle);

    QtDialogBackend dialogs;
    QtMessageService messages;
    DesktopHelpViewer help;
    frmMain window({dialogs, messages, help, QCoreApplication::applicationDirPath()});
    window.show();

    if (!romPath.isEmpty())
        window.OpenRom(romPath);
    if (whenShown)
        whenShown(window);
    return QApplication::exec();
}

int RunEditor(const std::function<void(frmMain&)>& whenShown)
{
    return RunEditor(
        QFile::encodeName(ParseEditorCommandLine(QCoreApplication::arguments().mid(1)).romPath),
        whenShown);
}

} // namespace morvane
