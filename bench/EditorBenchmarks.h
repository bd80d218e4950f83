#pragma once

#include "BenchReport.h"

#include <QString>

#include <vector>

namespace morvane::bench {

// The benchmarks that drive a real main window, shown on the offscreen platform with the ROM
// image at `romPath` open and its first sprite loaded. Pending events (repaints) are processed
// between runs, outside the measured time, so every run starts from a settled window. Each throws
// std::runtime_error when the window reported a problem instead of doing the measured work.

// Load Sprite through its handler, against the floor of the same 25 opens, reads and closes of
// the same bytes made with plain system calls, interleaved run by run.
Measurement MeasureLoadSprite(const QString& romPath, int runs);

// One cell painted by a mouse press sent to the editing grid, and separately the release that
// ends the stroke and records it for undo. The painting colour flips on every pass over the 64
// cells, so every measured press really changes a pixel.
std::vector<Measurement> MeasurePaintCell(const QString& romPath, int runs);

// What Test Sprite does before the preview's modal loop: build the preview window and compose
// its six frame images from the tile views.
Measurement MeasureComposePreview(const QString& romPath, int runs);

} // namespace morvane::bench
