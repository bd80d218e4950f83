#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace morvane {

namespace {

// The options a command takes, as bits.
enum Option : unsigned {
    kAll = 1,
    kSheet = 2,
    kColours = 4,
    kDryRun = 8,
    kForce = 16,
    kFormat = 32,
    kRaw = 64,
    kFix = 128,
    kPicture = 256,
};

struct CommandRule {
    std::string_view name;
    unsigned options;
    std::size_t operands; // without --all or --sheet; with either, one fewer
    std::string_view usage;
};

// --quiet and --help belong to every command, so they are not listed.
constexpr auto kCommands = std::to_array<CommandRule>({
    {"list", kFormat, 0, "list [--format text|tsv|json]"},
    {"export", kAll | kSheet | kColours | kForce | kRaw, 3,
        "export ROM INDEX OUT.png|OUT.2bpp | export ROM --all DIR | export ROM --sheet OUT.png"},
    {"import", kAll | kSheet | kDryRun | kRaw, 3,
        "import ROM INDEX IN.png|IN.2bpp | import ROM --all DIR | import ROM --sheet IN.png"},
    {"diff", kFormat | kPicture | kForce, 2, "diff [--png OUT.png] ORIGINAL EDITED"},
    {"patch", kForce, 3, "patch ORIGINAL EDITED OUT.ips|OUT.bps"},
    {"apply", kForce, 3, "apply ROM PATCH OUT"},
    {"info", kFormat, 1, "info ROM"},
    {"checksum", kFix, 1, "checksum [--fix] ROM"},
    {"demo", 0, 1, "demo OUT.gb"},
    // Takes no operand or one; checked apart from the others.
    {"help", 0, 0, "help [COMMAND]"},
});

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

void Allow(const CommandRule& rule, Option option, const std::string& spelling)
{
    if ((rule.options & option) == 0)
        Refuse("the " + std::string(rule.name) + " command has no option " + spelling, &rule);
}

PngPalette ParseColours(const std::string& value, const CommandRule& rule)
{
    if (value == "greys" || value == "grays")
        return PngPalette::HardwareGreys;
    if (value == "display")
        return PngPalette::DisplayDefaults;
    Refuse("--colours takes \"greys\" or \"display\", not \"" + value + "\"", &rule);
}

OutputFormat ParseFormat(const std::string& value, const CommandRule& rule)
{
    if (value == "text")
        return OutputFormat::Text;
    if (value == "tsv")
        return OutputFormat::Tsv;
    if (value == "json")
        return OutputFormat::Json;
    Refuse("--format takes \"text\", \"tsv\" or \"json\", not \"" + value + "\"", &rule);
}

// The value of an option given as "--name value" or "--name=value"; `i` moves past a separate
// value.
std::string OptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
    std::string_view choices, const CommandRule& rule)
{
    const std::string& arg = args[i];
    if (arg.size() > name.size())
        return arg.substr(name.size() + 1);
    if (i + 1 == args.size())
        Refuse(std::string(name) + " needs a value: " + std::string(choices), &rule);
    return args[++i];
}

bool IsOption(const std::string& arg, std::string_view name)
{
    return arg == name
        || (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=');
}

// "help" alone asks for the tool's help, "help COMMAND" for the command's, as "COMMAND --help".
CommandLine AskedForHelp(CommandLine line, const CommandRule& rule)
{
    if (line.help)
        return line;
    if (line.operands.size() > 1)
        Refuse("too many arguments; usage: morvane-sprite-tool " + std::string(rule.usage), &rule);
    line.help = true;
    line.command.clear();
    if (!line.operands.empty()) {
        const CommandRule* asked = FindCommand(line.operands.front());
        if (!asked)
            Refuse("there is no command \"" + line.operands.front() + "\" to help with", &rule);
        line.command = asked->name;
    }
    line.operands.clear();
    return line;
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
    if (first == "--version") {
        line.version = true;
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
        } else if (arg == "--quiet" || arg == "-q") {
            line.quiet = true;
        } else if (arg == "--all") {
            Allow(*rule, kAll, arg);
            line.all = true;
        } else if (arg == "--sheet") {
            Allow(*rule, kSheet, arg);
            line.sheet = true;
        } else if (arg == "--dry-run") {
            Allow(*rule, kDryRun, arg);
            line.dryRun = true;
        } else if (arg == "--force") {
            Allow(*rule, kForce, arg);
            line.force = true;
        } else if (arg == "--raw") {
            Allow(*rule, kRaw, arg);
            line.raw = true;
        } else if (arg == "--fix") {
            Allow(*rule, kFix, arg);
            line.fix = true;
        } else if (IsOption(arg, "--png")) {
            Allow(*rule, kPicture, "--png");
            line.picture = OptionValue(args, i, "--png", "a file name, or \"-\"", *rule);
        } else if (IsOption(arg, "--colours")) {
            Allow(*rule, kColours, "--colours");
            line.colours = ParseColours(
                OptionValue(args, i, "--colours", "\"greys\" or \"display\"", *rule), *rule);
            line.coloursGiven = true;
        } else if (IsOption(arg, "--format")) {
            Allow(*rule, kFormat, "--format");
            line.format = ParseFormat(
                OptionValue(args, i, "--format", "\"text\", \"tsv\" or \"json\"", *rule), *rule);
        } else {
            Refuse("unknown option " + arg, rule);
        }
    }

    if (rule->name == "help")
        return AskedForHelp(line, *rule);
    if (line.help)
        return line;
    if (line.all && line.sheet)
        Refuse("--all and --sheet cannot be given together", rule);
    if (line.sheet && line.raw)
        Refuse("--sheet and --raw cannot be given together: the sheet is one PNG image, and raw "
               "2bpp tiles are written one file per sprite (--all)",
            rule);
    if (line.raw && line.coloursGiven)
        Refuse("--colours and --raw cannot be given together: raw 2bpp tiles hold pixel values, "
               "not colours",
            rule);
    if (line.force && rule->name == "diff" && !line.picture)
        Refuse("--force goes with --png: it lets the picture replace a file", rule);
    const std::size_t wanted = rule->operands - (line.all || line.sheet ? 1 : 0);
    if (line.operands.size() != wanted)
        Refuse(std::string(line.operands.size() < wanted ? "too few" : "too many")
                + " arguments; usage: morvane-sprite-tool " + std::string(rule->usage),
            rule);
    return line;
}

} // namespace morvane
