#pragma once

#include <QByteArray>

namespace morvane::test {

// Builds a PNG file byte by byte, for the kinds Qt's writer never produces: grey-level images of
// 1 or 2 bits, palettes of 2 bits, and headers that claim a size the data does not have.
// `rows` holds the raw scanlines without filter bytes; each gets filter type 0 (none).
QByteArray CraftedPng(int width, int height, int bitDepth, int colourType, const QByteArray& rows,
    const QByteArray& palette = {});

// Packs pixel samples of `bitDepth` bits into one scanline, leftmost pixel in the high bits.
QByteArray PackSamples(const QList<int>& samples, int bitDepth);

} // namespace morvane::test
