#pragma once

#include <string>
#include <vector>

namespace morvane {

// What one run of morvane-sprite-tool produced, for main to deliver.
struct ToolRun {
    // 0 on success, 1 when a file or an image is refused, 2 for a mistake on the command line;
    // for diff, 0 identical, 1 different, 2 any error.
    int status = 0;
    // The bytes for standard output: reports, or an image exported to "-".
    std::string out;
    // The error line for standard error, "morvane-sprite-tool: ...\n"; or, on success, the report
    // of "diff --png -", whose picture takes standard output; or nothing.
    std::string err;
    // The status to end with when standard output or error cannot be written.
    int outputFailureStatus = 1;
};

// Runs morvane-sprite-tool with the arguments after the program name. Standard input is read
// only by an import from "-".
ToolRun RunSpriteTool(const std::vector<std::string>& args);

// Writes the run's output to standard output and its error line to standard error, checks that
// both really got there (flushed and closed), and returns the exit status: a failed write is
// reported in one line on standard error, as the standard command-line tools do.
int DeliverToolRun(const ToolRun& run);

} // namespace morvane
