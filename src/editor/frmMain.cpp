#include "frmMain.h"

#include "AboutText.h"
#include "FileSystemPath.h"
#include "GridCursor.h"
#include "PaletteView.h"
#include "WindowCaption.h"
#include "dialogs/clsMSDLG.h"
#include "preview/RunPreview.h"
#include "qtcolour/PackedColourQt.h"
#include "sprite/DisplayPalette.h"
#include "sprite/FrameLayout.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteCatalogue.h"
#include "spriteimage/SpriteImage.h"
#include "widgets/BusyPointer.h"
#include "widgets/ColorSwatch.h"
#include "widgets/ImageBlit.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace morvane {

frmMain::frmMain(PlatformServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      edits_(*this, document_, palette_, services_)
{
    BuildMainWindowLayout(*this, ui_, document_.History());
    cursor_ = new GridCursor(*ui_.picEdit, document_);
    ConnectEvents();
    ConnectEditMenu();
    changes_ = std::make_unique<ChangeMarks>(*this, ui_, document_, palette_);
    setAcceptDrops(true);
}

frmMain::~frmMain() = default;

clsMSDLG& frmMain::SharedDialog()
{
    if (!sharedDialog_)
        sharedDialog_ = std::make_unique<clsMSDLG>(services_.dialogs, services_.programFolder);
    return *sharedDialog_;
}

void frmMain::ConnectEvents()
{
    connect(ui_.cmdLoad, &QPushButton::clicked, this, &frmMain::cmdLoad_Click);
    connect(ui_.cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(ui_.cmdTest, &QPushButton::clicked, this, &frmMain::cmdTest_Click);
    connect(ui_.chkGRID, &QCheckBox::toggled, this, &frmMain::chkGRID_Click);
    for (int i = 0; i < 5; ++i)
        connect(ui_.Color[static_cast<std::size_t>(i)], &ColorSwatch::Clicked, this,
            [this, i] { Color_Click(i); });
    for (int t = 0; t < kTilesPerSprite; ++t)
        connect(ui_.picSprites[static_cast<std::size_t>(t)], &PictureBox::Clicked, this,
            [this, t] { picSprites_Click(t); });

    // A value change while the thumb is held is a drag (Scroll); anything else, including the
    // end of a drag and an assignment from code, is a Change.
    const auto slider
        = [this](QScrollBar* bar, void (frmMain::*change)(), void (frmMain::*drag)()) {
              connect(bar, &QScrollBar::valueChanged, this,
                  [this, bar, change, drag] { (this->*(bar->isSliderDown() ? drag : change))(); });
              connect(bar, &QScrollBar::sliderReleased, this, change);
          };
    slider(ui_.hRED, &frmMain::hRED_Change, &frmMain::hRED_Scroll);
    slider(ui_.hGREEN, &frmMain::hGREEN_Change, &frmMain::hGREEN_Scroll);
    slider(ui_.hBLUE, &frmMain::hBLUE_Change, &frmMain::hBLUE_Scroll);

    connect(ui_.picEdit, &PictureBox::MousePressed, this, &frmMain::picEdit_MouseDown);
    connect(ui_.picEdit, &PictureBox::MouseMoved, this, &frmMain::picEdit_MouseMove);
    connect(ui_.picEdit, &PictureBox::MouseReleased, this, [this] { ++stroke_; });
    // A key paints one cell as a press and release would, one undo step each.
    connect(cursor_, &GridCursor::PaintRequested, this, [this](int column, int row) {
        ++stroke_;
        PaintCell(column, row);
        ++stroke_;
    });
    connect(cursor_, &GridCursor::ColourRequested, this, &frmMain::Color_Click);
    connect(cursor_, &GridCursor::TileRequested, this, &frmMain::picSprites_Click);

    connect(ui_.mnuFileLoad, &QAction::triggered, this, &frmMain::mnuFileLoad_Click);
    connect(ui_.mnuFileSave, &QAction::triggered, this, &frmMain::mnuFileSave_Click);
    connect(ui_.mnuFileQuit, &QAction::triggered, this, &frmMain::mnuFileQuit_Click);
    connect(ui_.mnuOptionsTest, &QAction::triggered, this, &frmMain::mnuOptionsTest_Click);
    connect(ui_.mnuOptionsGrid, &QAction::triggered, this, &frmMain::mnuOptionsGrid_Click);
    connect(ui_.mnuOptionsSprites, &QAction::triggered, this, &frmMain::mnuOptionsSprites_Click);
    connect(ui_.mnuHelpHelp, &QAction::triggered, this, &frmMain::mnuHelpHelp_Click);
    connect(ui_.mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);

    ShowPaletteIn(palette_, ui_);

    // The views show what the document holds, whoever changed it.
    connect(&document_, &SpriteSession::SpriteChanged, this, &frmMain::DrawSprite);
    connect(&document_, &SpriteSession::TileChanged, this, &frmMain::DrawTileView);
    connect(&document_, &SpriteSession::ModifiedChanged, this, &QWidget::setWindowModified);
}

void frmMain::ConnectEditMenu()
{
    const auto route = [this](QAction* item, auto command) {
        connect(item, &QAction::triggered, this, [this, command] { command(edits_); });
    };
    route(ui_.mnuEditCopySprite, [](EditCommands& edit) { edit.CopySprite(); });
    route(ui_.mnuEditPasteSprite, [](EditCommands& edit) { edit.PasteSprite(); });
    route(ui_.mnuEditCopyFrame, [](EditCommands& edit) { edit.CopyFrame(); });
    route(ui_.mnuEditPasteFrame, [](EditCommands& edit) { edit.PasteFrame(); });
    // A frame tool's undo step is named by its menu item's words, without the access key.
    for (std::size_t i = 0; i < ui_.mnuEditFrameTool.size(); ++i)
        route(ui_.mnuEditFrameTool[i],
            [tool = static_cast<FrameTool>(i),
                step = QString(ui_.mnuEditFrameTool[i]->text()).remove(QLatin1Char('&'))](
                EditCommands& edit) { edit.ApplyFrameTool(tool, step); });
    route(ui_.mnuEditFill, [](EditCommands& edit) { edit.FillTile(); });
    route(ui_.mnuEditSwap, [](EditCommands& edit) { edit.SwapColours(); });
}

void frmMain::ShowError(const QString& text)
{
    services_.messages.Show(this, MessageService::Icon::Error, kProgramTitle, text);
}

void frmMain::ShowError(const std::exception& error)
{
    // A file's name is in the message as the file system spells it.
    ShowError(ReadableText(error.what()));
}

// ---- Drawing what the document holds ----

void frmMain::DrawTileView(int tile)
{
    PictureBox* view = ui_.picSprites[static_cast<std::size_t>(tile)];
    view->Image() = document_.TilePicture(tile);
    view->Refresh();
    if (tile == document_.CurTile())
        DrawGrid();
}

void frmMain::DrawGrid()
{
    StretchBlt(ui_.picEdit->Image(), 0, 0, kEditSide, kEditSide,
        document_.TilePicture(document_.CurTile()), 0, 0, kTileViewSide, kTileViewSide);
    ui_.picEdit->Refresh();
}

void frmMain::DrawSprite()
{
    // The 24 views change together, so one repaint of the viewer shows them all.
    for (int t = 0; t < kTilesPerSprite; ++t)
        ui_.picSprites[static_cast<std::size_t>(t)]->Image() = document_.TilePicture(t);
    ui_.Frame1->update();
    DrawGrid();
    ShowMarkers();
}

void frmMain::ShowMarkers()
{
    for (std::size_t i = 0; i < ui_.picSprites.size(); ++i)
        ui_.picSprites[i]->SetOverlayTop(ui_.shpPoint[i],
            static_cast<int>(i) == document_.CurTile() ? kMarkerShown : kMarkerHidden);
}

// ---- File and sprite commands ----

void frmMain::mnuFileLoad_Click()
{
    clsMSDLG& dialog = SharedDialog();
    dialog.SethOwner(this);
    dialog.SetFilter(QStringLiteral("Gameboy Rom Images (*.gb; *.gbc)") + QChar(0)
        + QStringLiteral("*.gb;*.gbc") + QChar(0));
    dialog.ShowOpen();
    // A cancelled dialog changes nothing at all: the open ROM, the palette and unsaved edits
    // stay as they are.
    if (dialog.ErrorNumber() != 0 || !dialog.Confirmed())
        return;
    OpenRom(QFile::encodeName(dialog.FileName()));
}

bool frmMain::OpenRom(const QByteArray& path)
{
    if (path.isEmpty())
        return false;
    try {
        BusyPointer busy;
        // Load Rom installs the default colours before its Load Sprite draws the tiles.
        document_.Open(path.toStdString(), kDefaultPalette);
    } catch (const RomFileError& error) {
        ShowError(error);
        return false;
    }
    // A ROM opened by argument or by a drop is offered by the next Open dialog, as if chosen there.
    SharedDialog().SetFileName(QFile::decodeName(path));
    ShowOpenedRom();
    recovery_.OfferRestore();
    return true;
}

void frmMain::ShowOpenedRom()
{
    setWindowTitle(CaptionWithUnsavedMarker(kProgramTitle + QStringLiteral(" [")
        + ReadableText(document_.RomPath()) + QStringLiteral("]")));
    EnableRomControls(ui_);

    // The swatches and sliders show the defaults at once; a slider that moves passes on a value
    // the palette already holds.
    palette_.ResetToDefaults();
    ui_.cboSprite->setCurrentIndex(0);
}

void frmMain::cmdLoad_Click()
{
    const int index = ui_.cboSprite->currentIndex();
    if (!SpriteOffsetValue(static_cast<std::int16_t>(index))) {
        services_.messages.Show(this, MessageService::Icon::Warning, kProgramTitle,
            QStringLiteral("Select a sprite to load!"));
        return;
    }
    try {
        BusyPointer busy;
        document_.LoadEntry(index, palette_.Colours());
    } catch (const RomFileError& error) {
        ShowError(error);
        return;
    }
    recovery_.OfferRestore();
}

void frmMain::cmdSave_Click()
{
    try {
        BusyPointer busy;
        document_.Save();
    } catch (const RomFileError& error) {
        ShowError(error);
    }
}

void frmMain::mnuFileSave_Click()
{
    cmdSave_Click();
}

void frmMain::mnuFileQuit_Click()
{
    close();
    QCoreApplication::quit();
}

// ---- Sprite sheet and pixel editor ----

void frmMain::picSprites_Click(int Index)
{
    document_.SelectTile(Index);
    DrawGrid();
    ShowMarkers();
}

void frmMain::picEdit_MouseDown(int, int, float X, float Y)
{
    ++stroke_;
    PaintCell(
        std::clamp(static_cast<int>(X / 16), 0, 7), std::clamp(static_cast<int>(Y / 16), 0, 7));
}

void frmMain::picEdit_MouseMove(int Button, int, float X, float Y)
{
    if (Button == 1 && X > 0 && X < kEditSide && Y > 0 && Y < kEditSide)
        PaintCell(static_cast<int>(X / 16), static_cast<int>(Y / 16));
}

void frmMain::PaintCell(int column, int row)
{
    // The current colour's index is the pixel value it paints.
    document_.Paint(stroke_, column, row, palette_.CurrentColour(), palette_.CurColor());
}

void frmMain::chkGRID_Click()
{
    const bool visible = ui_.chkGRID->isChecked();
    for (std::size_t i = 0; i < 7; ++i) {
        ui_.picEdit->SetOverlayVisible(ui_.hGRID[i], visible);
        ui_.picEdit->SetOverlayVisible(ui_.vGRID[i], visible);
    }
}

// ---- Palette ----

void frmMain::Color_Click(int Index)
{
    palette_.SelectColour(Index);
}

void frmMain::hRED_Change()
{
    palette_.SetComponent(PaletteModel::Component::Red, ui_.hRED->value());
}
void frmMain::hGREEN_Change()
{
    palette_.SetComponent(PaletteModel::Component::Green, ui_.hGREEN->value());
}
void frmMain::hBLUE_Change()
{
    palette_.SetComponent(PaletteModel::Component::Blue, ui_.hBLUE->value());
}
void frmMain::hRED_Scroll()
{
    hRED_Change();
}
void frmMain::hGREEN_Scroll()
{
    hGREEN_Change();
}
void frmMain::hBLUE_Scroll()
{
    hBLUE_Change();
}

// ---- Options, Help and About ----

void frmMain::cmdTest_Click()
{
    RunPreview(this, FramePhase, document_.TilePictures());
}

void frmMain::mnuOptionsTest_Click()
{
    cmdTest_Click();
}

std::optional<QColor> frmMain::AskColour()
{
    clsMSDLG& dialog = SharedDialog();
    dialog.SethOwner(this);
    dialog.ShowColor();
    // Cancel leaves the lines and markers as they were.
    if (!dialog.Confirmed())
        return std::nullopt;
    return ToQColor(dialog.RGBResult());
}

void frmMain::mnuOptionsGrid_Click()
{
    const auto colour = AskColour();
    if (!colour)
        return;
    for (std::size_t i = 0; i < 7; ++i) {
        ui_.picEdit->SetOverlayColor(ui_.hGRID[i], *colour);
        ui_.picEdit->SetOverlayColor(ui_.vGRID[i], *colour);
    }
}

void frmMain::mnuOptionsSprites_Click()
{
    const auto colour = AskColour();
    if (!colour)
        return;
    for (std::size_t i = 0; i < ui_.picSprites.size(); ++i)
        ui_.picSprites[i]->SetOverlayColor(ui_.shpPoint[i], *colour);
}

void frmMain::mnuHelpHelp_Click()
{
    if (const QString problem = OpenHelpFile(services_.help, services_.programFolder);
        !problem.isEmpty())
        ShowError(problem);
}

void frmMain::mnuHelpAbout_Click()
{
    services_.messages.Show(this, MessageService::Icon::Information, kProgramTitle, AboutText());
}

// ---- Beyond the menu tree: images and drops ----

bool frmMain::ImportSpriteImage(const QString& path)
{
    if (document_.LoadedIndex() < 0) {
        ShowError(
            QStringLiteral("Open a ROM image before dropping the sprite image \"%1\".").arg(path));
        return false;
    }
    // The reader's messages name the file themselves.
    return edits_.ImportSprite(QString(), QStringLiteral("Import Image"),
        [&path](const Palette& colours) { return ReadSpritePng(path, colours); });
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QByteArray path = DroppedFilePath(event->mimeData());
    if (NamesRomImage(path) || NamesSpriteImage(path))
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    const QByteArray path = DroppedFilePath(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    if (NamesRomImage(path))
        OpenRom(path);
    else if (NamesSpriteImage(path))
        ImportSpriteImage(QFile::decodeName(path));
}

} // namespace morvane
