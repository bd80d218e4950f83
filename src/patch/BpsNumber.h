#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvane {

// The variable-length numbers of a BPS patch: groups of 7 bits, lowest first, the last group
// marked by bit 7. Each group after the first also stands for one more step, so every value has
// exactly one encoding: 127 is 0xFF, 128 is 0x00 0x80, not 0x80 0x00.
void AppendBpsNumber(std::vector<std::uint8_t>& out, std::uint64_t value);

// The most bytes one number may take when read: eight groups reach past 2^56, far beyond any
// size or offset a ROM image needs, and keep every sum below 2^63.
inline constexpr std::size_t kMaxBpsNumberBytes = 8;

// Reads the number that starts at `pos` in `data` and moves `pos` past it. A number that runs
// past the end of `data`, or longer than kMaxBpsNumberBytes, is refused with PatchError.
std::uint64_t ReadBpsNumber(std::span<const std::uint8_t> data, std::size_t& pos);

} // namespace morvane
