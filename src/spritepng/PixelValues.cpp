#include "PixelValues.h"

#include "SpritePng.h"
#include "qtcolour/PackedColourQt.h"
#include "sprite/FrameLayout.h"

#include <algorithm>
#include <array>

namespace morvane {

namespace {

QString RgbText(QRgb colour)
{
    return QStringLiteral("RGB(%1, %2, %3)")
        .arg(qRed(colour))
        .arg(qGreen(colour))
        .arg(qBlue(colour));
}

QString PixelText(int x, int y)
{
    return QStringLiteral("pixel (%1, %2)").arg(x).arg(y);
}

[[noreturn]] void Refuse(const QString& message)
{
    throw SpritePngError(message.toStdString());
}

// A colour set an image's colours may be read in, with the words that name it in messages.
struct ColourSet {
    QString name;
    std::array<QRgb, 4> colours;

    bool Holds(QRgb rgb) const
    {
        return std::find(colours.begin(), colours.end(), rgb) != colours.end();
    }
};

ColourSet MakeSet(const QString& name, const Palette& palette)
{
    ColourSet set {name, {}};
    for (std::size_t i = 0; i < palette.size(); ++i)
        set.colours[i] = ToQRgb(palette[i]);
    return set;
}

ColourSet Greys()
{
    return MakeSet(QStringLiteral("the four greys"), PaletteColours(PngPalette::HardwareGreys));
}

std::vector<ColourSet> CandidateSets(const std::optional<Palette>& extra)
{
    std::vector<ColourSet> sets {Greys(),
        MakeSet(QStringLiteral("the four default display colours"),
            PaletteColours(PngPalette::DisplayDefaults))};
    if (extra)
        sets.push_back(MakeSet(QStringLiteral("the current display colours"), *extra));
    return sets;
}

QString ListOfSets(const std::vector<ColourSet>& sets)
{
    QString text = sets.front().name;
    for (std::size_t i = 1; i < sets.size(); ++i)
        text += (i + 1 == sets.size() ? QStringLiteral(" or ") : QStringLiteral(", "))
            + sets[i].name;
    return text;
}

struct PixelColour {
    int x = 0;
    int y = 0;
    QRgb rgb = 0;
};

// Reads a picture by its colours (rule 5 of ImageToSprite). `colourAt` gives the colour with
// alpha of the pixel at a position in the row-after-row order.
template <typename ColourAt>
std::vector<std::uint8_t> ReadByColour(
    const QString& subject, QSize size, const std::optional<Palette>& extra, ColourAt colourAt)
{
    const std::vector<ColourSet> sets = CandidateSets(extra);
    const std::size_t pixels = static_cast<std::size_t>(size.width()) * size.height();
    // Where each set was ruled out, to name the colour that did it if nothing else fits.
    std::vector<std::optional<PixelColour>> ruledOut(sets.size());
    std::size_t alive = sets.size();
    for (std::size_t at = 0; at < pixels; ++at) {
        const QRgb colour = colourAt(at);
        const int x = static_cast<int>(at % static_cast<std::size_t>(size.width()));
        const int y = static_cast<int>(at / static_cast<std::size_t>(size.width()));
        if (qAlpha(colour) == 0)
            continue;
        if (qAlpha(colour) != 255)
            Refuse(QStringLiteral("%1 has a partly transparent pixel at (%2, %3) (alpha %4); "
                                  "a sprite pixel is either opaque or, for value 0, fully "
                                  "transparent.")
                       .arg(subject)
                       .arg(x)
                       .arg(y)
                       .arg(qAlpha(colour)));
        const QRgb rgb = qRgb(qRed(colour), qGreen(colour), qBlue(colour));
        for (std::size_t k = 0; k < sets.size(); ++k) {
            if (!ruledOut[k] && !sets[k].Holds(rgb)) {
                ruledOut[k] = PixelColour {x, y, rgb};
                --alive;
            }
        }
        if (alive > 0)
            continue;
        for (std::size_t k = 0; k < sets.size(); ++k) {
            if (sets[k].Holds(rgb)) {
                const PixelColour& other = *ruledOut[k];
                Refuse(QStringLiteral("%1 mixes colour sets: %2 at %3 is one of %4, but %5 at "
                                      "%6 is not; a sprite image keeps to one set.")
                           .arg(subject, RgbText(rgb), PixelText(x, y), sets[k].name,
                               RgbText(other.rgb), PixelText(other.x, other.y)));
            }
        }
        Refuse(QStringLiteral("%1 has the colour %2 at %3, which is not one of %4.")
                   .arg(subject, RgbText(rgb), PixelText(x, y), ListOfSets(sets)));
    }

    std::size_t chosen = 0;
    while (ruledOut[chosen])
        ++chosen;
    const ColourSet& set = sets[chosen];
    std::vector<std::uint8_t> values(pixels, 0);
    for (std::size_t at = 0; at < pixels; ++at) {
        const QRgb colour = colourAt(at);
        if (qAlpha(colour) == 0)
            continue;
        const QRgb rgb = qRgb(qRed(colour), qGreen(colour), qBlue(colour));
        const auto first = std::find(set.colours.begin(), set.colours.end(), rgb);
        const auto second = std::find(first + 1, set.colours.end(), rgb);
        if (second != set.colours.end())
            Refuse(QStringLiteral("%1 uses %2 at %3, which is colour %4 and colour %5 of %6 "
                                  "alike, so its pixel value cannot be told.")
                       .arg(subject, RgbText(rgb),
                           PixelText(static_cast<int>(at % std::size_t(size.width())),
                               static_cast<int>(at / std::size_t(size.width()))))
                       .arg(first - set.colours.begin())
                       .arg(second - set.colours.begin())
                       .arg(set.name));
        values[at] = static_cast<std::uint8_t>(first - set.colours.begin());
    }
    return values;
}

// Whether an indexed picture is read by its greys (rule 3): every colour its pixels use, and
// every entry a pixel value could name, is one of the four greys or fully transparent. An
// export in the display colours holds black and white too, but also magenta and blue among its
// first four entries, so its indices stay its values.
bool ReadsByGreys(const PngPicture& picture)
{
    const ColourSet greys = Greys();
    const auto fits = [&](QRgb c) {
        return qAlpha(c) == 0
            || (qAlpha(c) == 255 && greys.Holds(qRgb(qRed(c), qGreen(c), qBlue(c))));
    };
    const std::size_t named = std::min<std::size_t>(4, picture.palette.size());
    if (!std::all_of(
            picture.palette.begin(), picture.palette.begin() + std::ptrdiff_t(named), fits))
        return false;
    // Every index lies inside the palette: ReadIndexed refuses the others first.
    return std::all_of(picture.indices.begin(), picture.indices.end(),
        [&](std::uint8_t index) { return fits(picture.palette[index]); });
}

std::vector<std::uint8_t> ReadIndexed(
    const PngPicture& picture, const std::optional<Palette>& extra, const QString& subject)
{
    const int width = picture.size.width();
    const auto colourAt = [&](std::size_t at) { return picture.palette[picture.indices[at]]; };
    // A decoder that maps such an index to entry 0 would read a damaged file as a picture.
    for (std::size_t at = 0; at < picture.indices.size(); ++at) {
        if (picture.indices[at] >= picture.palette.size())
            Refuse(QStringLiteral("%1 uses palette index %2 at %3, past the end of its palette of "
                                  "%4 colours.")
                       .arg(subject)
                       .arg(picture.indices[at])
                       .arg(PixelText(static_cast<int>(at % std::size_t(width)),
                           static_cast<int>(at / std::size_t(width))))
                       .arg(picture.palette.size()));
    }
    if (ReadsByGreys(picture))
        return ReadByColour(subject, picture.size, extra, colourAt);

    const auto stray = std::find_if(
        picture.indices.begin(), picture.indices.end(), [](std::uint8_t i) { return i > 3; });
    if (stray == picture.indices.end())
        return picture.indices;

    // Indices past 3 may still be a picture in one of the colour sets, as a paint program
    // leaves it; only when the colours do not fit either is the stray index the problem.
    try {
        return ReadByColour(subject, picture.size, extra, colourAt);
    } catch (const SpritePngError&) {
        const auto at = static_cast<std::size_t>(stray - picture.indices.begin());
        Refuse(QStringLiteral("%1 uses palette index %2 at %3; only 0 to 3 are pixel values, and "
                              "its colours do not all belong to one of %4 either.")
                   .arg(subject)
                   .arg(*stray)
                   .arg(PixelText(static_cast<int>(at % std::size_t(width)),
                       static_cast<int>(at / std::size_t(width))))
                   .arg(ListOfSets(CandidateSets(extra))));
    }
}

} // namespace

PngPicture PictureOfImage(const QImage& image)
{
    PngPicture picture;
    picture.size = image.size();
    const std::size_t pixels = static_cast<std::size_t>(image.width()) * image.height();
    const bool indexed = image.format() == QImage::Format_Indexed8
        || image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
    if (indexed) {
        picture.indexed = true;
        const QList<QRgb> table = image.colorTable();
        picture.palette.assign(table.begin(), table.end());
        picture.indices.resize(pixels);
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x) {
                // Read straight from the scan line: pixelIndex() complains about an index
                // without a colour entry instead of giving it.
                const int index = image.format() == QImage::Format_Indexed8 ? line[x]
                    : image.format() == QImage::Format_Mono ? (line[x >> 3] >> (7 - (x & 7))) & 1
                                                            : (line[x >> 3] >> (x & 7)) & 1;
                picture.indices[static_cast<std::size_t>(y) * std::size_t(image.width())
                    + std::size_t(x)]
                    = static_cast<std::uint8_t>(index);
            }
        }
        return picture;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    picture.colours.resize(pixels);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::copy(
            line, line + argb.width(), picture.colours.begin() + std::ptrdiff_t(y) * argb.width());
    }
    return picture;
}

SpriteBlock BlockOfValues(const std::uint8_t* values, int stride)
{
    SpriteBlock block {};
    for (int frame = 0; frame < kFramesPerSprite; ++frame) {
        FramePixels pixels {};
        for (int y = 0; y < kFrameSide; ++y)
            std::copy_n(values + std::ptrdiff_t(kFrameSide * frame + y) * stride, kFrameSide,
                pixels[static_cast<std::size_t>(y)].begin());
        EncodeFrame(pixels, frame, block);
    }
    return block;
}

std::vector<std::uint8_t> ReadPixelValues(
    const PngPicture& picture, const std::optional<Palette>& extra, const QString& subject)
{
    if (picture.indexed)
        return ReadIndexed(picture, extra, subject);
    return ReadByColour(
        subject, picture.size, extra, [&](std::size_t at) { return picture.colours[at]; });
}

} // namespace morvane
