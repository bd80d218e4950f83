#include "MainWindowLayout.h"

#include "AboutText.h"
#include "AppIcon.h"
#include "sprite/FrameLayout.h"
#include "sprite/FrameTools.h"
#include "sprite/SpriteCatalogue.h"
#include "widgets/ColorSwatch.h"
#include "widgets/CrosshairCursor.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QUndoStack>

namespace morvane {

namespace {

constexpr int kClientWidth = 417;
constexpr int kClientHeight = 346;

QGroupBox* MakeFrame(QWidget* parent, const QString& caption, QRect geometry)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setGeometry(geometry);
    return frame;
}

template <typename Control> Control* Place(Control* control, QRect geometry)
{
    control->setGeometry(geometry);
    return control;
}

// Where tile view t sits inside the viewer frame: frames 0..2 of the sprite left to right in the
// upper half, 3..5 in the lower half, each as a 2 x 2 block of views.
QPoint TileViewPosition(int t)
{
    const int frame = FrameOfTile(t);
    constexpr int kFrameViewSide = 2 * kTileViewSide;
    return {16 + kFrameViewSide * FrameColumnInSheet(frame) + kTileViewSide * TileColumnInFrame(t),
        24 + kFrameViewSide * FrameRowInSheet(frame) + kTileViewSide * TileRowInFrame(t)};
}

void BuildViewer(MainWindowControls& w)
{
    for (int t = 0; t < kTilesPerSprite; ++t) {
        auto* view = new PictureBox(w.Frame1);
        view->setGeometry(QRect(TileViewPosition(t), QSize(kTileViewSide, kTileViewSide)));
        view->setFocusPolicy(Qt::StrongFocus);
        w.picSprites[static_cast<std::size_t>(t)] = view;
        // The marker starts below the view, out of sight.
        w.shpPoint[static_cast<std::size_t>(t)]
            = view->AddOutline(QRect(0, kMarkerHidden, kTileViewSide, kTileViewSide), Qt::red);
    }
}

void BuildEditor(MainWindowControls& w)
{
    w.picEdit = Place(new PictureBox(w.Frame2), QRect(16, 24, kEditSide, kEditSide));
    w.picEdit->setFocusPolicy(Qt::StrongFocus);
    w.picEdit->setCursor(CrosshairCursor());
    for (int i = 0; i < 7; ++i) {
        const int at = 16 * (i + 1);
        w.vGRID[static_cast<std::size_t>(i)]
            = w.picEdit->AddLine(QRect(at, 0, 1, kEditSide), Qt::white);
        w.hGRID[static_cast<std::size_t>(i)]
            = w.picEdit->AddLine(QRect(0, at, kEditSide, 1), Qt::white);
    }
}

void BuildLoader(MainWindowControls& w)
{
    w.Label1[0] = Place(new QLabel(QStringLiteral("Sprite:"), w.Frame3), QRect(8, 24, 33, 17));
    w.cboSprite = Place(new QComboBox(w.Frame3), QRect(48, 24, 97, 22));
    for (int i = 0; i < kSpriteCount; ++i)
        w.cboSprite->addItem(QString::fromUtf8(
            SpriteLabel(i).data(), static_cast<qsizetype>(SpriteLabel(i).size())));
    // The list offers the entries but loads nothing by itself: only Load Sprite reads a block.
    w.cboSprite->setCurrentIndex(-1);
    w.cmdLoad
        = Place(new QPushButton(QStringLiteral("Load Sprite"), w.Frame3), QRect(8, 64, 65, 25));
    w.cmdSave = Place(new QPushButton(QStringLiteral("Save"), w.Frame3), QRect(88, 64, 65, 25));
    w.cmdTest
        = Place(new QPushButton(QStringLiteral("Test Sprite"), w.Frame3), QRect(8, 104, 65, 25));
    w.chkGRID = Place(new QCheckBox(QStringLiteral("Gridlines"), w.Frame3), QRect(88, 104, 65, 25));
    w.chkGRID->setChecked(true);
    for (QWidget* control :
        std::initializer_list<QWidget*> {w.cboSprite, w.cmdLoad, w.cmdSave, w.cmdTest})
        control->setEnabled(false);
}

void BuildPalette(MainWindowControls& w)
{
    const std::array<QRect, 5> swatches = {QRect(80, 24, 33, 27), QRect(112, 24, 33, 27),
        QRect(144, 24, 33, 27), QRect(176, 24, 33, 27), QRect(24, 24, 33, 27)};
    for (std::size_t i = 0; i < swatches.size(); ++i)
        w.Color[i] = Place(new ColorSwatch(w.Frame4), swatches[i]);
    w.Label1[1] = Place(new QLabel(QStringLiteral("R:"), w.Frame4), QRect(8, 64, 10, 14));
    w.Label1[2] = Place(new QLabel(QStringLiteral("G:"), w.Frame4), QRect(8, 88, 11, 14));
    w.Label1[3] = Place(new QLabel(QStringLiteral("B:"), w.Frame4), QRect(8, 112, 10, 14));
    const auto slider = [&w](int top) {
        auto* bar = Place(new QScrollBar(Qt::Horizontal, w.Frame4), QRect(24, top, 185, 17));
        bar->setRange(0, 255);
        bar->setSingleStep(1);
        bar->setPageStep(50);
        bar->setValue(0);
        bar->setFocusPolicy(Qt::StrongFocus);
        return bar;
    };
    w.hRED = slider(64);
    w.hGREEN = slider(88);
    w.hBLUE = slider(112);
}

QAction* AddItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* item = menu->addAction(caption);
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::WindowShortcut);
    return item;
}

// The Edit menu's commands that wait for a ROM image: all but Undo and Redo.
std::vector<QAction*> EditCommandItems(const MainWindowControls& w)
{
    std::vector<QAction*> items {
        w.mnuEditCopySprite, w.mnuEditPasteSprite, w.mnuEditCopyFrame, w.mnuEditPasteFrame};
    items.insert(items.end(), w.mnuEditFrameTool.begin(), w.mnuEditFrameTool.end());
    items.push_back(w.mnuEditFill);
    items.push_back(w.mnuEditSwap);
    return items;
}

// The Edit menu: every item has an access key of its own, and the common ones a shortcut with
// Ctrl, so none is taken by typing in the sprite list (which picks an entry by its letters).
void BuildEditMenu(QMainWindow& window, MainWindowControls& w, QUndoStack& history)
{
    QMenu* edit = window.menuBar()->addMenu(QStringLiteral("&Edit"));
    w.mnuEdit = edit;
    w.mnuEditUndo = history.createUndoAction(edit, QStringLiteral("&Undo"));
    w.mnuEditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    w.mnuEditRedo = history.createRedoAction(edit, QStringLiteral("&Redo"));
    w.mnuEditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addActions({w.mnuEditUndo, w.mnuEditRedo});
    edit->addSeparator();
    w.mnuEditCopySprite
        = AddItem(edit, QStringLiteral("&Copy Sprite"), QKeySequence(Qt::CTRL | Qt::Key_C));
    w.mnuEditPasteSprite
        = AddItem(edit, QStringLiteral("&Paste Sprite"), QKeySequence(Qt::CTRL | Qt::Key_V));
    w.mnuEditCopyFrame = AddItem(
        edit, QStringLiteral("Copy &Frame"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    w.mnuEditPasteFrame = AddItem(
        edit, QStringLiteral("Paste Fra&me"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    edit->addSeparator();
    struct ToolItem {
        FrameTool tool;
        const char* caption;
        QKeySequence shortcut;
    };
    const ToolItem tools[] = {
        {FrameTool::FlipHorizontally, "Flip Frame &Horizontally", Qt::CTRL | Qt::Key_H},
        {FrameTool::FlipVertically, "Flip Frame &Vertically", Qt::CTRL | Qt::SHIFT | Qt::Key_H},
        {FrameTool::RotateClockwise, "Rotate Frame Clock&wise", Qt::CTRL | Qt::Key_R},
        {FrameTool::RotateAnticlockwise, "Rotate Frame &Anticlockwise",
            Qt::CTRL | Qt::SHIFT | Qt::Key_R},
        {FrameTool::ShiftLeft, "Shift Frame &Left", Qt::CTRL | Qt::Key_Left},
        {FrameTool::ShiftRight, "Shift Frame Righ&t", Qt::CTRL | Qt::Key_Right},
        {FrameTool::ShiftUp, "&Shift Frame Up", Qt::CTRL | Qt::Key_Up},
        {FrameTool::ShiftDown, "Shift Frame &Down", Qt::CTRL | Qt::Key_Down},
    };
    for (const ToolItem& item : tools)
        w.mnuEditFrameTool[static_cast<std::size_t>(item.tool)]
            = AddItem(edit, QString::fromLatin1(item.caption), item.shortcut);
    edit->addSeparator();
    w.mnuEditFill = AddItem(edit, QStringLiteral("F&ill Tile"), QKeySequence(Qt::CTRL | Qt::Key_F));
    w.mnuEditSwap = AddItem(edit, QStringLiteral("Swap C&olours\u2026"));
    for (QAction* item : EditCommandItems(w))
        item->setEnabled(false);
}

void BuildMenus(QMainWindow& window, MainWindowControls& w, QUndoStack& history)
{
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    w.mnuFileLoad = AddItem(file, QStringLiteral("&Load Rom"), QKeySequence(Qt::CTRL | Qt::Key_L));
    w.mnuFileSave
        = AddItem(file, QStringLiteral("&Save Changes"), QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    w.mnuFileQuit = AddItem(file, QStringLiteral("&Quit"));

    BuildEditMenu(window, w, history);

    QMenu* options = window.menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    w.mnuOptionsTest = AddItem(options, QStringLiteral("&Test Sprite "), QKeySequence(Qt::Key_F5));
    options->addSeparator();
    w.mnuOptionsGrid
        = AddItem(options, QStringLiteral("&Gridlines color"), QKeySequence(Qt::Key_F6));
    w.mnuOptionsSprites
        = AddItem(options, QStringLiteral("&Sprites p. color"), QKeySequence(Qt::Key_F7));

    QMenu* help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    w.mnuHelpHelp = AddItem(help, QStringLiteral("&Help"), QKeySequence(Qt::Key_F1));
    help->addSeparator();
    w.mnuHelpAbout = AddItem(help, QStringLiteral("&About"));

    w.mnuFileSave->setEnabled(false);
    w.mnuOptionsTest->setEnabled(false);
}

void SetTabOrder(MainWindowControls& w)
{
    std::vector<QWidget*> order;
    for (int t = 23; t >= 0; --t)
        order.push_back(w.picSprites[static_cast<std::size_t>(t)]);
    for (QWidget* control : std::initializer_list<QWidget*> {w.cboSprite, w.cmdLoad, w.cmdSave,
             w.Color[0], w.Color[1], w.Color[2], w.Color[3], w.Color[4], w.hRED, w.hGREEN, w.hBLUE,
             w.picEdit, w.chkGRID, w.cmdTest})
        order.push_back(control);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// Every control carries its design name ("cmdLoad", "picSprites(3)", "mnuFileLoad"), so tests and
// accessibility tools find it the way a user names it.
void NameControls(MainWindowControls& w)
{
    const auto name = [](QObject* control, const QString& text) { control->setObjectName(text); };
    const auto indexed = [&name](auto& array, const char* prefix) {
        for (std::size_t i = 0; i < array.size(); ++i)
            name(array[i], QStringLiteral("%1(%2)").arg(QLatin1String(prefix)).arg(i));
    };
    name(w.Frame1, QStringLiteral("Frame1"));
    name(w.Frame2, QStringLiteral("Frame2"));
    name(w.Frame3, QStringLiteral("Frame3"));
    name(w.Frame4, QStringLiteral("Frame4"));
    indexed(w.picSprites, "picSprites");
    indexed(w.Color, "Color");
    indexed(w.Label1, "Label1");
    name(w.picEdit, QStringLiteral("picEdit"));
    name(w.cboSprite, QStringLiteral("cboSprite"));
    name(w.cmdLoad, QStringLiteral("cmdLoad"));
    name(w.cmdSave, QStringLiteral("cmdSave"));
    name(w.cmdTest, QStringLiteral("cmdTest"));
    name(w.chkGRID, QStringLiteral("chkGRID"));
    name(w.hRED, QStringLiteral("hRED"));
    name(w.hGREEN, QStringLiteral("hGREEN"));
    name(w.hBLUE, QStringLiteral("hBLUE"));
    name(w.mnuFileLoad, QStringLiteral("mnuFileLoad"));
    name(w.mnuFileSave, QStringLiteral("mnuFileSave"));
    name(w.mnuFileQuit, QStringLiteral("mnuFileQuit"));
    name(w.mnuOptionsTest, QStringLiteral("mnuOptionsTest"));
    name(w.mnuOptionsGrid, QStringLiteral("mnuOptionsGrid"));
    name(w.mnuOptionsSprites, QStringLiteral("mnuOptionsSprites"));
    name(w.mnuHelpHelp, QStringLiteral("mnuHelpHelp"));
    name(w.mnuHelpAbout, QStringLiteral("mnuHelpAbout"));
    name(w.mnuEdit, QStringLiteral("mnuEdit"));
    name(w.mnuEditUndo, QStringLiteral("mnuEditUndo"));
    name(w.mnuEditRedo, QStringLiteral("mnuEditRedo"));
    name(w.mnuEditCopySprite, QStringLiteral("mnuEditCopySprite"));
    name(w.mnuEditPasteSprite, QStringLiteral("mnuEditPasteSprite"));
    name(w.mnuEditCopyFrame, QStringLiteral("mnuEditCopyFrame"));
    name(w.mnuEditPasteFrame, QStringLiteral("mnuEditPasteFrame"));
    const char* const tools[] = {"FlipHorizontally", "FlipVertically", "RotateClockwise",
        "RotateAnticlockwise", "ShiftLeft", "ShiftRight", "ShiftUp", "ShiftDown"};
    for (std::size_t i = 0; i < w.mnuEditFrameTool.size(); ++i)
        name(w.mnuEditFrameTool[i], QStringLiteral("mnuEdit") + QLatin1String(tools[i]));
    name(w.mnuEditFill, QStringLiteral("mnuEditFill"));
    name(w.mnuEditSwap, QStringLiteral("mnuEditSwap"));
}

// What a screen reader speaks for the controls whose caption does not say it: each tile view by
// its place in the sprite, the swatches by the value they show, the sliders by their colour
// part, the list by its label. Numbers count from 1, as a person counts; the grid names itself
// with its cursor (GridCursor), and the swatches describe their colours as they change.
void NameForScreenReaders(MainWindowControls& w)
{
    const char* const quarters[] = {"top left", "top right", "bottom left", "bottom right"};
    for (int t = 0; t < kTilesPerSprite; ++t)
        w.picSprites[static_cast<std::size_t>(t)]->setAccessibleName(
            QStringLiteral("Tile %1: frame %2, %3")
                .arg(t + 1)
                .arg(FrameOfTile(t) + 1)
                .arg(QLatin1String(quarters[t % 4])));
    for (int i = 0; i < 4; ++i)
        w.Color[static_cast<std::size_t>(i)]->setAccessibleName(
            QStringLiteral("Colour of value %1").arg(i));
    w.Color[4]->setAccessibleName(QStringLiteral("Painting colour"));
    const std::array<std::pair<QScrollBar*, const char*>, 3> sliders {
        {{w.hRED, "Red"}, {w.hGREEN, "Green"}, {w.hBLUE, "Blue"}}};
    for (std::size_t i = 0; i < sliders.size(); ++i) {
        const auto& [slider, part] = sliders[i];
        slider->setAccessibleName(QLatin1String(part));
        slider->setAccessibleDescription(
            QStringLiteral("%1 part of the painting colour, 0 to 255").arg(QLatin1String(part)));
        w.Label1[i + 1]->setBuddy(slider);
    }
    w.Label1[0]->setBuddy(w.cboSprite);
}

} // namespace

void BuildMainWindowLayout(QMainWindow& window, MainWindowControls& w, QUndoStack& history)
{
    window.setWindowTitle(kProgramTitle);
    window.setWindowIcon(AppIcon());
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    window.setFont(font);

    auto* client = new QWidget(&window);
    client->setFixedSize(kClientWidth, kClientHeight);
    window.setCentralWidget(client);

    w.Frame1 = MakeFrame(client, QStringLiteral("Sprite Viewer"), QRect(8, 8, 225, 169));
    w.Frame2 = MakeFrame(client, QStringLiteral("Sprite Editor"), QRect(248, 8, 161, 169));
    w.Frame3 = MakeFrame(client, QStringLiteral("Sprite Loader"), QRect(248, 192, 161, 145));
    w.Frame4 = MakeFrame(client, QStringLiteral("Pallette"), QRect(8, 192, 225, 145));
    BuildViewer(w);
    BuildEditor(w);
    BuildLoader(w);
    BuildPalette(w);
    BuildMenus(window, w, history);
    SetTabOrder(w);
    NameControls(w);
    NameForScreenReaders(w);
    w.Frame1->setEnabled(false);
    w.Frame2->setEnabled(false);
    w.Frame4->setEnabled(false);

    // The window cannot be resized: its size is the menu bar plus the fixed client area.
    window.layout()->setSizeConstraint(QLayout::SetFixedSize);
    window.adjustSize();
    // Centred by the whole window, title bar and borders included: the native window is made now
    // so that the platform can tell the frame's size where it knows it before the first show.
    window.winId();
    if (const QScreen* screen = window.screen())
        window.move(
            window.pos() + screen->availableGeometry().center() - window.frameGeometry().center());
}

void EnableRomControls(MainWindowControls& w)
{
    for (QWidget* control :
        std::initializer_list<QWidget*> {w.cmdLoad, w.cboSprite, w.cmdSave, w.cmdTest})
        control->setEnabled(true);
    w.mnuFileSave->setEnabled(true);
    w.mnuOptionsTest->setEnabled(true);
    for (QGroupBox* frame : {w.Frame1, w.Frame2, w.Frame3, w.Frame4})
        frame->setEnabled(true);
    for (QAction* item : EditCommandItems(w))
        item->setEnabled(true);
}

} // namespace morvane
