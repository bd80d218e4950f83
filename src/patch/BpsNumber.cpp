#include "BpsNumber.h"

#include "PatchError.h"

namespace morvane {

void AppendBpsNumber(std::vector<std::uint8_t>& out, std::uint64_t value)
{
    for (;;) {
        const auto group = static_cast<std::uint8_t>(value & 0x7Fu);
        value >>= 7;
        if (value == 0) {
            out.push_back(static_cast<std::uint8_t>(0x80u | group));
            return;
        }
        out.push_back(group);
        --value;
    }
}

std::uint64_t ReadBpsNumber(std::span<const std::uint8_t> data, std::size_t& pos)
{
    std::uint64_t value = 0;
    std::uint64_t shift = 1;
    for (std::size_t count = 0; count < kMaxBpsNumberBytes; ++count) {
        if (pos >= data.size())
            throw PatchError("the patch is damaged: it ends in the middle of a number");
        const std::uint8_t group = data[pos++];
        value += (group & 0x7Fu) * shift;
        if ((group & 0x80u) != 0)
            return value;
        shift <<= 7;
        value += shift;
    }
    throw PatchError("the patch is damaged: it holds a number too large for any image");
}

} // namespace morvane
