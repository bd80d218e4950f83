#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <cstddef>
#include <string>
#include <vector>

namespace morvane {
class frmMain;
}

namespace morvane::test {

struct EditorHarness;

// Everything a refused command must leave as it was: the loaded sprite, what the 24 tile views
// and the editing grid show, which ROM image and entry the window works on (and Save writes to),
// the caption, the palette and the undo history.
struct WindowSnapshot {
    QByteArray spriteBuf;
    std::vector<QImage> views;
    QImage grid;
    std::string romPath;
    int loadedIndex = -1;
    QString title;
    std::vector<QColor> swatches;
    std::vector<int> sliders;
    int undoCount = 0;
};

WindowSnapshot TakeSnapshot(const frmMain& window);

// An empty string when the two agree, otherwise the first difference in words.
QString SnapshotDifference(const WindowSnapshot& before, const WindowSnapshot& after);

// Checks that exactly one message appeared since `messagesBefore` and that it is an error titled
// with the program's name that names `path` (and holds `reason` when given); that the window is
// as `before` shows it; and that the busy pointer is gone. Returns an empty string or the fault.
QString RefusalFault(const EditorHarness& harness, std::size_t messagesBefore, const QString& path,
    const QString& reason, const WindowSnapshot& before);

} // namespace morvane::test
