#pragma once

class QImage;

namespace morvane {

// Block copies between the persistent images of picture boxes, pixel for pixel. Both images are
// expected in QImage::Format_RGB32; parts that fall outside either image are skipped.

// Copies a w x h block from (sx, sy) of `source` to (dx, dy) of `target`.
void BitBlt(QImage& target, int dx, int dy, int w, int h, const QImage& source, int sx, int sy);

// Copies the sw x sh block at (sx, sy) of `source` onto the dw x dh block at (dx, dy) of
// `target`, scaling by pixel replication (enlarging) or by taking the top-left pixel of each
// block (reducing), so the four-fold copies between the tile views and the editing grid are
// exact.
void StretchBlt(QImage& target, int dx, int dy, int dw, int dh, const QImage& source, int sx,
    int sy, int sw, int sh);

} // namespace morvane
