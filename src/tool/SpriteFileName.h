#pragma once

#include <optional>
#include <string>

namespace morvane {

// The two forms a sprite takes in a file of its own: a 16 x 96 PNG image, or the block's 384
// bytes as stored (raw 2bpp tiles, as the usual Game Boy graphics converters write them).
enum class SpriteFileKind { Png, RawTiles };

// The kind a file's name tells: raw tiles for a name ending in ".2bpp" in any case of letters,
// a PNG image for any other name.
SpriteFileKind KindOfName(const std::string& name);

// The file name "export --all" gives sprite `index`: the two-digit index, a dash and the label
// reduced to letters and digits joined by dashes, then the kind's ending ("03-Dr-Velloc.png",
// "03-Dr-Velloc.2bpp"); a label with none, such as "?????", becomes "unknown".
std::string SpriteFileName(int index, SpriteFileKind kind);

// A file of a sprite set, as its name tells.
struct SpriteFileOfSet {
    int index = 0;
    SpriteFileKind kind = SpriteFileKind::Png;
};

// The entry and kind a file name of that form stands for: two digits from 00 to 44, a dash,
// anything, and ".png" or ".2bpp" in any case. The rest of the name is not checked, so a renamed
// label still counts.
std::optional<SpriteFileOfSet> SpriteFileOfName(const std::string& name);

} // namespace morvane
