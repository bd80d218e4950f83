#include "BlockDifference.h"
#include "SpriteFileName.h"
#include "ToolCommands.h"
#include "ToolSupport.h"
#include "sprite/RomFile.h"
#include "sprite/SpriteCatalogue.h"

#include <QDir>

#include <map>

namespace morvane {

namespace {

std::string Counts(const BlockDifference& difference)
{
    return std::to_string(difference.pixels) + " pixels and " + std::to_string(difference.bytes)
        + " bytes";
}

// The new blocks of a set of entries, by index.
using IncomingBlocks = std::map<int, SpriteBlock>;

// The images of a folder written by "export --all", every one read and checked before any is
// used; every file that is refused is named.
IncomingBlocks ReadFolder(const std::string& folder)
{
    const QDir dir(QtPath(folder));
    if (!dir.exists())
        throw ToolError("Cannot read the folder " + Quoted(folder) + ": "
            + (QFileInfo(QtPath(folder)).exists() ? "it is not a folder"
                                                  : "there is no such folder")
            + ".");
    const QStringList names = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (!dir.isReadable())
        throw ToolError("Cannot read the folder " + Quoted(folder) + ": Permission denied.");

    std::map<int, std::string> sources;
    std::vector<std::string> refusals;
    for (const QString& name : names) {
        const std::string fileName = QFile::encodeName(name).toStdString();
        const std::string path = folder + "/" + fileName;
        const std::optional<int> index = SpriteIndexOfFileName(fileName);
        if (!index) {
            refusals.push_back(Quoted(path)
                + " is no sprite image of an entry (their names are "
                  "NN-label.png, NN from 00 to 44)");
        } else if (const auto other = sources.find(*index); other != sources.end()) {
            refusals.push_back(Quoted(path) + " and " + Quoted(other->second)
                + " are both for entry " + std::to_string(*index));
        } else {
            sources.emplace(*index, path);
        }
    }
    IncomingBlocks blocks;
    for (const auto& [index, path] : sources) {
        try {
            blocks.emplace(index, ReadSpritePng(QtPath(path)));
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
            + ": it holds no sprite images (NN-label.png, as \"export --all\" writes them).");
    return blocks;
}

// Compares each new block with the ROM image's and writes the changed ones, all or none.
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
        << " into " << rom << "; the others match already.\n";
}

QByteArray ReadImage(const std::string& source)
{
    if (source == kStandardStream)
        return ReadStandardInput();
    return ReadImageFile(QtPath(source), QString::fromStdString(Quoted(source)));
}

QString SubjectOf(const std::string& source)
{
    return source == kStandardStream ? StandardInputName() : QString::fromStdString(Quoted(source));
}

void ImportOne(const CommandLine& line, std::ostream& out)
{
    const std::string& rom = line.operands[0];
    const int index = ParseSpriteIndex(line.operands[1]);
    const std::string& source = line.operands[2];
    const SpriteBlock incoming = DecodeSpritePng(ReadImage(source), SubjectOf(source));
    const BlockDifference difference = CompareBlocks(ReadBlock(rom, index), incoming);
    const std::string name = source == kStandardStream ? "the image on standard input" : source;
    const std::string offset = std::to_string(OffsetOf(index));
    if (difference.bytes == 0) {
        out << Capitalised(name) << " matches " << Describe(index)
            << " already: nothing to change, the ROM image is not written.\n";
    } else if (line.dryRun) {
        out << "Importing " << name << " into " << Describe(index) << " would change "
            << Counts(difference) << "; nothing was written (dry run).\n";
    } else {
        WriteSpriteBlock(rom, offset, incoming);
        out << "Imported " << name << " into " << Describe(index) << " at offset " << offset << ": "
            << Counts(difference) << " changed.\n";
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
        return ImportSet(rom, ReadFolder(folder), folder, line.dryRun, out);
    }
    if (line.sheet) {
        const std::string& source = line.operands[1];
        const SpriteSet sheet = DecodeSheetPng(ReadImage(source), SubjectOf(source));
        IncomingBlocks incoming;
        for (int index = 0; index < kSpriteCount; ++index)
            incoming.emplace(index, sheet[static_cast<std::size_t>(index)]);
        return ImportSet(rom, incoming,
            source == kStandardStream ? "the sheet on standard input" : "the sheet " + source,
            line.dryRun, out);
    }
    ImportOne(line, out);
}

} // namespace morvane
