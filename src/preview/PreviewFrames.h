#pragma once

#include <QImage>

#include <array>

namespace morvane {

class PictureBox;

// Assembles the preview's six 64x64 frame images from the 24 tile pictures the sheet shows now,
// so the preview shows exactly what the sheet shows, unsaved pixel edits included. A picture not
// drawn yet leaves its quarter of the frame blank. Tile group
// g (tiles 4g..4g+3, top left, top right, bottom left, bottom right) goes to frame image 2g for
// the first frames of the three poses (g < 3) and to 2(g - 3) + 1 for their second frames.
void ComposePreviewFrames(
    const std::array<QImage, 24>& tiles, const std::array<PictureBox*, 6>& picSprite);

} // namespace morvane
