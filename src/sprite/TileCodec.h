#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace morvane {

// A tile row is two bytes, one per bit plane; a pixel's value is its plane-0 bit plus twice its
// plane-1 bit, and bit 7 of each byte is the leftmost pixel:
//
//     column:       0   1   2   3   4   5   6   7
//     plane 0 bit:  7   6   5   4   3   2   1   0   (byte 2r of the tile: the low bit)
//     plane 1 bit:  7   6   5   4   3   2   1   0   (byte 2r + 1: the high bit)
//
// Every byte is turned into pixels and back with shifts by these functions, so the viewer, the
// painter and the PNG round trip can never disagree about the bit order.

// The bit of pixel `column` (0..7) in one plane's byte.
constexpr int PlaneBit(std::uint8_t plane, int column)
{
    return (plane >> (7 - column)) & 1;
}

// The value 0..3 of pixel `column` of a row from its two bytes.
constexpr int PixelValue(std::uint8_t plane0, std::uint8_t plane1, int column)
{
    return PlaneBit(plane0, column) | PlaneBit(plane1, column) << 1;
}

// The eight pixel values 0..3 of one tile row, columns 0 to 7, from its two bytes.
std::array<std::uint8_t, 8> DecodeRow(std::uint8_t plane0, std::uint8_t plane1);

// The two bytes (plane 0, plane 1) of one tile row from its eight pixel values 0..3.
std::pair<std::uint8_t, std::uint8_t> EncodeRow(const std::array<std::uint8_t, 8>& values);

// The same facts as text, the way a byte or a pixel is written out for a person to read.

// A byte as 8 characters "0"/"1", most significant bit (the leftmost pixel) first.
std::string ByteToBits(std::uint8_t value);

// The inverse of ByteToBits. Shorter texts are read as if padded with leading zeros, only the
// first 8 characters count, and any character other than "1" counts as 0.
std::uint8_t BitsToByte(std::string_view bits);

// A pixel value 0..3 as two characters, the plane-0 bit first: "00", "10", "01", "11".
std::string_view ShadeCode(int value);

// The pixel value of a two-character code; the inverse of ShadeCode.
int ShadeValue(std::string_view code);

} // namespace morvane
