#include "TileCodec.h"

namespace morvane {

std::string ByteToBits(std::uint8_t value)
{
    std::string bits(8, '0');
    for (int position = 7; position >= 0 && value != 0; --position) {
        bits[static_cast<std::size_t>(position)] = (value & 1) ? '1' : '0';
        value = static_cast<std::uint8_t>(value >> 1);
    }
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

std::array<std::uint8_t, 8> DecodeRow(std::uint8_t plane0, std::uint8_t plane1)
{
    const std::string low = ByteToBits(plane0);
    const std::string high = ByteToBits(plane1);
    std::array<std::uint8_t, 8> values {};
    for (std::size_t column = 0; column < 8; ++column) {
        const char code[2] = {low[column], high[column]};
        values[column] = static_cast<std::uint8_t>(ShadeValue(std::string_view(code, sizeof code)));
    }
    return values;
}

std::pair<std::uint8_t, std::uint8_t> EncodeRow(const std::array<std::uint8_t, 8>& values)
{
    std::string low(8, '0');
    std::string high(8, '0');
    for (std::size_t column = 0; column < 8; ++column) {
        const std::string_view code = ShadeCode(values[column]);
        low[column] = code[0];
        high[column] = code[1];
    }
    return {BitsToByte(low), BitsToByte(high)};
}

} // namespace morvane
