#include "MedianCollector.h"

#include <algorithm>

namespace morvane::bench {

void MedianCollector::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
            continue;
        RunMedians medians;
        medians.name = run.run_name.function_name;
        medians.us
            = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e6;
        for (const auto& [name, counter] : run.counters)
            medians.counters[name] = counter.value;
        medians.runs = static_cast<int>(run.repetitions);
        medians_.push_back(std::move(medians));
    }
}

const RunMedians* MedianCollector::Find(const std::string& name) const
{
    const auto found = std::find_if(
        medians_.begin(), medians_.end(), [&](const RunMedians& m) { return m.name == name; });
    return found == medians_.end() ? nullptr : &*found;
}

} // namespace morvane::bench
