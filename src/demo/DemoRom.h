#pragma once

#include "sprite/SpriteBlock.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvane {

// A ROM image of our own making for trying the editor and the tool without a real cartridge:
// every byte of it, header and sprites alike, is drawn or chosen here.
inline constexpr std::size_t kDemoRomBytes = 1048576;

// The 1 MiB demo image: a small header with the title "MORVANE DEMO" at 0x134 and valid header
// and global checksums, DemoSprite(i) at the catalogue offset of every entry i, zeros elsewhere.
std::vector<std::uint8_t> MakeDemoRom();

// The demo drawing for catalogue entry `index` (0..44): a small character, or a creature for the
// "Morvane" entries, whose hair, build and clothing follow the index so no two entries look
// alike. Frames 0, 1 and 2 face down, up and sideways; frames 3, 4 and 5 are the same poses with
// legs and arms swapped, so each pose walks. An index outside 0..44 gives an all-zero block.
SpriteBlock DemoSprite(int index);

} // namespace morvane
