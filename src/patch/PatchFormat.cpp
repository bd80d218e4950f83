#include "PatchFormat.h"

#include "BpsPatch.h"
#include "IpsPatch.h"
#include "PatchError.h"

#include <algorithm>
#include <string>

namespace morvane {

std::vector<std::uint8_t> ApplyPatch(
    PatchFormat format, std::span<const std::uint8_t> original, std::span<const std::uint8_t> patch)
{
    return format == PatchFormat::Ips ? ApplyIpsPatch(original, patch)
                                      : ApplyBpsPatch(original, patch);
}

void CheckPatch(PatchFormat format, std::span<const std::uint8_t> original,
    std::span<const std::uint8_t> edited, std::span<const std::uint8_t> patch)
{
    const std::string fault = "the patch made does not rebuild the edited image, so it was not "
                              "written (a fault of this program): ";
    std::vector<std::uint8_t> rebuilt;
    try {
        rebuilt = ApplyPatch(format, original, patch);
    } catch (const PatchError& error) {
        throw PatchError(fault + "applying it fails: " + error.what());
    }
    if (rebuilt.size() != edited.size())
        throw PatchError(fault + "it builds " + std::to_string(rebuilt.size())
            + " bytes instead of " + std::to_string(edited.size()));
    // Compared whole first, which is fast; the first difference is looked for only on failure.
    if (!std::equal(rebuilt.begin(), rebuilt.end(), edited.begin())) {
        const auto differ = std::mismatch(rebuilt.begin(), rebuilt.end(), edited.begin());
        throw PatchError(
            fault + "the result differs at byte " + std::to_string(differ.first - rebuilt.begin()));
    }
}

std::vector<std::uint8_t> MakeCheckedPatch(PatchFormat format,
    std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited)
{
    std::vector<std::uint8_t> patch = format == PatchFormat::Ips ? MakeIpsPatch(original, edited)
                                                                 : MakeBpsPatch(original, edited);
    CheckPatch(format, original, edited, patch);
    return patch;
}

} // namespace morvane
