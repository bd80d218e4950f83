#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace morvane {

namespace {

struct CommandRule {
    std::string_view name;
    bool takesAll;
    bool takesColours;
    bool takesDryRun;
    std::size_t operands; // for export: without --all
    std::string_view usage;
};

constexpr std::array<CommandRule, 4> kCommands = {{
    {"list", false, false, false, 0, "list"},
    {"export", true, true, false, 3, "export ROM INDEX OUT.png | export ROM --all DIR"},
    {"import", false, false, true, 3, "import ROM INDEX IN.png"},
    {"demo", false, false, false, 1, "demo OUT.gb"},
}};

const CommandRule* FindCommand(std::string_view name)
{
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
        [&](const CommandRule& rule) { return rule.name == name; });
    return found == kCommands.end() ? nullptr : &*found;
}

bool IsNegativeNumber(std::string_view arg)
{
    return arg.size() > 1 && arg[0] == '-'
        && std::all_of(arg.begin() + 1, arg.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Every usage error ends with where to look: the command's own help once the command is known.
[[noreturn]] void Refuse(const std::string& problem, const CommandRule* rule = nullptr)
{
    const std::string help = rule ? std::string(rule->name) + " --help" : std::string("--help");
    throw UsageError(problem + " (see \"morvane-sprite-tool " + help + "\")");
}

[[noreturn]] void RefuseOption(const CommandRule& rule, const std::string& option)
{
    Refuse("the " + std::string(rule.name) + " command has no option " + option, &rule);
}

PngPalette ParseColours(const std::string& value, const CommandRule& rule)
{
    if (value == "greys" || value == "grays")
        return PngPalette::HardwareGreys;
    if (value == "display")
        return PngPalette::DisplayDefaults;
    Refuse("--colours takes \"greys\" or \"display\", not \"" + value + "\"", &rule);
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    if (args.empty())
        Refuse("no command given");
    const std::string& first = args.front();
    if (first == "--help" || first == "-h") {
        line.help = true;
        return line;
    }
    const CommandRule* rule = FindCommand(first);
    if (!rule) {
        if (!first.empty() && first[0] == '-')
            Refuse("unknown option " + first + ": the command comes first");
        Refuse("unknown command \"" + first + "\"");
    }
    line.command = first;

    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || IsNegativeNumber(arg)) {
            line.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--all") {
            if (!rule->takesAll)
                RefuseOption(*rule, arg);
            line.all = true;
        } else if (arg == "--dry-run") {
            if (!rule->takesDryRun)
                RefuseOption(*rule, arg);
            line.dryRun = true;
        } else if (arg == "--colours" || arg.starts_with("--colours=")) {
            if (!rule->takesColours)
                RefuseOption(*rule, "--colours");
            if (arg == "--colours") {
                if (i + 1 == args.size())
                    Refuse("--colours needs a value: \"greys\" or \"display\"", rule);
                line.colours = ParseColours(args[++i], *rule);
            } else {
                line.colours
                    = ParseColours(arg.substr(std::string_view("--colours=").size()), *rule);
            }
        } else {
            Refuse("unknown option " + arg, rule);
        }
    }

    if (line.help)
        return line;
    const std::size_t wanted = line.all ? 2 : rule->operands;
    if (line.operands.size() != wanted)
        Refuse(std::string(line.operands.size() < wanted ? "too few" : "too many")
                + " arguments; usage: morvane-sprite-tool " + std::string(rule->usage),
            rule);
    return line;
}

} // namespace morvane
