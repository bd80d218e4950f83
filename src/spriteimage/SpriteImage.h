#pragma once

#include "spritepng/SpritePng.h"

#include <QImage>
#include <QString>

#include <optional>

namespace morvane {

// The window's side of the sprite image exchange: sprite and frame images as QImages for the
// clipboard and drag and drop, and sprite image files named as the window names them. The rules
// are those of DecodeSpritePng (SpritePng.h).

// The picture as an indexed QImage with the same colour entries.
QImage ToQImage(const IndexedImage& picture);

// The block as an indexed image of four colour entries whose index is the pixel value, the
// entries taken from `colours`.
QImage SpriteToImage(const SpriteBlock& block, const Palette& colours);

// Reads a 16 x 96 sprite image back into a block by the rules of DecodeSpritePng; an indexed
// image keeps its indices and colour table, any other is read by its colours.
SpriteBlock ImageToSprite(const QImage& image, const std::optional<Palette>& extra = {});

// Frame `frame` (0..5) of the block as an indexed image, like SpriteToImage.
QImage FrameToImage(const SpriteBlock& block, int frame, const Palette& colours);

// Reads a frame image by the rules of ImageToSprite, except that it must be 16 x 16 pixels.
FramePixels ImageToFrame(const QImage& image, const std::optional<Palette>& extra = {});

// Writes the block as an indexed PNG in the chosen set of colours. The file is replaced as a
// whole or not at all: a failure leaves any earlier file of that name untouched. A link at
// `path` is replaced by the image, never written through.
void WriteSpritePng(const QString& path, const SpriteBlock& block, PngPalette palette);

// Reads a PNG file by the rules of DecodeSpritePng. A pipe, a device or a folder is refused
// before it is opened, and a file larger than kMaxSpritePngBytes before it is read.
SpriteBlock ReadSpritePng(const QString& path, const std::optional<Palette>& extra = {});

} // namespace morvane
