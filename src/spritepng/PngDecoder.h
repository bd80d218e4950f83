#pragma once

#include <QByteArray>
#include <QRgb>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

namespace morvane {

// A PNG file's pixels as they are stored. A palette image keeps its raw indices, which may point
// past the end of its palette; every other kind is turned into colours with alpha.
struct PngPicture {
    QSize size;
    bool indexed = false;
    // Indexed: the palette entries with the alpha of any transparency chunk.
    std::vector<QRgb> palette;
    // Indexed: one index per pixel; otherwise one colour per pixel. Row after row.
    std::vector<std::uint8_t> indices;
    std::vector<QRgb> colours;
};

// Decodes a PNG file of exactly `expected` pixels, of every kind the format allows, in one pass.
// A header that claims another size is refused before a single pixel is unpacked, damaged or
// misplaced chunks are refused, and unpacking stops as soon as the pixel data runs past the
// image, so a small file that inflates without end costs next to nothing. Throws SpritePngError
// naming `subject`; a wrong size is explained as what `kind` ("a sprite image") must be.
PngPicture DecodePng(
    const QByteArray& file, QSize expected, const QString& kind, const QString& subject);

} // namespace morvane
