#pragma once

#include <array>
#include <cstdint>

class QWidget;

namespace morvane {

class PictureBox;

// The "Test Sprite" command: loads the preview window over `owner`, fills its frame images from
// the sheet's tile views and shows it modally; returns once the preview has been closed and
// unloaded.
void RunPreview(QWidget* owner, std::uint8_t& framePhase, const std::array<PictureBox*, 24>& views);

} // namespace morvane
