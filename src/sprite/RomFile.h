#pragma once

#include "SpriteBlock.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace morvane {

// Every operation opens the ROM image by path, does one transfer and closes it again: the editor
// never holds the file open. All of them throw RomFileError and never leave a half-done result:
// a failed read leaves the caller's buffer as it was, and a write never creates, grows or
// truncates the file. A ROM image must be a regular file (a link to one is fine): folders,
// pipes and devices are refused before anything is read or written.

// Reads the 384-byte block at `offset` into `block`.
void ReadSpriteBlock(const std::string& path, std::int32_t offset, SpriteBlock& block);

// Writes all 384 bytes of `block` at `offset`, in place, and flushes them to disk.
void WriteSpriteBlock(const std::string& path, std::int32_t offset, const SpriteBlock& block);

// The same two with the offset as decimal text, the form SpriteOffset gives; a text that is not
// a number is refused as ParseOffsetText says.
void ReadSpriteBlock(const std::string& path, const std::string& offsetText, SpriteBlock& block);
void WriteSpriteBlock(
    const std::string& path, const std::string& offsetText, const SpriteBlock& block);

// Reads the 16 bytes of one tile at a byte offset.
TileBytes ReadTile(const std::string& path, std::int32_t offset);

// The general transfers behind the three above: exactly out.size() / data.size() bytes.
void ReadRomBytes(const std::string& path, std::int64_t offset, std::span<std::uint8_t> out);
void WriteRomBytes(
    const std::string& path, std::int64_t offset, std::span<const std::uint8_t> data);

// One stretch of bytes to put at an offset of a ROM image.
struct RomWrite {
    std::int64_t offset = 0;
    std::span<const std::uint8_t> bytes;
};

// Writes several stretches in one opening of the file, all or none: the old bytes are read and
// the space is reserved before the first byte is written, and if a write still fails, every
// stretch already written gets its old bytes back. The message then says whether the file is
// unchanged. All stretches must lie inside the file; they are checked before anything is written.
void WriteRomRanges(const std::string& path, std::span<const RomWrite> writes);

// The whole ROM image, refused when it is longer than `maxBytes`.
std::vector<std::uint8_t> ReadWholeRom(const std::string& path, std::int64_t maxBytes);

// Creates a new file holding `data`, such as a ROM image or a patch. It is written whole beside
// its final name and flushed to disk before it takes that name, so it appears complete or not at
// all; a file of that name (or a link, even a dangling one) is never replaced.
void CreateRomFile(const std::string& path, std::span<const std::uint8_t> data);

// Puts a new file holding `data` in place of whatever file `path` names, the same way: the old
// file stays whole until the new one takes its name. A link at `path` is itself replaced, never
// written through; a folder, pipe or device there is refused. An old file's permissions carry
// over.
void ReplaceWholeFile(const std::string& path, std::span<const std::uint8_t> data);

// A file written whole and flushed to disk under a temporary name beside `path`, not yet given
// that name: a set of files ("export --all") is staged whole before any of them takes the place
// of what its name holds, so one that cannot be written leaves every old file as it was.
struct StagedFile {
    std::string path;
    std::string temporary;
};

// Stages `data` for `path` as ReplaceWholeFile writes it, with the permissions of the file now
// at `path`. Leaves nothing behind when it fails.
StagedFile StageWholeFile(const std::string& path, std::span<const std::uint8_t> data);

// Gives a staged file its name, replacing the file or link that has it.
void PlaceStagedFile(const StagedFile& staged);

// Removes a staged file that is not to take its name.
void DiscardStagedFile(const StagedFile& staged);

// The length of the file in bytes.
std::int64_t RomFileSize(const std::string& path);

// Turns an offset text of decimal digits into a number; anything else ("?" from SpriteOffset,
// a sign, a blank, a value past 32 bits) is refused with RomFileError naming the file.
std::int32_t ParseOffsetText(const std::string& path, const std::string& offsetText);

} // namespace morvane
