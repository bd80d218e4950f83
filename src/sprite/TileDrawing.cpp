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
        std::array<PackedColor, kTileSide> colors {};
        for (std::size_t column = 0; column < colors.size(); ++column)
            colors[column] = palColor[values[column]];
        view.SetTileRow(row, colors);
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
