#include "Crc32.h"

#include <array>
#include <cstddef>

namespace morvane {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// Eight tables let the loop take eight bytes per step (the "slicing" method): table k holds the
// effect of a byte that still has k more bytes to pass through the register. A 1 MiB image is
// checksummed twice for every patch made, so the byte-at-a-time loop would be the slowest step.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables MakeTables()
{
    Tables tables {};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) != 0 ? (crc >> 1) ^ kPolynomial : crc >> 1;
        tables[0][byte] = crc;
    }
    for (std::size_t k = 1; k < tables.size(); ++k) {
        for (std::size_t byte = 0; byte < 256; ++byte) {
            const std::uint32_t previous = tables[k - 1][byte];
            tables[k][byte] = (previous >> 8) ^ tables[0][previous & 0xFFu];
        }
    }
    return tables;
}

constexpr Tables kTables = MakeTables();

} // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t crc)
{
    crc = ~crc;
    const std::uint8_t* p = data.data();
    std::size_t left = data.size();
    while (left >= 8) {
        const std::uint32_t low = crc
            ^ (static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8
                | static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
        crc = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu]
            ^ kTables[5][(low >> 16) & 0xFFu] ^ kTables[4][low >> 24] ^ kTables[3][p[4]]
            ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]];
        p += 8;
        left -= 8;
    }
    for (; left > 0; --left, ++p)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFFu];
    return ~crc;
}

} // namespace morvane
