#include "CraftedPng.h"

#include <QList>
#include <QtEndian>

namespace morvane::test {

namespace {

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
    }
    return ~crc;
}

QByteArray BigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray Chunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return BigEndian(static_cast<quint32>(data.size())) + typed + BigEndian(Crc32(typed));
}

} // namespace

QByteArray CraftedPng(int width, int height, int bitDepth, int colourType, const QByteArray& rows,
    const QByteArray& palette)
{
    QByteArray header
        = BigEndian(static_cast<quint32>(width)) + BigEndian(static_cast<quint32>(height));
    header += static_cast<char>(bitDepth);
    header += static_cast<char>(colourType);
    header += QByteArray(3, '\0'); // deflate, adaptive filtering, no interlace

    QByteArray filtered;
    const qsizetype rowBytes = height > 0 ? rows.size() / height : 0;
    for (int y = 0; y < height && rowBytes > 0; ++y)
        filtered += '\0' + rows.mid(y * rowBytes, rowBytes);
    // qCompress puts the length in front of a plain zlib stream, which is what IDAT holds.
    const QByteArray zlib = qCompress(filtered).mid(4);

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += Chunk("IHDR", header);
    if (!palette.isEmpty())
        png += Chunk("PLTE", palette);
    png += Chunk("IDAT", zlib);
    png += Chunk("IEND", {});
    return png;
}

QByteArray PackSamples(const QList<int>& samples, int bitDepth)
{
    const int perByte = 8 / bitDepth;
    QByteArray bytes((samples.size() + perByte - 1) / perByte, '\0');
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const int shift = 8 - bitDepth * (static_cast<int>(i % perByte) + 1);
        bytes[i / perByte] = static_cast<char>(bytes[i / perByte] | (samples[i] << shift));
    }
    return bytes;
}

} // namespace morvane::test
