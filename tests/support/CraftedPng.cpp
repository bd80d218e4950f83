#include "CraftedPng.h"

#include "TestData.h"

#include <QtEndian>

#include <array>

namespace morvane::test {

namespace {

QByteArray BigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

int Channels(int colourType)
{
    return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
}

// The bits of pixel x of a packed scanline, as a byte string of bytesPerPixel bytes or, below 8
// bits, one sample.
quint64 PixelBits(const QByteArray& row, int x, int bits)
{
    quint64 value = 0;
    const int first = x * bits;
    for (int bit = first; bit < first + bits; ++bit)
        value = (value << 1) | ((static_cast<quint8>(row[bit / 8]) >> (7 - bit % 8)) & 1);
    return value;
}

QByteArray PackPixels(const QList<quint64>& pixels, int bits)
{
    QByteArray bytes((pixels.size() * bits + 7) / 8, '\0');
    for (qsizetype i = 0; i < pixels.size(); ++i) {
        for (int b = 0; b < bits; ++b) {
            const qsizetype bit = i * bits + b;
            if ((pixels[i] >> (bits - 1 - b)) & 1)
                bytes[bit / 8] = static_cast<char>(bytes[bit / 8] | (0x80 >> (bit % 8)));
        }
    }
    return bytes;
}

} // namespace

QByteArray PngChunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return BigEndian(static_cast<quint32>(data.size())) + typed + BigEndian(Crc32(typed));
}

QByteArray PngHeaderData(int width, int height, int bitDepth, int colourType, bool interlaced)
{
    QByteArray header
        = BigEndian(static_cast<quint32>(width)) + BigEndian(static_cast<quint32>(height));
    header += static_cast<char>(bitDepth);
    header += static_cast<char>(colourType);
    header += QByteArray(2, '\0'); // deflate, adaptive filtering
    header += static_cast<char>(interlaced ? 1 : 0);
    return header;
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
    QByteArray filtered;
    if (!interlaced) {
        for (int y = 0; y < height && rowBytes > 0; ++y)
            filtered += '\0' + rows.mid(y * rowBytes, rowBytes);
    } else {
        constexpr std::array<std::array<int, 4>, 7> kPasses = {{{0, 0, 8, 8}, {4, 0, 8, 8},
            {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
        for (const auto& [x0, y0, dx, dy] : kPasses) {
            for (int y = y0; y < height; y += dy) {
                QList<quint64> pixels;
                for (int x = x0; x < width; x += dx)
                    pixels << PixelBits(rows.mid(y * rowBytes, rowBytes), x, bits);
                if (!pixels.isEmpty())
                    filtered += '\0' + PackPixels(pixels, bits);
            }
        }
    }
    QByteArray before;
    if (!palette.isEmpty())
        before += PngChunk("PLTE", palette);
    if (!transparency.isEmpty())
        before += PngChunk("tRNS", transparency);
    return PngFile(PngHeaderData(width, height, bitDepth, colourType, interlaced), before,
        ZlibStream(filtered));
}

QByteArray PackSamples(const QList<int>& samples, int bitDepth)
{
    QList<quint64> pixels;
    for (const int sample : samples)
        pixels << static_cast<quint64>(sample);
    return PackPixels(pixels, bitDepth);
}

} // namespace morvane::test
