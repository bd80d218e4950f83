#include "GridCursor.h"

#include "SpriteSession.h"
#include "sprite/FrameLayout.h"
#include "widgets/PictureBox.h"

#include <QKeyEvent>

#include <algorithm>

namespace morvane {

namespace {

// A cell of the editing grid is one tile pixel, 16 screen pixels a side.
constexpr int kCell = 16;

} // namespace

GridCursor::GridCursor(PictureBox& grid, const SpriteSession& document)
    : QObject(&grid), grid_(grid), document_(document)
{
    // Added after the grid lines, so the cursor is drawn over them.
    outer_ = grid_.AddOutline(QRect(0, 0, kCell, kCell), Qt::black);
    inner_ = grid_.AddOutline(QRect(1, 1, kCell - 2, kCell - 2), Qt::white);
    Show(false);
    grid_.installEventFilter(this);
    connect(&grid_, &PictureBox::MousePressed, this, [this](int, int, float X, float Y) {
        MoveTo(static_cast<int>(X) / kCell, static_cast<int>(Y) / kCell);
    });
    connect(&document_, &SpriteSession::SpriteChanged, this, &GridCursor::Describe);
    connect(&document_, &SpriteSession::TileChanged, this, &GridCursor::Describe);
    connect(&document_, &SpriteSession::TileSelected, this, &GridCursor::Describe);
    grid_.setAccessibleName(QStringLiteral("Editing grid"));
    Describe();
}

bool GridCursor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &grid_) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            Show(event->type() == QEvent::FocusIn);
        else if (event->type() == QEvent::KeyPress)
            return KeyPressed(static_cast<const QKeyEvent&>(*event));
    }
    return QObject::eventFilter(watched, event);
}

bool GridCursor::KeyPressed(const QKeyEvent& key)
{
    // Keys with Ctrl, Alt or Shift are the window's commands; the number block's keys count as
    // plain keys.
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key.key()) {
    case Qt::Key_Left:
        MoveTo(column_ - 1, row_);
        return true;
    case Qt::Key_Right:
        MoveTo(column_ + 1, row_);
        return true;
    case Qt::Key_Up:
        MoveTo(column_, row_ - 1);
        return true;
    case Qt::Key_Down:
        MoveTo(column_, row_ + 1);
        return true;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit PaintRequested(column_, row_);
        return true;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
        emit ColourRequested(key.key() - Qt::Key_1);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int step = key.key() == Qt::Key_PageUp ? -1 : 1;
        const int tile = std::clamp(document_.CurTile() + step, 0, kTilesPerSprite - 1);
        if (tile != document_.CurTile())
            emit TileRequested(tile);
        return true;
    }
    default:
        return false;
    }
}

void GridCursor::MoveTo(int column, int row)
{
    column_ = std::clamp(column, 0, kTileSide - 1);
    row_ = std::clamp(row, 0, kTileSide - 1);
    grid_.MoveOverlay(outer_, QPoint(kCell * column_, kCell * row_));
    grid_.MoveOverlay(inner_, QPoint(kCell * column_ + 1, kCell * row_ + 1));
    Describe();
}

void GridCursor::Show(bool visible)
{
    grid_.SetOverlayVisible(outer_, visible);
    grid_.SetOverlayVisible(inner_, visible);
}

void GridCursor::Describe()
{
    // Counted from 1, as a person counts rows and columns; the bit tables mirror the selected
    // tile.
    const auto entry = static_cast<std::size_t>(kTileSide * row_ + column_ + 1);
    const int value = document_.TileLoBits()[entry] | document_.TileHiBits()[entry] << 1;
    grid_.setAccessibleDescription(QStringLiteral("Tile %1, row %2, column %3: value %4")
                                       .arg(document_.CurTile() + 1)
                                       .arg(row_ + 1)
                                       .arg(column_ + 1)
                                       .arg(value));
}

} // namespace morvane
