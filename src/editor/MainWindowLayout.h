#pragma once

#include <array>

class QAction;
class QCheckBox;
class QMenu;
class QUndoStack;
class QComboBox;
class QGroupBox;
class QLabel;
class QMainWindow;
class QPushButton;
class QScrollBar;

namespace morvane {

class ColorSwatch;
class PictureBox;

// The editing grid's side in pixels: the 8 x 8 cells of a tile, 16 pixels each.
inline constexpr int kEditSide = 128;
// The tops of a tile view's marker: framing the view, and below it, out of sight.
inline constexpr int kMarkerShown = 0;
inline constexpr int kMarkerHidden = 100;

// Every control of the main window, by its design name. Control arrays are indexed as in the
// design: picSprites(t) and its marker shpPoint(t) belong to tile t, Color(0..3) show the
// display colours and Color(4) the painting colour, vGRID(i) and hGRID(i) lie at 16 (i + 1).
struct MainWindowControls {
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    std::array<PictureBox*, 24> picSprites {};
    std::array<int, 24> shpPoint {}; // marker overlays, one inside each tile view
    PictureBox* picEdit = nullptr;
    std::array<int, 7> vGRID {}; // grid line overlays of picEdit
    std::array<int, 7> hGRID {};
    std::array<QLabel*, 4> Label1 {};
    QComboBox* cboSprite = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdTest = nullptr;
    QCheckBox* chkGRID = nullptr;
    std::array<ColorSwatch*, 5> Color {};
    QScrollBar* hRED = nullptr;
    QScrollBar* hGREEN = nullptr;
    QScrollBar* hBLUE = nullptr;
    QAction* mnuFileLoad = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileQuit = nullptr;
    QAction* mnuOptionsTest = nullptr;
    QAction* mnuOptionsGrid = nullptr;
    QAction* mnuOptionsSprites = nullptr;
    QAction* mnuHelpHelp = nullptr;
    QAction* mnuHelpAbout = nullptr;
    // The Edit menu. Undo and Redo are made from the document's history, which keeps their text
    // and enabled state; the frame tools are indexed in the order of FrameTool.
    QMenu* mnuEdit = nullptr;
    QAction* mnuEditUndo = nullptr;
    QAction* mnuEditRedo = nullptr;
    QAction* mnuEditCopySprite = nullptr;
    QAction* mnuEditPasteSprite = nullptr;
    QAction* mnuEditCopyFrame = nullptr;
    QAction* mnuEditPasteFrame = nullptr;
    std::array<QAction*, 8> mnuEditFrameTool {};
    QAction* mnuEditFill = nullptr;
    QAction* mnuEditSwap = nullptr;
    // Show Changes, made with the marks it shows (ChangeMarks), at the end of the Edit menu.
    QAction* mnuEditShowChanges = nullptr;
};

// Builds every frame, control, overlay and menu of the main window at its fixed pixel position,
// in its starting state, with the keyboard focus order, each control's design name as its
// object name and an accessible name a screen reader speaks; Undo and Redo act on `history`.
// Sizes the window to a 417 x 346 client area below the menu bar and centres it on the screen.
void BuildMainWindowLayout(QMainWindow& window, MainWindowControls& controls, QUndoStack& history);

// Enables what waits for a ROM image, in the order opening one enables it: the list, the
// buttons, Save Changes, Test Sprite, the frames and the Edit menu's commands (Undo and Redo
// follow the history). Nothing disables them again.
void EnableRomControls(MainWindowControls& controls);

} // namespace morvane
