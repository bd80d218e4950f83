#pragma once

#include "ChangeMarks.h"
#include "EditCommands.h"
#include "MainWindowLayout.h"
#include "PaletteModel.h"
#include "PlatformServices.h"
#include "RecoveryKeeper.h"
#include "SpriteSession.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace morvane {

class clsMSDLG;
class GridCursor;

// The main editor window. Events arrive here and are routed to handlers named after their
// control and event; the handlers pass the work to the sprite document (SpriteSession) and draw
// what it holds into the views, the editing grid and the palette.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(PlatformServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Opens a ROM image as if it had been chosen in File, Load Rom. `path` is the file system's
    // own bytes (a command-line argument as given, or a dropped file's). Returns false, after
    // telling the user why, when the file cannot be opened or its first sprite cannot be read;
    // the window is then left exactly as it was.
    bool OpenRom(const QByteArray& path);
    // Replaces SpriteBuf with the sprite image in a PNG file, as one undoable step.
    bool ImportSpriteImage(const QString& path);

    // Handlers.
    void cmdLoad_Click();
    void cmdSave_Click();
    void cmdTest_Click();
    void Color_Click(int Index);
    void chkGRID_Click();
    void hRED_Change();
    void hGREEN_Change();
    void hBLUE_Change();
    void hRED_Scroll();
    void hGREEN_Scroll();
    void hBLUE_Scroll();
    void mnuFileLoad_Click();
    void mnuFileSave_Click();
    void mnuFileQuit_Click();
    void mnuOptionsTest_Click();
    void mnuOptionsGrid_Click();
    void mnuOptionsSprites_Click();
    void mnuHelpHelp_Click();
    void mnuHelpAbout_Click();
    // Button: 1 left, 2 right, 4 middle (a set of them for moves); Shift: 1 Shift, 2 Ctrl, 4 Alt.
    void picEdit_MouseDown(int Button, int Shift, float X, float Y);
    void picEdit_MouseMove(int Button, int Shift, float X, float Y);
    void picSprites_Click(int Index);

    // The sprite being edited.
    const SpriteSession& Document() const { return document_; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The shared common dialog, created on first use.
    clsMSDLG& SharedDialog();
    void ConnectEvents();
    void ConnectEditMenu();
    void ShowOpenedRom();
    // Paints tile pixel (column, row) of the selected tile in the painting colour.
    void PaintCell(int column, int row);
    // Drawing what the document holds.
    void DrawTileView(int tile);
    void DrawGrid();
    void DrawSprite();
    void ShowMarkers();
    // The colour confirmed in the shared colour dialog, or nothing after Cancel.
    std::optional<QColor> AskColour();
    void ShowError(const QString& text);
    void ShowError(const std::exception& error);

    MainWindowControls ui_;
    PlatformServices services_;
    std::unique_ptr<clsMSDLG> sharedDialog_;
    SpriteSession document_;
    PaletteModel palette_;
    EditCommands edits_;
    // The editing grid's keyboard cursor, owned by the grid.
    GridCursor* cursor_ = nullptr;
    // Keeps unsaved paint through a quit, a crash or a kill, and offers it back.
    RecoveryKeeper recovery_ {document_, services_.messages, this};
    // Show Changes and the blink key; made once the views it marks exist.
    std::unique_ptr<ChangeMarks> changes_;
    // Which frame of each pose the preview's next tick shows; kept for the whole run.
    std::uint8_t FramePhase = 0;
    // Counts presses and releases on the editing grid: the pixels painted under one count are
    // one stroke, undone together.
    int stroke_ = 0;
};

} // namespace morvane
