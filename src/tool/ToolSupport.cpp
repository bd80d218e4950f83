#include "ToolSupport.h"

#include "CommandLine.h"
#include "sprite/RomFile.h"
#include "sprite/SpriteCatalogue.h"

#include <QFile>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace morvane {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

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
    ReadSpriteBlock(rom, SpriteOffset(static_cast<std::int16_t>(index)), block);
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

QString QtPath(const std::string& path)
{
    return QFile::decodeName(path.c_str());
}

QByteArray ReadStandardInput()
{
    QByteArray bytes;
    char buffer[65536];
    while (bytes.size() <= kMaxSpritePngBytes) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw ToolError(
                "Cannot read standard input: " + std::string(std::strerror(errno)) + ".");
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
    }
    throw ToolError("Cannot read standard input: it holds more than "
        + std::to_string(kMaxSpritePngBytes) + " bytes, and a sprite image file never does.");
}

void WriteImageFile(const std::string& path, const QByteArray& bytes)
{
    ReplaceWholeFile(path,
        {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())});
}

} // namespace morvane
