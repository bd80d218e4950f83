#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace morvane {

// The two patch formats, behind one way of making and applying them.
enum class PatchFormat { Ips, Bps };

// The image `patch`, of `format`, makes of `original`; refusals as ApplyIpsPatch and
// ApplyBpsPatch give them.
std::vector<std::uint8_t> ApplyPatch(PatchFormat format, std::span<const std::uint8_t> original,
    std::span<const std::uint8_t> patch);

// Refuses with PatchError unless `patch`, applied to `original` by this program's own applier,
// gives `edited` byte for byte. A patch that fails was wrongly made, and is reported, not written.
void CheckPatch(PatchFormat format, std::span<const std::uint8_t> original,
    std::span<const std::uint8_t> edited, std::span<const std::uint8_t> patch);

// The patch of `format` that turns `original` into `edited`, checked by CheckPatch before it is
// returned; refusals as MakeIpsPatch and MakeBpsPatch give them.
std::vector<std::uint8_t> MakeCheckedPatch(PatchFormat format,
    std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited);

} // namespace morvane
