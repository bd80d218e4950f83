#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvane::bench {

// One figure of the report: a median over many runs, what it is compared with, and its target.
struct Measurement {
    std::string name;
    // "us", "ms", "KiB" or "bytes": the unit of `median` and `reference`.
    std::string unit;
    double median = 0;
    int samples = 0;
    // The figure this one is held against in the same run ("floor", "bare"), empty for none.
    std::string referenceName;
    double reference = 0;
    std::optional<double> ratio;
    // The target: an upper bound on `ratio` when there is one, otherwise on `median`.
    std::optional<double> limit;
    // What exactly was timed, when the name alone does not say it.
    std::string note;
};

enum class Verdict { NoTarget, Met, Missed };

// A figure with no reference yet: its median over `samples` runs, held against `limit` when
// there is one.
Measurement TimedMeasurement(const std::string& name, const std::string& unit, double median,
    int samples, std::optional<double> limit, const std::string& note);

// A figure exactly at its bound meets the target.
Verdict VerdictOf(const Measurement& measurement);

// The names of the figures that missed their targets, in report order.
std::vector<std::string> MissedNames(const std::vector<Measurement>& measurements);

// The human table, a line per figure, then a closing line that either says every target was met
// or starts with "MISSED:" and names the figures that missed.
std::string FormatTable(const std::vector<Measurement>& measurements);

// Every figure on one line of JSON, keyed by name, with the unit in each field's name; a figure
// that could not be measured is null.
std::string FormatJson(const std::vector<Measurement>& measurements, bool quick);

} // namespace morvane::bench
