#include "OutputTarget.h"
#include "SpriteFileName.h"
#include "ToolCommands.h"
#include "ToolSupport.h"
#include "sprite/RomFile.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteCatalogue.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace morvane {

namespace {

Replaceable ReplaceableBy(SpriteFileKind kind)
{
    return kind == SpriteFileKind::Png ? Replaceable::PngImage : Replaceable::RawTiles;
}

void RefuseTarget(const std::string& path, const InputFile& rom, bool force, SpriteFileKind kind)
{
    if (const std::optional<std::string> reason
        = RefusalToReplace(path, {rom}, force, ReplaceableBy(kind)))
        throw ToolError("Cannot write " + Quoted(path) + ": " + *reason + ".");
}

// A name that asks for raw tiles where only an image can be written, or colours for raw tiles.
void RefuseKind(const CommandLine& line, SpriteFileKind kind)
{
    if (kind != SpriteFileKind::RawTiles)
        return;
    if (line.sheet)
        throw UsageError("the sheet is one PNG image, and cannot be written as raw 2bpp tiles; "
                         "those are written one file per sprite (see \"morvane-sprite-tool export "
                         "--help\")");
    if (line.coloursGiven)
        throw UsageError("raw 2bpp tiles hold pixel values, not colours, so --colours has no "
                         "place here (see \"morvane-sprite-tool export --help\")");
}

// Writes one file to its name, or to standard output for "-".
void Deliver(const std::string& target, std::span<const std::uint8_t> bytes,
    const std::string& what, std::ostream& data, std::ostream& messages)
{
    if (target == kStandardStream)
        return WriteToStandardOutput(data, bytes, what);
    WriteImageFile(target, bytes);
    messages << "Wrote " << what << " to " << DisplayText(target) << ".\n";
}

void ExportAll(
    const CommandLine& line, const SpriteSet& blocks, const InputFile& rom, std::ostream& out)
{
    const std::string& folder = line.operands[1];
    if (folder == kStandardStream)
        throw UsageError("--all writes 45 files into a folder, which cannot be \"-\" (see "
                         "\"morvane-sprite-tool export --help\")");
    const SpriteFileKind kind = line.raw ? SpriteFileKind::RawTiles : SpriteFileKind::Png;
    std::vector<std::string> paths;
    for (int index = 0; index < kSpriteCount; ++index)
        paths.push_back(folder + "/" + SpriteFileName(index, kind));

    // Every name is checked before the first image is written, so a file in the way of the
    // tenth image costs none of the first nine. A folder that is not there yet has nothing in
    // the way.
    std::vector<std::string> made;
    if (!IsFolder(folder)) {
        made = MakeFolder(folder);
    } else {
        std::string refused;
        for (const std::string& path : paths) {
            if (const auto reason = RefusalToReplace(path, {rom}, line.force, ReplaceableBy(kind)))
                refused += (refused.empty() ? "" : "; ") + Quoted(path) + ": " + *reason;
        }
        if (!refused.empty())
            throw ToolError("Cannot write the sprite images into " + Quoted(folder)
                + ", and none was written: " + refused + ".");
    }
    // Every image is written whole under a temporary name first; that is where a full disk or
    // a size limit stops the export, and then no file of the folder has changed yet.
    std::vector<StagedFile> staged;
    try {
        for (int index = 0; index < kSpriteCount; ++index) {
            const auto at = static_cast<std::size_t>(index);
            staged.push_back(
                StageWholeFile(paths[at], SpriteFileData(blocks[at], kind, line.colours)));
        }
    } catch (const std::runtime_error& error) {
        for (const StagedFile& file : staged)
            DiscardStagedFile(file);
        int kept = 0;
        for (auto folderMade = made.rbegin(); folderMade != made.rend(); ++folderMade) {
            if (::rmdir(folderMade->c_str()) != 0 && kept == 0)
                kept = errno;
        }
        std::string message = std::string(error.what()) + " No image was written";
        if (made.empty())
            message += ", and nothing was changed.";
        else if (kept == 0)
            message += ", and nothing was changed: the folder " + Quoted(made.front())
                + " made for them was removed again.";
        else
            message += "; the folder " + Quoted(made.front())
                + " made for them could not be removed: " + std::strerror(kept) + ".";
        throw ToolError(message);
    }
    // Only the renames are left, which write no image bytes, so neither a full disk nor a size
    // limit stops them; should one still fail, the message says how many images already took
    // their names.
    for (std::size_t i = 0; i < staged.size(); ++i) {
        try {
            PlaceStagedFile(staged[i]);
        } catch (const RomFileError& error) {
            for (std::size_t k = i + 1; k < staged.size(); ++k)
                DiscardStagedFile(staged[k]);
            throw ToolError(std::string(error.what()) + " " + std::to_string(i) + " of the "
                + std::to_string(kSpriteCount)
                + " images took their names before it; the others were not written.");
        }
    }
    out << "Wrote " << kSpriteCount << " sprites to " << DisplayText(folder) << ".\n";
}

} // namespace

void RunExport(const CommandLine& line, std::ostream& data, std::ostream& messages)
{
    const std::string& rom = line.operands[0];
    RefuseStandardRom(rom);
    const InputFile romFile = InputOf("the ROM image", rom);
    if (line.all) {
        const SpriteSet blocks = ReadAllBlocks(rom);
        return ExportAll(line, blocks, romFile, messages);
    }
    const std::string& target = line.operands[line.sheet ? 1 : 2];
    const SpriteFileKind kind = KindFor(line, target);
    RefuseKind(line, kind);
    if (line.sheet) {
        const SpriteSet blocks = ReadAllBlocks(rom);
        if (target != kStandardStream)
            RefuseTarget(target, romFile, line.force, kind);
        Deliver(target, SheetPngData(blocks, line.colours),
            "the sheet of all " + std::to_string(kSpriteCount) + " sprites", data, messages);
        return;
    }
    const int index = ParseSpriteIndex(line.operands[1]);
    const SpriteBlock block = ReadBlock(rom, index);
    if (target != kStandardStream)
        RefuseTarget(target, romFile, line.force, kind);
    Deliver(target, SpriteFileData(block, kind, line.colours),
        kind == SpriteFileKind::Png ? Describe(index) : "the raw tiles of " + Describe(index), data,
        messages);
}

} // namespace morvane
