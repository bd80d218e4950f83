#include "SpriteFileName.h"

#include "sprite/SpriteCatalogue.h"

namespace morvane {

std::string SpriteFileName(int index)
{
    std::string safe;
    bool gap = false;
    for (const char c : SpriteLabel(index)) {
        const bool keep
            = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!keep) {
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

} // namespace morvane
