#include "ToolSupport.h"

#include "CommandLine.h"
#include "sprite/RomFile.h"
#include "sprite/SpriteCatalogue.h"
#include "spritepng/ImageFile.h"

#include <algorithm>
#include <cctype>
#include <unistd.h>

namespace morvane {

std::string Label(int index)
{
    return std::string(SpriteLabel(index));
}

std::string Describe(int index)
{
    return "sprite " + std::to_string(index) + " (" + Label(index) + ")";
}

std::string Capitalised(std::string text)
{
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

int ParseSpriteIndex(const std::string& text)
{
    const bool digits = !text.empty() && text.size() <= 2
        && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(text) >= kSpriteCount)
        throw UsageError(Quoted(text) + " is not a sprite index: they are numbered 0 to "
            + std::to_string(kSpriteCount - 1) + " (see \"morvane-sprite-tool list\")");
    return std::stoi(text);
}

std::int32_t OffsetOf(int index)
{
    return *SpriteOffsetValue(static_cast<std::int16_t>(index));
}

SpriteBlock ReadBlock(const std::string& rom, int index)
{
    SpriteBlock block {};
    ReadRomBytes(rom, OffsetOf(index), block);
    return block;
}

SpriteSet ReadAllBlocks(const std::string& rom)
{
    SpriteSet blocks {};
    for (int index = 0; index < kSpriteCount; ++index)
        blocks[static_cast<std::size_t>(index)] = ReadBlock(rom, index);
    return blocks;
}

void RefuseStandardRom(const std::string& rom)
{
    if (rom == kStandardStream)
        throw UsageError("a ROM image cannot be \"-\": it is read and written in place, at the "
                         "offsets of its sprites");
}

FileData ReadImageBytes(const std::string& source)
{
    if (source == kStandardStream)
        return ReadImageStream(STDIN_FILENO, "Standard input");
    return ReadImageFile(source, Quoted(source));
}

SpriteFileKind KindFor(const CommandLine& line, const std::string& name)
{
    if (line.raw)
        return SpriteFileKind::RawTiles;
    return name == kStandardStream ? SpriteFileKind::Png : KindOfName(name);
}

FileData SpriteFileData(const SpriteBlock& block, SpriteFileKind kind, PngPalette palette)
{
    if (kind == SpriteFileKind::Png)
        return SpritePngData(block, palette);
    return {block.begin(), block.end()};
}

SpriteBlock DecodeSpriteFile(
    std::span<const std::uint8_t> bytes, const std::string& source, SpriteFileKind kind)
{
    if (kind == SpriteFileKind::Png)
        return DecodeSpritePng(bytes, ImageSubject(source));
    if (bytes.size() != kSpriteBlockBytes)
        throw SpritePngError(Capitalised(ImageSubject(source)) + " cannot be read: it is "
            + std::to_string(bytes.size())
            + " bytes long, and a sprite's raw 2bpp tiles are exactly "
            + std::to_string(kSpriteBlockBytes) + " bytes.");
    SpriteBlock block {};
    std::copy(bytes.begin(), bytes.end(), block.begin());
    return block;
}

std::string ImageSubject(const std::string& source)
{
    return source == kStandardStream ? "standard input" : QuotedName(source);
}

void WriteToStandardOutput(
    std::ostream& out, std::span<const std::uint8_t> bytes, const std::string& what)
{
    if (::isatty(STDOUT_FILENO))
        throw ToolError("Cannot write " + what
            + " to standard output: it is a terminal; send it to a file or a pipe instead.");
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void WriteImageFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    ReplaceWholeFile(path, bytes);
}

} // namespace morvane
