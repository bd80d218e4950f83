#pragma once

#include "Argb.h"

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace morvane {

// A picture of palette indices, as sprite images, sheets and the tool's difference picture are
// drawn: at most 16 opaque colours, one index per pixel, row after row.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<Argb> palette;
    std::vector<std::uint8_t> indices;

    IndexedImage(int across, int down, std::vector<Argb> entries)
        : width(across),
          height(down),
          palette(std::move(entries)),
          indices(std::size_t(across) * std::size_t(down), 0)
    {
    }

    std::uint8_t* Row(int y) { return indices.data() + std::size_t(y) * std::size_t(width); }
    const std::uint8_t* Row(int y) const
    {
        return indices.data() + std::size_t(y) * std::size_t(width);
    }
};

// The bytes of a palette PNG file of the image, its pixels packed into as few bits as its palette
// needs (2 for the four pixel values), as the common image-to-2bpp converters expect. `what` names
// the picture if it cannot be made ("sprite image"); the refusal is a SpritePngError.
std::vector<std::uint8_t> EncodePng(const IndexedImage& image, std::string_view what);

} // namespace morvane
