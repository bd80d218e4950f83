#pragma once

#include <QImage>

#include <array>
#include <cstdint>

class QWidget;

namespace morvane {

// The "Test Sprite" command: loads the preview window over `owner`, fills its frame images from
// the sheet's tile pictures and shows it modally; returns once the preview has been closed and
// unloaded.
void RunPreview(QWidget* owner, std::uint8_t& framePhase, const std::array<QImage, 24>& tiles);

} // namespace morvane
