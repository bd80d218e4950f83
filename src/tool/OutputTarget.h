#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace morvane {

// Which file a path names, so an output can be told apart from the ROM image it came from
// whatever name, link or hard link leads to either.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file `path` leads to, following links; nothing when there is none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Refuses the run when standard output is a regular file that one of `inputs` also leads to
// ("export rom.gb 3 - >> rom.gb"): whatever the tool printed would be appended to a file it
// reads, growing or corrupting a ROM image. Pipes, terminals and devices are never refused.
void RefuseStandardOutputOnto(const std::vector<std::string>& inputs);

// A file the command reads: no output may take its place, whatever name or link leads to it.
// `role` names it in the refusal ("the ROM image").
struct InputFile {
    std::string role;
    std::optional<FileIdentity> identity;
};

InputFile InputOf(const std::string& role, const std::string& path);

// What a file already at an output's name must hold for the output to take its place without
// --force: a file of the output's own kind may be refreshed, anything else is someone's work.
enum class Replaceable {
    PngImage, // a PNG image (told by its signature)
    RawTiles, // exactly one sprite block's bytes, as raw 2bpp tiles are stored
    Nothing, // a patch or a patched image: a new file, so any file of that name is kept
};

// Why an output may not take the place of what `path` names, or nothing when it may. Nothing
// there, or a regular file of the `replaceable` kind, may be replaced. A link, or a regular file
// holding anything else, is refused unless `force` is given (then the link itself is replaced,
// never written through). A folder, pipe or device, or a file the command reads, is always
// refused. The text is the reason, to follow the quoted path.
std::optional<std::string> RefusalToReplace(const std::string& path,
    const std::vector<InputFile>& inputs, bool force, Replaceable replaceable);

// Writes an output file whole that RefusalToReplace let through: a new file, or with `force` the
// file or link now at its name replaced, so a file of that name is never overwritten unasked.
void WriteOutputFile(const std::string& path, std::span<const std::uint8_t> bytes, bool force);

// Whether the path leads to a folder.
bool IsFolder(const std::string& path);

// Makes the folder and any missing folders above it. On failure, removes the folders it made and
// throws ToolError with the system's reason or the file in the way. Returns the folders made,
// deepest last.
std::vector<std::string> MakeFolder(const std::string& path);

} // namespace morvane
