#include "RomFile.h"

#include "DescriptorWrite.h"
#include "RomFileError.h"
#include "base/MessageText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane {

namespace {

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

// Why a file of this kind cannot be a ROM image, or nothing for a regular file. A device has no
// length and may never end (/dev/zero) or swallow every write (/dev/null), so a transfer on it
// would report bytes that were never stored.
const char* NotARomImage(mode_t mode)
{
    if (S_ISREG(mode))
        return nullptr;
    if (S_ISDIR(mode))
        return "it is a folder, not a ROM image";
    if (S_ISFIFO(mode) || S_ISSOCK(mode))
        return "it is a pipe, not a ROM image; its bytes cannot be read at a sprite's offset";
    return "it is a device, not a ROM image file";
}

// Opens an existing regular file; O_CREAT is never passed, so a missing path is never created.
// The kind of file is checked before the open, so a device is never opened at all, and again
// on the open descriptor in case the name was swapped in between. O_NONBLOCK keeps a named pipe
// swapped in at that moment from hanging the open.
Descriptor OpenExisting(const std::string& path, int flags, const char* purpose, struct stat& info)
{
    if (path.empty())
        throw RomFileError("No ROM image has been chosen.");
    if (::stat(path.c_str(), &info) == 0) {
        if (const char* problem = NotARomImage(info.st_mode))
            throw RomFileError("Cannot open " + Quoted(path) + ": " + problem + ".");
    }
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd == -1) {
        const int error = errno;
        throw RomFileError(
            "Cannot open " + Quoted(path) + " for " + purpose + ": " + Reason(error) + ".");
    }
    Descriptor file(fd);
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        throw RomFileError("Cannot examine " + Quoted(path) + ": " + Reason(error) + ".");
    }
    if (const char* problem = NotARomImage(info.st_mode))
        throw RomFileError("Cannot open " + Quoted(path) + ": " + problem + ".");
    return file;
}

void CheckInside(const std::string& path, const struct stat& info, std::int64_t offset,
    std::size_t count, const char* verb)
{
    if (offset < 0)
        throw RomFileError("Cannot " + std::string(verb) + " " + Quoted(path)
            + " at a negative offset (" + std::to_string(offset) + ").");
    const std::int64_t size = info.st_size;
    if (offset + static_cast<std::int64_t>(count) > size) {
        throw RomFileError("Cannot " + std::string(verb) + " " + std::to_string(count)
            + " bytes at offset " + std::to_string(offset) + " of " + Quoted(path)
            + ": the file is only " + std::to_string(size)
            + " bytes long, so that part lies beyond its end.");
    }
}

void ReadAll(const std::string& path, int fd, std::int64_t offset, std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + done, out.size() - done,
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

// Asks the file system for the blocks of a stretch inside the file before any byte of it is
// written, so a sparse ROM image on a full disk is refused whole instead of failing half way.
// File systems that cannot reserve space are written without it; a write that then fails is
// still undone.
int Reserve(int fd, std::int64_t offset, std::size_t count)
{
#ifdef FALLOC_FL_KEEP_SIZE
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset), static_cast<off_t>(count))
        != 0) {
        const int error = errno;
        if (error != EOPNOTSUPP && error != ENOSYS && error != EINVAL)
            return error;
    }
#else
    (void)fd;
    (void)offset;
    (void)count;
#endif
    return 0;
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

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Gives the finished temporary its name unless something has that name already; 0 or the error.
int PlaceWithoutReplacing(const std::string& temporary, const std::string& path)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    // A file system that cannot rename without replacing can still refuse a second name.
    if (::link(temporary.c_str(), path.c_str()) != 0)
        return errno;
    ::unlink(temporary.c_str());
    return 0;
}

enum class Existing { Refuse, Replace };

std::string Verb(Existing existing)
{
    return existing == Existing::Refuse ? "create " : "write ";
}

// Writes `data` into a temporary file beside `path` and flushes it to disk. The temporary's name
// does not grow with the final name, so a name as long as the file system allows still works.
// It is removed again on every failure.
StagedFile Stage(const std::string& path, std::span<const std::uint8_t> data, Existing existing)
{
    mode_t mode = 0666 & ~CurrentUmask();
    struct stat old { };
    // A new file is refused an existing name only when it would take it, below, so nothing that
    // appears meanwhile is replaced either.
    if (existing == Existing::Replace && ::lstat(path.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            throw RomFileError("Cannot write " + Quoted(path) + ": it is a folder.");
        if (!S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
            throw RomFileError("Cannot write " + Quoted(path)
                + ": it is a pipe or a device, not a file that can be replaced.");
        if (S_ISREG(old.st_mode))
            mode = old.st_mode & 07777;
    }
    const std::string name = NameOf(path);
    if (name.empty() || name == "." || name == "..")
        throw RomFileError("Cannot write " + Quoted(path) + ": it names a folder, not a file.");

    StagedFile staged {path, FolderOf(path) + "/.morvane-XXXXXX"};
    const int fd = ::mkostemp(staged.temporary.data(), O_CLOEXEC);
    if (fd == -1) {
        const int error = errno;
        throw RomFileError("Cannot " + Verb(existing) + Quoted(path) + ": " + Reason(error) + ".");
    }
    Descriptor file(fd);
    try {
        if (const int error = WriteAllTo(fd, data, 0).error)
            throw RomFileError("Cannot write " + Quoted(path) + ": " + Reason(error) + ".");
        if (::fchmod(fd, mode) != 0) {
            const int error = errno;
            throw RomFileError(
                "Cannot set the permissions of " + Quoted(path) + ": " + Reason(error) + ".");
        }
        FlushAndClose(path, file);
    } catch (const RomFileError&) {
        ::unlink(staged.temporary.c_str());
        throw;
    }
    return staged;
}

// Gives the staged file its name: with rename for a replacement (a link at `path` is replaced,
// not followed), with link for a new file (which fails rather than replace anything that
// appeared meanwhile). The temporary is removed on failure.
void Place(const StagedFile& staged, Existing existing)
{
    const std::string& path = staged.path;
    int error = 0;
    if (existing == Existing::Replace) {
        if (::rename(staged.temporary.c_str(), path.c_str()) != 0)
            error = errno;
    } else {
        error = PlaceWithoutReplacing(staged.temporary, path);
    }
    if (error == 0)
        return;
    ::unlink(staged.temporary.c_str());
    if (existing == Existing::Refuse && error == EEXIST)
        throw RomFileError("Cannot create " + Quoted(path)
            + ": a file of that name already exists and is left untouched.");
    throw RomFileError("Cannot " + Verb(existing) + Quoted(path) + ": " + Reason(error) + ".");
}

std::string RangeText(const RomWrite& write)
{
    return std::to_string(write.offset) + " to "
        + std::to_string(write.offset + static_cast<std::int64_t>(write.bytes.size()) - 1);
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
    ReadAll(path, file.get(), offset, out);
}

void WriteRomRanges(const std::string& path, std::span<const RomWrite> writes)
{
    struct stat info { };
    Descriptor file = OpenExisting(path, O_RDWR, "writing", info);
    for (const RomWrite& write : writes)
        CheckInside(path, info, write.offset, write.bytes.size(), "write");

    // Everything that can fail without touching the file comes first.
    std::vector<std::vector<std::uint8_t>> old;
    old.reserve(writes.size());
    for (const RomWrite& write : writes) {
        old.emplace_back(write.bytes.size());
        ReadAll(path, file.get(), write.offset, old.back());
        if (const int error = Reserve(file.get(), write.offset, write.bytes.size()))
            throw RomFileError("Cannot write to " + Quoted(path) + ": " + Reason(error)
                + ". The ROM image is unchanged.");
    }

    for (std::size_t i = 0; i < writes.size(); ++i) {
        const Written written = WriteAllTo(file.get(), writes[i].bytes, writes[i].offset);
        if (written.error == 0)
            continue;
        // Put back what made it, newest first; the bytes past what was done were never touched.
        std::string partly;
        for (std::size_t k = i + 1; k-- > 0;) {
            const std::size_t count = k == i ? written.done : old[k].size();
            const auto back = std::span<const std::uint8_t>(old[k]).first(count);
            const int again = WriteAllTo(file.get(), back, writes[k].offset).error;
            if (again != 0 && partly.empty())
                partly = "offsets " + RangeText(writes[k]) + " may be partly written, and "
                    + "putting the old bytes back failed too: " + Reason(again) + ".";
        }
        ::fsync(file.get());
        throw RomFileError("Cannot write to " + Quoted(path) + ": " + Reason(written.error) + ". "
            + (partly.empty() ? std::string("The ROM image is unchanged.")
                              : "The ROM image is not as it was: " + partly));
    }
    FlushAndClose(path, file);
}

void WriteRomBytes(const std::string& path, std::int64_t offset, std::span<const std::uint8_t> data)
{
    const RomWrite write {offset, data};
    WriteRomRanges(path, std::span<const RomWrite>(&write, 1));
}

void ReadSpriteBlock(const std::string& path, std::int32_t offset, SpriteBlock& block)
{
    // Read into a temporary so a failure leaves the caller's block exactly as it was.
    SpriteBlock incoming {};
    ReadRomBytes(path, offset, incoming);
    block = incoming;
}

void WriteSpriteBlock(const std::string& path, std::int32_t offset, const SpriteBlock& block)
{
    WriteRomBytes(path, offset, block);
}

void ReadSpriteBlock(const std::string& path, const std::string& offsetText, SpriteBlock& block)
{
    ReadSpriteBlock(path, ParseOffsetText(path, offsetText), block);
}

void WriteSpriteBlock(
    const std::string& path, const std::string& offsetText, const SpriteBlock& block)
{
    WriteSpriteBlock(path, ParseOffsetText(path, offsetText), block);
}

TileBytes ReadTile(const std::string& path, std::int32_t offset)
{
    TileBytes tile {};
    ReadRomBytes(path, offset, tile);
    return tile;
}

std::vector<std::uint8_t> ReadWholeRom(const std::string& path, std::int64_t maxBytes)
{
    struct stat info { };
    Descriptor file = OpenExisting(path, O_RDONLY, "reading", info);
    if (info.st_size > maxBytes)
        throw RomFileError("Cannot read " + Quoted(path) + ": it is " + std::to_string(info.st_size)
            + " bytes long, more than the " + std::to_string(maxBytes)
            + " bytes a ROM image can have.");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    ReadAll(path, file.get(), 0, bytes);
    return bytes;
}

std::int64_t RomFileSize(const std::string& path)
{
    struct stat info { };
    Descriptor file = OpenExisting(path, O_RDONLY, "reading", info);
    return info.st_size;
}

void CreateRomFile(const std::string& path, std::span<const std::uint8_t> data)
{
    Place(Stage(path, data, Existing::Refuse), Existing::Refuse);
    // A new file's name is durable once its folder is. A replacement is not waited for: its
    // bytes are on disk before the rename, so the name leads to the old file or the new one,
    // and "export --all" would otherwise wait for the folder 45 times.
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder != -1) {
        ::fsync(folder);
        ::close(folder);
    }
}

void ReplaceWholeFile(const std::string& path, std::span<const std::uint8_t> data)
{
    PlaceStagedFile(StageWholeFile(path, data));
}

StagedFile StageWholeFile(const std::string& path, std::span<const std::uint8_t> data)
{
    return Stage(path, data, Existing::Replace);
}

void PlaceStagedFile(const StagedFile& staged)
{
    Place(staged, Existing::Replace);
}

void DiscardStagedFile(const StagedFile& staged)
{
    ::unlink(staged.temporary.c_str());
}

} // namespace morvane
