#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace morvane::bench {

// What one run of a child program cost, seen from outside: wall time from just before it is
// started to just after it has been reaped, and its peak resident memory.
struct ChildRun {
    double wallMs = 0;
    double peakKiB = 0;
};

class ChildProcessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Starts `program` with `args`, this process's environment and its standard output and error
// sent to /dev/null, and waits for it. Throws ChildProcessError when it cannot be started or
// does not exit with status 0, since its figures would then measure something else.
//
// The peak memory the kernel reports for a child counts the pages it shared with its parent
// before it replaced itself with `program`, so it is only the child's own from a parent that
// is small itself: see RunChildThroughLauncher.
ChildRun RunChild(const std::string& program, const std::vector<std::string>& args);

// The same, started by the small launcher program `launcher`, which runs RunChild itself and
// reports the figures on its standard output; so the peak memory is the program's own, whatever
// this process holds.
ChildRun RunChildThroughLauncher(
    const std::string& launcher, const std::string& program, const std::vector<std::string>& args);

// The launcher's report: one line with the figures, or one line starting "error: ".
std::string FormatChildRun(const ChildRun& run);
std::string FormatChildError(const std::string& message);
// Reads a report back; throws ChildProcessError with the launcher's message for an error line,
// or for anything that is not a report.
ChildRun ParseChildReport(const std::string& report);

} // namespace morvane::bench
