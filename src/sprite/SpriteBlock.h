#pragma once

#include <array>
#include <cstdint>

namespace morvane {

// One 8 x 8 Game Boy tile at 2 bits per pixel: row r lives in bytes 2r (bit plane 0, the low bit
// of each pixel) and 2r + 1 (bit plane 1, the high bit); bit 7 of each byte is the leftmost pixel.
inline constexpr int kTileBytes = 16;
inline constexpr int kTileSide = 8;
// One sprite block: 24 tiles, tile k at bytes 16k .. 16k + 15. Tiles 4f .. 4f + 3 are the
// top-left, top-right, bottom-left and bottom-right quarters of the 16 x 16 frame f.
inline constexpr int kTilesPerSprite = 24;
inline constexpr int kSpriteBlockBytes = kTileBytes * kTilesPerSprite;

using TileBytes = std::array<std::uint8_t, kTileBytes>;
using SpriteBlock = std::array<std::uint8_t, kSpriteBlockBytes>;

// A colour as the editor keeps it everywhere: red in bits 0-7, green 8-15, blue 16-23.
using PackedColor = std::uint32_t;

constexpr PackedColor PackRgb(int red, int green, int blue)
{
    return static_cast<PackedColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(PackedColor c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(PackedColor c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(PackedColor c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

// The four display colours, one per 2-bit pixel value.
using Palette = std::array<PackedColor, 4>;

} // namespace morvane
