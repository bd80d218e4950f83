#pragma once

#include "PngEncoder.h"
#include "SpritePngError.h"
#include "sprite/FrameLayout.h"
#include "sprite/SpriteBlock.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace morvane {

// The two colour sets a sprite image can be written in.
enum class PngPalette {
    HardwareGreys, // 0 white, 1 light grey RGB(170, 170, 170), 2 dark grey RGB(85, 85, 85), 3 black
    DisplayDefaults // the editor's default display colours, one per pixel value
};

// The four colours of a set, in pixel-value order.
Palette PaletteColours(PngPalette palette);

// A sprite image is 16 x 96 pixels: the six 16 x 16 frames of the block stacked top to bottom,
// each frame's tiles 4f .. 4f + 3 at its top left, top right, bottom left and bottom right. Laid
// out so, the usual Game Boy graphics converters turn the image into the block's 384 bytes.
inline constexpr int kSpriteImageWidth = 16;
inline constexpr int kSpriteImageHeight = 96;

// A real sprite image file is a few kilobytes; anything larger than this is refused unread.
inline constexpr std::int64_t kMaxSpritePngBytes = 1024 * 1024;

// The block as a sprite image of four colour entries whose index is the pixel value, the entries
// taken from `colours`.
IndexedImage SpritePicture(const SpriteBlock& block, const Palette& colours);

// One frame travels alone as a frame image of 16 x 16 pixels (Copy Frame, Paste Frame): the
// frame's tiles at its top left, top right, bottom left and bottom right, as in a sprite image.
inline constexpr int kFrameImageSide = kFrameSide;

// Frame `frame` (0..5) of the block as a frame image, like SpritePicture.
IndexedImage FramePicture(const SpriteBlock& block, int frame, const Palette& colours);

// The bytes of an indexed PNG file of the block in the chosen set of colours.
std::vector<std::uint8_t> SpritePngData(const SpriteBlock& block, PngPalette palette);

// Reads the bytes of a PNG file of a sprite image into a block. The rules, in order:
//  1. The image must be 16 x 96 pixels; a file whose header claims another size, or that is
//     larger than kMaxSpritePngBytes, is refused before a single pixel is unpacked.
//  2. An indexed image whose pixels use an index past the end of its palette is refused.
//  3. An indexed image whose pixels use only the four greys (fully transparent entries count
//     as value 0), and whose entries 0 to 3 hold no other colour, is read by its greys, whatever
//     order its palette keeps them in: paint programs and palette optimisers sort palettes.
//  4. Any other indexed image whose pixels use only the indices 0 to 3 is read index = pixel
//     value, whatever colours its entries hold (the exports in the display colours). Only a PNG
//     stored with a palette counts as indexed: a grey-level PNG is read by its grey levels,
//     however few bits it has.
//  5. Otherwise the colours decide. A fully transparent pixel is value 0 (the sprite's see-through
//     background); a partly transparent one is refused. The opaque colours must all belong to one
//     set, tried in this order: the four hardware greys, the four default display colours, then
//     `extra` when given (the editor's current display colours, for a paste). The first set that
//     holds every colour wins, so an image of only black and white is read in the greys (white 0,
//     black 3); it is read in the display colours (white 2, black 1) only when a colour that only
//     they have appears too. An `extra` that holds one colour twice is refused only when the
//     image uses that colour and no earlier set fits.
// Anything else is refused with SpritePngError naming `subject` ("standard input", a quoted file
// name), the problem and its first pixel.
SpriteBlock DecodeSpritePng(std::span<const std::uint8_t> file, const std::string& subject,
    const std::optional<Palette>& extra = {});

} // namespace morvane
