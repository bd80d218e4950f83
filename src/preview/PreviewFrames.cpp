#include "PreviewFrames.h"

#include "sprite/FrameLayout.h"
#include "widgets/ImageBlit.h"
#include "widgets/PictureBox.h"

namespace morvane {

namespace {

constexpr int kPoses = 3;

// Frame image n holds pose n / 2, frame n % 2; the sheet keeps all first frames before all
// second frames, hence the interleaving.
int FrameImageOfGroup(int group)
{
    return group < kPoses ? 2 * group : 2 * (group - kPoses) + 1;
}

} // namespace

void ComposePreviewFrames(
    const std::array<QImage, 24>& tiles, const std::array<PictureBox*, 6>& picSprite)
{
    for (int g = 0; g < kFramesPerSprite; ++g) {
        QImage& frame = picSprite[static_cast<std::size_t>(FrameImageOfGroup(g))]->Image();
        for (int q = 0; q < 4; ++q) {
            const int t = TileOfFrame(g, q);
            BitBlt(frame, kTileViewSide * TileColumnInFrame(t), kTileViewSide * TileRowInFrame(t),
                kTileViewSide, kTileViewSide, tiles[static_cast<std::size_t>(t)], 0, 0);
        }
    }
}

} // namespace morvane
