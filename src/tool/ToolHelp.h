#pragma once

#include <string_view>

namespace morvane {

// The --help text of the tool (for an empty command) or of one of its commands; empty for a
// name that is no command.
std::string_view ToolHelp(std::string_view command);

} // namespace morvane
