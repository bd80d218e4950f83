#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace morvane {

// Runs morvane-sprite-tool with the arguments after the program name. Reports go to `out`;
// an error is one line "morvane-sprite-tool: ..." on `err`. Returns the exit status: 0 on
// success, 1 when a file or an image is refused, 2 for a mistake on the command line.
int RunSpriteTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace morvane
