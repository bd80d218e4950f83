#pragma once

#include "base/MessageText.h"

#include <string>
#include <string_view>

namespace morvane {

// A name the user gave stays the bytes the file system keeps from the command line to the
// system call; it becomes text only here, to be shown in a message or report. Valid UTF-8 stays
// as it is. Every byte that is not part of a UTF-8 character, and every control character, is
// shown as \xE9 (its value in hex): a Latin-1 "caf\xE9.png" then reads the same in every
// terminal, and no name can end a message's line or send the terminal an escape sequence.
std::string DisplayText(std::string_view bytes);

// A name as DisplayText shows it, in double quotes, for the lines the tool prints itself.
std::string QuotedName(std::string_view bytes);

} // namespace morvane
