#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

// A file's name or a value as it stands in a message, in double quotes. The bytes are kept as
// they are: each program shows a whole message in its own way (the tool escapes undecodable
// bytes, the window decodes them), so quoting here never alters a name.
std::string Quoted(std::string_view text);

// A number in hexadecimal as ROM offsets and checksums are written, "0x14D", with at least
// `digits` hex digits ("0x0000FFFF" for a CRC-32 with 8).
std::string Hex(std::uint64_t value, int digits = 0);

} // namespace morvane
