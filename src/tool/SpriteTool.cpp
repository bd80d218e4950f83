#include "SpriteTool.h"

#include "BlockDifference.h"
#include "CommandLine.h"
#include "SpriteFileName.h"
#include "StderrMute.h"
#include "ToolHelp.h"
#include "demo/DemoRom.h"
#include "sprite/RomFile.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteCatalogue.h"
#include "spritepng/SpritePng.h"

#include <QDir>
#include <QFile>

#include <array>
#include <cstdio>

namespace morvane {

namespace {

constexpr std::string_view kProgram = "morvane-sprite-tool";

// A failure of the tool's own (a folder that cannot be made); like the file errors, status 1.
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message) : std::runtime_error(message) { }
};

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

int ParseSpriteIndex(const std::string& text)
{
    const bool digits = !text.empty() && text.size() <= 2
        && text.find_first_not_of("0123456789") == std::string::npos;
    const int index = digits ? std::stoi(text) : -1;
    if (index < 0 || index >= kSpriteCount)
        throw UsageError(Quoted(text) + " is not a sprite index: they are numbered 0 to "
            + std::to_string(kSpriteCount - 1) + " (see \"" + std::string(kProgram) + " list\")");
    return index;
}

std::string Offset(int index)
{
    return SpriteOffset(static_cast<std::int16_t>(index));
}

// The label without the trailing spaces a catalogue label may be stored with.
std::string Label(int index)
{
    const std::string_view label = SpriteLabel(index);
    return std::string(label.substr(0, label.find_last_not_of(' ') + 1));
}

std::string Describe(int index)
{
    return "sprite " + std::to_string(index) + " (" + Label(index) + ")";
}

SpriteBlock ReadBlock(const std::string& rom, int index)
{
    SpriteBlock block {};
    ReadSpriteBlock(rom, Offset(index), block);
    return block;
}

void RunList(std::ostream& out)
{
    for (int index = 0; index < kSpriteCount; ++index) {
        const std::int32_t offset = *SpriteOffsetValue(static_cast<std::int16_t>(index));
        char line[80];
        std::snprintf(line, sizeof line, "%2d  %-14s  %7ld  0x%05lX\n", index, Label(index).c_str(),
            static_cast<long>(offset), static_cast<unsigned long>(offset));
        out << line;
    }
}

void RunExport(const CommandLine& line, std::ostream& out)
{
    const std::string& rom = line.operands[0];
    if (!line.all) {
        const int index = ParseSpriteIndex(line.operands[1]);
        const std::string& target = line.operands[2];
        const SpriteBlock block = ReadBlock(rom, index);
        const StderrMute mute;
        WriteSpritePng(QFile::decodeName(target.c_str()), block, line.colours);
        out << "Wrote " << Describe(index) << " to " << target << ".\n";
        return;
    }
    // Every block is read before anything is written, so a ROM image too short for the last
    // entries leaves no half-filled folder behind.
    std::array<SpriteBlock, kSpriteCount> blocks {};
    for (int index = 0; index < kSpriteCount; ++index)
        blocks[static_cast<std::size_t>(index)] = ReadBlock(rom, index);
    const std::string& folder = line.operands[1];
    const QString folderPath = QFile::decodeName(folder.c_str());
    if (!QDir().mkpath(folderPath))
        throw ToolError("Cannot create the folder " + Quoted(folder) + ".");
    const QDir dir(folderPath);
    const StderrMute mute;
    for (int index = 0; index < kSpriteCount; ++index) {
        const QString name = QString::fromStdString(SpriteFileName(index));
        WriteSpritePng(dir.filePath(name), blocks[static_cast<std::size_t>(index)], line.colours);
    }
    out << "Wrote " << kSpriteCount << " sprites to " << folder << ".\n";
}

void RunImport(const CommandLine& line, std::ostream& out)
{
    const std::string& rom = line.operands[0];
    const int index = ParseSpriteIndex(line.operands[1]);
    const std::string& source = line.operands[2];
    const SpriteBlock incoming = [&] {
        const StderrMute mute;
        return ReadSpritePng(QFile::decodeName(source.c_str()));
    }();
    const SpriteBlock current = ReadBlock(rom, index);
    const BlockDifference difference = CompareBlocks(current, incoming);
    const std::string counts = std::to_string(difference.pixels) + " pixels and "
        + std::to_string(difference.bytes) + " bytes";
    if (difference.bytes == 0) {
        out << source << " matches " << Describe(index)
            << " already: nothing to change, the ROM image is not written.\n";
    } else if (line.dryRun) {
        out << "Importing " << source << " into " << Describe(index) << " would change " << counts
            << "; nothing was written (dry run).\n";
    } else {
        WriteSpriteBlock(rom, Offset(index), incoming);
        out << "Imported " << source << " into " << Describe(index) << " at offset "
            << Offset(index) << ": " << counts << " changed.\n";
    }
}

void RunDemo(const CommandLine& line, std::ostream& out)
{
    const std::string& target = line.operands[0];
    CreateRomFile(target, MakeDemoRom());
    out << "Wrote the demo ROM image " << target << " (" << kDemoRomBytes << " bytes, "
        << kSpriteCount << " sprites).\n";
}

// An error is reported on one line, whatever the message or a file name in it holds.
void ReportError(std::ostream& err, const std::string& message)
{
    std::string text = message;
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    err << kProgram << ": " << text << "\n";
}

} // namespace

int RunSpriteTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        const CommandLine line = ParseCommandLine(args);
        if (line.help) {
            out << ToolHelp(line.command);
            return 0;
        }
        if (line.command == "list")
            RunList(out);
        else if (line.command == "export")
            RunExport(line, out);
        else if (line.command == "import")
            RunImport(line, out);
        else
            RunDemo(line, out);
        out.flush();
        return 0;
    } catch (const UsageError& error) {
        ReportError(err, error.what());
        return 2;
    } catch (const RomFileError& error) {
        ReportError(err, error.what());
    } catch (const SpritePngError& error) {
        ReportError(err, error.what());
    } catch (const ToolError& error) {
        ReportError(err, error.what());
    }
    return 1;
}

} // namespace morvane
