#pragma once

#include <cstdint>
#include <span>

namespace morvane {

// The CRC-32 of zip and PNG (reflected polynomial 0xEDB88320, initial value and final xor all
// ones), the checksum a BPS patch carries for its source, its target and itself. Pass the result
// of one call as `crc` to the next to checksum data that arrives in pieces.
std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0);

} // namespace morvane
