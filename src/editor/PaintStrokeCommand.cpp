#include "PaintStrokeCommand.h"

#include <utility>

namespace morvane {

PaintStrokeCommand::PaintStrokeCommand(
    SpriteSession& session, int tile, TileState before, TileState after)
    : session_(session), tile_(tile), before_(std::move(before)), after_(std::move(after))
{
}

void PaintStrokeCommand::undo()
{
    session_.RestoreTile(tile_, before_);
}

void PaintStrokeCommand::redo()
{
    session_.RestoreTile(tile_, after_);
}

} // namespace morvane
