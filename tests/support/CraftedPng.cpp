#include "CraftedPng.h"

#include <QtEndian>

#include <array>

namespace morvane::test {

namespace {

QByteArray BigEndian(quint32 value)
{
    const quint32 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), 4);
}

int Channels(int colourType)
{
    return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
}

// The bits of pixel x of a packed scanline, all its samples together.
quint64 PixelBits(const QByteArray& row, int x, int bits)
{
    quint64 value = 0;
    for (int bit = x * bits; bit < (x + 1) * bits; ++bit)
        value = (value << 1) | ((static_cast<quint8>(row[bit / 8]) >> (7 - bit % 8)) & 1);
    return value;
}

template <typename Pixel> QByteArray PackPixels(const QList<Pixel>& pixels, int bits)
{
    QByteArray bytes((pixels.size() * bits + 7) / 8, '\0');
    for (qsizetype bit = 0; bit < pixels.size() * bits; ++bit) {
        if ((quint64(pixels[bit / bits]) >> (bits - 1 - bit % bits)) & 1)
            bytes[bit / 8] = static_cast<char>(bytes[bit / 8] | (0x80 >> (bit % 8)));
    }
    return bytes;
}

} // namespace

QList<int> PixelIndices(const QImage& image)
{
    QList<int> indices;
    for (int at = 0; at < image.width() * image.height(); ++at)
        indices << image.pixelIndex(at % image.width(), at / image.width());
    return indices;
}

QByteArray PngChunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return BigEndian(static_cast<quint32>(data.size())) + typed + BigEndian(Crc32(typed));
}

QByteArray PngHeaderData(int width, int height, int bitDepth, int colourType, bool interlaced)
{
    // Compression 0 (deflate) and filter method 0 (adaptive) before the interlace method.
    return BigEndian(static_cast<quint32>(width)) + BigEndian(static_cast<quint32>(height))
        + static_cast<char>(bitDepth) + static_cast<char>(colourType) + QByteArray(2, '\0')
        + static_cast<char>(interlaced ? 1 : 0);
}

QByteArray PngSignature()
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8);
}

QByteArray PngFile(const QByteArray& header, const QByteArray& before, const QByteArray& zlib)
{
    return PngSignature() + PngChunk("IHDR", header) + before + PngChunk("IDAT", zlib)
        + PngChunk("IEND", {});
}

QByteArray ZlibStream(const QByteArray& bytes, int level)
{
    // qCompress puts the length in front of a plain zlib stream, which is what IDAT holds.
    return qCompress(bytes, level).mid(4);
}

QByteArray RandomBytes(QRandomGenerator& random, qsizetype count, int bound)
{
    QByteArray bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random.bounded(bound));
    return bytes;
}

QByteArray CraftedPng(int width, int height, int bitDepth, int colourType, const QByteArray& rows,
    const QByteArray& palette, bool interlaced, const QByteArray& transparency)
{
    const qsizetype rowBytes = height > 0 ? rows.size() / height : 0;
    const int bits = bitDepth * Channels(colourType);
    // Without interlacing, one pass of every pixel.
    using Pass = std::array<int, 4>;
    const QList<Pass> passes = interlaced ? QList<Pass> {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                   {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                          : QList<Pass> {Pass {0, 0, 1, 1}};
    QByteArray filtered;
    for (const auto& [x0, y0, dx, dy] : passes) {
        for (int y = y0; y < height && rowBytes > 0; y += dy) {
            QList<quint64> pixels;
            for (int x = x0; x < width; x += dx)
                pixels << PixelBits(rows.mid(y * rowBytes, rowBytes), x, bits);
            if (!pixels.isEmpty())
                filtered += '\0' + PackPixels(pixels, bits);
        }
    }
    const QByteArray before = (palette.isEmpty() ? QByteArray() : PngChunk("PLTE", palette))
        + (transparency.isEmpty() ? QByteArray() : PngChunk("tRNS", transparency));
    return PngFile(PngHeaderData(width, height, bitDepth, colourType, interlaced), before,
        ZlibStream(filtered));
}

QByteArray PackRows(const QList<int>& samples, int bitDepth, int width)
{
    QByteArray rows;
    for (qsizetype at = 0; at < samples.size(); at += width)
        rows += PackPixels(samples.mid(at, width), bitDepth);
    return rows;
}

} // namespace morvane::test
