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

void RefuseTarget(const std::string& path, const std::optional<FileIdentity>& rom, bool force)
{
    if (const std::optional<std::string> reason = RefusalToReplace(path, rom, force))
        throw ToolError("Cannot write " + Quoted(path) + ": " + *reason + ".");
}

// Writes one image to its file, or to standard output for "-".
void Deliver(
    const std::string& target, const QByteArray& png, const std::string& what, std::ostream& out)
{
    if (target == kStandardStream) {
        // An image is no text; on a terminal it would only garble the screen.
        if (::isatty(STDOUT_FILENO))
            throw ToolError("Cannot write " + what
                + " to standard output: it is a terminal; "
                  "send it to a file or a pipe instead.");
        out.write(png.constData(), png.size());
        return;
    }
    WriteImageFile(target, png);
    out << "Wrote " << what << " to " << DisplayText(target) << ".\n";
}

void ExportAll(const CommandLine& line, const SpriteSet& blocks,
    const std::optional<FileIdentity>& rom, std::ostream& out)
{
    const std::string& folder = line.operands[1];
    if (folder == kStandardStream)
        throw UsageError("--all writes 45 files into a folder, which cannot be \"-\" (see "
                         "\"morvane-sprite-tool export --help\")");
    std::vector<std::string> paths;
    for (int index = 0; index < kSpriteCount; ++index)
        paths.push_back(folder + "/" + SpriteFileName(index));

    // Every name is checked before the first image is written, so a file in the way of the
    // tenth image costs none of the first nine. A folder that is not there yet has nothing in
    // the way.
    std::vector<std::string> made;
    if (!IsFolder(folder)) {
        made = MakeFolder(folder);
    } else {
        std::string refused;
        for (const std::string& path : paths) {
            if (const auto reason = RefusalToReplace(path, rom, line.force))
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
                StageWholeFile(paths[at], FileBytes(SpritePngData(blocks[at], line.colours))));
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

void RunExport(const CommandLine& line, std::ostream& out)
{
    const std::string& rom = line.operands[0];
    RefuseStandardRom(rom);
    if (line.all || line.sheet) {
        const SpriteSet blocks = ReadAllBlocks(rom);
        if (line.all)
            return ExportAll(line, blocks, IdentityOf(rom), out);
        const std::string& target = line.operands[1];
        if (target != kStandardStream)
            RefuseTarget(target, IdentityOf(rom), line.force);
        Deliver(target, SheetPngData(blocks, line.colours),
            "the sheet of all " + std::to_string(kSpriteCount) + " sprites", out);
        return;
    }
    const int index = ParseSpriteIndex(line.operands[1]);
    const std::string& target = line.operands[2];
    const SpriteBlock block = ReadBlock(rom, index);
    if (target != kStandardStream)
        RefuseTarget(target, IdentityOf(rom), line.force);
    Deliver(target, SpritePngData(block, line.colours), Describe(index), out);
}

} // namespace morvane
