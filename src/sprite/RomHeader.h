#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace morvane {

// The cartridge header every Game Boy ROM image carries at 0x100..0x14F, as far as the tools
// read it: the title and the two checksums. All functions here only look at the bytes they are
// given; none of them reads or writes a file.

inline constexpr std::size_t kRomTitleOffset = 0x134;
inline constexpr std::size_t kRomTitleLength = 16;
// The header checksum covers 0x134..0x14C and is stored in the byte after them.
inline constexpr std::size_t kRomHeaderChecksumOffset = 0x14D;
// The global checksum is stored big-endian in these two bytes and covers every other byte.
inline constexpr std::size_t kRomGlobalChecksumOffset = 0x14E;
// An image shorter than this has no complete header.
inline constexpr std::size_t kRomHeaderEnd = 0x150;

struct RomHeader {
    std::string title;
    std::uint8_t storedHeaderChecksum = 0;
    std::uint8_t computedHeaderChecksum = 0;
    std::uint16_t storedGlobalChecksum = 0;
    std::uint16_t computedGlobalChecksum = 0;

    bool HeaderChecksumMatches() const { return storedHeaderChecksum == computedHeaderChecksum; }
    bool GlobalChecksumMatches() const { return storedGlobalChecksum == computedGlobalChecksum; }
};

// The title bytes as text: up to the first NUL, with '?' for any byte that is not printable
// ASCII. Empty for an image too short to hold the title.
std::string RomTitle(std::span<const std::uint8_t> rom);

// The header checksum the hardware checks at start-up: x = x - byte - 1 over 0x134..0x14C,
// kept to 8 bits. None when the image ends before 0x14D.
std::optional<std::uint8_t> ComputeHeaderChecksum(std::span<const std::uint8_t> rom);

// The 16-bit sum of every byte of the image except the two that hold this sum, at any length
// (an image too short to hold them simply has nothing to leave out).
std::uint16_t ComputeGlobalChecksum(std::span<const std::uint8_t> rom);

// Title, stored and computed checksums; none when the image is shorter than kRomHeaderEnd.
std::optional<RomHeader> ReadRomHeader(std::span<const std::uint8_t> rom);

} // namespace morvane
