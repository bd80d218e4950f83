#pragma once

#include "PngDecoder.h"
#include "sprite/SpriteBlock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

// The pixel value 0..3 of every pixel of a picture, row after row, by the reading rules of
// ImageToSprite (SpritePng.h) after its size has been checked. Throws SpritePngError naming
// `subject`.
std::vector<std::uint8_t> ReadPixelValues(
    const PngPicture& picture, const std::optional<Palette>& extra, const std::string& subject);

// The block shown by a 16 x 96 sprite image's pixel values, read from `values` where row y of the
// image starts at values[y * stride]: the six frames stacked top to bottom.
SpriteBlock BlockOfValues(const std::uint8_t* values, int stride);

} // namespace morvane
