#pragma once

#include "SpriteBlock.h"

#include <cstdint>
#include <string>

namespace morvane {

class TileSurface;
class SwatchSource;

// Draws one tile four times enlarged: clears the view, copies the four swatch colours into
// `palColor`, sets the 8 x 8 pixels in those colours and stretches them to 32 x 32.
void DrawTile(
    const TileBytes& tile, TileSurface& view, const SwatchSource& swatches, Palette& palColor);

// The same for the 16 bytes read from the ROM image at `offset` (one open, read and close).
// Throws RomFileError before anything is drawn if the tile cannot be read.
void DrawTileFromRom(const std::string& path, std::int32_t offset, TileSurface& view,
    const SwatchSource& swatches, Palette& palColor);

} // namespace morvane
