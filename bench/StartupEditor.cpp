// Starts the editor exactly as the program does, shows its main window and quits once the window
// has been painted: the measured side of the start-up comparison.
#include "QuitAfterFirstPaint.h"
#include "app/EditorStartup.h"
#include "editor/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    return morvane::RunEditor(
        [](morvane::frmMain& window) { morvane::bench::QuitAfterFirstPaint(window); });
}
