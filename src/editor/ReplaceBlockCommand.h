#pragma once

#include "SpriteSession.h"

#include <QUndoCommand>

namespace morvane {

// The whole block replaced at once, by an imported or pasted sprite image: undo puts back the
// block and all 24 tile pictures as they were, redo the replacement (also when first pushed).
class ReplaceBlockCommand final : public QUndoCommand {
public:
    ReplaceBlockCommand(SpriteSession& session, SpriteState before, SpriteState after);

    void undo() override;
    void redo() override;

private:
    SpriteSession& session_;
    SpriteState before_;
    SpriteState after_;
};

} // namespace morvane
