#include "SpriteTool.h"

#include <QtGlobal>

#include <iostream>

namespace {

// The image reader reports damaged PNG data through Qt's warnings as well as through its error
// text; the tool states every failure itself in one line, so the warnings are dropped.
void DropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) { }

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(DropQtMessage);
    return morvane::RunSpriteTool(
        std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
