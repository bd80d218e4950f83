#pragma once

#include "sprite/FrameLayout.h"
#include "sprite/TileSurface.h"

#include <QImage>

namespace morvane {

// A tile as the sprite sheet shows it: 32 x 32 pixels, each tile pixel a 4 x 4 block in the
// display colour it was drawn or painted in. The tile drawing paints into it as into any tile
// view; the window's view shows the picture as it is.
class TilePicture final : public TileSurface {
public:
    static constexpr int kSide = kTileViewSide;

    // Draws into `image`, which becomes a 32 x 32 picture if it is not one yet.
    explicit TilePicture(QImage& image);

    // Fills tile pixel (column, row), the 4 x 4 block at (4 column, 4 row).
    void FillTilePixel(int column, int row, PackedColor color);

    void ClearToBackground() override;
    void SetPixel(int x, int y, PackedColor color) override;
    void SetTileRow(int y, const std::array<PackedColor, kTileSide>& colors) override;
    void StretchTileToView() override;

private:
    QImage& image_;
};

} // namespace morvane
