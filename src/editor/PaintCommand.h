#pragma once

#include "SpriteSession.h"

#include <QUndoCommand>

namespace morvane {

// Pixels painted on one tile in one stroke, from the press on the editing grid to the release:
// each painted pixel is pushed as a command of its own and merges into the stroke's, so undo puts
// the tile's bytes and picture back as they were before the press. A stroke that changed nothing
// is obsolete and leaves no step.
class PaintCommand final : public QUndoCommand {
public:
    PaintCommand(
        SpriteSession& document, int stroke, int column, int row, PackedColor colour, int value);

    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;
    void undo() override;
    // The first run paints the pixel; later runs put back the tile as the stroke left it.
    void redo() override;

private:
    SpriteSession& document_;
    int stroke_;
    int tile_;
    int column_;
    int row_;
    PackedColor colour_;
    int value_;
    TileState before_;
    TileState after_;
    bool painted_ = false;
    // Once undone or redone, the stroke is closed: later pixels make a step of their own.
    bool replayed_ = false;
};

} // namespace morvane
