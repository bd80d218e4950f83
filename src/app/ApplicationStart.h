#pragma once

#include <QApplication>

#include <memory>

namespace morvane {

// Makes the editor's QApplication. When no windowing platform can start (no display set, or one
// that cannot be reached), the editor ends with exit status 1 and one line of its own on
// standard error saying what is missing and what to do, after Qt's own messages, instead of
// Qt's abort. `argc` must outlive the application, as QApplication requires.
std::unique_ptr<QApplication> StartApplication(int& argc, char** argv);

} // namespace morvane
