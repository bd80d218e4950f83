#pragma once

#include "RomFixture.h"
#include "ScriptedDialogBackend.h"
#include "ScriptedServices.h"
#include "TestData.h"
#include "editor/frmMain.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

namespace morvane {
class PictureBox;
}

namespace morvane::test {

// The real main window with scripted dialogs, recorded message boxes and a recorded help viewer,
// so a test drives it headless and never waits on a modal window. Its recovery records go to a
// state folder of its own (XDG_STATE_HOME), or to `sharedStateHome` when given, so a second window
// finds what the first kept; never to the user's.
struct EditorHarness {
    explicit EditorHarness(const QString& sharedStateHome = QString());
    ~EditorHarness();

    // File, Load Rom answered with `path`.
    void LoadRom(const QString& path);
    // Selects an entry in the list and presses Load Sprite.
    void LoadSprite(int index);
    // The bytes of SpriteBuf as a QByteArray, for comparison with file contents.
    QByteArray SpriteBuf() const;

    // A control of the window by its design name ("cmdLoad", "Color(4)", "mnuFileSave"); a
    // missing one ends the test run, as a broken fixture.
    template <typename Control> Control& Find(const QString& name) const
    {
        auto* control = window->findChild<Control*>(name);
        if (control == nullptr)
            qFatal("The window has no control named %s", qPrintable(name));
        return *control;
    }
    // A read or write of a file, with the shape of the application's override pointer while it
    // ran (none when no override was set).
    struct Transfer {
        bool write = false;
        std::int64_t offset = 0;
        std::optional<Qt::CursorShape> pointer;
    };
    // From now on notes every read and write of a file in `transfers`, until the harness goes.
    void WatchTransfers();
    std::vector<Transfer> transfers;

    // Shows the window and waits until it is on screen, so keys and clicks reach it; false when
    // it never shows.
    [[nodiscard]] bool Show() const;

    // Gestures as the user makes them: a click on a control, and a press, a move with the left
    // button held and a release at a point of the editing grid.
    void Click(const QString& control) const;
    void PressGrid(QPoint at) const;
    void DragGrid(QPoint to) const;
    void ReleaseGrid(QPoint at) const;
    // Paints one cell of the selected tile in a colour it does not have, as a click on the
    // swatch and a press and release on the grid, so SpriteBuf differs from the file and the
    // undo history holds one more step.
    void PaintOneCell() const;
    // Paints cell (column, row) of the selected tile in `value`, as a click on its swatch and a
    // press and release on the cell.
    void PaintCell(int value, int column, int row) const;
    // A key sequence ("Ctrl+Z") sent to the window.
    void Keys(const char* sequence) const;

    // Triggers a command of the window by its design name ("mnuEditUndo").
    void Trigger(const QString& action) const;
    PictureBox& View(int tile) const;
    PictureBox& Grid() const;
    // An empty string when the 24 tile views show `block` in the default palette, otherwise the
    // first difference.
    QString SheetDifference(const QByteArray& block) const;
    // Whether the editing grid shows tile view `tile` four times enlarged.
    bool GridShowsView(int tile) const;
    // Whether tile view t shows its marker: the view's only overlay, seen only when it frames
    // the view.
    bool MarkerShown(int tile) const;

    QTemporaryDir programFolder;
    // Set before the window is made, which takes its recovery folder from it.
    struct StateHome {
        explicit StateHome(const QString& given);
        QTemporaryDir own;
        QString path;
    } stateHome;
    ScriptedDialogBackend dialogs;
    RecordingMessages messages;
    RecordingHelpViewer help;
    std::unique_ptr<frmMain> window;
};

// The editor with a ROM image of its own opened, entry 0 loaded; the image outlives the window.
struct RomOfItsOwn {
    RomFixture rom;
};
struct OpenEditor : RomOfItsOwn, EditorHarness {
    OpenEditor() { LoadRom(rom.Path()); }
};

// The caption as the window's title bar shows it, with the unsaved marker filled in.
QString Caption(const QWidget& window);

// The default display colour of each pixel value.
QColor DefaultColour(int value);

// Compares a tile view with what 16 tile bytes should look like four times enlarged in the
// default palette; returns an empty string or a description of the first difference.
QString CompareTileView(const QImage& view, const QByteArray& tile);

} // namespace morvane::test
