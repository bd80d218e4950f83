#include "BlockDifference.h"
#include "SpriteFileName.h"
#include "ToolCommands.h"
#include "ToolSupport.h"
#include "sprite/RomFile.h"
#include "sprite/SpriteCatalogue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <map>
#include <sys/stat.h>

namespace morvane {

namespace {

std::string Counts(const BlockDifference& difference)
{
    return std::to_string(difference.pixels) + " pixels and " + std::to_string(difference.bytes)
        + " bytes";
}

// The new blocks of a set of entries, by index.
using IncomingBlocks = std::map<int, SpriteBlock>;

// Every name in the folder, as the file system spells it, in byte order: a name that is not
// valid UTF-8 is listed like any other, so no file of the set can be passed over unseen.
std::vector<std::string> FolderEntries(const std::string& folder)
{
    const auto refuse = [&](const std::string& reason) {
        throw ToolError("Cannot read the folder " + Quoted(folder) + ": " + reason + ".");
    };
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        const int error = errno;
        struct stat info { };
        if (error == ENOENT)
            refuse("there is no such folder");
        if (error == ENOTDIR && ::stat(folder.c_str(), &info) == 0)
            refuse("it is not a folder");
        refuse(std::strerror(error));
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0)
        refuse(std::strerror(error));
    std::sort(names.begin(), names.end());
    return names;
}

// The images of a folder written by "export --all", every one read and checked before any is
// used; every file that is refused is named.
IncomingBlocks ReadFolder(const std::string& folder)
{
    std::map<int, std::pair<std::string, SpriteFileKind>> sources;
    std::vector<std::string> refusals;
    for (const std::string& name : FolderEntries(folder)) {
        const std::string path = folder + "/" + name;
        const std::optional<SpriteFileOfSet> file = SpriteFileOfName(name);
        if (!file) {
            refusals.push_back(Quoted(path)
                + " is no sprite image of an entry (their names are "
                  "NN-label.png or NN-label.2bpp, NN from 00 to 44)");
        } else if (const auto other = sources.find(file->index); other != sources.end()) {
            refusals.push_back(Quoted(path) + " and " + Quoted(other->second.first)
                + " are both for entry " + std::to_string(file->index));
        } else {
            sources.emplace(file->index, std::pair(path, file->kind));
        }
    }
    IncomingBlocks blocks;
    for (const auto& [index, source] : sources) {
        const auto& [path, kind] = source;
        try {
            blocks.emplace(index, DecodeSpriteFile(ReadImageBytes(path), path, kind));
        } catch (const SpritePngError& error) {
            std::string message = error.what();
            if (!message.empty() && message.back() == '.')
                message.pop_back();
            refusals.push_back(message);
        }
    }
    if (!refusals.empty()) {
        std::string text;
        for (const std::string& refusal : refusals)
            text += (text.empty() ? "" : "; ") + refusal;
        throw ToolError("Cannot import the sprite images of " + Quoted(folder)
            + ", and the ROM image is unchanged: " + text + ".");
    }
    if (blocks.empty())
        throw ToolError("Cannot import from " + Quoted(folder)
            + ": it holds no sprite images (NN-label.png or NN-label.2bpp, as \"export --all\" "
              "writes them).");
    return blocks;
}

// Compares each new block with the ROM image's and writes the changed ones; `from` names the
// set in the report.
void ImportSet(const std::string& rom, const IncomingBlocks& incoming, const std::string& from,
    bool dryRun, std::ostream& out)
{
    std::vector<std::pair<int, SpriteBlock>> changed;
    std::string report;
    for (const auto& [index, block] : incoming) {
        const BlockDifference difference = CompareBlocks(ReadBlock(rom, index), block);
        if (difference.bytes == 0)
            continue;
        changed.emplace_back(index, block);
        report += Capitalised(Describe(index)) + (dryRun ? ": would change " : ": ")
            + Counts(difference) + (dryRun ? ".\n" : " changed.\n");
    }
    const std::string total = std::to_string(incoming.size());
    if (changed.empty()) {
        out << "All " << total << " images of " << from
            << " match the ROM image already: nothing to change, the ROM image is not written.\n";
        return;
    }
    if (dryRun) {
        out << report << changed.size() << " of " << total
            << " entries would change; nothing was written (dry run).\n";
        return;
    }
    std::vector<RomWrite> writes;
    for (const auto& [index, block] : changed)
        writes.push_back({OffsetOf(index), block});
    WriteRomRanges(rom, writes);
    out << report << "Imported " << changed.size() << " of " << total << " images of " << from
        << " into " << DisplayText(rom) << "; the others match already.\n";
}

void ImportOne(const CommandLine& line, std::ostream& out)
{
    const std::string& rom = line.operands[0];
    const int index = ParseSpriteIndex(line.operands[1]);
    const std::string& source = line.operands[2];
    const SpriteFileKind kind = KindFor(line, source);
    const SpriteBlock incoming = DecodeSpriteFile(ReadImageBytes(source), source, kind);
    const BlockDifference difference = CompareBlocks(ReadBlock(rom, index), incoming);
    // The sentence starts with "The image" or "The file", never with the name, whose case is the
    // user's.
    const std::string noun = kind == SpriteFileKind::Png ? "the image" : "the file";
    const std::string image
        = noun + (source == kStandardStream ? " on standard input" : " " + DisplayText(source));
    if (difference.bytes == 0) {
        out << Capitalised(image) << " matches " << Describe(index)
            << " already: nothing to change, the ROM image is not written.\n";
    } else if (line.dryRun) {
        out << "Importing " << image << " into " << Describe(index) << " would change "
            << Counts(difference) << "; nothing was written (dry run).\n";
    } else {
        WriteRomBytes(rom, OffsetOf(index), incoming);
        out << "Imported " << image << " into " << Describe(index) << " at offset "
            << OffsetOf(index) << ": " << Counts(difference) << " changed.\n";
    }
}

} // namespace

void RunImport(const CommandLine& line, std::ostream& out)
{
    const std::string& rom = line.operands[0];
    RefuseStandardRom(rom);
    if (line.all) {
        const std::string& folder = line.operands[1];
        if (folder == kStandardStream)
            throw UsageError("--all reads the images of a folder, which cannot be \"-\" (see "
                             "\"morvane-sprite-tool import --help\")");
        return ImportSet(rom, ReadFolder(folder), DisplayText(folder), line.dryRun, out);
    }
    if (line.sheet) {
        const std::string& source = line.operands[1];
        if (KindFor(line, source) == SpriteFileKind::RawTiles)
            throw UsageError("the sheet is one PNG image, and raw 2bpp tiles are read one file "
                             "per sprite (see \"morvane-sprite-tool import --help\")");
        const SpriteSet sheet = DecodeSheetPng(ReadImageBytes(source), ImageSubject(source));
        IncomingBlocks incoming;
        for (int index = 0; index < kSpriteCount; ++index)
            incoming.emplace(index, sheet[static_cast<std::size_t>(index)]);
        return ImportSet(rom, incoming,
            source == kStandardStream ? "the sheet on standard input"
                                      : "the sheet " + DisplayText(source),
            line.dryRun, out);
    }
    ImportOne(line, out);
}

} // namespace morvane
