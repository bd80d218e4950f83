#include "ImageBlit.h"

#include <QImage>

#include <algorithm>
#include <cstring>

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
    for (int y = 0; y < dh; ++y) {
        const int ty = dy + y;
        const int syy = sy + (y * sh) / dh;
        if (ty < 0 || ty >= target.height() || syy < 0 || syy >= source.height())
            continue;
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(ty));
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(syy));
        for (int x = 0; x < dw; ++x) {
            const int tx = dx + x;
            const int sxx = sx + (x * sw) / dw;
            if (tx < 0 || tx >= target.width() || sxx < 0 || sxx >= source.width())
                continue;
            out[tx] = in[sxx];
        }
    }
}

} // namespace morvane
