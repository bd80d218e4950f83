#pragma once

#include "Argb.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// A PNG file's pixels as they are stored. A palette image keeps its raw indices, which may point
// past the end of its palette; every other kind is turned into colours with alpha.
struct PngPicture {
    int width = 0;
    int height = 0;
    bool indexed = false;
    // Indexed: the palette entries with the alpha of any transparency chunk.
    std::vector<Argb> palette;
    // Indexed: one index per pixel; otherwise one colour per pixel. Row after row.
    std::vector<std::uint8_t> indices;
    std::vector<Argb> colours;
};

// The size an image must have, in pixels.
struct PixelSize {
    int width = 0;
    int height = 0;
};

// Decodes a PNG file of exactly `expected` pixels, of every kind the format allows, in one pass.
// A header that claims another size is refused before a single pixel is unpacked, damaged or
// misplaced chunks are refused, and unpacking stops as soon as the pixel data runs past the
// image, so a small file that inflates without end costs next to nothing. Throws SpritePngError
// naming `subject`; a wrong size is explained as what `kind` ("a sprite image") must be.
PngPicture DecodePng(std::span<const std::uint8_t> file, PixelSize expected, std::string_view kind,
    std::string_view subject);

} // namespace morvane
