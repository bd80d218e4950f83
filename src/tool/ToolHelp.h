#pragma once

#include <string>
#include <string_view>

namespace morvane {

// The --help text of the tool (for an empty command) or of one of its commands; empty for a
// name that is no command.
std::string_view ToolHelp(std::string_view command);

// The one line --version prints: "morvane-sprite-tool VERSION".
std::string ToolVersion();

} // namespace morvane
