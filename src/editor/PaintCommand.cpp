#include "PaintCommand.h"

namespace morvane {

namespace {

// Only paint commands share this id, so a merge is only ever offered another paint command.
constexpr int kPaintId = 1;

} // namespace

PaintCommand::PaintCommand(
    SpriteSession& document, int stroke, int column, int row, PackedColor colour, int value)
    : QUndoCommand(QStringLiteral("Paint")),
      document_(document),
      stroke_(stroke),
      tile_(document.CurTile()),
      column_(column),
      row_(row),
      colour_(colour),
      value_(value),
      before_(document.TileStateOf(tile_))
{
}

int PaintCommand::id() const
{
    return kPaintId;
}

bool PaintCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const PaintCommand*>(other);
    if (replayed_ || next->stroke_ != stroke_ || next->tile_ != tile_)
        return false;
    after_ = next->after_;
    setObsolete(after_ == before_);
    return true;
}

void PaintCommand::undo()
{
    replayed_ = true;
    document_.SetTileState(tile_, before_);
}

void PaintCommand::redo()
{
    if (painted_) {
        replayed_ = true;
        document_.SetTileState(tile_, after_);
        return;
    }
    document_.PaintPixel(column_, row_, colour_, value_);
    painted_ = true;
    after_ = document_.TileStateOf(tile_);
    setObsolete(after_ == before_);
}

} // namespace morvane
