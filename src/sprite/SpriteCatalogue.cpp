#include "SpriteCatalogue.h"

#include <array>

namespace morvane {

namespace {

constexpr std::array<std::string_view, kSpriteCount> kLabels
    = {"Tamsin Bicycle", "Tamsin Walking", "Orrin", "Dr. Velloc", "Boy", "Morvane", "Girl", "Boy",
        "Girl", "Morvane", "Old Man", "Old Lady", "Boy", "Old Lady", "Boy", "?????", "Nurse",
        "Old Lady", "Boy", "Old Man", "Boy", "Old Man", "Brannoc", "Elspeth", "?????", "Cop",
        "Woman", "Man", "Girl", "Quillan?", "Man", "Girl", "Morvane", "?????", "?????", "Man",
        "Morvane", "Woman", "Harrow", "Morvane", "Morvane", "Morvane", "Mabyn", "Jory", "Wenna"};

// Three runs of consecutive 384-byte blocks; the runs are not contiguous with each other.
struct Run {
    int first;
    int last;
    std::int32_t base;
};
constexpr Run kRuns[] = {{0, 20, 82928}, {21, 36, 91184}, {37, 44, 1042032}};

} // namespace

std::string_view SpriteLabel(int index)
{
    if (index < 0 || index >= kSpriteCount)
        return {};
    return kLabels[static_cast<std::size_t>(index)];
}

std::optional<std::int32_t> SpriteOffsetValue(std::int16_t index)
{
    for (const Run& run : kRuns) {
        if (index >= run.first && index <= run.last)
            return run.base + 384 * (index - run.first);
    }
    return std::nullopt;
}

std::string SpriteOffset(std::int16_t index)
{
    const auto offset = SpriteOffsetValue(index);
    return offset ? std::to_string(*offset) : std::string("?");
}

} // namespace morvane
