#include "BlockDifference.h"
#include "DiffPicture.h"
#include "OutputTarget.h"
#include "Records.h"
#include "ToolCommands.h"
#include "ToolSupport.h"
#include "sprite/RomFile.h"
#include "sprite/SpriteCatalogue.h"

#include <algorithm>
#include <array>

namespace morvane {

namespace {

constexpr auto kDiffKeys = std::to_array<std::string_view>({"original", "edited", "original_size",
    "edited_size", "identical", "sprites_differing", "bytes_differing_outside_sprites", "sprites"});

constexpr auto kSpriteKeys = std::to_array<std::string_view>(
    {"index", "label", "offset", "state", "tiles", "pixels", "bytes"});

// How a sprite's block differs between the two images.
enum class BlockState {
    Differs, // both hold it whole
    BeyondOriginal, // only the edited image holds it whole
    BeyondEdited, // only the original holds it whole
    PartlyBeyondBoth, // neither holds it whole; the part both hold differs
};

struct SpriteChange {
    int index = 0;
    BlockState state = BlockState::Differs;
    BlockDifference difference; // for blocks both hold whole, or the part both hold
};

// What the two images hold at the sprites' offsets, and which sprites differ.
struct Comparison {
    SpriteSet original {};
    SpriteSet edited {};
    SpritesMissingFromOne missing {};
    std::vector<SpriteChange> changes;
    std::size_t bytesOutside = 0;
};

std::string_view StateName(BlockState state)
{
    switch (state) {
    case BlockState::Differs:
        return "differs";
    case BlockState::BeyondOriginal:
        return "beyond_end_of_original";
    case BlockState::BeyondEdited:
        return "beyond_end_of_edited";
    case BlockState::PartlyBeyondBoth:
        return "partly_beyond_both";
    }
    return {};
}

// The block at `offset` as far as the image holds it below `limit`; the rest stays zero, the
// same in both images, so only bytes both hold can make a difference.
SpriteBlock BlockAt(const std::vector<std::uint8_t>& image, std::size_t offset, std::size_t limit)
{
    SpriteBlock block {};
    const std::size_t end = std::min({offset + kSpriteBlockBytes, limit, image.size()});
    if (offset < end)
        std::copy(image.begin() + std::ptrdiff_t(offset), image.begin() + std::ptrdiff_t(end),
            block.begin());
    return block;
}

Comparison Compare(
    const std::vector<std::uint8_t>& original, const std::vector<std::uint8_t>& edited)
{
    Comparison comparison;
    const std::size_t common = std::min(original.size(), edited.size());
    std::vector<bool> inBlock(common, false);
    for (int index = 0; index < kSpriteCount; ++index) {
        const auto at = static_cast<std::size_t>(index);
        const auto offset = static_cast<std::size_t>(OffsetOf(index));
        const std::size_t end = offset + kSpriteBlockBytes;
        std::fill(inBlock.begin() + std::ptrdiff_t(std::min(offset, common)),
            inBlock.begin() + std::ptrdiff_t(std::min(end, common)), true);
        const bool inOriginal = end <= original.size();
        const bool inEdited = end <= edited.size();
        // A block cut off by both ends still differs when the part both images hold does; those
        // bytes belong to the block, so they are named here and not counted outside.
        const std::size_t limit = inOriginal && inEdited ? end : common;
        comparison.original[at] = BlockAt(original, offset, limit);
        comparison.edited[at] = BlockAt(edited, offset, limit);
        SpriteChange change;
        change.index = index;
        if (inOriginal != inEdited) {
            comparison.missing[at] = true;
            change.state = inOriginal ? BlockState::BeyondEdited : BlockState::BeyondOriginal;
        } else {
            change.difference = CompareBlocks(comparison.original[at], comparison.edited[at]);
            if (change.difference.bytes == 0)
                continue;
            change.state = inOriginal ? BlockState::Differs : BlockState::PartlyBeyondBoth;
        }
        comparison.changes.push_back(change);
    }
    for (std::size_t i = 0; i < common; ++i)
        comparison.bytesOutside += !inBlock[i] && original[i] != edited[i] ? 1 : 0;
    return comparison;
}

std::string Plural(std::size_t count, const std::string& one, const std::string& many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void WriteText(std::ostream& out, const Comparison& comparison, bool identical,
    const std::string& originalPath, const std::string& editedPath,
    const std::vector<std::uint8_t>& original, const std::vector<std::uint8_t>& edited)
{
    if (identical) {
        out << DisplayText(originalPath) << " and " << DisplayText(editedPath)
            << " are identical.\n";
        return;
    }
    for (const SpriteChange& change : comparison.changes) {
        out << Capitalised(Describe(change.index)) << ": ";
        const BlockDifference& difference = change.difference;
        switch (change.state) {
        case BlockState::Differs:
            out << Plural(std::size_t(difference.pixels), "pixel differs", "pixels differ")
                << ", in " << difference.tiles << " of " << kTilesPerSprite << " tiles";
            break;
        case BlockState::BeyondOriginal:
        case BlockState::BeyondEdited:
            out << "lies beyond the end of "
                << DisplayText(
                       change.state == BlockState::BeyondEdited ? editedPath : originalPath);
            break;
        case BlockState::PartlyBeyondBoth:
            out << "lies partly beyond the end of both images; "
                << Plural(std::size_t(difference.bytes), "byte differs", "bytes differ")
                << " in the part they hold";
            break;
        }
        out << ".\n";
    }
    out << comparison.changes.size() << " of " << kSpriteCount << " sprites differ; "
        << Plural(comparison.bytesOutside, "byte differs", "bytes differ")
        << " outside the sprite blocks";
    if (original.size() != edited.size()) {
        const bool longer = edited.size() > original.size();
        out << "; " << DisplayText(editedPath) << " is "
            << (longer ? edited.size() - original.size() : original.size() - edited.size())
            << " bytes " << (longer ? "longer" : "shorter") << " than "
            << DisplayText(originalPath);
    }
    out << ".\n";
}

std::vector<Record> SpriteRecords(const Comparison& comparison)
{
    std::vector<Record> records;
    for (const SpriteChange& change : comparison.changes) {
        Record& record = records.emplace_back(Record {kSpriteKeys, {}});
        std::vector<RecordValue>& values = record.values;
        values.emplace_back(std::int64_t {change.index});
        values.emplace_back(Label(change.index));
        values.emplace_back(std::int64_t {OffsetOf(change.index)});
        values.emplace_back(std::string(StateName(change.state)));
        if (change.state == BlockState::BeyondOriginal
            || change.state == BlockState::BeyondEdited) {
            values.resize(kSpriteKeys.size());
            continue;
        }
        values.emplace_back(std::int64_t {change.difference.tiles});
        values.emplace_back(std::int64_t {change.difference.pixels});
        values.emplace_back(std::int64_t {change.difference.bytes});
    }
    return records;
}

Record DiffRecord(const std::string& originalPath, const std::string& editedPath,
    const std::vector<std::uint8_t>& original, const std::vector<std::uint8_t>& edited,
    const Comparison& comparison)
{
    Record record {kDiffKeys, {}};
    std::vector<RecordValue>& values = record.values;
    values.emplace_back(originalPath);
    values.emplace_back(editedPath);
    values.emplace_back(static_cast<std::int64_t>(original.size()));
    values.emplace_back(static_cast<std::int64_t>(edited.size()));
    values.emplace_back(original == edited);
    values.emplace_back(static_cast<std::int64_t>(comparison.changes.size()));
    values.emplace_back(static_cast<std::int64_t>(comparison.bytesOutside));
    values.emplace_back(SpriteRecords(comparison));
    return record;
}

void WritePicture(const CommandLine& line, const Comparison& comparison, std::ostream& data)
{
    const std::string& target = *line.picture;
    const FileData png
        = EncodePng(DiffPicture(comparison.original, comparison.edited, comparison.missing),
            "picture of the differences");
    if (target == kStandardStream)
        return WriteToStandardOutput(data, png, "the picture of the differences");
    WriteImageFile(target, png);
}

} // namespace

int RunDiff(const CommandLine& line, std::ostream& data, std::ostream& report)
{
    const std::string& originalPath = line.operands[0];
    const std::string& editedPath = line.operands[1];
    RefuseStandardRom(originalPath);
    RefuseStandardRom(editedPath);
    const std::vector<InputFile> inputs {
        InputOf("the original image", originalPath), InputOf("the edited image", editedPath)};
    // The picture's file is checked before the images are read, so a mistake costs nothing.
    if (line.picture && *line.picture != kStandardStream) {
        if (const auto reason
            = RefusalToReplace(*line.picture, inputs, line.force, Replaceable::PngImage))
            throw ToolError("Cannot write " + Quoted(*line.picture) + ": " + *reason + ".");
    }
    const std::vector<std::uint8_t> original = ReadWholeRom(originalPath, kMaxRomImageBytes);
    const std::vector<std::uint8_t> edited = ReadWholeRom(editedPath, kMaxRomImageBytes);
    const bool identical = original == edited;
    const Comparison comparison = Compare(original, edited);
    if (line.picture)
        WritePicture(line, comparison, data);

    if (line.format == OutputFormat::Text) {
        WriteText(report, comparison, identical, originalPath, editedPath, original, edited);
        if (line.picture && *line.picture != kStandardStream)
            report << "Wrote the picture of the differences to " << DisplayText(*line.picture)
                   << ".\n";
    } else {
        if (line.format == OutputFormat::Tsv)
            WriteTsv(report, kSpriteKeys, SpriteRecords(comparison));
        else
            WriteJson(report, DiffRecord(originalPath, editedPath, original, edited, comparison));
    }
    return identical ? 0 : 1;
}

} // namespace morvane
