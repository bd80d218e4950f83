#include "SpriteTool.h"

#include <csignal>

int main(int argc, char** argv)
{
    // A file-size limit must make a write fail with a message, not kill the tool half way.
    std::signal(SIGXFSZ, SIG_IGN);
    return morvane::DeliverToolRun(
        morvane::RunSpriteTool(std::vector<std::string>(argv + 1, argv + argc)));
}
