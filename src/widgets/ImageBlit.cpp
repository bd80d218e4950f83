#include "ImageBlit.h"

#include <QImage>

#include <algorithm>
#include <cstring>
#include <vector>

namespace morvane {

void BitBlt(QImage& target, int dx, int dy, int w, int h, const QImage& source, int sx, int sy)
{
    for (int y = 0; y < h; ++y) {
        const int ty = dy + y;
        const int syy = sy + y;
        if (ty < 0 || ty >= target.height() || syy < 0 || syy >= source.height())
            continue;
        int from = 0;
        int to = w;
        from = std::max({from, -dx, -sx});
        to = std::min({to, target.width() - dx, source.width() - sx});
        if (to <= from)
            continue;
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(ty)) + dx + from;
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(syy)) + sx + from;
        std::memmove(out, in, static_cast<std::size_t>(to - from) * sizeof(QRgb));
    }
}

void StretchBlt(QImage& target, int dx, int dy, int dw, int dh, const QImage& source, int sx,
    int sy, int sw, int sh)
{
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    // A copy within one image reads the whole source block before anything is drawn, as a copy
    // between two images would; otherwise a row drawn early could overwrite a source row still
    // to be read. Detaching first makes the buffers comparable.
    target.bits();
    if (target.constBits() == source.constBits()) {
        const QImage block = source.copy(sx, sy, sw, sh);
        StretchBlt(target, dx, dy, dw, dh, block, 0, 0, sw, sh);
        return;
    }
    const int targetWidth = target.width();
    const int targetHeight = target.height();
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();

    // The source column of every target column that lands inside both images, worked out once
    // for all rows rather than with a division per pixel. Those columns form one run, because the
    // source column never decreases as the target column grows.
    int first = dw;
    std::vector<int> columns;
    columns.reserve(static_cast<std::size_t>(dw));
    for (int x = 0; x < dw; ++x) {
        const int tx = dx + x;
        const int sxx = sx + (x * sw) / dw;
        if (tx < 0 || tx >= targetWidth || sxx < 0 || sxx >= sourceWidth)
            continue;
        first = std::min(first, x);
        columns.push_back(sxx);
    }
    if (columns.empty())
        return;
    const std::size_t runBytes = columns.size() * sizeof(QRgb);

    // Enlarging draws each source row onto several target rows in turn; every repeat is a copy
    // of the target row just drawn.
    const QRgb* previous = nullptr;
    int previousSourceRow = -1;
    for (int y = 0; y < dh; ++y) {
        const int ty = dy + y;
        const int syy = sy + (y * sh) / dh;
        if (ty < 0 || ty >= targetHeight || syy < 0 || syy >= sourceHeight) {
            previous = nullptr;
            continue;
        }
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(ty)) + (dx + first);
        if (previous != nullptr && syy == previousSourceRow) {
            std::memcpy(out, previous, runBytes);
        } else {
            const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(syy));
            for (std::size_t i = 0; i < columns.size(); ++i)
                out[i] = in[columns[i]];
        }
        previous = out;
        previousSourceRow = syy;
    }
}

} // namespace morvane
