#pragma once

#include "SpriteSession.h"

#include <QUndoCommand>

namespace morvane {

// A stroke on one tile, from the press on the editing grid to the release: undo puts the tile's
// bytes and picture back as they were before the press, redo as they were at the release.
class PaintStrokeCommand final : public QUndoCommand {
public:
    PaintStrokeCommand(SpriteSession& session, int tile, TileState before, TileState after);

    void undo() override;
    // Also runs when the finished stroke is pushed, where it changes nothing.
    void redo() override;

private:
    SpriteSession& session_;
    int tile_;
    TileState before_;
    TileState after_;
};

} // namespace morvane
