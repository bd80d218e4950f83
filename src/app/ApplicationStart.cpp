#include "ApplicationStart.h"

#include <cstdio>
#include <cstdlib>

namespace morvane {

namespace {

QtMessageHandler qtHandler = nullptr;

// What is missing and what to do, for the display the environment names (DISPLAY, or
// WAYLAND_DISPLAY when DISPLAY is empty).
QString NoWindowText(const QString& display)
{
    if (display.isEmpty()) {
        return QStringLiteral("cannot open the window: no display is set (DISPLAY is empty); run "
                              "it from a desktop session, or set DISPLAY");
    }
    return QStringLiteral("cannot open the window on the display \"%1\" (Qt's messages above say "
                          "why); run it from a desktop session, or set DISPLAY to a display "
                          "that can be reached")
        .arg(display);
}

// Qt reports a platform that cannot start as a fatal message and then aborts; the fatal message
// is the only one replaced, so Qt's warnings before it still say which plugin failed and why.
void ExplainFailedStart(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        qtHandler(type, context, message);
        return;
    }
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    std::fprintf(
        stderr, "morvane-sprite-editor: %s\n", NoWindowText(display).toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv)
{
    qtHandler = qInstallMessageHandler(ExplainFailedStart);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(qtHandler);
    return application;
}

} // namespace morvane
