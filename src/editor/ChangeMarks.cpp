#include "ChangeMarks.h"

#include "MainWindowLayout.h"
#include "PaletteModel.h"
#include "SpriteSession.h"
#include "qtcolour/PackedColourQt.h"
#include "sprite/FrameLayout.h"
#include "sprite/TileCodec.h"
#include "widgets/ImageBlit.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <bit>
#include <climits>

namespace morvane {

namespace {

// Where a pixel's mark sits: the middle of its 4 x 4 block in a tile view and of its 16 x 16
// cell in the grid, clear of the selection marker and the grid lines on the edges, with the
// pixel's own colour still seen around it.
QRect ViewMark(int column, int row)
{
    return {kScreenScale * column + 1, kScreenScale * row + 1, 2, 2};
}
QRect GridMark(int column, int row)
{
    constexpr int kCell = kEditSide / kTileSide;
    return {kCell * column + 5, kCell * row + 5, 6, 6};
}

// Squared distance between two colours, each component weighed alike.
int Distance(PackedColor a, PackedColor b)
{
    const int red = RedOf(a) - RedOf(b);
    const int green = GreenOf(a) - GreenOf(b);
    const int blue = BlueOf(a) - BlueOf(b);
    return red * red + green * green + blue * blue;
}

// Of a few loud colours, the one farthest from every colour in `used`: a mark must never
// vanish into the pixel it marks, whatever the display colours are.
PackedColor FarthestFrom(const std::array<PackedColor, 8>& used)
{
    constexpr std::array kCandidates = {PackRgb(255, 255, 0), PackRgb(0, 255, 0),
        PackRgb(0, 255, 255), PackRgb(255, 0, 0), PackRgb(255, 128, 0)};
    PackedColor best = kCandidates.front();
    int bestDistance = -1;
    for (PackedColor candidate : kCandidates) {
        int nearest = INT_MAX;
        for (PackedColor colour : used)
            nearest = std::min(nearest, Distance(candidate, colour));
        if (nearest > bestDistance) {
            best = candidate;
            bestDistance = nearest;
        }
    }
    return best;
}

} // namespace

ChangeMarks::ChangeMarks(QWidget& window, MainWindowControls& controls,
    const SpriteSession& document, const PaletteModel& palette)
    : window_(window), controls_(controls), document_(document), palette_(palette)
{
    auto* action = new QAction(QStringLiteral("Show Cha&nges"), &window);
    action->setObjectName(QStringLiteral("mnuEditShowChanges"));
    action->setCheckable(true);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    action->setShortcutContext(Qt::WindowShortcut);
    // There is nothing to compare until a sprite is loaded.
    action->setEnabled(false);
    // The last group of the Edit menu: it shows, and changes nothing.
    controls_.mnuEdit->addSeparator();
    controls_.mnuEdit->addAction(action);
    controls_.mnuEditShowChanges = action;
    connect(action, &QAction::toggled, this, &ChangeMarks::SetShown);

    for (int tile = 0; tile < kTilesPerSprite; ++tile) {
        PictureBox* view = controls_.picSprites[static_cast<std::size_t>(tile)];
        for (int pixel = 0; pixel < 64; ++pixel) {
            const int mark = view->AddLine(ViewMark(pixel % 8, pixel / 8), Qt::transparent);
            view->SetOverlayVisible(mark, false);
            viewMarks_[static_cast<std::size_t>(tile)][static_cast<std::size_t>(pixel)] = mark;
        }
    }
    for (int pixel = 0; pixel < 64; ++pixel) {
        const int mark
            = controls_.picEdit->AddLine(GridMark(pixel % 8, pixel / 8), Qt::transparent);
        controls_.picEdit->SetOverlayVisible(mark, false);
        gridMarks_[static_cast<std::size_t>(pixel)] = mark;
    }

    connect(
        &document_, &SpriteSession::EntryLoaded, action, [action] { action->setEnabled(true); });
    // The views are drawn from the document before these run: the window connected first.
    connect(&document_, &SpriteSession::TileChanged, this, &ChangeMarks::DocumentChanged);
    connect(&document_, &SpriteSession::SpriteChanged, this, &ChangeMarks::DocumentChanged);
    connect(&document_, &SpriteSession::ModifiedChanged, this, &ChangeMarks::DocumentChanged);
    connect(&document_, &SpriteSession::TileSelected, this, [this] {
        MarkGrid();
        // The window draws the newly selected tile into the grid after this; while the key is
        // held, the stored tile goes over it once the window is done.
        if (blinking_)
            QTimer::singleShot(0, this, [this] {
                if (blinking_)
                    ShowPictures(document_.StoredPictures());
            });
    });
    // Paint in a retuned colour may come close to the marks' colour.
    connect(&palette_, &PaletteModel::ColourChanged, this, &ChangeMarks::ChooseColour);
    // The key is seen wherever the focus is in the window, and its release even where the
    // focus went meanwhile.
    qApp->installEventFilter(this);
}

std::uint64_t ChangeMarks::Differences(int tile) const
{
    const SpriteBlock& edited = document_.SpriteBuf();
    const SpriteBlock& stored = document_.StoredBlock();
    std::uint64_t differences = 0;
    for (int row = 0; row < kTileSide; ++row) {
        const auto at = static_cast<std::size_t>(kTileBytes * tile + 2 * row);
        for (int column = 0; column < kTileSide; ++column)
            if (PixelValue(edited[at], edited[at + 1], column)
                != PixelValue(stored[at], stored[at + 1], column))
                differences |= std::uint64_t {1} << (8 * row + column);
    }
    return differences;
}

void ChangeMarks::SetShown(bool shown)
{
    shown_ = shown;
    DocumentChanged();
}

void ChangeMarks::DocumentChanged()
{
    // A load draws in the palette's colours of the moment, which the marks must stand out from.
    ChooseColour();
    for (std::size_t tile = 0; tile < viewMarks_.size(); ++tile) {
        const std::uint64_t marked = shown_ ? Differences(static_cast<int>(tile)) : 0;
        for (std::uint64_t changed = marked ^ viewMarked_[tile]; changed != 0;
             changed &= changed - 1) {
            const int pixel = std::countr_zero(changed);
            controls_.picSprites[tile]->SetOverlayVisible(
                viewMarks_[tile][static_cast<std::size_t>(pixel)], (marked >> pixel & 1) != 0);
        }
        viewMarked_[tile] = marked;
    }
    MarkGrid();
    if (blinking_)
        ShowPictures(document_.StoredPictures());
}

void ChangeMarks::MarkGrid()
{
    const std::uint64_t marked = shown_ ? Differences(document_.CurTile()) : 0;
    for (std::uint64_t changed = marked ^ gridMarked_; changed != 0; changed &= changed - 1) {
        const int pixel = std::countr_zero(changed);
        controls_.picEdit->SetOverlayVisible(
            gridMarks_[static_cast<std::size_t>(pixel)], (marked >> pixel & 1) != 0);
    }
    gridMarked_ = marked;
}

void ChangeMarks::ChooseColour()
{
    // The pictures hold the colours the sprite was drawn in and those painted since.
    std::array<PackedColor, 8> used {};
    std::copy(document_.PalColor().begin(), document_.PalColor().end(), used.begin());
    std::copy(palette_.Colours().begin(), palette_.Colours().end(), used.begin() + 4);
    const PackedColor colour = FarthestFrom(used);
    if (colour == colour_)
        return;
    colour_ = colour;
    const QColor shown = ToQColor(colour);
    for (std::size_t tile = 0; tile < viewMarks_.size(); ++tile)
        for (int mark : viewMarks_[tile])
            controls_.picSprites[tile]->SetOverlayColor(mark, shown);
    for (int mark : gridMarks_)
        controls_.picEdit->SetOverlayColor(mark, shown);
}

void ChangeMarks::ShowPictures(const std::array<QImage, kTilesPerSprite>& pictures)
{
    for (std::size_t tile = 0; tile < pictures.size(); ++tile) {
        controls_.picSprites[tile]->Image() = pictures[tile];
        controls_.picSprites[tile]->Refresh();
    }
    StretchBlt(controls_.picEdit->Image(), 0, 0, kEditSide, kEditSide,
        pictures[static_cast<std::size_t>(document_.CurTile())], 0, 0, kTileViewSide,
        kTileViewSide);
    controls_.picEdit->Refresh();
}

void ChangeMarks::SetBlink(bool held)
{
    if (held == blinking_)
        return;
    blinking_ = held;
    ShowPictures(held ? document_.StoredPictures() : document_.TilePictures());
}

bool ChangeMarks::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (key->key() != kBlinkKey || widget == nullptr || widget->window() != &window_
            || document_.LoadedIndex() < 0)
            return false;
        if (!key->isAutoRepeat())
            SetBlink(type == QEvent::KeyPress);
        return true;
    }
    // A key released in another window is never heard of: leaving the window ends the blink.
    if (type == QEvent::WindowDeactivate && watched == &window_)
        SetBlink(false);
    return false;
}

} // namespace morvane
