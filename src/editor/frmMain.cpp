#include "frmMain.h"

#include "AboutText.h"
#include "MainWindowLayout.h"
#include "dialogs/clsMSDLG.h"
#include "preview/RunPreview.h"
#include "qtcolour/PackedColourQt.h"
#include "sprite/DisplayPalette.h"
#include "sprite/RomFile.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteCatalogue.h"
#include "sprite/TileCodec.h"
#include "sprite/TileDrawing.h"
#include "sprite/TileSurface.h"
#include "spritepng/SpritePng.h"
#include "widgets/ColorSwatch.h"
#include "widgets/ImageBlit.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>

namespace morvane {

namespace {

// The swatches are the authoritative copy of the display colours; the tile drawing reads them
// at the moment it draws.
class SwatchColours : public SwatchSource {
public:
    explicit SwatchColours(const std::array<ColorSwatch*, 5>& swatches) : swatches_(swatches) { }
    PackedColor SwatchColor(int value) const override
    {
        return ToPacked(swatches_[static_cast<std::size_t>(value)]->FillColor());
    }

private:
    const std::array<ColorSwatch*, 5>& swatches_;
};

// Shows the busy pointer for the whole application until the command returns, on every path.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

int ButtonCode(Qt::MouseButtons buttons)
{
    return (buttons.testFlag(Qt::LeftButton) ? 1 : 0) | (buttons.testFlag(Qt::RightButton) ? 2 : 0)
        | (buttons.testFlag(Qt::MiddleButton) ? 4 : 0);
}

int ShiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0)
        | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0)
        | (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

bool IsRomFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("gb") || suffix == QLatin1String("gbc");
}

bool IsPngFile(const QString& path)
{
    return QFileInfo(path).suffix().toLower() == QLatin1String("png");
}

QString DroppedFile(const QMimeData* mime)
{
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

frmMain::frmMain(PlatformServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services))
{
    BuildMainWindowLayout(*this);
    BuildShortcuts();
    ConnectEvents();
    setAcceptDrops(true);
}

frmMain::~frmMain() = default;

clsMSDLG& frmMain::SharedDialog()
{
    if (!sharedDialog_)
        sharedDialog_ = std::make_unique<clsMSDLG>(services_.dialogs, services_.programFolder);
    return *sharedDialog_;
}

void frmMain::BuildShortcuts()
{
    const auto bind = [this](const QKeySequence& keys, void (frmMain::*handler)()) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_Z), &frmMain::Undo);
    bind(QKeySequence(Qt::CTRL | Qt::Key_Y), &frmMain::Redo);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &frmMain::Redo);
    bind(QKeySequence(Qt::CTRL | Qt::Key_C), &frmMain::CopySprite);
    bind(QKeySequence(Qt::CTRL | Qt::Key_V), &frmMain::PasteSprite);
}

void frmMain::ConnectEvents()
{
    connect(cmdLoad, &QPushButton::clicked, this, &frmMain::cmdLoad_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(cmdTest, &QPushButton::clicked, this, &frmMain::cmdTest_Click);
    connect(chkGRID, &QCheckBox::toggled, this, &frmMain::chkGRID_Click);
    for (int i = 0; i < 5; ++i)
        connect(Color[static_cast<std::size_t>(i)], &ColorSwatch::Clicked, this,
            [this, i] { Color_Click(i); });
    for (int t = 0; t < kTilesPerSprite; ++t)
        connect(picSprites[static_cast<std::size_t>(t)], &PictureBox::Clicked, this,
            [this, t] { picSprites_Click(t); });

    // A value change while the thumb is held is a drag (Scroll); anything else, including the
    // end of a drag and an assignment from code, is a Change.
    const auto slider
        = [this](QScrollBar* bar, void (frmMain::*change)(), void (frmMain::*drag)()) {
              connect(bar, &QScrollBar::valueChanged, this,
                  [this, bar, change, drag] { (this->*(bar->isSliderDown() ? drag : change))(); });
              connect(bar, &QScrollBar::sliderReleased, this, change);
          };
    slider(hRED, &frmMain::hRED_Change, &frmMain::hRED_Scroll);
    slider(hGREEN, &frmMain::hGREEN_Change, &frmMain::hGREEN_Scroll);
    slider(hBLUE, &frmMain::hBLUE_Change, &frmMain::hBLUE_Scroll);

    connect(picEdit, &PictureBox::MousePressed, this,
        [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at) {
            picEdit_MouseDown(ButtonCode(button), ShiftCode(modifiers), static_cast<float>(at.x()),
                static_cast<float>(at.y()));
        });
    connect(picEdit, &PictureBox::MouseMoved, this,
        [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at) {
            picEdit_MouseMove(ButtonCode(buttons), ShiftCode(modifiers), static_cast<float>(at.x()),
                static_cast<float>(at.y()));
        });
    connect(picEdit, &PictureBox::MouseReleased, this, [this] { EndStroke(); });

    connect(mnuFileLoad, &QAction::triggered, this, &frmMain::mnuFileLoad_Click);
    connect(mnuFileSave, &QAction::triggered, this, &frmMain::mnuFileSave_Click);
    connect(mnuFileQuit, &QAction::triggered, this, &frmMain::mnuFileQuit_Click);
    connect(mnuOptionsTest, &QAction::triggered, this, &frmMain::mnuOptionsTest_Click);
    connect(mnuOptionsGrid, &QAction::triggered, this, &frmMain::mnuOptionsGrid_Click);
    connect(mnuOptionsSprites, &QAction::triggered, this, &frmMain::mnuOptionsSprites_Click);
    connect(mnuHelpHelp, &QAction::triggered, this, &frmMain::mnuHelpHelp_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::ShowError(const QString& text)
{
    services_.messages.Show(this, MessageService::Icon::Error, kProgramTitle, text);
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
    OpenRom(dialog.FileName());
}

bool frmMain::OpenRom(const QString& path)
{
    if (path.isEmpty())
        return false;
    try {
        // Only a file that can be opened for reading becomes the ROM image; anything else
        // leaves the window as it was.
        RomFileSize(path.toStdString());
    } catch (const RomFileError& error) {
        ShowError(QString::fromStdString(error.what()));
        return false;
    }
    // A ROM opened by argument or by a drop is offered by the next Open dialog, as if chosen there.
    SharedDialog().SetFileName(path);
    LoadRomSteps(path);
    return true;
}

void frmMain::LoadRomSteps(const QString& path)
{
    State.RomPath = path.toStdString();
    // SpriteBuf still holds the previous ROM's sprite; until a block of this ROM is loaded,
    // Save must have nowhere to write it.
    State.LoadedIndex = -1;
    history_.Clear();
    setWindowTitle(kProgramTitle + QStringLiteral(" [") + path + QStringLiteral("]"));

    for (QWidget* control : std::initializer_list<QWidget*> {cmdLoad, cboSprite, cmdSave, cmdTest})
        control->setEnabled(true);
    mnuFileSave->setEnabled(true);
    mnuOptionsTest->setEnabled(true);
    for (QGroupBox* frame : {Frame1, Frame2, Frame3, Frame4})
        frame->setEnabled(true);

    for (std::size_t i = 0; i < 4; ++i) {
        const PackedColor c = kDefaultPalette[i];
        Color[i]->SetFillColor(ToQColor(c));
        State.PalRed[i] = static_cast<std::uint8_t>(RedOf(c));
        State.PalGreen[i] = static_cast<std::uint8_t>(GreenOf(c));
        State.PalBlue[i] = static_cast<std::uint8_t>(BlueOf(c));
        State.PalColor[i] = c;
    }
    State.CurColor = 0;
    // Each assignment that changes a slider stores it into colour 0 and repaints its swatch and
    // the current-colour swatch, nested inside this assignment.
    hRED->setValue(State.PalRed[0]);
    hGREEN->setValue(State.PalGreen[0]);
    hBLUE->setValue(State.PalBlue[0]);
    // A slider that already showed its value raised nothing; the current-colour swatch must
    // still show colour 0.
    Color[4]->SetFillColor(Color[0]->FillColor());
    State.CurCode = std::string(ShadeCode(0));
    cboSprite->setCurrentIndex(0);
    cmdLoad_Click();
}

void frmMain::cmdLoad_Click()
{
    const int index = cboSprite->currentIndex();
    const auto offset = SpriteOffsetValue(static_cast<std::int16_t>(index));
    if (!offset) {
        services_.messages.Show(this, MessageService::Icon::Warning, kProgramTitle,
            QStringLiteral("Select a sprite to load!"));
        return;
    }
    BusyPointer busy;
    // Every read comes before any drawing, each tile still read from the file on its own: a
    // failure part-way leaves SpriteBuf, the views and the selection exactly as they were, with
    // no copies of the old views to keep and put back.
    SpriteBlock incoming {};
    std::array<TileBytes, kTilesPerSprite> tiles {};
    try {
        ReadSpriteBlock(State.RomPath, SpriteOffset(static_cast<std::int16_t>(index)), incoming);
        for (int k = 0; k < kTilesPerSprite; ++k)
            tiles[static_cast<std::size_t>(k)] = ReadTile(State.RomPath, *offset + kTileBytes * k);
    } catch (const RomFileError& error) {
        ShowError(QString::fromStdString(error.what()));
        return;
    }
    const SwatchColours swatches(Color);
    for (std::size_t k = 0; k < tiles.size(); ++k) {
        DrawTile(tiles[k], *picSprites[k], swatches, State.PalColor);
        picSprites[k]->Refresh();
    }
    State.SpriteBuf = incoming;
    State.LoadedIndex = index;
    history_.Clear();
    stroke_.reset();
    // The editing grid and the bit tables must mirror the new sprite before anything is painted.
    ReselectCurrentTile();
}

void frmMain::cmdSave_Click()
{
    if (State.LoadedIndex < 0) {
        ShowError(QStringLiteral("No sprite has been loaded from \"%1\", so there is nothing to "
                                 "save.")
                      .arg(QString::fromStdString(State.RomPath)));
        return;
    }
    BusyPointer busy;
    try {
        WriteSpriteBlock(State.RomPath, SpriteOffset(static_cast<std::int16_t>(State.LoadedIndex)),
            State.SpriteBuf);
    } catch (const RomFileError& error) {
        ShowError(QString::fromStdString(error.what()));
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
    if (Index < 0 || Index >= kTilesPerSprite)
        return;
    StretchBlt(picEdit->Image(), 0, 0, 128, 128,
        picSprites[static_cast<std::size_t>(Index)]->Image(), 0, 0, 32, 32);
    picEdit->Refresh();
    for (std::size_t i = 0; i < picSprites.size(); ++i)
        picSprites[i]->SetOverlayTop(shpPoint[i], 100);
    picSprites[static_cast<std::size_t>(Index)]->SetOverlayTop(
        shpPoint[static_cast<std::size_t>(Index)], 0);
    State.CurTile = static_cast<std::uint8_t>(Index);
    UnpackTileBits(State.SpriteBuf, Index, State.TileLoBits, State.TileHiBits);
}

void frmMain::ReselectCurrentTile()
{
    picSprites_Click(State.CurTile);
}

void frmMain::picEdit_MouseDown(int, int, float X, float Y)
{
    PaintCell(X, Y);
}

void frmMain::picEdit_MouseMove(int Button, int, float X, float Y)
{
    if (Button == 1 && X > 0 && X < 128 && Y > 0 && Y < 128)
        PaintCell(X, Y);
}

void frmMain::PaintCell(float X, float Y)
{
    const int c = std::clamp(static_cast<int>(X / 16), 0, 7);
    const int r = std::clamp(static_cast<int>(Y / 16), 0, 7);
    const std::size_t tile = State.CurTile;
    PictureBox* view = picSprites[tile];
    if (!stroke_) {
        stroke_.emplace();
        stroke_->before = State.SpriteBuf;
        stroke_->viewsBefore[static_cast<int>(tile)] = view->Image();
    }

    QImage& grid = picEdit->Image();
    const QRgb colour = Color[4]->FillColor().rgb();
    for (int y = 16 * r; y < 16 * r + 16; ++y) {
        auto* line = reinterpret_cast<QRgb*>(grid.scanLine(y));
        std::fill(line + 16 * c, line + 16 * c + 16, colour);
    }
    picEdit->Refresh();
    StretchBlt(view->Image(), 0, 0, 32, 32, picEdit->Image(), 0, 0, 128, 128);
    view->Refresh();

    SetPixelBits(State.TileLoBits, State.TileHiBits, c, r, State.CurCode);
    RepackTileRow(State.SpriteBuf, static_cast<int>(tile), r, State.TileLoBits, State.TileHiBits);
}

void frmMain::EndStroke()
{
    if (!stroke_)
        return;
    EditStep step = std::move(*stroke_);
    stroke_.reset();
    if (step.before == State.SpriteBuf)
        return;
    step.after = State.SpriteBuf;
    for (const auto& [tile, image] : step.viewsBefore)
        step.viewsAfter[tile] = picSprites[static_cast<std::size_t>(tile)]->Image();
    history_.Push(std::move(step));
}

void frmMain::chkGRID_Click()
{
    const bool visible = chkGRID->isChecked();
    for (std::size_t i = 0; i < 7; ++i) {
        picEdit->SetOverlayVisible(hGRID[i], visible);
        picEdit->SetOverlayVisible(vGRID[i], visible);
    }
}

// ---- Palette ----

void frmMain::Color_Click(int Index)
{
    if (Index < 0 || Index > 3)
        return;
    const std::size_t i = static_cast<std::size_t>(Index);
    State.CurColor = static_cast<std::uint8_t>(Index);
    // CurColor is set first: the Change handlers these assignments raise store into colour i.
    hRED->setValue(State.PalRed[i]);
    hGREEN->setValue(State.PalGreen[i]);
    hBLUE->setValue(State.PalBlue[i]);
    Color[4]->SetFillColor(Color[i]->FillColor());
    State.CurCode = std::string(ShadeCode(Index));
}

void frmMain::StoreSlider(QScrollBar* bar, std::array<std::uint8_t, 4>& components)
{
    if (State.CurColor > 3)
        return;
    const std::size_t current = State.CurColor;
    components[current] = static_cast<std::uint8_t>(bar->value());
    Color[current]->SetFillColor(QColor(hRED->value(), hGREEN->value(), hBLUE->value()));
    Color[4]->SetFillColor(Color[current]->FillColor());
}

void frmMain::hRED_Change()
{
    StoreSlider(hRED, State.PalRed);
}
void frmMain::hGREEN_Change()
{
    StoreSlider(hGREEN, State.PalGreen);
}
void frmMain::hBLUE_Change()
{
    StoreSlider(hBLUE, State.PalBlue);
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
    RunPreview(this, State.FramePhase, picSprites);
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
    for (std::size_t i = 0; i < 7; ++i)
        picEdit->SetOverlayColor(hGRID[i], *colour);
    for (std::size_t i = 0; i < 7; ++i)
        picEdit->SetOverlayColor(vGRID[i], *colour);
}

void frmMain::mnuOptionsSprites_Click()
{
    const auto colour = AskColour();
    if (!colour)
        return;
    for (std::size_t i = 0; i < picSprites.size(); ++i)
        picSprites[i]->SetOverlayColor(shpPoint[i], *colour);
}

void frmMain::mnuHelpHelp_Click()
{
    const QString path = HelpFilePath(services_.programFolder);
    if (!QFileInfo(path).isFile()) {
        ShowError(QStringLiteral("The help file \"%1\" cannot be found.").arg(path));
        return;
    }
    QString reason;
    if (!services_.help.Open(path, reason))
        ShowError(QStringLiteral("The help file \"%1\" cannot be shown: %2").arg(path, reason));
}

void frmMain::mnuHelpAbout_Click()
{
    services_.messages.Show(this, MessageService::Icon::Information, kProgramTitle, AboutText());
}

// ---- Beyond the menu tree: undo, images, clipboard, drops ----

void frmMain::ApplyStep(const SpriteBlock& block, const std::map<int, QImage>& views)
{
    State.SpriteBuf = block;
    for (const auto& [tile, image] : views) {
        picSprites[static_cast<std::size_t>(tile)]->Image() = image;
        picSprites[static_cast<std::size_t>(tile)]->Refresh();
    }
    if (views.count(State.CurTile) != 0)
        ReselectCurrentTile();
}

void frmMain::Undo()
{
    EndStroke();
    if (const EditStep* step = history_.Undo())
        ApplyStep(step->before, step->viewsBefore);
}

void frmMain::Redo()
{
    EndStroke();
    if (const EditStep* step = history_.Redo())
        ApplyStep(step->after, step->viewsAfter);
}

std::optional<Palette> frmMain::DisplayColours() const
{
    Palette colours {};
    for (std::size_t i = 0; i < 4; ++i)
        colours[i] = ToPacked(Color[i]->FillColor());
    return colours;
}

void frmMain::RedrawViewsFromBuffer()
{
    const SwatchColours swatches(Color);
    for (int k = 0; k < kTilesPerSprite; ++k) {
        TileBytes tile {};
        std::copy_n(State.SpriteBuf.begin() + kTileBytes * k, kTileBytes, tile.begin());
        DrawTile(tile, *picSprites[static_cast<std::size_t>(k)], swatches, State.PalColor);
        picSprites[static_cast<std::size_t>(k)]->Refresh();
    }
}

bool frmMain::ImportSpriteImage(const QString& path)
{
    if (State.LoadedIndex < 0) {
        ShowError(QStringLiteral("Load a sprite before importing \"%1\".").arg(path));
        return false;
    }
    try {
        ReplaceSprite(ReadSpritePng(path, DisplayColours()));
    } catch (const SpritePngError& error) {
        ShowError(QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

bool frmMain::ImportSpriteImage(const QImage& image, const QString& origin)
{
    if (State.LoadedIndex < 0) {
        ShowError(QStringLiteral("Load a sprite before pasting an image."));
        return false;
    }
    try {
        ReplaceSprite(ImageToSprite(image, DisplayColours()));
    } catch (const SpritePngError& error) {
        ShowError(origin + QStringLiteral(": ") + QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

void frmMain::ReplaceSprite(const SpriteBlock& block)
{
    EndStroke();
    EditStep step;
    step.before = State.SpriteBuf;
    for (int k = 0; k < kTilesPerSprite; ++k)
        step.viewsBefore[k] = picSprites[static_cast<std::size_t>(k)]->Image();
    State.SpriteBuf = block;
    RedrawViewsFromBuffer();
    step.after = block;
    for (int k = 0; k < kTilesPerSprite; ++k)
        step.viewsAfter[k] = picSprites[static_cast<std::size_t>(k)]->Image();
    history_.Push(std::move(step));
    ReselectCurrentTile();
}

void frmMain::CopySprite()
{
    if (State.LoadedIndex < 0)
        return;
    QApplication::clipboard()->setImage(SpriteToImage(State.SpriteBuf, *DisplayColours()));
}

void frmMain::PasteSprite()
{
    if (!RomIsOpen())
        return;
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) {
        ShowError(QStringLiteral("The clipboard holds no image to paste."));
        return;
    }
    ImportSpriteImage(image, QStringLiteral("The pasted image"));
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (!path.isEmpty() && (IsRomFile(path) || IsPngFile(path)))
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    if (IsRomFile(path)) {
        OpenRom(path);
    } else if (IsPngFile(path)) {
        if (!RomIsOpen()) {
            ShowError(QStringLiteral("Open a ROM image before dropping the sprite image \"%1\".")
                          .arg(path));
            return;
        }
        ImportSpriteImage(path);
    }
}

} // namespace morvane
