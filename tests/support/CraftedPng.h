#pragma once

#include "TestData.h"
#include "spritepng/SpritePngError.h"

#include <QRandomGenerator>
#include <QtEndian>

namespace morvane::test {

inline QByteArray BigEndian(quint32 value)
{
    const quint32 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), 4);
}

// One PNG chunk: its length, type, data and CRC.
inline QByteArray PngChunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return BigEndian(static_cast<quint32>(data.size())) + typed + BigEndian(Crc32(typed));
}

// The 13 bytes of an IHDR chunk's data: compression 0 (deflate) and filter method 0 (adaptive).
inline QByteArray PngHeaderData(int width, int height, int depth, int colourType, bool interlaced)
{
    return BigEndian(static_cast<quint32>(width)) + BigEndian(static_cast<quint32>(height))
        + static_cast<char>(depth) + static_cast<char>(colourType) + QByteArray(2, '\0')
        + static_cast<char>(interlaced ? 1 : 0);
}

inline const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

// A PNG file: the header, the whole `chunks`, the pixel data `zlib` in one IDAT chunk, the end.
inline QByteArray PngFile(
    const QByteArray& header, const QByteArray& chunks, const QByteArray& zlib)
{
    return kPngSignature + PngChunk("IHDR", header) + chunks + PngChunk("IDAT", zlib)
        + PngChunk("IEND", {});
}

// The plain zlib stream an IDAT chunk holds for `bytes`: qCompress puts the length in front of it.
inline QByteArray ZlibStream(const QByteArray& bytes, int level = -1)
{
    return qCompress(bytes, level).mid(4);
}

// `count` random bytes below `bound`, for pixel rows and noise.
inline QByteArray RandomBytes(QRandomGenerator& random, qsizetype count, int bound = 256)
{
    QByteArray bytes(count, '\0');
    std::ranges::generate(bytes, [&] { return static_cast<char>(random.bounded(bound)); });
    return bytes;
}

// The pixel indices of an indexed image, row after row.
inline QList<int> PixelIndices(const QImage& image)
{
    QList<int> indices;
    for (int at = 0; at < image.width() * image.height(); ++at)
        indices << image.pixelIndex(at % image.width(), at / image.width());
    return indices;
}

// Pixels of `bits` bits each packed into bytes, leftmost pixel in the high bits.
inline QByteArray PackPixels(const QList<int>& pixels, int bits)
{
    QByteArray bytes((pixels.size() * bits + 7) / 8, '\0');
    for (qsizetype bit = 0; bit < pixels.size() * bits; ++bit)
        if ((pixels[bit / bits] >> (bits - 1 - bit % bits)) & 1)
            bytes[bit / 8] = static_cast<char>(bytes[bit / 8] | (0x80 >> (bit % 8)));
    return bytes;
}

// The samples of whole scanlines of `width` samples at `bitDepth` bits each, each padded to bytes.
inline QByteArray PackRows(const QList<int>& samples, int bitDepth, int width = 16)
{
    QByteArray rows;
    for (qsizetype at = 0; at < samples.size(); at += width)
        rows += PackPixels(samples.mid(at, width), bitDepth);
    return rows;
}

// A PNG file of kinds Qt's writer never makes (1- or 2-bit grey, 2-bit or too short palettes,
// interlacing, a size the data lacks) from `rows`, its raw scanlines: each row gets filter 0
// (none), spread over the seven passes when `interlaced`; `transparency` becomes a tRNS chunk.
inline QByteArray CraftedPng(int width, int height, int bitDepth, int colourType,
    const QByteArray& rows, const QByteArray& palette = {}, bool interlaced = false,
    const QByteArray& transparency = {})
{
    const qsizetype rowBytes = height > 0 ? rows.size() / height : 0;
    const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const int bits = bitDepth * channels;
    // Without interlacing, one pass of every pixel.
    using Pass = std::array<int, 4>;
    const QList<Pass> passes = interlaced ? QList<Pass> {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                   {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                          : QList<Pass> {Pass {0, 0, 1, 1}};
    QByteArray filtered;
    for (const auto& [x0, y0, dx, dy] : passes)
        for (int y = y0; y < height && rowBytes > 0; y += dy) {
            QList<int> passBits; // the bits of this row's pixels in the pass, one by one
            for (int x = x0; x < width; x += dx)
                for (int bit = x * bits; bit < (x + 1) * bits; ++bit)
                    passBits << ((quint8(rows[y * rowBytes + bit / 8]) >> (7 - bit % 8)) & 1);
            if (!passBits.isEmpty())
                filtered += '\0' + PackPixels(passBits, 1);
        }
    const QByteArray before = (palette.isEmpty() ? QByteArray() : PngChunk("PLTE", palette))
        + (transparency.isEmpty() ? QByteArray() : PngChunk("tRNS", transparency));
    return PngFile(PngHeaderData(width, height, bitDepth, colourType, interlaced), before,
        ZlibStream(filtered));
}

// The SpritePngError message of an operation, or an empty text when it succeeds.
template <typename Operation> QString FailureOf(Operation&& operation)
{
    return FailureOf<SpritePngError>(std::forward<Operation>(operation));
}

} // namespace morvane::test
