#pragma once

#include "TestData.h"
#include "spritepng/SpritePngError.h"

#include <QRandomGenerator>

namespace morvane::test {

// Builds a PNG file byte by byte, for the kinds Qt's writer never produces: grey-level images of
// 1 or 2 bits, palettes of 2 bits or with fewer entries than the pixels use, interlaced images,
// and headers that claim a size the data does not have. `rows` holds the raw scanlines of the
// whole image without filter bytes; each row gets filter type 0 (none). For an interlaced image
// the pixels are spread over the seven passes here. `transparency` becomes a tRNS chunk.
QByteArray CraftedPng(int width, int height, int bitDepth, int colourType, const QByteArray& rows,
    const QByteArray& palette = {}, bool interlaced = false, const QByteArray& transparency = {});

// Packs the samples of whole scanlines of `width` samples at `bitDepth` bits each, leftmost pixel
// in the high bits, each scanline padded to whole bytes.
QByteArray PackRows(const QList<int>& samples, int bitDepth, int width = 16);

// The pixel indices of an indexed image, row after row.
QList<int> PixelIndices(const QImage& image);

// One PNG chunk: its length, type, data and CRC.
QByteArray PngChunk(const char* type, const QByteArray& data);

// The 13 bytes of an IHDR chunk's data.
QByteArray PngHeaderData(int width, int height, int bitDepth, int colourType, bool interlaced);

// The 8-byte signature every PNG file starts with.
QByteArray PngSignature();

// A PNG file of one header, the chunks `before` (whole chunks, as PngChunk makes them), the pixel
// data `zlib` in one IDAT chunk, and the end marker.
QByteArray PngFile(const QByteArray& header, const QByteArray& before, const QByteArray& zlib);

// The plain zlib stream an IDAT chunk holds for `bytes`.
QByteArray ZlibStream(const QByteArray& bytes, int level = -1);

// `count` random bytes below `bound`, for pixel rows and noise.
QByteArray RandomBytes(QRandomGenerator& random, qsizetype count, int bound = 256);

// The SpritePngError message of an operation, or an empty text when it succeeds.
template <typename Operation> QString FailureOf(Operation&& operation)
{
    return FailureOf<SpritePngError>(std::forward<Operation>(operation));
}

} // namespace morvane::test
