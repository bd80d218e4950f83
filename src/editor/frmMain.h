#pragma once

#include "EditHistory.h"
#include "EditorState.h"
#include "PlatformServices.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace morvane {

class ColorSwatch;
class PictureBox;
class clsMSDLG;

// The main editor window. Events arrive here and are routed to handlers named after their
// control and event; the handlers keep the work in the core (codec, file access) and in small
// helpers (image copies, history).
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(PlatformServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Opens a ROM image as if it had been chosen in File, Load Rom. Returns false, after telling
    // the user why, when the file cannot be opened; the window is then left as it was.
    bool OpenRom(const QString& path);
    // Replaces SpriteBuf with a sprite image (PNG file or pasted image), as one undoable step.
    bool ImportSpriteImage(const QString& path);
    bool ImportSpriteImage(const QImage& image, const QString& origin);

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

    // Beyond the menu tree: keyboard shortcuts only.
    void Undo();
    void Redo();
    void CopySprite();
    void PasteSprite();

    // The shared common dialog, created on first use.
    clsMSDLG& SharedDialog();
    const EditHistory& History() const { return history_; }

    EditorState State;

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

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildShortcuts();
    void ConnectEvents();
    void LoadRomSteps(const QString& path);
    void StoreSlider(QScrollBar* bar, std::array<std::uint8_t, 4>& components);
    void PaintCell(float X, float Y);
    void EndStroke();
    void ApplyStep(const SpriteBlock& block, const std::map<int, QImage>& views);
    void RedrawViewsFromBuffer();
    void ReplaceSprite(const SpriteBlock& block);
    void ReselectCurrentTile();
    bool RomIsOpen() const { return !State.RomPath.empty(); }
    void ShowError(const QString& text);
    // The colour confirmed in the shared colour dialog, or nothing after Cancel.
    std::optional<QColor> AskColour();
    std::optional<Palette> DisplayColours() const;

    PlatformServices services_;
    std::unique_ptr<clsMSDLG> sharedDialog_;
    EditHistory history_;
    // The stroke in progress: from a press on the editing grid to the release.
    std::optional<EditStep> stroke_;
};

} // namespace morvane
