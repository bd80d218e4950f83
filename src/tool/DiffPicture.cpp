#include "DiffPicture.h"

namespace morvane {

namespace {

// The sheet's colour entries are the pixel values 0 to 3; a dimmed pixel takes the entry four
// places on, and a changed one the last entry.
constexpr int kDimmed = 4;
constexpr int kChanged = 8;

// A dimmed grey is halfway between its grey and a mid grey: the four keep half their contrast and
// stay apart from each other and from every undimmed grey (191, 149, 106, 64), so even a white
// pixel shows which sprites are unchanged; being grey, none can be taken for the red of a change.
Argb Dimmed(PackedColor grey)
{
    const int level = 64 + RedOf(grey) / 2;
    return MakeArgb(level, level, level);
}

int SpriteAt(int x, int y)
{
    return (y / kSpriteImageHeight) * kSheetSpritesAcross + x / kSpriteImageWidth;
}

} // namespace

IndexedImage DiffPicture(
    const SpriteSet& original, const SpriteSet& edited, const SpritesMissingFromOne& missing)
{
    const Palette greys = PaletteColours(PngPalette::HardwareGreys);
    const IndexedImage before = SheetPicture(original, greys);
    IndexedImage picture = SheetPicture(edited, greys);
    for (const PackedColor grey : greys)
        picture.palette.push_back(Dimmed(grey));
    picture.palette.push_back(MakeArgb(255, 0, 0));

    std::array<bool, kSpriteCount> changed = missing;
    for (int y = 0; y < kSheetHeight; ++y) {
        const std::uint8_t* old = before.Row(y);
        std::uint8_t* now = picture.Row(y);
        for (int x = 0; x < kSheetWidth; ++x) {
            const auto sprite = static_cast<std::size_t>(SpriteAt(x, y));
            if (missing[sprite] || old[x] != now[x]) {
                now[x] = kChanged;
                changed[sprite] = true;
            }
        }
    }
    for (int y = 0; y < kSheetHeight; ++y) {
        std::uint8_t* now = picture.Row(y);
        for (int x = 0; x < kSheetWidth; ++x) {
            if (!changed[static_cast<std::size_t>(SpriteAt(x, y))])
                now[x] = static_cast<std::uint8_t>(now[x] + kDimmed);
        }
    }
    return picture;
}

} // namespace morvane
