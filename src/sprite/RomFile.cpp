#include "RomFile.h"

#include "RomFileError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane {

namespace {

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

std::string Reason(int error)
{
    return std::strerror(error);
}

// Closes the descriptor on every path out of an operation. A close that fails after a write is
// checked separately by the writer, so this only covers the early exits.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) { }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) { }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Opens an existing file; O_CREAT is never passed, so a missing path is never created.
// O_NONBLOCK keeps a named pipe from hanging the open until some other program attaches to it;
// it changes nothing for a regular file.
Descriptor OpenExisting(const std::string& path, int flags, const char* purpose, struct stat& info)
{
    if (path.empty())
        throw RomFileError("No ROM image has been chosen.");
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        throw RomFileError(
            "Cannot open " + Quoted(path) + " for " + purpose + ": " + Reason(error) + ".");
    }
    Descriptor file(fd);
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        throw RomFileError("Cannot examine " + Quoted(path) + ": " + Reason(error) + ".");
    }
    if (S_ISDIR(info.st_mode))
        throw RomFileError("Cannot open " + Quoted(path) + ": it is a folder, not a ROM image.");
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
        throw RomFileError("Cannot open " + Quoted(path)
            + ": it is a pipe, not a ROM image; its bytes cannot be read at a sprite's offset.");
    return file;
}

// Devices such as /dev/full have no meaningful length; only regular files are measured.
void CheckInside(const std::string& path, const struct stat& info, std::int64_t offset,
    std::size_t count, const char* verb)
{
    if (offset < 0)
        throw RomFileError("Cannot " + std::string(verb) + " " + Quoted(path)
            + " at a negative offset (" + std::to_string(offset) + ").");
    if (!S_ISREG(info.st_mode))
        return;
    const std::int64_t size = info.st_size;
    if (offset + static_cast<std::int64_t>(count) > size) {
        throw RomFileError("Cannot " + std::string(verb) + " " + std::to_string(count)
            + " bytes at offset " + std::to_string(offset) + " of " + Quoted(path)
            + ": the file is only " + std::to_string(size)
            + " bytes long, so that part lies beyond its end.");
    }
}

void WriteAll(
    const std::string& path, int fd, std::int64_t offset, std::span<const std::uint8_t> data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done,
            static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            throw RomFileError("Cannot write to " + Quoted(path) + ": " + Reason(error)
                + ". The file may be partly written.");
        }
        done += static_cast<std::size_t>(n);
    }
}

// Makes the written bytes durable and reports the errors that only show at flush or close.
void FlushAndClose(const std::string& path, Descriptor& file)
{
    if (::fsync(file.get()) != 0 && errno != EINVAL && errno != EROFS) {
        const int error = errno;
        throw RomFileError("Cannot save " + Quoted(path) + " to disk: " + Reason(error) + ".");
    }
    if (::close(file.release()) != 0) {
        const int error = errno;
        throw RomFileError("Cannot finish writing " + Quoted(path) + ": " + Reason(error) + ".");
    }
}

} // namespace

std::int32_t ParseOffsetText(const std::string& path, const std::string& offsetText)
{
    std::int64_t value = 0;
    bool valid = !offsetText.empty() && offsetText.size() <= 10;
    for (const char c : offsetText) {
        if (c < '0' || c > '9') {
            valid = false;
            break;
        }
        value = value * 10 + (c - '0');
    }
    if (!valid || value > INT32_MAX)
        throw RomFileError("Cannot use the offset \"" + offsetText + "\" in " + Quoted(path)
            + ": it is not a sprite offset.");
    return static_cast<std::int32_t>(value);
}

void ReadRomBytes(const std::string& path, std::int64_t offset, std::span<std::uint8_t> out)
{
    struct stat info { };
    Descriptor file = OpenExisting(path, O_RDONLY, "reading", info);
    CheckInside(path, info, offset, out.size(), "read");
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(file.get(), out.data() + done, out.size() - done,
            static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            throw RomFileError("Cannot read " + Quoted(path) + ": " + Reason(error) + ".");
        }
        if (n == 0)
            throw RomFileError("Cannot read " + std::to_string(out.size()) + " bytes at offset "
                + std::to_string(offset) + " of " + Quoted(path) + ": the file ended early.");
        done += static_cast<std::size_t>(n);
    }
}

void WriteRomBytes(const std::string& path, std::int64_t offset, std::span<const std::uint8_t> data)
{
    struct stat info { };
    Descriptor file = OpenExisting(path, O_WRONLY, "writing", info);
    CheckInside(path, info, offset, data.size(), "write");
    WriteAll(path, file.get(), offset, data);
    FlushAndClose(path, file);
}

void ReadSpriteBlock(const std::string& path, const std::string& offsetText, SpriteBlock& block)
{
    const std::int32_t offset = ParseOffsetText(path, offsetText);
    // Read into a temporary so a failure leaves the caller's block exactly as it was.
    SpriteBlock incoming {};
    ReadRomBytes(path, offset, incoming);
    block = incoming;
}

void WriteSpriteBlock(
    const std::string& path, const std::string& offsetText, const SpriteBlock& block)
{
    WriteRomBytes(path, ParseOffsetText(path, offsetText), block);
}

TileBytes ReadTile(const std::string& path, std::int32_t offset)
{
    TileBytes tile {};
    ReadRomBytes(path, offset, tile);
    return tile;
}

std::int64_t RomFileSize(const std::string& path)
{
    struct stat info { };
    Descriptor file = OpenExisting(path, O_RDONLY, "reading", info);
    return info.st_size;
}

void CreateRomFile(const std::string& path, std::span<const std::uint8_t> data)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST)
            throw RomFileError("Cannot create " + Quoted(path)
                + ": a file of that name already exists and is left untouched.");
        throw RomFileError("Cannot create " + Quoted(path) + ": " + Reason(error) + ".");
    }
    Descriptor file(fd);
    try {
        WriteAll(path, file.get(), 0, data);
        FlushAndClose(path, file);
    } catch (const RomFileError&) {
        ::unlink(path.c_str());
        throw;
    }
}

} // namespace morvane
