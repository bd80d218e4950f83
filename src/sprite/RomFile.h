#pragma once

#include "SpriteBlock.h"

#include <cstdint>
#include <span>
#include <string>

namespace morvane {

// Every operation opens the ROM image by path, does one transfer and closes it again: the editor
// never holds the file open. All of them throw RomFileError and never leave a half-done result:
// a failed read leaves the caller's buffer as it was, and a write never creates, grows or
// truncates the file.

// Reads the 384-byte block at the decimal offset text into `block`.
void ReadSpriteBlock(const std::string& path, const std::string& offsetText, SpriteBlock& block);

// Writes all 384 bytes of `block` at the decimal offset text, in place, and flushes them to disk.
void WriteSpriteBlock(
    const std::string& path, const std::string& offsetText, const SpriteBlock& block);

// Reads the 16 bytes of one tile at a byte offset.
TileBytes ReadTile(const std::string& path, std::int32_t offset);

// The general transfers behind the three above: exactly out.size() / data.size() bytes.
void ReadRomBytes(const std::string& path, std::int64_t offset, std::span<std::uint8_t> out);
void WriteRomBytes(
    const std::string& path, std::int64_t offset, std::span<const std::uint8_t> data);

// Creates a new ROM image holding `data`. Refuses to replace an existing file; a failed write
// removes the partial file so nothing half-written is left behind.
void CreateRomFile(const std::string& path, std::span<const std::uint8_t> data);

// The length of the file in bytes.
std::int64_t RomFileSize(const std::string& path);

// Turns an offset text of decimal digits into a number; anything else ("?" from SpriteOffset,
// a sign, a blank, a value past 32 bits) is refused with RomFileError naming the file.
std::int32_t ParseOffsetText(const std::string& path, const std::string& offsetText);

} // namespace morvane
