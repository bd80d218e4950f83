#pragma once

#include "sprite/SpriteBlock.h"

#include <QImage>
#include <QString>

#include <optional>
#include <stdexcept>
#include <string>

namespace morvane {

// The one error of the sprite image exchange. Its message names the file (or "The image"), what
// is wrong with it and, for a wrong pixel, where the first one is, so it can be shown as it is.
class SpritePngError : public std::runtime_error {
public:
    explicit SpritePngError(const std::string& message) : std::runtime_error(message) { }
};

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

// The block as an indexed image of four colour entries whose index is the pixel value, the
// entries taken from `colours`.
QImage SpriteToImage(const SpriteBlock& block, const Palette& colours);

// Reads a sprite image back into a block. The rules, in order:
//  1. The image must be 16 x 96 pixels.
//  2. An indexed image whose pixels use only the indices 0 to 3 is read index = pixel value,
//     whatever colours its entries hold.
//  3. Otherwise the colours decide. A fully transparent pixel is value 0 (the sprite's see-through
//     background); a partly transparent one is refused. The opaque colours must all belong to one
//     set, tried in this order: the four hardware greys, the four default display colours, then
//     `extra` when given (the editor's current display colours, for a paste). The first set that
//     holds every colour wins, so an image of only black and white is read in the greys (white 0,
//     black 3); it is read in the display colours (white 2, black 1) only when a colour that only
//     they have appears too. An `extra` that holds one colour twice is refused only when the
//     image uses that colour and no earlier set fits.
// Anything else is refused with SpritePngError naming the problem and its first pixel.
SpriteBlock ImageToSprite(const QImage& image, const std::optional<Palette>& extra = {});

// Writes the block as an indexed PNG in the chosen set of colours. The file is replaced as a
// whole or not at all: a failure leaves any earlier file of that name untouched.
void WriteSpritePng(const QString& path, const SpriteBlock& block, PngPalette palette);

// Reads a PNG file by the rules of ImageToSprite. Only a PNG stored with a palette counts as
// indexed: a grey-level PNG is read by its grey levels, however few bits it has. An image of
// any other size is refused from its header, before a single pixel is decoded.
SpriteBlock ReadSpritePng(const QString& path, const std::optional<Palette>& extra = {});

} // namespace morvane
