#pragma once

#include "BenchOptions.h"
#include "BenchReport.h"

#include <string>
#include <vector>

namespace morvane::bench {

// The benchmarks that time whole processes from outside, in report order:
// - startup: the real editor window and a bare Qt main window of the same size started
//   alternately, every start a fresh process that quits once its window has been painted; the
//   wall time and the peak resident memory of the editor, each with the median of its per-pair
//   ratios to the bare window.
// - export_all: "morvane-sprite-tool export ROM --all DIR" into a DIR that does not exist yet;
//   every run must write all 45 images.
// - import_all: "morvane-sprite-tool import ROM --all DIR", each run into a fresh copy of a blank
//   image of the ROM image's size, so all 45 images are checked and written; DIR is exported
//   once beforehand, and every run must leave the copy holding the 45 sprites.
// - patch: "morvane-sprite-tool patch ORIGINAL EDITED OUT.bps" on the ROM image and a copy with
//   three sprites and a stretch of program bytes changed, each run into a new OUT; also gives
//   the patch's size, which every run must write alike and which must give back EDITED.
std::vector<std::string> ProcessBenchmarkNames();

// Runs the selected ones on the ROM image at `romPath`, with the files they make in
// `scratchFolder`. Throws std::runtime_error when a run did not do the measured work.
std::vector<Measurement> MeasureProcesses(
    const std::string& romPath, const std::string& scratchFolder, const BenchOptions& options);

} // namespace morvane::bench
