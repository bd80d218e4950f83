#include "BlockDifference.h"
#include "ToolCommands.h"
#include "ToolSupport.h"
#include "demo/DemoRom.h"
#include "sprite/RomFile.h"
#include "sprite/RomHeader.h"
#include "sprite/SpriteCatalogue.h"

#include <algorithm>
#include <cstdio>

namespace morvane {

namespace {

// The catalogue's labels hold no quote, backslash or control character, so they stand in JSON
// as they are; the list test reads the output back as JSON and would see one that did not.
std::string JsonText(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

void RunList(const CommandLine& line, std::ostream& out)
{
    if (line.format == ListFormat::Tsv)
        out << "index\tlabel\toffset\n";
    if (line.format == ListFormat::Json)
        out << "[\n";
    for (int index = 0; index < kSpriteCount; ++index) {
        const std::int32_t offset = OffsetOf(index);
        switch (line.format) {
        case ListFormat::Text: {
            char text[80];
            std::snprintf(text, sizeof text, "%2d  %-14s  %7ld  0x%05lX\n", index,
                Label(index).c_str(), static_cast<long>(offset),
                static_cast<unsigned long>(offset));
            out << text;
            break;
        }
        case ListFormat::Tsv:
            out << index << '\t' << Label(index) << '\t' << offset << '\n';
            break;
        case ListFormat::Json:
            out << "  {\"index\": " << index << ", \"label\": " << JsonText(Label(index))
                << ", \"offset\": " << offset << "}" << (index + 1 < kSpriteCount ? ",\n" : "\n");
            break;
        }
    }
    if (line.format == ListFormat::Json)
        out << "]\n";
}

void RunDemo(const CommandLine& line, std::ostream& out)
{
    const std::string& target = line.operands[0];
    if (target == kStandardStream)
        throw UsageError("the demo ROM image is written to a file, which cannot be \"-\"");
    CreateRomFile(target, MakeDemoRom());
    out << "Wrote the demo ROM image " << DisplayText(target) << " (" << kDemoRomBytes << " bytes, "
        << kSpriteCount << " sprites).\n";
}

void RunInfo(const CommandLine& line, std::ostream& out)
{
    const std::string& romPath = line.operands[0];
    RefuseStandardRom(romPath);
    const std::vector<std::uint8_t> rom = ReadWholeRom(romPath, kMaxRomImageBytes);
    char text[256];
    out << "File:             " << DisplayText(romPath) << "\n";
    out << "Size:             " << rom.size() << " bytes\n";
    if (const std::optional<RomHeader> header = ReadRomHeader(rom)) {
        out << "Title:            " << JsonText(header->title) << "\n";
        // The boot ROM refuses a cartridge whose header checksum is wrong and never looks at
        // the global one. Saving a sprite changes bytes the global checksum covers and nothing
        // else, so it differs after every save: the line says what that means.
        std::snprintf(text, sizeof text, "Header checksum:  0x%02X stored, 0x%02X computed: %s\n",
            header->storedHeaderChecksum, header->computedHeaderChecksum,
            header->HeaderChecksumMatches()
                ? "matches"
                : "DOES NOT MATCH; the hardware checks it at start-up and will not run the game");
        out << text;
        std::snprintf(text, sizeof text, "Global checksum:  0x%04X stored, 0x%04X computed: %s\n",
            header->storedGlobalChecksum, header->computedGlobalChecksum,
            header->GlobalChecksumMatches()
                ? "matches"
                : "differs, which is harmless: the hardware checks only the header checksum, so "
                  "the game still runs");
        out << text;
    } else {
        out << "Header:           none: the image ends before byte " << kRomHeaderEnd << "\n";
    }
    // The entries lie in ascending order of offset, so a short image loses the last ones.
    int inside = 0;
    while (
        inside < kSpriteCount && OffsetOf(inside) + kSpriteBlockBytes <= std::int64_t(rom.size()))
        ++inside;
    out << "Sprite blocks:    ";
    if (inside == kSpriteCount)
        out << "all " << kSpriteCount << " inside the file\n";
    else
        out << inside << " of " << kSpriteCount << " inside the file; those of entries " << inside
            << " to " << kSpriteCount - 1 << " lie beyond its end\n";
}

int RunDiff(const CommandLine& line, std::ostream& out)
{
    const std::string& originalPath = line.operands[0];
    const std::string& editedPath = line.operands[1];
    RefuseStandardRom(originalPath);
    RefuseStandardRom(editedPath);
    const std::vector<std::uint8_t> original = ReadWholeRom(originalPath, kMaxRomImageBytes);
    const std::vector<std::uint8_t> edited = ReadWholeRom(editedPath, kMaxRomImageBytes);
    if (original == edited) {
        out << DisplayText(originalPath) << " and " << DisplayText(editedPath)
            << " are identical.\n";
        return 0;
    }

    const std::size_t common = std::min(original.size(), edited.size());
    const auto differing = [&](std::size_t from, std::size_t to) {
        std::size_t count = 0;
        for (std::size_t i = from; i < to; ++i)
            count += original[i] != edited[i] ? 1 : 0;
        return count;
    };
    std::vector<bool> inBlock(common, false);
    int sprites = 0;
    for (int index = 0; index < kSpriteCount; ++index) {
        const auto offset = static_cast<std::size_t>(OffsetOf(index));
        const std::size_t end = offset + kSpriteBlockBytes;
        std::fill(inBlock.begin() + std::ptrdiff_t(std::min(offset, common)),
            inBlock.begin() + std::ptrdiff_t(std::min(end, common)), true);
        const bool inOriginal = end <= original.size();
        const bool inEdited = end <= edited.size();
        std::string change;
        if (inOriginal && inEdited) {
            SpriteBlock before {};
            SpriteBlock after {};
            std::copy_n(
                original.begin() + std::ptrdiff_t(offset), kSpriteBlockBytes, before.begin());
            std::copy_n(edited.begin() + std::ptrdiff_t(offset), kSpriteBlockBytes, after.begin());
            const int tiles = CompareBlocks(before, after).tiles;
            if (tiles == 0)
                continue;
            change = std::to_string(tiles) + " of " + std::to_string(kTilesPerSprite)
                + (tiles == 1 ? " tiles differs" : " tiles differ");
        } else if (inOriginal != inEdited) {
            change
                = "lies beyond the end of " + DisplayText(inOriginal ? editedPath : originalPath);
        } else {
            // A block cut off by both ends still differs when the part both images hold does;
            // those bytes belong to the block, so they are named here and not counted outside.
            const std::size_t bytes = offset < common ? differing(offset, common) : 0;
            if (bytes == 0)
                continue;
            change = "lies partly beyond the end of both images; " + std::to_string(bytes)
                + (bytes == 1 ? " byte differs" : " bytes differ") + " in the part they hold";
        }
        ++sprites;
        out << Capitalised(Describe(index)) << ": " << change << ".\n";
    }

    std::size_t outside = 0;
    for (std::size_t i = 0; i < common; ++i)
        outside += !inBlock[i] && original[i] != edited[i] ? 1 : 0;
    out << sprites << " of " << kSpriteCount << " sprites differ; " << outside
        << (outside == 1 ? " byte differs" : " bytes differ") << " outside the sprite blocks";
    if (original.size() != edited.size()) {
        const bool longer = edited.size() > original.size();
        out << "; " << DisplayText(editedPath) << " is "
            << (longer ? edited.size() - original.size() : original.size() - edited.size())
            << " bytes " << (longer ? "longer" : "shorter") << " than "
            << DisplayText(originalPath);
    }
    out << ".\n";
    return 1;
}

} // namespace morvane
