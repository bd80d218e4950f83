#include "DiskScript.h"

#include <algorithm>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <utility>

using namespace morvane::test;

namespace {

std::optional<DiskScript> script; // none while unarmed
std::function<void(const DiskTransfer&)> watcher;

// The next scripted answer to `call`, or one that lets it through; a failure sets errno. A
// transfer is shown to the watcher before anything is answered.
DiskAnswer Next(const char* call, std::optional<DiskTransfer> transfer = std::nullopt)
{
    if (!script)
        return {};
    if (transfer && watcher)
        watcher(*transfer);
    auto& answers = (*script)[call];
    if (answers.empty())
        return {};
    const DiskAnswer answer = answers.front();
    answers.pop_front();
    if (answer.error != 0)
        errno = answer.error;
    return answer;
}

template <typename Function> Function Real(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

void morvane::test::ArmDisk(DiskScript answers, std::function<void(const DiskTransfer&)> watch)
{
    script = std::move(answers);
    watcher = std::move(watch);
}

DiskScript morvane::test::DisarmDisk()
{
    watcher = nullptr;
    DiskScript left = std::exchange(script, std::nullopt).value_or(DiskScript {});
    std::erase_if(left, [](const auto& call) { return call.second.empty(); });
    return left;
}

// These stand in for the C library's calls within the test program.
extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    const DiskAnswer answer = Next("pread", DiskTransfer {false, offset, count});
    if (answer.error != 0 || answer.endOfFile)
        return answer.error != 0 ? -1 : 0;
    return real(fd, buffer, std::min(count, answer.atMost), offset);
}

extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    const DiskAnswer answer = Next("pwrite", DiskTransfer {true, offset, count});
    return answer.error != 0 ? -1 : real(fd, buffer, std::min(count, answer.atMost), offset);
}

extern "C" int fallocate(int fd, int mode, off_t offset, off_t length)
{
    static const auto real = Real<int (*)(int, int, off_t, off_t)>("fallocate");
    return Next("fallocate").error != 0 ? -1 : real(fd, mode, offset, length);
}

extern "C" int fsync(int fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    return Next("fsync").error != 0 ? -1 : real(fd);
}
