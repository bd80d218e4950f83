#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>

namespace morvane::test {

// Linked in, this stands in for the C library's pread, pwrite, fallocate and fsync: a suite can
// make the disk under a ROM image fail or act oddly and see every transfer; unarmed, calls pass on.

// One answer to a call: fail with `error`, report the end of the file, or move at most `atMost`
// bytes through the real call. The default answer lets the call through unchanged.
struct DiskAnswer {
    int error = 0;
    bool endOfFile = false;
    std::size_t atMost = SIZE_MAX;
};

inline DiskAnswer Fails(int error)
{
    return {error, false, SIZE_MAX};
}
inline DiskAnswer Moves(std::size_t bytes)
{
    return {0, false, bytes};
}

// The answers to each call by its name ("pread"), in order; a call with none left goes through.
using DiskScript = std::map<std::string, std::deque<DiskAnswer>>;

// A transfer as the file access asked for it, before any scripted answer.
struct DiskTransfer {
    bool write = false;
    std::int64_t offset = 0;
    std::size_t count = 0;
};

// Arms the stand-ins with `script`; `watch`, when given, sees every pread and pwrite first.
void ArmDisk(DiskScript script, std::function<void(const DiskTransfer&)> watch = {});
// Lets every call through again and returns the answers the script did not use.
DiskScript DisarmDisk();

} // namespace morvane::test
