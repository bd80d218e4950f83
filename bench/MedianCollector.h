#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace morvane::bench {

// The medians over the repetitions of one benchmark run on Google Benchmark, in microseconds.
struct RunMedians {
    std::string name;
    double us = 0;
    // The benchmark's counters: steps it timed alongside the measured one, in microseconds.
    std::map<std::string, double> counters;
    int runs = 0;
};

// Receives Google Benchmark's results in place of its console output and keeps the median of
// each benchmark's repetitions, the figure the report shows.
class MedianCollector final : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override;

    // The medians of the benchmark named `name`, or null when it did not run.
    const RunMedians* Find(const std::string& name) const;

private:
    std::vector<RunMedians> medians_;
};

} // namespace morvane::bench
