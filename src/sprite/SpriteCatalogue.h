#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

// The 45 overworld sprites the editor can open, in list order. Their blocks sit at fixed offsets
// of the ROM image: nothing is searched for and no pointer table is read.
inline constexpr int kSpriteCount = 45;
// The end of the last block; a ROM image at least this long holds every entry.
inline constexpr std::int32_t kLastBlockEnd = 1045104;

// The label shown for an entry in the sprite list; empty for an index outside 0..44.
std::string_view SpriteLabel(int index);

// The byte offset of an entry's block, or nothing for an index outside 0..44.
std::optional<std::int32_t> SpriteOffsetValue(std::int16_t index);

// The offset as the decimal text the file commands pass around, or "?" outside 0..44.
std::string SpriteOffset(std::int16_t index);

} // namespace morvane
