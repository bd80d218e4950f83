#include "SpriteTool.h"

#include "CommandLine.h"
#include "OutputTarget.h"
#include "ToolCommands.h"
#include "ToolHelp.h"
#include "ToolSupport.h"
#include "sprite/DescriptorWrite.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <unistd.h>

namespace morvane {

namespace {

constexpr std::string_view kProgram = "morvane-sprite-tool";

// An error is reported on one line, whatever the message or a file name in it holds; a name
// the file access quoted as the file system spells it is shown as the tool's own messages
// show names.
std::string ErrorLine(const std::string& message)
{
    return std::string(kProgram) + ": " + DisplayText(message) + "\n";
}

// The operands a command reads, which standard output must not lead to.
std::vector<std::string> InputsOf(const CommandLine& line)
{
    const std::vector<std::string>& operands = line.operands;
    const std::string& command = line.command;
    if (command == "export")
        return {operands.front()};
    if (command == "import")
        return {operands.front(), operands.back()};
    if (command == "diff" || command == "info" || command == "checksum")
        return operands;
    if (command == "patch" || command == "apply")
        return {operands[0], operands[1]};
    return {};
}

// `notes` is standard error, for diff's report while its picture takes standard output.
int Dispatch(const CommandLine& line, std::ostream& out, std::ostream& notes)
{
    RefuseStandardOutputOnto(InputsOf(line));
    std::ostream silent(nullptr);
    std::ostream& messages = line.quiet ? silent : out;
    const std::string& command = line.command;
    if (command == "diff") {
        // Quiet, diff answers by its exit status alone, as "cmp -s" does.
        std::ostream& report = line.quiet ? silent : line.picture == kStandardStream ? notes : out;
        return RunDiff(line, out, report);
    }
    if (command == "list")
        RunList(line, out);
    else if (command == "export")
        RunExport(line, out, messages);
    else if (command == "import")
        // What a dry run would change is what it was asked for.
        RunImport(line, line.dryRun ? out : messages);
    else if (command == "patch")
        RunPatch(line, messages);
    else if (command == "apply")
        RunApply(line, messages);
    else if (command == "info")
        RunInfo(line, out);
    else if (command == "checksum")
        RunChecksum(line, out, messages);
    else
        RunDemo(line, messages);
    return 0;
}

// Writes a whole text to standard output or error.
Written WriteText(int fd, const std::string& text)
{
    return WriteAllTo(
        fd, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace

ToolRun RunSpriteTool(const std::vector<std::string>& args)
{
    ToolRun run;
    std::ostringstream out;
    std::ostringstream notes;
    // diff answers with 1 for "they differ", so its errors take 2, as cmp's do.
    const bool diff = !args.empty() && args.front() == "diff";
    run.outputFailureStatus = diff ? 2 : 1;
    try {
        const CommandLine line = ParseCommandLine(args);
        if (line.help)
            out << ToolHelp(line.command);
        else if (line.version)
            out << ToolVersion();
        else
            run.status = Dispatch(line, out, notes);
        run.out = out.str();
        run.err = notes.str();
        return run;
    } catch (const UsageError& error) {
        run.err = ErrorLine(error.what());
        run.status = 2;
        return run;
    } catch (const UserError& error) {
        run.err = ErrorLine(error.what());
    }
    run.status = run.outputFailureStatus;
    return run;
}

int DeliverToolRun(const ToolRun& run)
{
    int status = run.status;
    std::string err = run.err;
    int error = WriteText(STDOUT_FILENO, run.out).error;
    // A disk that is full or gone may only say so when the file is closed.
    if (::close(STDOUT_FILENO) != 0 && error == 0 && errno != EBADF)
        error = errno;
    if (error != 0) {
        err += ErrorLine("cannot write to standard output: " + std::string(std::strerror(error)));
        status = std::max(status, run.outputFailureStatus);
    }
    // A message goes with a failure status already, so one that cannot be written changes
    // nothing further: there is nowhere left to say it.
    if (!err.empty())
        WriteText(STDERR_FILENO, err);
    if (::close(STDERR_FILENO) != 0 && errno != EBADF)
        status = std::max(status, run.outputFailureStatus);
    return status;
}

} // namespace morvane
