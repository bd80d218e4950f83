#include "TileCodec.h"

namespace morvane {

std::array<std::uint8_t, 8> DecodeRow(std::uint8_t plane0, std::uint8_t plane1)
{
    std::array<std::uint8_t, 8> values {};
    for (int column = 0; column < 8; ++column)
        values[static_cast<std::size_t>(column)]
            = static_cast<std::uint8_t>(PixelValue(plane0, plane1, column));
    return values;
}

std::pair<std::uint8_t, std::uint8_t> EncodeRow(const std::array<std::uint8_t, 8>& values)
{
    unsigned plane0 = 0;
    unsigned plane1 = 0;
    for (int column = 0; column < 8; ++column) {
        const unsigned value = values[static_cast<std::size_t>(column)];
        plane0 |= (value & 1u) << (7 - column);
        plane1 |= (value >> 1 & 1u) << (7 - column);
    }
    return {static_cast<std::uint8_t>(plane0), static_cast<std::uint8_t>(plane1)};
}

std::string ByteToBits(std::uint8_t value)
{
    std::string bits(8, '0');
    for (int column = 0; column < 8; ++column)
        bits[static_cast<std::size_t>(column)] = PlaneBit(value, column) != 0 ? '1' : '0';
    return bits;
}

std::uint8_t BitsToByte(std::string_view bits)
{
    const std::size_t length = bits.size() < 8 ? bits.size() : 8;
    // A text of fewer than 8 digits stands for its value, as if padded with leading zeros.
    const std::size_t padding = 8 - length;
    unsigned value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (bits[i] == '1')
            value |= 1u << (7 - (padding + i));
    }
    return static_cast<std::uint8_t>(value);
}

std::string_view ShadeCode(int value)
{
    static constexpr std::string_view kCodes[4] = {"00", "10", "01", "11"};
    return kCodes[value & 3];
}

int ShadeValue(std::string_view code)
{
    const int low = (code.size() > 0 && code[0] == '1') ? 1 : 0;
    const int high = (code.size() > 1 && code[1] == '1') ? 1 : 0;
    return low + 2 * high;
}

} // namespace morvane
