#include "PngDecoder.h"

#include "PixelValues.h"
#include "SpritePngError.h"

#include <QImage>
#include <QtEndian>

#include <zlib.h>

#include <array>
#include <numeric>
#include <span>

namespace morvane {

namespace {

// A PNG file: the 8-byte signature, then chunks of
//
//     length (4 bytes, big-endian) | type (4 letters) | data (length bytes) | CRC-32 (4 bytes)
//
// IHDR first, PLTE and tRNS before the pixels, the pixels as one zlib stream spread over
// consecutive IDAT chunks, IEND last. Unpacked, the pixels are rows each led by a filter byte.
const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);
constexpr int kPaletteType = 3;

// By colour type: the samples of one pixel, and the bit depths it allows (bit d set: depth d).
constexpr auto kChannels = std::to_array({1, 0, 3, 1, 2, 0, 4});
constexpr auto kDepths = std::to_array({0x10116, 0, 0x10100, 0x116, 0x10100, 0, 0x10100});

// Each pass's first column and row, then the steps between its pixels: the whole image at once,
// or the seven passes of Adam7 interlacing.
using Pass = std::array<int, 4>;
constexpr auto kPasses = std::to_array<Pass>({{0, 0, 1, 1}, {0, 0, 8, 8}, {4, 0, 8, 8},
    {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}});

QByteArray Chunk(const QByteArray& type, const QByteArray& data)
{
    QByteArray chunk = QByteArray(4, '\0') + type + data + QByteArray(4, '\0');
    qToBigEndian(static_cast<quint32>(data.size()), chunk.data());
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.constData() + 4),
        static_cast<uInt>(data.size() + 4));
    qToBigEndian(static_cast<quint32>(crc), chunk.data() + 8 + data.size());
    return chunk;
}

// Qt's reader decodes the pixels; this first checks what it does not: the size before a single
// pixel is unpacked, pixel data that unpacks without end, and palette indices past the palette.
struct Decoder {
    const QByteArray& file;
    const QSize expected;
    const QString& kind;
    const QString& subject;
    QByteArray header {}, palette {}, transparency {}, pixels {};
    int depth = 0, colourType = 0;

    [[noreturn]] void Refuse(const QString& why) const
    {
        throw SpritePngError(
            QStringLiteral("%1 cannot be read: %2.").arg(subject, why).toStdString());
    }

    void ReadChunks()
    {
        if (!file.startsWith(kSignature))
            Refuse(file.isEmpty() ? "the file is empty" : "it is not a PNG image");
        qsizetype at = kSignature.size();
        bool pixelsEnded = false;
        for (QByteArray type; type != "IEND";) {
            // Every chunk is its length, type and checksum (12 bytes) around its data.
            const qsizetype left = file.size() - at;
            if (left < 12 || qFromBigEndian<quint32>(file.constData() + at) > quint64(left - 12))
                Refuse(at == kSignature.size() ? "its header is damaged or incomplete"
                                               : "the file is cut short");
            const quint32 length = qFromBigEndian<quint32>(file.constData() + at);
            type = file.mid(at + 4, 4);
            const QString name = QString::fromLatin1(type);
            const QByteArray data = file.mid(at + 8, length);
            const bool critical = (type[0] & 0x20) == 0;
            const bool sound = Chunk(type, data) == file.mid(at, 12 + length);
            at += 12 + qsizetype(length);
            // A damaged optional chunk is dropped, as PNG readers do; a damaged one the
            // picture depends on refuses the file.
            if (!sound && !critical && type != "tRNS")
                continue;
            if (!sound)
                Refuse(QString("its %1 chunk is damaged (its checksum is wrong)").arg(name));
            if (header.isEmpty() != (type == "IHDR"))
                Refuse("its header is damaged or incomplete");
            pixelsEnded = pixelsEnded || (!pixels.isEmpty() && type != "IDAT");
            if (type == "IHDR")
                ReadHeader(data);
            else if (type == "IDAT" && pixelsEnded)
                Refuse("its pixel data is split by other chunks");
            else if (type == "IDAT")
                pixels += data;
            else if (type == "PLTE"
                && (!palette.isEmpty() || data.isEmpty() || data.size() % 3 != 0
                    || data.size() > 3 * 256))
                Refuse("its palette is damaged");
            else if ((type == "PLTE" || type == "tRNS") && !pixels.isEmpty())
                Refuse(QString("its %1 chunk comes after the pixel data").arg(name));
            else if (type == "PLTE" || type == "tRNS")
                (type == "PLTE" ? palette : transparency) = data;
            else if (critical && type != "IEND")
                Refuse(QString("it holds a %1 chunk this program does not know").arg(name));
        }
        if (colourType == kPaletteType && palette.isEmpty())
            Refuse("its palette is missing");
        if (pixels.isEmpty())
            Refuse("it holds no pixel data");
    }

    void ReadHeader(const QByteArray& data)
    {
        const auto byte = [&](int at) { return static_cast<std::uint8_t>(data[at]); };
        if (data.size() != 13 || byte(9) >= kDepths.size() || byte(8) > 16
            || (kDepths[byte(9)] >> byte(8) & 1) == 0 || byte(10) != 0 || byte(11) != 0
            || byte(12) > 1)
            Refuse("its header is damaged");
        const quint32 width = qFromBigEndian<quint32>(data.constData());
        const quint32 height = qFromBigEndian<quint32>(data.constData() + 4);
        depth = byte(8);
        colourType = byte(9);
        const auto number = [](auto n) { return QString::number(n); };
        if (width != static_cast<quint32>(expected.width())
            || height != static_cast<quint32>(expected.height()))
            throw SpritePngError(QStringLiteral("%1 is %2 x %3 pixels; %4 must be %5 x %6.")
                                     .arg(subject, number(width), number(height), kind,
                                         number(expected.width()), number(expected.height()))
                                     .toStdString());
        header = data;
    }

    // Inflates the pixel data into a buffer one byte longer than the image's rows, each led by
    // its filter byte: filling that last byte proves the data too long, and inflating stops
    // there, so a small file that inflates without end costs next to nothing.
    void CheckPixelData()
    {
        std::vector<std::size_t> rows;
        const bool interlaced = header[12] == 1;
        for (const auto& [x0, y0, dx, dy] :
            std::span(kPasses).subspan(interlaced, 1 + 6 * interlaced)) {
            // A pass starts within its first step, so it may get no columns or rows at all.
            const int width = (expected.width() - x0 + dx - 1) / dx;
            const int height = (expected.height() - y0 + dy - 1) / dy;
            const qsizetype bits = qsizetype(width) * kChannels[std::size_t(colourType)] * depth;
            if (width > 0)
                rows.insert(rows.end(), std::size_t(height), std::size_t(1 + (bits + 7) / 8));
        }
        std::vector<Bytef> unpacked(std::accumulate(rows.begin(), rows.end(), std::size_t(1)));
        z_stream stream {};
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pixels.constData()));
        stream.avail_in = static_cast<uInt>(pixels.size());
        stream.next_out = unpacked.data();
        stream.avail_out = static_cast<uInt>(unpacked.size());
        if (inflateInit(&stream) != Z_OK)
            Refuse("its pixel data cannot be unpacked");
        const int result = inflate(&stream, Z_FINISH);
        const QString reason
            = QString::fromLatin1(stream.msg ? stream.msg : "not a plain zlib stream");
        inflateEnd(&stream);
        if (stream.avail_out == 0)
            Refuse(QString("its pixel data unpacks to more than a %1 x %2 image holds")
                       .arg(expected.width())
                       .arg(expected.height()));
        if (result != Z_STREAM_END && result != Z_BUF_ERROR)
            Refuse(QString("its pixel data is damaged (%1)").arg(reason));
        if (result != Z_STREAM_END || stream.avail_out > 1)
            Refuse("its pixel data is cut short");
        for (std::size_t row = 0, at = 0; row < rows.size(); at += rows[row++])
            if (unpacked[at] > 4)
                Refuse(
                    QString("its pixel data is damaged (a row has filter %1)").arg(unpacked[at]));
        pixels.chop(stream.avail_in); // whatever follows the stream is no part of the picture
    }

    // The file as Qt's reader gets it: only the chunks the picture depends on, and the palette
    // padded to 256 entries, since Qt turns an index past the end of the palette into 0. A
    // palette image keeps those raw indices, its palette cut back to its real length; every
    // other kind becomes colours, grey levels too, which Qt gives as indexed images.
    PngPicture Decode() const
    {
        QByteArray png = kSignature + Chunk("IHDR", header);
        if (colourType == kPaletteType)
            png += Chunk("PLTE", palette.leftJustified(3 * 256, '\0'));
        // Colour types 4 and 6 carry an alpha channel, beside which a tRNS chunk is meaningless.
        if (!transparency.isEmpty() && (colourType & 4) == 0)
            png += Chunk("tRNS", transparency);
        png += Chunk("IDAT", pixels) + Chunk("IEND", {});
        const QImage image = QImage::fromData(png, "png");
        if (image.isNull())
            Refuse("its pixel data is damaged");
        if (colourType != kPaletteType)
            return PictureOfImage(image.convertToFormat(QImage::Format_ARGB32));
        PngPicture picture = PictureOfImage(image);
        picture.palette.resize(std::min(picture.palette.size(), std::size_t(palette.size() / 3)));
        return picture;
    }
};

} // namespace

PngPicture DecodePng(
    const QByteArray& file, QSize expected, const QString& kind, const QString& subject)
{
    Decoder decoder {file, expected, kind, subject};
    decoder.ReadChunks();
    decoder.CheckPixelData();
    return decoder.Decode();
}

} // namespace morvane
