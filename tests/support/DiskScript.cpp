#include "DiskScript.h"

#include <algorithm>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace morvane::test {

namespace {

bool armed = false;
DiskScript script;
std::function<void(const DiskTransfer&)> watcher;

// The next scripted answer to `call`, if any.
std::optional<DiskAnswer> Next(const char* call)
{
    if (!armed)
        return std::nullopt;
    auto& answers = script[call];
    if (answers.empty())
        return std::nullopt;
    const DiskAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

void Watch(bool write, off_t offset, size_t count)
{
    if (armed && watcher)
        watcher(DiskTransfer {write, offset, count});
}

template <typename Function> Function Real(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

void ArmDisk(DiskScript answers, std::function<void(const DiskTransfer&)> watch)
{
    script = std::move(answers);
    watcher = std::move(watch);
    armed = true;
}

DiskScript DisarmDisk()
{
    armed = false;
    watcher = nullptr;
    DiskScript left;
    for (auto& [call, answers] : script)
        if (!answers.empty())
            left[call] = answers;
    script.clear();
    return left;
}

} // namespace morvane::test

using morvane::test::Next;
using morvane::test::Real;
using morvane::test::Watch;

// These stand in for the C library's calls within the test program.
extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    Watch(false, offset, count);
    if (const auto answer = Next("pread")) {
        if (answer->error != 0) {
            errno = answer->error;
            return -1;
        }
        if (answer->endOfFile)
            return 0;
        count = std::min(count, answer->atMost);
    }
    return real(fd, buffer, count, offset);
}

extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    Watch(true, offset, count);
    if (const auto answer = Next("pwrite")) {
        if (answer->error != 0) {
            errno = answer->error;
            return -1;
        }
        count = std::min(count, answer->atMost);
    }
    return real(fd, buffer, count, offset);
}

extern "C" int fallocate(int fd, int mode, off_t offset, off_t length)
{
    static const auto real = Real<int (*)(int, int, off_t, off_t)>("fallocate");
    if (const auto answer = Next("fallocate"); answer && answer->error != 0) {
        errno = answer->error;
        return -1;
    }
    return real(fd, mode, offset, length);
}

extern "C" int fsync(int fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    if (const auto answer = Next("fsync"); answer && answer->error != 0) {
        errno = answer->error;
        return -1;
    }
    return real(fd);
}
