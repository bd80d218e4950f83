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

// Decodes a PNG file of exactly `expected` pixels, of every kind the format allows, with Qt's
// reader. Before Qt sees it, a file that claims another size is refused from its header, damaged
// or misplaced chunks are refused, and its pixel data is unpacked once to be checked, stopping as
// soon as it is longer than `expected` pixels can be, so a small file that inflates without end
// costs next to nothing. Throws SpritePngError naming `subject`; a wrong size is explained as what
// `kind` ("a sprite image") must be.
PngPicture DecodePng(
    const QByteArray& file, QSize expected, const QString& kind, const QString& subject);

} // namespace morvane
