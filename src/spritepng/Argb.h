#pragma once

#include "sprite/SpriteBlock.h"

#include <cstdint>
#include <vector>

namespace morvane {

// A colour with alpha as an image's pixels are read and written: alpha in bits 24-31, red 16-23,
// green 8-15, blue 0-7. The window's images keep the same layout, so they convert without
// shuffling.
using Argb = std::uint32_t;

constexpr Argb MakeArgb(int red, int green, int blue, int alpha = 255)
{
    return Argb(alpha & 0xFF) << 24 | Argb(red & 0xFF) << 16 | Argb(green & 0xFF) << 8
        | Argb(blue & 0xFF);
}

constexpr int AlphaOf(Argb colour)
{
    return int(colour >> 24);
}

// The colour made opaque, so colours are compared by red, green and blue alone.
constexpr Argb OpaqueOf(Argb colour)
{
    return colour | 0xFF000000U;
}

constexpr Argb ArgbOf(PackedColor colour)
{
    return MakeArgb(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

// The four colours as the colour entries of an image, entry i for pixel value i.
inline std::vector<Argb> EntriesOf(const Palette& colours)
{
    return {ArgbOf(colours[0]), ArgbOf(colours[1]), ArgbOf(colours[2]), ArgbOf(colours[3])};
}

} // namespace morvane
