#pragma once

#include "DisplayText.h"
#include "SpriteFileName.h"
#include "base/UserError.h"
#include "sprite/SpriteBlock.h"
#include "spritepng/SpriteSheet.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace morvane {

// A refusal of the tool's own (a folder that cannot be made, a file in the way); like the file
// errors, exit status 1.
class ToolError : public UserError {
public:
    using UserError::UserError;
};

// The name a file argument takes for standard input or output.
inline constexpr std::string_view kStandardStream = "-";

// The bytes of a file the tool reads or writes whole: a sprite image, a sheet, raw tiles.
using FileData = std::vector<std::uint8_t>;

// The largest ROM image the tool reads whole (diff, patch, apply, info): far beyond any
// cartridge, and the most a patch here may build.
inline constexpr std::int64_t kMaxRomImageBytes = std::int64_t {64} << 20;

// The label the catalogue gives the entry.
std::string Label(int index);
// "sprite 3 (Dr. Velloc)".
std::string Describe(int index);
// The text with its first letter in capitals, to start a sentence.
std::string Capitalised(std::string text);

// A sprite index given on the command line: 0 to 44, one or two digits; anything else is a
// usage error.
int ParseSpriteIndex(const std::string& text);

std::int32_t OffsetOf(int index);
SpriteBlock ReadBlock(const std::string& rom, int index);
// Every block, read before anything is written, so a ROM image too short for the last entries
// leaves nothing half done.
SpriteSet ReadAllBlocks(const std::string& rom);

// A ROM image is changed in place, so it cannot be "-".
void RefuseStandardRom(const std::string& rom);

// The bytes of a sprite image or sheet: the file `source` names, or standard input for "-".
// Refused past the size such a file can have, and refused unread when the name leads to a
// folder, pipe or device.
FileData ReadImageBytes(const std::string& source);

struct CommandLine;

// The kind of a sprite's file on the command line: raw tiles with --raw, otherwise as its name
// tells; "-" has no name to tell, so it is a PNG image unless --raw says otherwise.
SpriteFileKind KindFor(const CommandLine& line, const std::string& name);

// The bytes of a sprite's file: an indexed PNG image in the chosen colours, or the block as it is
// stored.
FileData SpriteFileData(const SpriteBlock& block, SpriteFileKind kind, PngPalette palette);

// A sprite read back from the bytes of its file (read by ReadImageBytes); `source` is the name
// given, "-" for standard input. Raw tiles must be exactly one block's bytes; an image is read by
// the rules of DecodeSpritePng. Refused with SpritePngError.
SpriteBlock DecodeSpriteFile(
    std::span<const std::uint8_t> bytes, const std::string& source, SpriteFileKind kind);

// How messages name an image's source: the quoted file name, or "standard input".
std::string ImageSubject(const std::string& source);

// Writes a file's bytes to standard output for "-", refused when it is a terminal: an image or
// a block of tiles is no text, and would only garble the screen. `what` names it in the refusal.
void WriteToStandardOutput(
    std::ostream& out, std::span<const std::uint8_t> bytes, const std::string& what);

// Writes a whole image file in place of whatever file `path` names (checked by the caller).
void WriteImageFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace morvane
