#include "PixelValues.h"

#include "SpritePng.h"
#include "sprite/FrameLayout.h"

#include <algorithm>
#include <array>
#include <string>

namespace morvane {

namespace {

std::string RgbText(Argb colour)
{
    return "RGB(" + std::to_string(colour >> 16 & 0xFF) + ", " + std::to_string(colour >> 8 & 0xFF)
        + ", " + std::to_string(colour & 0xFF) + ")";
}

// Where the pixel at place `at` of the row-after-row order lies, "(x, y)".
std::string PlaceText(std::size_t at, int width)
{
    return "(" + std::to_string(at % std::size_t(width)) + ", "
        + std::to_string(at / std::size_t(width)) + ")";
}

std::string PixelText(std::size_t at, int width)
{
    return "pixel " + PlaceText(at, width);
}

[[noreturn]] void Refuse(const std::string& message)
{
    throw SpritePngError(message);
}

// A colour set an image's colours may be read in, with the words that name it in messages.
struct ColourSet {
    std::string name;
    std::array<Argb, 4> colours;

    bool Holds(Argb rgb) const
    {
        return std::find(colours.begin(), colours.end(), rgb) != colours.end();
    }
};

ColourSet MakeSet(std::string name, const Palette& palette)
{
    ColourSet set {std::move(name), {}};
    for (std::size_t i = 0; i < palette.size(); ++i)
        set.colours[i] = ArgbOf(palette[i]);
    return set;
}

ColourSet Greys()
{
    return MakeSet("the four greys", PaletteColours(PngPalette::HardwareGreys));
}

std::vector<ColourSet> CandidateSets(const std::optional<Palette>& extra)
{
    std::vector<ColourSet> sets {Greys(),
        MakeSet("the four default display colours", PaletteColours(PngPalette::DisplayDefaults))};
    if (extra)
        sets.push_back(MakeSet("the current display colours", *extra));
    return sets;
}

std::string ListOfSets(const std::vector<ColourSet>& sets)
{
    std::string text = sets.front().name;
    for (std::size_t i = 1; i < sets.size(); ++i)
        text += (i + 1 == sets.size() ? " or " : ", ") + sets[i].name;
    return text;
}

struct PixelColour {
    std::size_t at = 0;
    Argb rgb = 0;
};

// Reads a picture by its colours (rule 5 of ImageToSprite). `colourAt` gives the colour with
// alpha of the pixel at a position in the row-after-row order.
template <typename ColourAt>
std::vector<std::uint8_t> ReadByColour(const std::string& subject, int width, int height,
    const std::optional<Palette>& extra, ColourAt colourAt)
{
    const std::vector<ColourSet> sets = CandidateSets(extra);
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    // Where each set was ruled out, to name the colour that did it if nothing else fits.
    std::vector<std::optional<PixelColour>> ruledOut(sets.size());
    std::size_t alive = sets.size();
    for (std::size_t at = 0; at < pixels; ++at) {
        const Argb colour = colourAt(at);
        if (AlphaOf(colour) == 0)
            continue;
        if (AlphaOf(colour) != 255)
            Refuse(subject + " has a partly transparent pixel at " + PlaceText(at, width)
                + " (alpha " + std::to_string(AlphaOf(colour))
                + "); a sprite pixel is either opaque or, for value 0, fully transparent.");
        const Argb rgb = OpaqueOf(colour);
        for (std::size_t k = 0; k < sets.size(); ++k) {
            if (!ruledOut[k] && !sets[k].Holds(rgb)) {
                ruledOut[k] = PixelColour {at, rgb};
                --alive;
            }
        }
        if (alive > 0)
            continue;
        for (std::size_t k = 0; k < sets.size(); ++k) {
            if (sets[k].Holds(rgb)) {
                const PixelColour& other = *ruledOut[k];
                Refuse(subject + " mixes colour sets: " + RgbText(rgb) + " at "
                    + PixelText(at, width) + " is one of " + sets[k].name + ", but "
                    + RgbText(other.rgb) + " at " + PixelText(other.at, width)
                    + " is not; a sprite image keeps to one set.");
            }
        }
        Refuse(subject + " has the colour " + RgbText(rgb) + " at " + PixelText(at, width)
            + ", which is not one of " + ListOfSets(sets) + ".");
    }

    std::size_t chosen = 0;
    while (ruledOut[chosen])
        ++chosen;
    const ColourSet& set = sets[chosen];
    std::vector<std::uint8_t> values(pixels, 0);
    for (std::size_t at = 0; at < pixels; ++at) {
        const Argb colour = colourAt(at);
        if (AlphaOf(colour) == 0)
            continue;
        const Argb rgb = OpaqueOf(colour);
        const auto first = std::find(set.colours.begin(), set.colours.end(), rgb);
        const auto second = std::find(first + 1, set.colours.end(), rgb);
        if (second != set.colours.end())
            Refuse(subject + " uses " + RgbText(rgb) + " at " + PixelText(at, width)
                + ", which is colour " + std::to_string(first - set.colours.begin())
                + " and colour " + std::to_string(second - set.colours.begin()) + " of " + set.name
                + " alike, so its pixel value cannot be told.");
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
    const auto fits
        = [&](Argb c) { return AlphaOf(c) == 0 || (AlphaOf(c) == 255 && greys.Holds(c)); };
    const std::size_t named = std::min<std::size_t>(4, picture.palette.size());
    if (!std::all_of(
            picture.palette.begin(), picture.palette.begin() + std::ptrdiff_t(named), fits))
        return false;
    // Every index lies inside the palette: ReadIndexed refuses the others first.
    return std::all_of(picture.indices.begin(), picture.indices.end(),
        [&](std::uint8_t index) { return fits(picture.palette[index]); });
}

std::vector<std::uint8_t> ReadIndexed(
    const PngPicture& picture, const std::optional<Palette>& extra, const std::string& subject)
{
    const int width = picture.width;
    const auto colourAt = [&](std::size_t at) { return picture.palette[picture.indices[at]]; };
    // A decoder that maps such an index to entry 0 would read a damaged file as a picture.
    for (std::size_t at = 0; at < picture.indices.size(); ++at) {
        if (picture.indices[at] >= picture.palette.size())
            Refuse(subject + " uses palette index " + std::to_string(picture.indices[at]) + " at "
                + PixelText(at, width) + ", past the end of its palette of "
                + std::to_string(picture.palette.size()) + " colours.");
    }
    if (ReadsByGreys(picture))
        return ReadByColour(subject, width, picture.height, extra, colourAt);

    const auto stray = std::find_if(
        picture.indices.begin(), picture.indices.end(), [](std::uint8_t i) { return i > 3; });
    if (stray == picture.indices.end())
        return picture.indices;

    // Indices past 3 may still be a picture in one of the colour sets, as a paint program
    // leaves it; only when the colours do not fit either is the stray index the problem.
    try {
        return ReadByColour(subject, width, picture.height, extra, colourAt);
    } catch (const SpritePngError&) {
        const auto at = static_cast<std::size_t>(stray - picture.indices.begin());
        Refuse(subject + " uses palette index " + std::to_string(*stray) + " at "
            + PixelText(at, width)
            + "; only 0 to 3 are pixel values, and its colours do not all belong to one of "
            + ListOfSets(CandidateSets(extra)) + " either.");
    }
}

} // namespace

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
    const PngPicture& picture, const std::optional<Palette>& extra, const std::string& subject)
{
    if (picture.indexed)
        return ReadIndexed(picture, extra, subject);
    return ReadByColour(subject, picture.width, picture.height, extra,
        [&](std::size_t at) { return picture.colours[at]; });
}

} // namespace morvane
