#pragma once

#include "SpriteSession.h"

#include <QUndoCommand>

namespace morvane {

// The whole block replaced at once, by an imported or pasted sprite image or by an edit of the
// Edit menu: undo puts back the block and all 24 tile pictures as they were, redo the
// replacement (also when first pushed).
class ReplaceBlockCommand final : public QUndoCommand {
public:
    ReplaceBlockCommand(SpriteSession& document, SpriteState after, const QString& text);

    void undo() override;
    void redo() override;

private:
    SpriteSession& document_;
    SpriteState before_;
    SpriteState after_;
};

} // namespace morvane
