#pragma once

#include "CommandLine.h"

#include <ostream>

namespace morvane {

// The commands of morvane-sprite-tool, each given a parsed command line with the right number of
// arguments. `data` is standard output, for what a command is asked to print or write there (a
// list, a report, an image for "-"); `messages` takes what a command tells of its work, and is
// silenced by --quiet; a command that prints only one of the two gets just that one. A refusal
// is thrown: RomFileError, SpritePngError, PatchError or ToolError (status 1) or UsageError
// (status 2).
void RunList(const CommandLine& line, std::ostream& data);
void RunExport(const CommandLine& line, std::ostream& data, std::ostream& messages);
void RunImport(const CommandLine& line, std::ostream& messages);
void RunDemo(const CommandLine& line, std::ostream& messages);
void RunInfo(const CommandLine& line, std::ostream& data);
void RunChecksum(const CommandLine& line, std::ostream& data, std::ostream& messages);
void RunPatch(const CommandLine& line, std::ostream& messages);
void RunApply(const CommandLine& line, std::ostream& messages);
// Returns 0 when the two images are identical and 1 when they differ. The picture for "--png -"
// goes to `data`, the report to `report`.
int RunDiff(const CommandLine& line, std::ostream& data, std::ostream& report);

} // namespace morvane
