#include "SpriteTool.h"
#include "sprite/StandardDescriptors.h"

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    if (!morvane::OpenClosedStandardDescriptors()) {
        std::fprintf(stderr,
            "morvane-sprite-tool: cannot open /dev/null in place of a closed "
            "standard input, output or error\n");
        return 1;
    }
    // A file-size limit must make a write fail with a message, not kill the tool half way.
    std::signal(SIGXFSZ, SIG_IGN);
    return morvane::DeliverToolRun(
        morvane::RunSpriteTool(std::vector<std::string>(argv + 1, argv + argc)));
}
