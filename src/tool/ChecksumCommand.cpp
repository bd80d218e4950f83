#include "ToolCommands.h"
#include "ToolSupport.h"
#include "base/MessageText.h"
#include "sprite/RomFile.h"
#include "sprite/RomHeader.h"

namespace morvane {

namespace {

// The three header bytes that hold the checksums, and what each is.
struct ChecksumByte {
    std::size_t offset;
    const char* what;
};

constexpr ChecksumByte kChecksumBytes[] = {
    {kRomHeaderChecksumOffset, "header checksum"},
    {kRomGlobalChecksumOffset, "global checksum, high byte"},
    {kRomGlobalChecksumOffset + 1, "global checksum, low byte"},
};

// The image with both checksums right. The header checksum comes first: the global checksum
// covers the header checksum's byte, so it is summed only once that byte holds its final value.
std::vector<std::uint8_t> WithChecksumsFixed(std::vector<std::uint8_t> rom)
{
    rom[kRomHeaderChecksumOffset] = *ComputeHeaderChecksum(rom);
    const std::uint16_t global = ComputeGlobalChecksum(rom);
    rom[kRomGlobalChecksumOffset] = static_cast<std::uint8_t>(global >> 8);
    rom[kRomGlobalChecksumOffset + 1] = static_cast<std::uint8_t>(global & 0xFF);
    return rom;
}

void Report(const RomHeader& header, const std::vector<std::uint8_t>& fixed, std::ostream& out)
{
    out << "Header checksum:  " << Hex(header.storedHeaderChecksum, 2) << " stored, "
        << Hex(header.computedHeaderChecksum, 2)
        << " computed: " << (header.HeaderChecksumMatches() ? "matches" : "DOES NOT MATCH") << "\n"
        << "    The byte at " << Hex(kRomHeaderChecksumOffset, 3) << ", summed over bytes "
        << Hex(kRomTitleOffset, 3) << " to " << Hex(kRomHeaderChecksumOffset - 1, 3)
        << ". The hardware checks it at start-up\n"
        << "    and will not run the game while it is wrong.\n";
    out << "Global checksum:  " << Hex(header.storedGlobalChecksum, 4) << " stored, "
        << Hex(header.computedGlobalChecksum, 4)
        << " computed: " << (header.GlobalChecksumMatches() ? "matches" : "differs") << "\n"
        << "    The two bytes at " << Hex(kRomGlobalChecksumOffset, 3)
        << ", summed over every other byte. The hardware never checks it,\n"
        << "    so the game runs either way; some emulators and tools warn when it differs.\n";
    if (header.HeaderChecksumMatches() && header.GlobalChecksumMatches()) {
        out << "Both checksums match: nothing to fix.\n";
        return;
    }
    const std::size_t global
        = std::size_t {fixed[kRomGlobalChecksumOffset]} << 8 | fixed[kRomGlobalChecksumOffset + 1];
    out << "\"checksum --fix\" would write ";
    if (!header.HeaderChecksumMatches())
        out << Hex(fixed[kRomHeaderChecksumOffset], 2) << " at " << Hex(kRomHeaderChecksumOffset, 3)
            << ", then ";
    out << Hex(global, 4) << " at " << Hex(kRomGlobalChecksumOffset, 3) << ".\n";
}

} // namespace

void RunChecksum(const CommandLine& line, std::ostream& data, std::ostream& messages)
{
    const std::string& path = line.operands[0];
    RefuseStandardRom(path);
    const std::vector<std::uint8_t> rom = ReadWholeRom(path, kMaxRomImageBytes);
    const std::optional<RomHeader> header = ReadRomHeader(rom);
    if (!header)
        throw ToolError("Cannot " + std::string(line.fix ? "fix" : "check") + " the checksums of "
            + Quoted(path) + ": it is only " + std::to_string(rom.size())
            + " bytes long, and the cartridge header that holds them ends at byte "
            + std::to_string(kRomHeaderEnd) + ".");
    const std::vector<std::uint8_t> fixed = WithChecksumsFixed(rom);
    if (!line.fix)
        return Report(*header, fixed, data);

    // Only the checksum bytes whose value changes are written, all in one go: a write that
    // fails puts back the ones already written.
    std::vector<RomWrite> writes;
    std::string changes;
    for (const ChecksumByte& byte : kChecksumBytes) {
        if (fixed[byte.offset] == rom[byte.offset])
            continue;
        writes.push_back(
            {static_cast<std::int64_t>(byte.offset), std::span(fixed).subspan(byte.offset, 1)});
        changes += "  " + Hex(byte.offset, 3) + ": " + Hex(rom[byte.offset], 2) + " -> "
            + Hex(fixed[byte.offset], 2) + " (" + byte.what + ")\n";
    }
    if (writes.empty()) {
        messages << "The checksums of " << DisplayText(path)
                 << " are right already: nothing to change, the ROM image is not written.\n";
        return;
    }
    WriteRomRanges(path, writes);
    messages << "Fixed the checksums of " << DisplayText(path) << "; "
             << (writes.size() == 1 ? "1 byte" : std::to_string(writes.size()) + " bytes")
             << " changed:\n"
             << changes;
}

} // namespace morvane
