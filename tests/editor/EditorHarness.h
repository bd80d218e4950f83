#pragma once

#include "RomFixture.h"
#include "ScriptedDialogBackend.h"
#include "ScriptedServices.h"
#include "editor/frmMain.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <memory>

namespace morvane::test {

// The real main window with scripted dialogs, recorded message boxes and a recorded help viewer,
// so a test drives it headless and never waits on a modal window.
struct EditorHarness {
    EditorHarness();

    // File, Load Rom answered with `path`.
    void LoadRom(const QString& path);
    // Selects an entry in the list and presses Load Sprite.
    void LoadSprite(int index);
    // The bytes of SpriteBuf as a QByteArray, for comparison with file contents.
    QByteArray SpriteBuf() const;

    QTemporaryDir programFolder;
    ScriptedDialogBackend dialogs;
    RecordingMessages messages;
    RecordingHelpViewer help;
    std::unique_ptr<frmMain> window;
};

// The default display colour of each pixel value.
QColor DefaultColour(int value);

// The value of pixel (column, row) of a tile, worked out from its two row bytes directly.
int PixelValue(const QByteArray& tile, int column, int row);

// Compares a tile view with what 16 tile bytes should look like four times enlarged in the
// default palette; returns an empty string or a description of the first difference.
QString CompareTileView(const QImage& view, const QByteArray& tile);

} // namespace morvane::test
