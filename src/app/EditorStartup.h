#pragma once

#include <QByteArray>

#include <functional>

namespace morvane {

class frmMain;

// Runs the editor in an application that already exists: builds the main window over the
// desktop's dialogs, message boxes and help viewer, shows it, opens `romPath` (when not empty;
// the file system's own bytes) exactly as File, Load Rom would, hands the window to `whenShown` (if
// any), and runs the event loop until the window closes. Returns the loop's exit status.
int RunEditor(const QByteArray& romPath, const std::function<void(frmMain&)>& whenShown = {});

// The same for the ROM image named on the application's command line, if any.
int RunEditor(const std::function<void(frmMain&)>& whenShown = {});

} // namespace morvane
