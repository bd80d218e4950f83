#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvane {

// BPS: "BPS1", the source and target sizes, a description, then actions that build the target
// from the source, the target written so far and bytes of the patch itself; it closes with the
// CRC-32 of the source, of the target and of the patch, so it applies only to the image it was
// made from and a damaged patch shows.

// The largest image a patch may build. A ROM image is a few MiB at most; the cap keeps a forged
// size from asking for gigabytes.
inline constexpr std::size_t kBpsMaxTargetSize = std::size_t {64} << 20;

// The patch that turns `source` into `target`, whatever their lengths: unchanged bytes are read
// from the source where they lie, and changed ones copied from wherever the source or the image
// written so far already holds them (a mirrored sprite's rows, an enlarged image's repeated
// padding), or else carried in the patch. Near linear in the sizes. Refuses with PatchError a
// source or target larger than kBpsMaxTargetSize: no applier here builds such a target, and the
// matcher numbers the places of either image in 32 bits.
std::vector<std::uint8_t> MakeBpsPatch(
    std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

// The image `patch` builds from `source`. Before building anything it checks the patch's own
// checksum, then that `source` has the size and checksum the patch was made for; while
// building, that no action reads outside the source, the patch or the image written so far,
// and that the image never grows past its declared size; after, the size and checksum of the
// result. Every refusal is a PatchError that names the check that failed.
std::vector<std::uint8_t> ApplyBpsPatch(
    std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch);

} // namespace morvane
