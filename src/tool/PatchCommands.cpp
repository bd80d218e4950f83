#include "OutputTarget.h"
#include "ToolCommands.h"
#include "ToolSupport.h"
#include "patch/PatchError.h"
#include "patch/PatchFormat.h"
#include "sprite/PathSuffix.h"
#include "sprite/RomFile.h"

#include <string_view>

namespace morvane {

namespace {

std::string_view NameOf(PatchFormat format)
{
    return format == PatchFormat::Ips ? "IPS" : "BPS";
}

// The output is a new file, or with --force replaces one that is not an input: checked before
// the images are read, so a mistake costs nothing, and a new file again when it is created, in
// case one appeared meanwhile.
void RefuseExisting(const std::string& target, bool force, const std::vector<InputFile>& inputs)
{
    if (target == kStandardStream)
        throw UsageError("the output is written to a new file, which cannot be \"-\"");
    if (const auto reason = RefusalToReplace(target, inputs, force, Replaceable::Nothing))
        throw ToolError("Cannot create " + Quoted(target) + ": " + *reason + ".");
}

bool StartsWith(const std::vector<std::uint8_t>& bytes, std::string_view magic)
{
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

} // namespace

void RunPatch(const CommandLine& line, std::ostream& out)
{
    const std::string& originalPath = line.operands[0];
    const std::string& editedPath = line.operands[1];
    const std::string& target = line.operands[2];
    RefuseStandardRom(originalPath);
    RefuseStandardRom(editedPath);
    PatchFormat format = PatchFormat::Bps;
    if (HasSuffix(target, ".ips"))
        format = PatchFormat::Ips;
    else if (!HasSuffix(target, ".bps"))
        throw UsageError("the patch's name must end in .ips or .bps, which says its format (see "
                         "\"morvane-sprite-tool patch --help\")");
    RefuseExisting(target, line.force,
        {InputOf("the original image", originalPath), InputOf("the edited image", editedPath)});

    const std::vector<std::uint8_t> original = ReadWholeRom(originalPath, kMaxRomImageBytes);
    const std::vector<std::uint8_t> edited = ReadWholeRom(editedPath, kMaxRomImageBytes);
    std::vector<std::uint8_t> patch;
    try {
        // Applied in memory and compared with the edited image before it is written, so a patch
        // this program's own apply would refuse, or that rebuilds anything else, never leaves it.
        patch = MakeCheckedPatch(format, original, edited);
    } catch (const PatchError& error) {
        throw PatchError(std::string("Cannot make ") + (format == PatchFormat::Ips ? "an " : "a ")
            + std::string(NameOf(format)) + " patch from " + Quoted(originalPath) + " to "
            + Quoted(editedPath) + ": " + error.what() + ".");
    }
    WriteOutputFile(target, patch, line.force);
    out << "Wrote the " << NameOf(format) << " patch " << DisplayText(target) << " ("
        << patch.size() << " bytes) from " << DisplayText(originalPath) << " to "
        << DisplayText(editedPath)
        << (original == edited ? "; the images are identical, so it changes nothing.\n" : ".\n");
}

void RunApply(const CommandLine& line, std::ostream& out)
{
    const std::string& romPath = line.operands[0];
    const std::string& patchPath = line.operands[1];
    const std::string& target = line.operands[2];
    RefuseStandardRom(romPath);
    RefuseStandardRom(patchPath);
    RefuseExisting(
        target, line.force, {InputOf("the ROM image", romPath), InputOf("the patch", patchPath)});

    const std::vector<std::uint8_t> rom = ReadWholeRom(romPath, kMaxRomImageBytes);
    const std::vector<std::uint8_t> patch = ReadWholeRom(patchPath, kMaxRomImageBytes);
    PatchFormat format = PatchFormat::Bps;
    if (StartsWith(patch, "PATCH"))
        format = PatchFormat::Ips;
    else if (!StartsWith(patch, "BPS1"))
        throw ToolError("Cannot apply " + Quoted(patchPath)
            + ": it is neither an IPS patch (starting \"PATCH\") nor a BPS patch (starting "
              "\"BPS1\").");
    std::vector<std::uint8_t> result;
    try {
        result = ApplyPatch(format, rom, patch);
    } catch (const PatchError& error) {
        throw PatchError("Cannot apply the " + std::string(NameOf(format)) + " patch "
            + Quoted(patchPath) + " to " + Quoted(romPath) + ": " + error.what()
            + "; nothing was written.");
    }
    WriteOutputFile(target, result, line.force);
    out << "Wrote " << DisplayText(target) << " (" << result.size()
        << " bytes): " << DisplayText(romPath) << " with the " << NameOf(format) << " patch "
        << DisplayText(patchPath) << " applied.\n";
}

} // namespace morvane
