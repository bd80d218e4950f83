#pragma once

#include "SpritePngError.h"
#include "sprite/FrameLayout.h"
#include "sprite/SpriteBlock.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

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
inline constexpr qint64 kMaxSpritePngBytes = 1024 * 1024;

// An image of the given size, not yet filled, with four colour entries whose index is the pixel
// value, the entries taken from `colours`.
QImage IndexedCanvas(int width, int height, const Palette& colours);

// The block as an indexed image of four colour entries whose index is the pixel value, the
// entries taken from `colours`.
QImage SpriteToImage(const SpriteBlock& block, const Palette& colours);

// Reads a sprite image back into a block. The rules, in order:
//  1. The image must be 16 x 96 pixels.
//  2. An indexed image whose pixels use an index past the end of its palette is refused.
//  3. An indexed image whose pixels use only the four greys (fully transparent entries count
//     as value 0), and whose entries 0 to 3 hold no other colour, is read by its greys, whatever
//     order its palette keeps them in: paint programs and palette optimisers sort palettes.
//  4. Any other indexed image whose pixels use only the indices 0 to 3 is read index = pixel
//     value, whatever colours its entries hold (the exports in the display colours).
//  5. Otherwise the colours decide. A fully transparent pixel is value 0 (the sprite's see-through
//     background); a partly transparent one is refused. The opaque colours must all belong to one
//     set, tried in this order: the four hardware greys, the four default display colours, then
//     `extra` when given (the editor's current display colours, for a paste). The first set that
//     holds every colour wins, so an image of only black and white is read in the greys (white 0,
//     black 3); it is read in the display colours (white 2, black 1) only when a colour that only
//     they have appears too. An `extra` that holds one colour twice is refused only when the
//     image uses that colour and no earlier set fits.
// Anything else is refused with SpritePngError naming the problem and its first pixel.
SpriteBlock ImageToSprite(const QImage& image, const std::optional<Palette>& extra = {});

// One frame travels alone as a frame image of 16 x 16 pixels (Copy Frame, Paste Frame): the
// frame's tiles at its top left, top right, bottom left and bottom right, as in a sprite image.
inline constexpr int kFrameImageSide = kFrameSide;

// Frame `frame` (0..5) of the block as an indexed image, like SpriteToImage.
QImage FrameToImage(const SpriteBlock& block, int frame, const Palette& colours);

// Reads a frame image by the rules of ImageToSprite, except that it must be 16 x 16 pixels.
FramePixels ImageToFrame(const QImage& image, const std::optional<Palette>& extra = {});

// The bytes of a PNG file of the image; `what` names it in the refusal ("sprite image").
QByteArray PngData(const QImage& image, const QString& what);

// The bytes of an indexed PNG file of the block in the chosen set of colours.
QByteArray SpritePngData(const SpriteBlock& block, PngPalette palette);

// Writes the block as an indexed PNG in the chosen set of colours. The file is replaced as a
// whole or not at all: a failure leaves any earlier file of that name untouched. A link at
// `path` is replaced by the image, never written through.
void WriteSpritePng(const QString& path, const SpriteBlock& block, PngPalette palette);

// Reads a PNG file by the rules of ImageToSprite. Only a PNG stored with a palette counts as
// indexed: a grey-level PNG is read by its grey levels, however few bits it has. A file larger
// than kMaxSpritePngBytes, or whose header claims another size, is refused before a single
// pixel is unpacked.
SpriteBlock ReadSpritePng(const QString& path, const std::optional<Palette>& extra = {});

// The same for the bytes of a PNG file that came from elsewhere (standard input); `subject` names
// it in messages ("standard input").
SpriteBlock DecodeSpritePng(
    const QByteArray& file, const QString& subject, const std::optional<Palette>& extra = {});

// The bytes of an image file, refused when it cannot be an image file (a pipe, a device, a
// folder) or when it is larger than kMaxSpritePngBytes. `subject` names it in messages.
QByteArray ReadImageFile(const QString& path, const QString& subject);

} // namespace morvane
