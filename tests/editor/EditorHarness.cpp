#include "EditorHarness.h"

#include "DiskScript.h"

namespace morvane::test {

EditorHarness::~EditorHarness()
{
    DisarmDisk();
}

void EditorHarness::WatchTransfers()
{
    ArmDisk({}, [this](const DiskTransfer& transfer) {
        const QCursor* cursor = QApplication::overrideCursor();
        transfers.push_back({transfer.write, transfer.offset,
            cursor != nullptr ? std::optional(cursor->shape()) : std::nullopt});
    });
}

QString CompareTileView(const QImage& view, const QByteArray& tile)
{
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb expected = DefaultColour(PixelValue(tile, x / 4, y / 4)).rgb();
            if (view.pixelColor(x, y).rgb() != expected)
                return QString::asprintf("pixel (%d, %d) is %s, expected %s", x, y,
                    qPrintable(view.pixelColor(x, y).name()), qPrintable(QColor(expected).name()));
        }
    }
    return {};
}

} // namespace morvane::test
