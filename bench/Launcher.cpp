// morvane-bench-launch PROGRAM [ARGS...]: runs PROGRAM once and prints its wall time in
// milliseconds and its peak resident memory in KiB on one line, or one "error: " line. Being
// small itself, it lends the program no memory of its own to count.
#include "ChildProcess.h"

#include <iostream>

int main(int argc, char* argv[])
{
    using namespace morvane::bench;
    if (argc < 2) {
        std::cout << FormatChildError("morvane-bench-launch needs a program to run");
        return 2;
    }
    try {
        std::cout << FormatChildRun(
            RunChild(argv[1], std::vector<std::string>(argv + 2, argv + argc)));
    } catch (const ChildProcessError& error) {
        std::cout << FormatChildError(error.what());
        return 1;
    }
    return 0;
}
