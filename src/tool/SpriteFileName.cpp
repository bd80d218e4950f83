#include "SpriteFileName.h"

#include "sprite/PathSuffix.h"
#include "sprite/SpriteCatalogue.h"

#include <cctype>
#include <string_view>

namespace morvane {

namespace {

constexpr std::string_view kPngEnding = ".png";
constexpr std::string_view kRawEnding = ".2bpp";

} // namespace

SpriteFileKind KindOfName(const std::string& name)
{
    return HasSuffix(name, kRawEnding) ? SpriteFileKind::RawTiles : SpriteFileKind::Png;
}

std::string SpriteFileName(int index, SpriteFileKind kind)
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
    return number + "-" + safe + std::string(kind == SpriteFileKind::Png ? kPngEnding : kRawEnding);
}

std::optional<SpriteFileOfSet> SpriteFileOfName(const std::string& name)
{
    constexpr std::size_t kPrefix = 3; // "NN-"
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.size() < kPrefix || !digit(name[0]) || !digit(name[1]) || name[2] != '-')
        return std::nullopt;
    const std::string rest = name.substr(kPrefix);
    SpriteFileOfSet file;
    if (HasSuffix(rest, kRawEnding))
        file.kind = SpriteFileKind::RawTiles;
    else if (!HasSuffix(rest, kPngEnding))
        return std::nullopt;
    file.index = (name[0] - '0') * 10 + (name[1] - '0');
    if (file.index >= kSpriteCount)
        return std::nullopt;
    return file;
}

} // namespace morvane
