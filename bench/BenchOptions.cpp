#include "BenchOptions.h"

#include <algorithm>

namespace morvane::bench {

namespace {

void AddNames(BenchOptions& options, std::string_view list, const std::vector<std::string>& names)
{
    if (list.empty())
        throw BenchUsageError("--only needs a benchmark name");
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string name(list.substr(start, comma - start));
        if (std::find(names.begin(), names.end(), name) == names.end())
            throw BenchUsageError("unknown benchmark \"" + name + "\"");
        if (std::find(options.only.begin(), options.only.end(), name) == options.only.end())
            options.only.push_back(name);
        start = comma + 1;
    }
}

} // namespace

BenchOptions ParseBenchOptions(
    const std::vector<std::string>& args, const std::vector<std::string>& names)
{
    BenchOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--quick") {
            options.quick = true;
        } else if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--only") {
            if (i + 1 == args.size())
                throw BenchUsageError("--only needs a benchmark name");
            AddNames(options, args[++i], names);
        } else if (arg.starts_with("--only=")) {
            AddNames(options, arg.substr(7), names);
        } else {
            throw BenchUsageError("unknown argument \"" + std::string(arg) + "\"");
        }
    }
    return options;
}

bool IsSelected(const BenchOptions& options, const std::string& name)
{
    return options.only.empty()
        || std::find(options.only.begin(), options.only.end(), name) != options.only.end();
}

std::string BenchUsage(
    const std::vector<std::string>& windowNames, const std::vector<std::string>& processNames)
{
    const auto list = [](const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& name : names)
            text += (text.empty() ? "" : ", ") + name;
        return text;
    };
    return "Usage: morvane-bench [--only NAME]... [--quick] [--benchmark_filter=REGEX]\n"
           "                     [--benchmark_out=FILE]\n\n"
           "Measures the editor on the offscreen platform and prints a table and one JSON line.\n"
           "A missed target is marked MISSED; the exit status is still 0.\n\n"
           "Benchmarks of the window, run on Google Benchmark: "
        + list(windowNames) + ".\nBenchmarks of whole processes: " + list(processNames) + R"(.

Options:
  --only NAME            Run only this benchmark (repeatable; NAME may list several,
                         comma-separated).
  --quick                Far fewer repetitions, for a quick look or a run under a profiler.
  --benchmark_filter=REGEX
                         Of the benchmarks of the window, run only those REGEX matches.
  --benchmark_out=FILE   Also write Google Benchmark's own report of the benchmarks of the
                         window to FILE (--benchmark_out_format=json|console|csv).
  -h, --help             Show this text.
)";
}

} // namespace morvane::bench
