#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

// The bytes of a sprite image or sheet file, read whole. Only a regular file can hold one: a
// folder, a pipe or a device is refused before it is read (a named pipe would hold the open until
// some other program writes to it), and so is a file larger than kMaxSpritePngBytes. Refused with
// SpritePngError naming `subject` ("\"s.png\"").
std::vector<std::uint8_t> ReadImageFile(const std::string& path, const std::string& subject);

// Everything an open descriptor holds (standard input), refused past the size a sprite image or
// sheet file can have.
std::vector<std::uint8_t> ReadImageStream(int fd, const std::string& subject);

} // namespace morvane
