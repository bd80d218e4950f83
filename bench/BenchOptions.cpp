#include "BenchOptions.h"

#include <algorithm>
#include <iterator>

namespace morvane::bench {

namespace {

constexpr std::string_view kUsage = R"(Usage: morvane-bench [--only NAME]... [--quick]

Measures the editor on the offscreen platform and prints a table and one JSON line.
A missed target is marked MISSED; the exit status is still 0.

Benchmarks: load_sprite, paint_cell, compose_preview, startup, export_all, import_all, patch.

Options:
  --only NAME   Run only this benchmark (repeatable; NAME may list several, comma-separated).
  --quick       Far fewer repetitions, for a quick look or a run under a profiler.
  -h, --help    Show this text.
)";

bool IsBenchmarkName(std::string_view name)
{
    return std::find(std::begin(kBenchmarkNames), std::end(kBenchmarkNames), name)
        != std::end(kBenchmarkNames);
}

void AddNames(BenchOptions& options, std::string_view list)
{
    if (list.empty())
        throw BenchUsageError("--only needs a benchmark name");
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string name(list.substr(start, comma - start));
        if (!IsBenchmarkName(name))
            throw BenchUsageError("unknown benchmark \"" + name + "\"");
        if (std::find(options.only.begin(), options.only.end(), name) == options.only.end())
            options.only.push_back(name);
        start = comma + 1;
    }
}

} // namespace

BenchOptions ParseBenchOptions(const std::vector<std::string>& args)
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
            AddNames(options, args[++i]);
        } else if (arg.starts_with("--only=")) {
            AddNames(options, arg.substr(7));
        } else {
            throw BenchUsageError("unknown argument \"" + std::string(arg) + "\"");
        }
    }
    return options;
}

bool IsSelected(const BenchOptions& options, std::string_view name)
{
    return options.only.empty()
        || std::find(options.only.begin(), options.only.end(), name) != options.only.end();
}

Repetitions RepetitionsFor(bool quick)
{
    if (quick)
        return {.loadSprite = 50,
            .paintCell = 100,
            .composePreview = 30,
            .startupPairs = 3,
            .exportRuns = 3,
            .importRuns = 3,
            .patchRuns = 3};
    return {.loadSprite = 2000,
        .paintCell = 2000,
        .composePreview = 500,
        .startupPairs = 20,
        .exportRuns = 15,
        .importRuns = 15,
        .patchRuns = 15};
}

std::string_view BenchUsage()
{
    return kUsage;
}

} // namespace morvane::bench
