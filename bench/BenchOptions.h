#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::bench {

// The benchmarks one run can measure, in the order they run and are reported.
inline constexpr std::string_view kBenchmarkNames[] = {
    "load_sprite", "paint_cell", "compose_preview", "startup", "export_all", "import_all", "patch"};

// How often each benchmark repeats its measured step. Warm-up runs come on top.
struct Repetitions {
    int loadSprite = 0;
    int paintCell = 0;
    int composePreview = 0;
    // Each pair is one start of the editor and one of the bare window.
    int startupPairs = 0;
    int exportRuns = 0;
    int importRuns = 0;
    int patchRuns = 0;
};

struct BenchOptions {
    // Benchmarks to run; empty runs them all.
    std::vector<std::string> only;
    // Far fewer repetitions: for a quick look, or for running under a profiler.
    bool quick = false;
    bool help = false;
};

// A mistake on the command line; the message says which argument and why.
class BenchUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name: --only NAME (repeatable, also --only=NAME and
// comma-separated names), --quick, -h/--help.
BenchOptions ParseBenchOptions(const std::vector<std::string>& args);

bool IsSelected(const BenchOptions& options, std::string_view name);

Repetitions RepetitionsFor(bool quick);

std::string_view BenchUsage();

} // namespace morvane::bench
