#include "PreviewFrames.h"

#include "widgets/ImageBlit.h"
#include "widgets/PictureBox.h"

namespace morvane {

namespace {

constexpr int kGroups = 6;
constexpr int kPoses = 3;
constexpr int kTileViewSide = 32;

// Frame image n holds pose n / 2, frame n % 2; the sheet keeps all first frames before all
// second frames, hence the interleaving.
int FrameImageOfGroup(int group)
{
    return group < kPoses ? 2 * group : 2 * (group - kPoses) + 1;
}

} // namespace

void ComposePreviewFrames(
    const std::array<PictureBox*, 24>& picSprites, const std::array<PictureBox*, 6>& picSprite)
{
    for (int g = 0; g < kGroups; ++g) {
        QImage& frame = picSprite[static_cast<std::size_t>(FrameImageOfGroup(g))]->Image();
        for (int q = 0; q < 4; ++q) {
            const QImage& tile = picSprites[static_cast<std::size_t>(4 * g + q)]->Image();
            BitBlt(frame, kTileViewSide * (q % 2), kTileViewSide * (q / 2), kTileViewSide,
                kTileViewSide, tile, 0, 0);
        }
    }
}

} // namespace morvane
