#include "RunPreview.h"

#include "PreviewFrames.h"
#include "frmTest.h"

namespace morvane {

void RunPreview(QWidget* owner, std::uint8_t& framePhase, const std::array<QImage, 24>& tiles)
{
    frmTest preview(owner, framePhase);
    ComposePreviewFrames(tiles, preview.picSprite);
    preview.exec();
}

} // namespace morvane
