#include "SpriteSheet.h"

#include "PixelValues.h"
#include "PngDecoder.h"

#include <algorithm>

namespace morvane {

namespace {

// The top left corner of entry `index` in the sheet, as the place of its first pixel in the
// row-after-row order.
std::size_t CornerOf(int index)
{
    const int x = kSpriteImageWidth * (index % kSheetSpritesAcross);
    const int y = kSpriteImageHeight * (index / kSheetSpritesAcross);
    return std::size_t(y) * kSheetWidth + std::size_t(x);
}

} // namespace

IndexedImage SheetPicture(const SpriteSet& sprites, const Palette& colours)
{
    IndexedImage sheet(kSheetWidth, kSheetHeight, EntriesOf(colours));
    for (int index = 0; index < kSpriteCount; ++index) {
        const IndexedImage sprite
            = SpritePicture(sprites[static_cast<std::size_t>(index)], colours);
        std::uint8_t* corner = sheet.indices.data() + CornerOf(index);
        for (int y = 0; y < kSpriteImageHeight; ++y)
            std::copy_n(sprite.Row(y), kSpriteImageWidth, corner + std::ptrdiff_t(y) * kSheetWidth);
    }
    return sheet;
}

std::vector<std::uint8_t> SheetPngData(const SpriteSet& sprites, PngPalette palette)
{
    return EncodePng(SheetPicture(sprites, PaletteColours(palette)), "sprite sheet");
}

SpriteSet DecodeSheetPng(std::span<const std::uint8_t> file, const std::string& subject)
{
    if (file.size() > std::size_t(kMaxSpritePngBytes))
        throw SpritePngError(subject + " cannot be read: it is larger than "
            + std::to_string(kMaxSpritePngBytes) + " bytes, and a sprite sheet file never is.");
    const PngPicture picture
        = DecodePng(file, {kSheetWidth, kSheetHeight}, "a sprite sheet", subject);
    const std::vector<std::uint8_t> values = ReadPixelValues(picture, {}, subject);
    SpriteSet sprites {};
    for (int index = 0; index < kSpriteCount; ++index)
        sprites[static_cast<std::size_t>(index)]
            = BlockOfValues(values.data() + CornerOf(index), kSheetWidth);
    return sprites;
}

} // namespace morvane
