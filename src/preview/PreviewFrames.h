#pragma once

#include <array>

namespace morvane {

class PictureBox;

// Assembles the preview's six 64x64 frame images from the sheet's 24 tile views as they are drawn
// now, so the preview shows exactly what the sheet shows, unsaved pixel edits included. Tile group
// g (tiles 4g..4g+3, top left, top right, bottom left, bottom right) goes to frame image 2g for
// the first frames of the three poses (g < 3) and to 2(g - 3) + 1 for their second frames.
void ComposePreviewFrames(
    const std::array<PictureBox*, 24>& picSprites, const std::array<PictureBox*, 6>& picSprite);

} // namespace morvane
