#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace morvane {

// How far a write got: the error that stopped it (0 when all is written) and how many bytes
// made it, so a caller that must put old bytes back knows how many to restore.
struct Written {
    int error = 0;
    std::size_t done = 0;
};

// Writes all of `data` to an open descriptor: at byte `offset` of a file, or, with no offset,
// where the descriptor stands (a pipe or a terminal). An interrupted call is repeated and a short
// one continued; a call that writes nothing counts as an input/output error, so a device that
// takes no bytes cannot hold the loop.
Written WriteAllTo(
    int fd, std::span<const std::uint8_t> data, std::optional<std::int64_t> offset = std::nullopt);

} // namespace morvane
