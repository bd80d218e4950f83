#pragma once

#include "SpritePng.h"
#include "sprite/SpriteCatalogue.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace morvane {

// All 45 sprites in one image: nine sprite images across and five down, entry i in column
// i mod 9 and row i div 9, each laid out exactly as a single sprite image.
inline constexpr int kSheetSpritesAcross = 9;
inline constexpr int kSheetSpritesDown = 5;
inline constexpr int kSheetWidth = kSheetSpritesAcross * kSpriteImageWidth;
inline constexpr int kSheetHeight = kSheetSpritesDown * kSpriteImageHeight;
static_assert(kSheetSpritesAcross * kSheetSpritesDown == kSpriteCount);

using SpriteSet = std::array<SpriteBlock, kSpriteCount>;

// The sheet as an indexed image of four colour entries whose index is the pixel value.
IndexedImage SheetPicture(const SpriteSet& sprites, const Palette& colours);

// The bytes of an indexed PNG file of the sheet in the chosen set of colours.
std::vector<std::uint8_t> SheetPngData(const SpriteSet& sprites, PngPalette palette);

// Reads a sheet back by the rules of DecodeSpritePng, applied to the sheet as one picture; a file
// of another size than 144 x 480 is refused from its header. `subject` names it in messages.
SpriteSet DecodeSheetPng(std::span<const std::uint8_t> file, const std::string& subject);

} // namespace morvane
