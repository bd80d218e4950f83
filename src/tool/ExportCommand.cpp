#include "OutputTarget.h"
#include "SpriteFileName.h"
#include "ToolCommands.h"
#include "ToolSupport.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteCatalogue.h"

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
    if (!IsFolder(folder)) {
        MakeFolder(folder);
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
    std::vector<std::string> replaced;
    for (int index = 0; index < kSpriteCount; ++index) {
        const std::string& path = paths[static_cast<std::size_t>(index)];
        const bool existed = NameIsTaken(path);
        try {
            WriteImageFile(path, SpritePngData(blocks[std::size_t(index)], line.colours));
        } catch (const RomFileError& error) {
            std::string message = error.what();
            message += " " + std::to_string(index) + " of the 45 images were written before it";
            if (!replaced.empty()) {
                message += ", replacing the earlier files";
                for (std::size_t i = 0; i < replaced.size(); ++i)
                    message += (i == 0 ? " " : ", ") + Quoted(replaced[i]);
            }
            throw ToolError(message + ".");
        }
        if (existed)
            replaced.push_back(path);
    }
    out << "Wrote " << kSpriteCount << " sprites to " << folder << ".\n";
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
