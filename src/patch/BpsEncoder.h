#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace morvane {

// What a BPS action does with its length; the action word is (length - 1) << 2 | action.
enum class BpsAction : std::uint64_t {
    SourceRead = 0, // the source's bytes at the same place as the output
    TargetRead = 1, // bytes carried in the patch
    SourceCopy = 2, // the source's bytes from anywhere, the place given relative to the last copy
    TargetCopy = 3, // bytes already written, which may run on into the ones being written
};

// Appends to `patch` the actions that build `target` from `source`. Each stretch is built the
// cheapest way the matcher finds: left where it lies in the source, copied from elsewhere in the
// source or from the image written so far, or carried in the patch. A mirrored tile is usually
// some other tile's rows already present, and an enlarged image's new part a repeat of itself,
// so most changes cost a few bytes each. Time is near linear in the sizes.
void AppendBpsActions(std::vector<std::uint8_t>& patch, std::span<const std::uint8_t> source,
    std::span<const std::uint8_t> target);

} // namespace morvane
