#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvane {

// IPS: "PATCH", then records that each put bytes at a 24-bit offset, then "EOF". It carries no
// checksum, so it applies to any image, the wrong one included.

// The highest offset a record can name: 24 bits, just under 16 MiB.
inline constexpr std::size_t kIpsMaxOffset = 0xFFFFFF;

// The patch that turns `original` into `edited`: one record per stretch of changed bytes (short
// unchanged gaps inside a stretch are carried along when that is smaller than a new record),
// stretches longer than 0xFFFF bytes split, a long repeat of one byte written as a run record.
// A longer edited image gets records for every byte past the original's end; a shorter one gets
// the length to cut to after "EOF". No record is empty, and none starts at 0x454F46, whose three
// offset bytes read as "EOF". Refuses with PatchError changes that need an offset past 16 MiB,
// and a cut to a length of 16 MiB or more.
std::vector<std::uint8_t> MakeIpsPatch(
    std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited);

// The image `patch` makes of `rom`, which is left as it was. Records past the end grow the image
// (any gap between is zero); a 3-byte length after "EOF" cuts it short. Refuses with PatchError
// anything but a whole, well-formed patch: a missing "PATCH" or "EOF", a record cut off by the
// end of the patch, an empty run, stray bytes after "EOF".
std::vector<std::uint8_t> ApplyIpsPatch(
    std::span<const std::uint8_t> rom, std::span<const std::uint8_t> patch);

} // namespace morvane
