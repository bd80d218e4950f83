#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace morvane::bench {

// The benchmark's own options; Google Benchmark has already taken its --benchmark_* flags out.
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
// comma-separated names, each one of `names`), --quick, -h/--help.
BenchOptions ParseBenchOptions(
    const std::vector<std::string>& args, const std::vector<std::string>& names);

bool IsSelected(const BenchOptions& options, const std::string& name);

// How often a benchmark repeats its measured step: `runs`, or `quickRuns` under --quick.
struct RunCounts {
    int runs = 0;
    int quickRuns = 0;
    int For(const BenchOptions& options) const { return options.quick ? quickRuns : runs; }
};

// The text --help shows, listing the benchmarks by their names.
std::string BenchUsage(
    const std::vector<std::string>& windowNames, const std::vector<std::string>& processNames);

} // namespace morvane::bench
