#include "PngDecoder.h"

#include "SpritePngError.h"

#include <zlib.h>

#include <array>
#include <cstdlib>

namespace morvane {

namespace {

// A PNG file: the 8-byte signature, then chunks of
//
//     length (4 bytes, big-endian) | type (4 letters) | data (length bytes) | CRC-32 (4 bytes)
//
// IHDR first (size, bit depth, colour type, interlacing), PLTE and tRNS before the pixels, the
// pixels as one zlib stream spread over consecutive IDAT chunks, IEND last. Unpacked, the pixels
// are rows of samples, each row led by a filter byte that says how it was predicted from the
// pixel to its left and the row above.
constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr int kSignatureBytes = 8;

enum ColourType { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

struct Header {
    int width = 0;
    int height = 0;
    int depth = 0;
    int colourType = 0;
    bool interlaced = false;

    int Channels() const
    {
        switch (colourType) {
        case Rgb:
            return 3;
        case GreyAlpha:
            return 2;
        case Rgba:
            return 4;
        default:
            return 1;
        }
    }
    // Bytes per complete pixel, at least 1: the distance the filters look back.
    int FilterStep() const { return std::max(1, Channels() * depth / 8); }
    qsizetype RowBytes(int pixels) const
    {
        return (static_cast<qsizetype>(pixels) * Channels() * depth + 7) / 8;
    }
};

// The seven passes of Adam7 interlacing: first column and row, then the steps between them.
struct Pass {
    int x0, y0, dx, dy;
};
constexpr std::array<Pass, 7> kAdam7 = {{
    {0, 0, 8, 8},
    {4, 0, 8, 8},
    {0, 4, 4, 8},
    {2, 0, 4, 4},
    {0, 2, 2, 4},
    {1, 0, 2, 2},
    {0, 1, 1, 2},
}};
constexpr Pass kWhole = {0, 0, 1, 1};

// A pass starts within its first step, so an image narrower than its start gets 0 columns.
int PassWidth(const Pass& pass, int width)
{
    return (width - pass.x0 + pass.dx - 1) / pass.dx;
}
int PassHeight(const Pass& pass, int height)
{
    return (height - pass.y0 + pass.dy - 1) / pass.dy;
}

std::uint32_t BigEndian(const QByteArray& bytes, qsizetype at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

class Decoder {
public:
    Decoder(const QByteArray& file, QSize expected, const QString& kind, const QString& subject)
        : file_(file), expected_(expected), kind_(kind), subject_(subject)
    {
    }

    PngPicture Run()
    {
        if (file_.isEmpty())
            Refuse(QStringLiteral("the file is empty"));
        if (!file_.startsWith(QByteArray(kSignature, kSignatureBytes)))
            Refuse(QStringLiteral("it is not a PNG image"));
        ReadChunks();
        return Unpack(Inflate());
    }

private:
    [[noreturn]] void Refuse(const QString& why) const
    {
        throw SpritePngError(
            QStringLiteral("%1 cannot be read: %2.").arg(subject_, why).toStdString());
    }

    void ReadChunks()
    {
        qsizetype at = kSignatureBytes;
        bool ended = false;
        bool idatDone = false;
        bool first = true;
        while (!ended) {
            if (file_.size() - at < 12)
                Refuse(at == kSignatureBytes ? QStringLiteral("its header is damaged or incomplete")
                                             : QStringLiteral("the file is cut short"));
            const std::uint32_t length = BigEndian(file_, at);
            if (length > static_cast<std::uint32_t>(file_.size() - at - 12))
                Refuse(QStringLiteral("the file is cut short"));
            const QByteArray type = file_.mid(at + 4, 4);
            const QByteArray data = file_.mid(at + 8, static_cast<qsizetype>(length));
            const auto crc = static_cast<std::uint32_t>(
                ::crc32(0, reinterpret_cast<const Bytef*>(file_.constData() + at + 4), length + 4));
            const bool critical = (type[0] & 0x20) == 0;
            const bool sound = crc == BigEndian(file_, at + 8 + static_cast<qsizetype>(length));
            at += 12 + static_cast<qsizetype>(length);
            // A damaged optional chunk is dropped, as PNG readers do; a damaged one the
            // picture depends on refuses the file.
            if (!sound && !critical && type != "tRNS")
                continue;
            if (!sound)
                Refuse(QStringLiteral("its %1 chunk is damaged (its checksum is wrong)")
                           .arg(QString::fromLatin1(type)));
            if (first != (type == "IHDR"))
                Refuse(QStringLiteral("its header is damaged or incomplete"));
            if (first) {
                first = false;
                ReadHeader(data);
                continue;
            }
            if (!idat_.isEmpty() && type != "IDAT")
                idatDone = true;
            if (type == "IDAT") {
                if (idatDone)
                    Refuse(QStringLiteral("its pixel data is split by other chunks"));
                idat_ += data;
            } else if (type == "PLTE") {
                ReadPalette(data);
            } else if (type == "tRNS") {
                transparency_ = data;
            } else if (type == "IEND") {
                ended = true;
            } else if (critical) {
                Refuse(QStringLiteral("it holds a %1 chunk this program does not know")
                           .arg(QString::fromLatin1(type)));
            }
            if ((type == "PLTE" || type == "tRNS") && !idat_.isEmpty())
                Refuse(QStringLiteral("its %1 chunk comes after the pixel data")
                           .arg(QString::fromLatin1(type)));
        }
        if (header_.colourType == Palette && palette_.empty())
            Refuse(QStringLiteral("its palette is missing"));
        if (idat_.isEmpty())
            Refuse(QStringLiteral("it holds no pixel data"));
    }

    void ReadHeader(const QByteArray& data)
    {
        if (data.size() != 13)
            Refuse(QStringLiteral("its header is damaged or incomplete"));
        const std::uint32_t width = BigEndian(data, 0);
        const std::uint32_t height = BigEndian(data, 4);
        header_.depth = static_cast<std::uint8_t>(data[8]);
        header_.colourType = static_cast<std::uint8_t>(data[9]);
        const int interlace = static_cast<std::uint8_t>(data[12]);
        const int d = header_.depth;
        bool valid = data[10] == 0 && data[11] == 0 && (interlace == 0 || interlace == 1);
        switch (header_.colourType) {
        case Grey:
            valid = valid && (d == 1 || d == 2 || d == 4 || d == 8 || d == 16);
            break;
        case Palette:
            valid = valid && (d == 1 || d == 2 || d == 4 || d == 8);
            break;
        case Rgb:
        case GreyAlpha:
        case Rgba:
            valid = valid && (d == 8 || d == 16);
            break;
        default:
            valid = false;
        }
        if (!valid)
            Refuse(QStringLiteral("its header is damaged"));
        if (width != static_cast<std::uint32_t>(expected_.width())
            || height != static_cast<std::uint32_t>(expected_.height()))
            throw SpritePngError(QStringLiteral("%1 is %2 x %3 pixels; %4 must be %5 x %6.")
                                     .arg(subject_)
                                     .arg(width)
                                     .arg(height)
                                     .arg(kind_)
                                     .arg(expected_.width())
                                     .arg(expected_.height())
                                     .toStdString());
        header_.width = static_cast<int>(width);
        header_.height = static_cast<int>(height);
        header_.interlaced = interlace == 1;
    }

    void ReadPalette(const QByteArray& data)
    {
        if (!palette_.empty() || data.isEmpty() || data.size() % 3 != 0 || data.size() > 3 * 256)
            Refuse(QStringLiteral("its palette is damaged"));
        for (qsizetype i = 0; i < data.size(); i += 3)
            palette_.push_back(qRgb(static_cast<std::uint8_t>(data[i]),
                static_cast<std::uint8_t>(data[i + 1]), static_cast<std::uint8_t>(data[i + 2])));
    }

    std::vector<Pass> Passes() const
    {
        if (!header_.interlaced)
            return {kWhole};
        return {kAdam7.begin(), kAdam7.end()};
    }

    qsizetype UnpackedBytes() const
    {
        qsizetype total = 0;
        for (const Pass& pass : Passes()) {
            const int w = PassWidth(pass, header_.width);
            const int h = PassHeight(pass, header_.height);
            if (w > 0 && h > 0)
                total += h * (1 + header_.RowBytes(w));
        }
        return total;
    }

    // Inflates the pixel data into a buffer one byte longer than the image needs; filling that
    // last byte proves the data too long, and inflating stops there.
    std::vector<std::uint8_t> Inflate() const
    {
        const qsizetype needed = UnpackedBytes();
        std::vector<std::uint8_t> out(static_cast<std::size_t>(needed) + 1);
        z_stream stream {};
        if (inflateInit(&stream) != Z_OK)
            Refuse(QStringLiteral("its pixel data cannot be unpacked"));
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(idat_.constData()));
        stream.avail_in = static_cast<uInt>(idat_.size());
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        const int result = inflate(&stream, Z_FINISH);
        const std::size_t produced = out.size() - stream.avail_out;
        const QString reason = stream.msg ? QString::fromLatin1(stream.msg) : QString();
        inflateEnd(&stream);
        if (produced > static_cast<std::size_t>(needed))
            Refuse(QStringLiteral("its pixel data unpacks to more than a %1 x %2 image holds")
                       .arg(header_.width)
                       .arg(header_.height));
        if (result != Z_STREAM_END && result != Z_BUF_ERROR)
            Refuse(QStringLiteral("its pixel data is damaged (%1)").arg(reason));
        if (produced < static_cast<std::size_t>(needed))
            Refuse(QStringLiteral("its pixel data is cut short"));
        out.pop_back();
        return out;
    }

    // Undoes the row filters in place, pass by pass, then reads the samples into the picture.
    PngPicture Unpack(std::vector<std::uint8_t> raw) const
    {
        PngPicture picture;
        picture.size = QSize(header_.width, header_.height);
        picture.indexed = header_.colourType == Palette;
        const std::size_t pixels = static_cast<std::size_t>(header_.width) * header_.height;
        if (picture.indexed) {
            picture.palette = palette_;
            for (qsizetype i = 0; i < transparency_.size() && i < qsizetype(palette_.size()); ++i)
                picture.palette[std::size_t(i)] = qRgba(qRed(palette_[std::size_t(i)]),
                    qGreen(palette_[std::size_t(i)]), qBlue(palette_[std::size_t(i)]),
                    static_cast<std::uint8_t>(transparency_[i]));
            picture.indices.resize(pixels);
        } else {
            picture.colours.resize(pixels);
        }

        std::size_t at = 0;
        for (const Pass& pass : Passes()) {
            const int w = PassWidth(pass, header_.width);
            const int h = PassHeight(pass, header_.height);
            if (w == 0 || h == 0)
                continue;
            const auto rowBytes = static_cast<std::size_t>(header_.RowBytes(w));
            const std::uint8_t* previous = nullptr;
            for (int row = 0; row < h; ++row) {
                const int filter = raw[at];
                std::uint8_t* line = raw.data() + at + 1;
                Unfilter(filter, line, previous, rowBytes);
                for (int i = 0; i < w; ++i)
                    Store(picture, line, i, pass.x0 + i * pass.dx, pass.y0 + row * pass.dy);
                previous = line;
                at += 1 + rowBytes;
            }
        }
        return picture;
    }

    void Unfilter(
        int filter, std::uint8_t* line, const std::uint8_t* previous, std::size_t count) const
    {
        const auto step = static_cast<std::size_t>(header_.FilterStep());
        for (std::size_t i = 0; i < count; ++i) {
            const int left = i >= step ? line[i - step] : 0;
            const int up = previous ? previous[i] : 0;
            const int upLeft = previous && i >= step ? previous[i - step] : 0;
            int prediction = 0;
            switch (filter) {
            case 0:
                break;
            case 1:
                prediction = left;
                break;
            case 2:
                prediction = up;
                break;
            case 3:
                prediction = (left + up) / 2;
                break;
            case 4: {
                const int p = left + up - upLeft;
                const int pa = std::abs(p - left);
                const int pb = std::abs(p - up);
                const int pc = std::abs(p - upLeft);
                prediction = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
                break;
            }
            default:
                Refuse(
                    QStringLiteral("its pixel data is damaged (a row has filter %1)").arg(filter));
            }
            line[i] = static_cast<std::uint8_t>(line[i] + prediction);
        }
    }

    unsigned Sample(const std::uint8_t* line, int pixel, int channel) const
    {
        const int d = header_.depth;
        const std::size_t index = static_cast<std::size_t>(pixel) * header_.Channels() + channel;
        if (d == 8)
            return line[index];
        if (d == 16)
            return static_cast<unsigned>(line[2 * index] << 8 | line[2 * index + 1]);
        const std::size_t bit = index * static_cast<std::size_t>(d);
        return (line[bit / 8] >> (8 - d - static_cast<int>(bit % 8))) & ((1u << d) - 1);
    }

    int ToEightBits(unsigned sample) const
    {
        const int d = header_.depth;
        if (d == 16)
            return static_cast<int>((sample + 128) / 257);
        return static_cast<int>(sample * 255 / ((1u << d) - 1));
    }

    // The raw sample a tRNS chunk names as see-through, for grey and colour images.
    bool IsTransparentSample(unsigned value, int channel) const
    {
        const qsizetype at = 2 * channel;
        if (transparency_.size() < at + 2)
            return false;
        return value
            == (static_cast<unsigned>(static_cast<std::uint8_t>(transparency_[at])) << 8
                | static_cast<std::uint8_t>(transparency_[at + 1]));
    }

    void Store(PngPicture& picture, const std::uint8_t* line, int i, int x, int y) const
    {
        const std::size_t at = static_cast<std::size_t>(y) * header_.width + x;
        switch (header_.colourType) {
        case Palette:
            picture.indices[at] = static_cast<std::uint8_t>(Sample(line, i, 0));
            return;
        case Grey: {
            const unsigned g = Sample(line, i, 0);
            const int v = ToEightBits(g);
            picture.colours[at] = qRgba(v, v, v, IsTransparentSample(g, 0) ? 0 : 255);
            return;
        }
        case GreyAlpha: {
            const int v = ToEightBits(Sample(line, i, 0));
            picture.colours[at] = qRgba(v, v, v, ToEightBits(Sample(line, i, 1)));
            return;
        }
        default: {
            std::array<unsigned, 3> rgb {};
            bool keyed = transparency_.size() >= 6;
            for (int c = 0; c < 3; ++c) {
                rgb[std::size_t(c)] = Sample(line, i, c);
                keyed = keyed && IsTransparentSample(rgb[std::size_t(c)], c);
            }
            const int alpha = header_.colourType == Rgba ? ToEightBits(Sample(line, i, 3))
                : keyed                                  ? 0
                                                         : 255;
            picture.colours[at]
                = qRgba(ToEightBits(rgb[0]), ToEightBits(rgb[1]), ToEightBits(rgb[2]), alpha);
        }
        }
    }

    const QByteArray& file_;
    const QSize expected_;
    const QString& kind_;
    const QString& subject_;
    Header header_;
    std::vector<QRgb> palette_;
    QByteArray transparency_;
    QByteArray idat_;
};

} // namespace

PngPicture DecodePng(
    const QByteArray& file, QSize expected, const QString& kind, const QString& subject)
{
    return Decoder(file, expected, kind, subject).Run();
}

} // namespace morvane
