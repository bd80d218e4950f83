#include "SpritePng.h"

#include "PixelValues.h"
#include "PngDecoder.h"
#include "sprite/DisplayPalette.h"
#include "sprite/FrameLayout.h"

#include <algorithm>

namespace morvane {

namespace {

// Writes a frame's pixel values into an indexed image, its top row at line `top`.
void DrawFrame(IndexedImage& image, const FramePixels& pixels, int top)
{
    for (int y = 0; y < kFrameSide; ++y)
        std::copy(pixels[static_cast<std::size_t>(y)].begin(),
            pixels[static_cast<std::size_t>(y)].end(), image.Row(top + y));
}

} // namespace

Palette PaletteColours(PngPalette palette)
{
    if (palette == PngPalette::DisplayDefaults)
        return kDefaultPalette;
    return {PackRgb(255, 255, 255), PackRgb(170, 170, 170), PackRgb(85, 85, 85), PackRgb(0, 0, 0)};
}

IndexedImage SpritePicture(const SpriteBlock& block, const Palette& colours)
{
    IndexedImage image(kSpriteImageWidth, kSpriteImageHeight, EntriesOf(colours));
    for (int frame = 0; frame < kFramesPerSprite; ++frame)
        DrawFrame(image, DecodeFrame(block, frame), kFrameSide * frame);
    return image;
}

IndexedImage FramePicture(const SpriteBlock& block, int frame, const Palette& colours)
{
    IndexedImage image(kFrameImageSide, kFrameImageSide, EntriesOf(colours));
    DrawFrame(image, DecodeFrame(block, frame), 0);
    return image;
}

std::vector<std::uint8_t> SpritePngData(const SpriteBlock& block, PngPalette palette)
{
    return EncodePng(SpritePicture(block, PaletteColours(palette)), "sprite image");
}

SpriteBlock DecodeSpritePng(std::span<const std::uint8_t> file, const std::string& subject,
    const std::optional<Palette>& extra)
{
    if (file.size() > std::size_t(kMaxSpritePngBytes))
        throw SpritePngError(subject + " cannot be read: it is larger than "
            + std::to_string(kMaxSpritePngBytes) + " bytes, and a sprite image file never is.");
    const PngPicture picture
        = DecodePng(file, {kSpriteImageWidth, kSpriteImageHeight}, "a sprite image", subject);
    return BlockOfValues(ReadPixelValues(picture, extra, subject).data(), kSpriteImageWidth);
}

} // namespace morvane
