#include "SpriteFileName.h"

#include "sprite/SpriteCatalogue.h"

#include <cctype>
#include <string_view>

namespace morvane {

std::string SpriteFileName(int index)
{
    std::string safe;
    bool gap = false;
    for (const char c : SpriteLabel(index)) {
        // The labels are plain ASCII, so the C library's test is the same in every locale.
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            gap = true;
            continue;
        }
        if (gap && !safe.empty())
            safe += '-';
        gap = false;
        safe += c;
    }
    if (safe.empty())
        safe = "unknown";
    const std::string number = (index < 10 ? "0" : "") + std::to_string(index);
    return number + "-" + safe + ".png";
}

std::optional<int> SpriteIndexOfFileName(const std::string& name)
{
    constexpr std::size_t kPrefix = 3; // "NN-"
    constexpr std::string_view kExtension = ".png";
    if (name.size() < kPrefix + kExtension.size())
        return std::nullopt;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!digit(name[0]) || !digit(name[1]) || name[2] != '-')
        return std::nullopt;
    const std::string_view extension(
        name.data() + name.size() - kExtension.size(), kExtension.size());
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(extension[i])) != kExtension[i])
            return std::nullopt;
    }
    const int index = (name[0] - '0') * 10 + (name[1] - '0');
    if (index >= kSpriteCount)
        return std::nullopt;
    return index;
}

} // namespace morvane
