#pragma once

#include "BenchReport.h"

#include <string>
#include <vector>

namespace morvane::bench {

// Starts the real editor window and a bare Qt main window of the same size alternately, `pairs`
// times each, every start a fresh process that quits once its window has been painted. Gives the
// wall time and the peak resident memory of the editor, each with the median of its per-pair
// ratios to the bare window.
std::vector<Measurement> MeasureStartup(int pairs);

// Runs "morvane-sprite-tool export ROM --all DIR" as a process, into a DIR under `scratchFolder`
// that does not exist yet, `runs` times; checks that every run wrote all 45 images.
Measurement MeasureExportAll(
    const std::string& romPath, const std::string& scratchFolder, int runs);

// Runs "morvane-sprite-tool import ROM --all DIR" as a process, `runs` times, each into a fresh
// copy of a blank 1 MiB image, so all 45 images are checked and written; DIR is exported from
// `romPath` once beforehand. Checks that every run left the copy holding the 45 sprites.
Measurement MeasureImportAll(
    const std::string& romPath, const std::string& scratchFolder, int runs);

// Runs "morvane-sprite-tool patch ORIGINAL EDITED OUT.bps" as a process on two 1 MiB images,
// `romPath` and a copy with three sprites and a stretch of other bytes changed, `runs` times,
// each into a new OUT; checks that every run wrote a patch.
Measurement MeasurePatch(const std::string& romPath, const std::string& scratchFolder, int runs);

} // namespace morvane::bench
