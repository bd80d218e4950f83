#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace morvane {

// Every translation between bytes and pixels goes through these bit texts, so that the viewer,
// the painter and the PNG round trip can never disagree about the bit order.

// A byte as 8 characters "0"/"1", most significant bit (the leftmost pixel) first.
std::string ByteToBits(std::uint8_t value);

// The inverse of ByteToBits. Shorter texts are read as if padded with leading zeros, only the
// first 8 characters count, and any character other than "1" counts as 0.
std::uint8_t BitsToByte(std::string_view bits);

// A pixel value 0..3 as two characters, the plane-0 bit first: "00", "10", "01", "11".
std::string_view ShadeCode(int value);

// The pixel value of a two-character code; the inverse of ShadeCode.
int ShadeValue(std::string_view code);

// The eight pixel values 0..3 of one tile row, columns 0 to 7, from its two bytes.
std::array<std::uint8_t, 8> DecodeRow(std::uint8_t plane0, std::uint8_t plane1);

// The two bytes (plane 0, plane 1) of one tile row from its eight pixel values 0..3.
std::pair<std::uint8_t, std::uint8_t> EncodeRow(const std::array<std::uint8_t, 8>& values);

} // namespace morvane
