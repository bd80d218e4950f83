#include "ImageFile.h"

#include "SpritePng.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane {

namespace {

[[noreturn]] void RefuseImage(const std::string& subject, const std::string& reason)
{
    throw SpritePngError(subject + " cannot be read: " + reason + ".");
}

// Only a regular file can hold an image: opening a named pipe waits until some other program
// writes to it, a device may never end, and a folder holds no bytes of its own.
void RefuseKind(const std::string& subject, mode_t mode)
{
    if (S_ISDIR(mode))
        RefuseImage(subject, "it is a folder, not an image file");
    if (!S_ISREG(mode))
        RefuseImage(subject, "it is a pipe or a device, not an image file");
}

} // namespace

std::vector<std::uint8_t> ReadImageStream(int fd, const std::string& subject)
{
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    while (std::int64_t(bytes.size()) <= kMaxSpritePngBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            RefuseImage(subject, std::strerror(errno));
        if (n == 0)
            return bytes;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    RefuseImage(subject,
        "it holds more than " + std::to_string(kMaxSpritePngBytes)
            + " bytes, and a sprite image file never does");
}

std::vector<std::uint8_t> ReadImageFile(const std::string& path, const std::string& subject)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) == 0)
        RefuseKind(subject, info.st_mode);
    // O_NONBLOCK keeps a named pipe swapped in after the check from hanging the open; the kind
    // is checked again on what was opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd == -1)
        RefuseImage(subject, std::strerror(errno));
    std::vector<std::uint8_t> bytes;
    try {
        if (::fstat(fd, &info) != 0)
            RefuseImage(subject, std::strerror(errno));
        RefuseKind(subject, info.st_mode);
        if (info.st_size > kMaxSpritePngBytes)
            RefuseImage(subject,
                "it is " + std::to_string(info.st_size)
                    + " bytes long, and a sprite image file is never larger than "
                    + std::to_string(kMaxSpritePngBytes) + " bytes");
        bytes = ReadImageStream(fd, subject);
    } catch (const SpritePngError&) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return bytes;
}

} // namespace morvane
