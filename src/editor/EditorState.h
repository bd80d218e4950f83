#pragma once

#include "sprite/SpriteBlock.h"
#include "sprite/TileBits.h"

#include <array>
#include <cstdint>
#include <string>

namespace morvane {

// Everything more than one command of the main window reads or writes. The pictures, the swatch
// colours, the overlay colours and the enabled states live in the controls themselves.
struct EditorState {
    // The ROM image's full path (UTF-8); empty until a ROM image has been opened.
    std::string RomPath;
    // The loaded sprite: the only copy that is edited and the only data ever written.
    SpriteBlock SpriteBuf {};
    // The entry whose block SpriteBuf holds, -1 before the first successful load. Save writes
    // here, whatever the list shows, so a changed list selection never overwrites another sprite.
    int LoadedIndex = -1;
    // The display colours the tile views were last drawn in.
    Palette PalColor {};
    std::array<std::uint8_t, 4> PalRed {};
    std::array<std::uint8_t, 4> PalGreen {};
    std::array<std::uint8_t, 4> PalBlue {};
    std::uint8_t CurColor = 0;
    std::string CurCode;
    std::uint8_t CurTile = 0;
    BitTable TileLoBits {};
    BitTable TileHiBits {};
    // Which frame of each pose the preview's next tick shows; kept for the whole run.
    std::uint8_t FramePhase = 0;
};

} // namespace morvane
