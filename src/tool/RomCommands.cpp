#include "Records.h"
#include "ToolCommands.h"
#include "ToolSupport.h"
#include "demo/DemoRom.h"
#include "sprite/RomFile.h"
#include "sprite/RomHeader.h"
#include "sprite/SpriteCatalogue.h"

#include <array>
#include <cstdio>

namespace morvane {

namespace {

constexpr auto kListKeys = std::to_array<std::string_view>({"index", "label", "offset"});

constexpr auto kInfoKeys
    = std::to_array<std::string_view>({"file", "size", "title", "header_checksum_stored",
        "header_checksum_computed", "header_checksum_matches", "global_checksum_stored",
        "global_checksum_computed", "global_checksum_matches", "sprite_blocks_inside"});

// The entries lie in ascending order of offset, so a short image loses the last ones: the count
// of those inside is also the index of the first one beyond the end.
int SpriteBlocksInside(std::size_t size)
{
    int inside = 0;
    while (inside < kSpriteCount
        && OffsetOf(inside) + kSpriteBlockBytes <= static_cast<std::int64_t>(size))
        ++inside;
    return inside;
}

Record InfoRecord(const std::string& path, std::span<const std::uint8_t> rom)
{
    Record record {kInfoKeys, {}};
    std::vector<RecordValue>& values = record.values;
    values.emplace_back(path);
    values.emplace_back(static_cast<std::int64_t>(rom.size()));
    if (const std::optional<RomHeader> header = ReadRomHeader(rom)) {
        values.emplace_back(header->title);
        values.emplace_back(std::int64_t {header->storedHeaderChecksum});
        values.emplace_back(std::int64_t {header->computedHeaderChecksum});
        values.emplace_back(header->HeaderChecksumMatches());
        values.emplace_back(std::int64_t {header->storedGlobalChecksum});
        values.emplace_back(std::int64_t {header->computedGlobalChecksum});
        values.emplace_back(header->GlobalChecksumMatches());
    } else {
        values.resize(kInfoKeys.size() - 1);
    }
    values.emplace_back(std::int64_t {SpriteBlocksInside(rom.size())});
    return record;
}

} // namespace

void RunList(const CommandLine& line, std::ostream& out)
{
    std::vector<Record> records;
    for (int index = 0; index < kSpriteCount; ++index) {
        Record& record = records.emplace_back(Record {kListKeys, {}});
        record.values.emplace_back(std::int64_t {index});
        record.values.emplace_back(Label(index));
        record.values.emplace_back(std::int64_t {OffsetOf(index)});
    }
    if (line.format == OutputFormat::Json)
        return WriteJson(out, records);
    if (line.format == OutputFormat::Tsv)
        return WriteTsv(out, kListKeys, records);
    for (int index = 0; index < kSpriteCount; ++index) {
        const std::int32_t offset = OffsetOf(index);
        char text[80];
        std::snprintf(text, sizeof text, "%2d  %-14s  %7ld  0x%05lX\n", index, Label(index).c_str(),
            static_cast<long>(offset), static_cast<unsigned long>(offset));
        out << text;
    }
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
    if (line.format == OutputFormat::Json)
        return WriteJson(out, InfoRecord(romPath, rom));
    if (line.format == OutputFormat::Tsv)
        return WriteTsv(out, kInfoKeys, {InfoRecord(romPath, rom)});
    char text[256];
    out << "File:             " << DisplayText(romPath) << "\n";
    out << "Size:             " << rom.size() << " bytes\n";
    if (const std::optional<RomHeader> header = ReadRomHeader(rom)) {
        out << "Title:            \"" << header->title << "\"\n";
        // The boot ROM refuses a cartridge whose header checksum is wrong and never looks at
        // the global one. Saving a sprite changes bytes the global checksum covers and nothing
        // else, so it differs after every save: the line says what that means.
        std::snprintf(text, sizeof text, "Header checksum:  0x%02X stored, 0x%02X computed: %s\n",
            header->storedHeaderChecksum, header->computedHeaderChecksum,
            header->HeaderChecksumMatches()
                ? "matches"
                : "DOES NOT MATCH; the hardware checks it at start-up and will not run the game "
                  "(\"checksum --fix\" corrects it)");
        out << text;
        std::snprintf(text, sizeof text, "Global checksum:  0x%04X stored, 0x%04X computed: %s\n",
            header->storedGlobalChecksum, header->computedGlobalChecksum,
            header->GlobalChecksumMatches()
                ? "matches"
                : "differs, which is harmless: the hardware checks only the header checksum, so "
                  "the game still runs (\"checksum --fix\" corrects it)");
        out << text;
    } else {
        out << "Header:           none: the image ends before byte " << kRomHeaderEnd << "\n";
    }
    const int inside = SpriteBlocksInside(rom.size());
    out << "Sprite blocks:    ";
    if (inside == kSpriteCount)
        out << "all " << kSpriteCount << " inside the file\n";
    else
        out << inside << " of " << kSpriteCount << " inside the file; those of entries " << inside
            << " to " << kSpriteCount - 1 << " lie beyond its end\n";
}

} // namespace morvane
