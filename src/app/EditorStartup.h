#pragma once

#include <functional>

namespace morvane {

class frmMain;

// Runs the editor in an application that already exists: builds the main window over the
// desktop's dialogs, message boxes and help viewer, shows it, opens the ROM image `romArgument`
// names (the first command-line argument, in the file system's own bytes; none: nothing is
// opened), hands the window to `whenShown` (if any), and runs the event loop until the window
// closes. Returns the loop's exit status.
int RunEditor(
    const std::function<void(frmMain&)>& whenShown = {}, const char* romArgument = nullptr);

} // namespace morvane
