#pragma once

#include "BenchOptions.h"
#include "BenchReport.h"

#include <QString>

#include <string>
#include <vector>

namespace morvane::bench {

// The benchmarks that drive a real main window, in report order.
std::vector<std::string> EditorBenchmarkNames();

// Runs the selected ones on Google Benchmark, against one main window shown on the offscreen
// platform with the ROM image at `romPath` open, as a user has it after File, Load Rom. Each
// repetition is one run of the measured step, so every figure is the median of single runs and
// a run the rest of the machine interrupted cannot move it; pending events (repaints) are
// processed between runs, outside the measured time. Throws std::runtime_error when the window
// reported a problem instead of doing the measured work.
std::vector<Measurement> MeasureEditor(const QString& romPath, const BenchOptions& options);

} // namespace morvane::bench
