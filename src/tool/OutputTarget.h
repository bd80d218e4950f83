#pragma once

#include <cstdint>
#include <optional>
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

// Why an exported image may not take the place of what `path` names, or nothing when it may.
// Nothing there, or a regular file that holds a PNG image (by its signature), may be replaced.
// A link, or a regular file holding anything else, is refused unless `force` is given (then the
// link itself is replaced, never written through). A folder, pipe or device, or the ROM image
// `rom` itself, is always refused. The text is the reason, to follow the quoted path.
std::optional<std::string> RefusalToReplace(
    const std::string& path, const std::optional<FileIdentity>& rom, bool force);

// Whether anything at all, even a dangling link, has this name.
bool NameIsTaken(const std::string& path);

// Whether the path leads to a folder.
bool IsFolder(const std::string& path);

// Makes the folder and any missing folders above it. On failure, removes the folders it made and
// throws ToolError with the system's reason or the file in the way. Returns the folders made,
// deepest last.
std::vector<std::string> MakeFolder(const std::string& path);

} // namespace morvane
