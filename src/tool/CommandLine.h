#pragma once

#include "base/UserError.h"
#include "spritepng/SpritePng.h"

#include <optional>
#include <string>
#include <vector>

namespace morvane {

// A mistake on the command line, its message saying where to look for the right use; the tool
// answers it with exit status 2.
class UsageError : public UserError {
public:
    using UserError::UserError;
};

// The forms "list", "info" and "diff" print their report in.
enum class OutputFormat { Text, Tsv, Json };

// The command line taken apart: which command, its plain arguments in order, and its options.
struct CommandLine {
    std::string command; // empty when only the tool's own --help or --version was asked for
    std::vector<std::string> operands;
    bool help = false;
    bool version = false;
    bool all = false;
    bool sheet = false;
    bool dryRun = false;
    bool force = false;
    bool raw = false;
    bool quiet = false;
    bool fix = false;
    PngPalette colours = PngPalette::HardwareGreys;
    bool coloursGiven = false;
    OutputFormat format = OutputFormat::Text;
    // Where "diff --png" draws the picture of the differences.
    std::optional<std::string> picture;
};

// Takes apart the arguments after the program name. Options may stand anywhere after the
// command; "--" ends them, so a file name may start with "-"; "-" alone is an argument (standard
// input or output) and so is "-5" (a sprite index to be refused later). "help COMMAND" is
// "COMMAND --help". Throws UsageError for an unknown command or option, an option the command
// does not take, options that cannot go together, or the wrong number of arguments (not checked
// when --help is given).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

} // namespace morvane
