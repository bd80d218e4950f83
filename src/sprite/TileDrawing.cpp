#include "TileDrawing.h"

#include "RomFile.h"
#include "TileCodec.h"
#include "TileSurface.h"

namespace morvane {

void DrawTile(
    const TileBytes& tile, TileSurface& view, const SwatchSource& swatches, Palette& palColor)
{
    view.ClearToBackground();
    for (int value = 0; value < 4; ++value)
        palColor[static_cast<std::size_t>(value)] = swatches.SwatchColor(value);
    for (int row = 0; row < kTileSide; ++row) {
        const auto values = DecodeRow(
            tile[static_cast<std::size_t>(2 * row)], tile[static_cast<std::size_t>(2 * row + 1)]);
        for (int column = 0; column < kTileSide; ++column)
            view.SetPixel(column, row, palColor[values[static_cast<std::size_t>(column)]]);
    }
    view.StretchTileToView();
}

void DrawTileFromRom(const std::string& path, std::int32_t offset, TileSurface& view,
    const SwatchSource& swatches, Palette& palColor)
{
    // Read first: a tile that cannot be read leaves the view as it was.
    const TileBytes tile = ReadTile(path, offset);
    DrawTile(tile, view, swatches, palColor);
}

} // namespace morvane
