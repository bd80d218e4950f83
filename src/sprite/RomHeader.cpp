#include "RomHeader.h"

namespace morvane {

std::string RomTitle(std::span<const std::uint8_t> rom)
{
    std::string title;
    for (std::size_t i = kRomTitleOffset; i < kRomTitleOffset + kRomTitleLength && i < rom.size();
         ++i) {
        const std::uint8_t byte = rom[i];
        if (byte == 0)
            break;
        title += byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '?';
    }
    return title;
}

std::optional<std::uint8_t> ComputeHeaderChecksum(std::span<const std::uint8_t> rom)
{
    if (rom.size() <= kRomHeaderChecksumOffset)
        return std::nullopt;
    std::uint8_t sum = 0;
    for (std::size_t i = kRomTitleOffset; i < kRomHeaderChecksumOffset; ++i)
        sum = static_cast<std::uint8_t>(sum - rom[i] - 1);
    return sum;
}

std::uint16_t ComputeGlobalChecksum(std::span<const std::uint8_t> rom)
{
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < rom.size(); ++i) {
        if (i != kRomGlobalChecksumOffset && i != kRomGlobalChecksumOffset + 1)
            sum = static_cast<std::uint16_t>(sum + rom[i]);
    }
    return sum;
}

std::optional<RomHeader> ReadRomHeader(std::span<const std::uint8_t> rom)
{
    if (rom.size() < kRomHeaderEnd)
        return std::nullopt;
    RomHeader header;
    header.title = RomTitle(rom);
    header.storedHeaderChecksum = rom[kRomHeaderChecksumOffset];
    header.computedHeaderChecksum = *ComputeHeaderChecksum(rom);
    header.storedGlobalChecksum = static_cast<std::uint16_t>(
        rom[kRomGlobalChecksumOffset] << 8 | rom[kRomGlobalChecksumOffset + 1]);
    header.computedGlobalChecksum = ComputeGlobalChecksum(rom);
    return header;
}

} // namespace morvane
