#include "OutputTarget.h"

#include "ToolSupport.h"
#include "sprite/RomFile.h"
#include "sprite/SpriteBlock.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane {

namespace {

// The first bytes of every PNG file.
constexpr std::array<char, 8> kPngSignature = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};

// Whether the regular file starts like a PNG image; nothing when it cannot be read to tell.
std::optional<bool> HoldsPng(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd == -1)
        return std::nullopt;
    std::array<char, 8> head {};
    const ssize_t n = ::read(fd, head.data(), head.size());
    ::close(fd);
    if (n < 0)
        return std::nullopt;
    return n == static_cast<ssize_t>(head.size()) && head == kPngSignature;
}

std::string Reason(int error)
{
    return std::strerror(error);
}

} // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity {
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

void RefuseStandardOutputOnto(const std::vector<std::string>& inputs)
{
    struct stat info { };
    if (::fstat(STDOUT_FILENO, &info) != 0 || !S_ISREG(info.st_mode))
        return;
    const FileIdentity output {
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    for (const std::string& input : inputs) {
        if (input != kStandardStream && IdentityOf(input) == output)
            throw ToolError("Cannot write to standard output: it leads to " + Quoted(input)
                + ", which this command reads; nothing was done.");
    }
}

bool IsFolder(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

InputFile InputOf(const std::string& role, const std::string& path)
{
    return {role, IdentityOf(path)};
}

std::optional<std::string> RefusalToReplace(const std::string& path,
    const std::vector<InputFile>& inputs, bool force, Replaceable replaceable)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        return Reason(errno);
    }
    if (replaceable == Replaceable::Nothing && !force)
        return std::string("a file of that name already exists and is left untouched (--force "
                           "replaces it)");
    if (S_ISLNK(info.st_mode)) {
        if (force)
            return std::nullopt;
        return std::string("it is a link, and the file it leads to is left untouched (--force "
                           "replaces the link itself)");
    }
    if (S_ISDIR(info.st_mode))
        return std::string("it is a folder");
    if (!S_ISREG(info.st_mode))
        return std::string("it is a pipe or a device, not a file");
    const FileIdentity identity {
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    for (const InputFile& input : inputs) {
        if (input.identity == identity)
            return "it is " + input.role + " being read, and is left untouched";
    }
    if (force)
        return std::nullopt;
    if (replaceable == Replaceable::RawTiles) {
        if (info.st_size == kSpriteBlockBytes)
            return std::nullopt;
        return "it is not a sprite's raw 2bpp tiles (" + std::to_string(kSpriteBlockBytes)
            + " bytes), so it is left untouched (--force replaces it)";
    }
    const std::optional<bool> png = HoldsPng(path);
    if (!png)
        return std::string("it cannot be read to tell whether it is a PNG image, so it is left "
                           "untouched (--force replaces it)");
    if (!*png)
        return std::string("it is not a PNG image, so it is left untouched (--force replaces it)");
    return std::nullopt;
}

void WriteOutputFile(const std::string& path, std::span<const std::uint8_t> bytes, bool force)
{
    if (force)
        ReplaceWholeFile(path, bytes);
    else
        CreateRomFile(path, bytes);
}

std::vector<std::string> MakeFolder(const std::string& path)
{
    std::vector<std::string> made;
    const auto undo = [&] {
        for (auto folder = made.rbegin(); folder != made.rend(); ++folder)
            ::rmdir(folder->c_str());
    };
    std::size_t end = 0;
    while (end != std::string::npos) {
        end = path.find('/', end + 1);
        const std::string prefix = path.substr(0, end);
        if (prefix.empty() || prefix.back() == '/')
            continue;
        struct stat info { };
        if (::stat(prefix.c_str(), &info) == 0) {
            if (S_ISDIR(info.st_mode))
                continue;
            undo();
            throw ToolError("Cannot create the folder " + Quoted(path) + ": "
                + (prefix == path ? std::string("a file of that name is in the way")
                                  : Quoted(prefix) + " is a file, not a folder")
                + ".");
        }
        if (::mkdir(prefix.c_str(), 0777) == 0) {
            made.push_back(prefix);
        } else if (errno != EEXIST) {
            const int error = errno;
            undo();
            throw ToolError("Cannot create the folder " + Quoted(path) + ": "
                + (prefix == path ? std::string() : "making " + Quoted(prefix) + " failed: ")
                + Reason(error) + ".");
        }
    }
    return made;
}

} // namespace morvane
