#include "RunPreview.h"

#include "PreviewFrames.h"
#include "frmTest.h"

namespace morvane {

void RunPreview(QWidget* owner, std::uint8_t& framePhase, const std::array<PictureBox*, 24>& views)
{
    frmTest preview(owner, framePhase);
    ComposePreviewFrames(views, preview.picSprite);
    preview.exec();
}

} // namespace morvane
