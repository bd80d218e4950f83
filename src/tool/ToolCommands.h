#pragma once

#include "CommandLine.h"

#include <ostream>

namespace morvane {

// The commands of morvane-sprite-tool, each given a parsed command line with the right number of
// arguments. What they report goes to `out`, which is standard output. A refusal is thrown:
// RomFileError, SpritePngError, PatchError or ToolError (status 1) or UsageError (status 2).
void RunList(const CommandLine& line, std::ostream& out);
void RunExport(const CommandLine& line, std::ostream& out);
void RunImport(const CommandLine& line, std::ostream& out);
void RunDemo(const CommandLine& line, std::ostream& out);
void RunInfo(const CommandLine& line, std::ostream& out);
void RunPatch(const CommandLine& line, std::ostream& out);
void RunApply(const CommandLine& line, std::ostream& out);
// Returns 0 when the two images are identical and 1 when they differ.
int RunDiff(const CommandLine& line, std::ostream& out);

} // namespace morvane
