#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace morvane::test {

// A ROM-sized image whose neighbouring bytes differ, so a byte taken from the wrong place shows.
inline QByteArray PatternImage(qsizetype size)
{
    QByteArray image(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        image[i] = static_cast<char>((static_cast<std::uint32_t>(i) * 2654435761u) >> 13);
    return image;
}

// `image` with `length` bytes changed at each offset: inverted, or set to `fill` when given.
inline QByteArray Changed(
    QByteArray image, const QList<qsizetype>& offsets, qsizetype length, int fill = -1)
{
    for (const qsizetype at : offsets) {
        for (qsizetype i = at; i < at + length; ++i)
            image[i] = fill < 0 ? static_cast<char>(~image[i]) : static_cast<char>(fill);
    }
    return image;
}

// The three sprite blocks the round trips change, the last one near the end of a 1 MiB image.
inline const QList<qsizetype> kThreeBlocks = {0x143F0, 0x14B70, 0xFFC00};
inline constexpr qsizetype kMiB = 1 << 20;

} // namespace morvane::test
