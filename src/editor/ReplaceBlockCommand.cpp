#include "ReplaceBlockCommand.h"

#include <utility>

namespace morvane {

ReplaceBlockCommand::ReplaceBlockCommand(
    SpriteSession& document, SpriteState after, const QString& text)
    : QUndoCommand(text), document_(document), before_(document.State()), after_(std::move(after))
{
}

void ReplaceBlockCommand::undo()
{
    document_.SetState(before_);
}

void ReplaceBlockCommand::redo()
{
    document_.SetState(after_);
}

} // namespace morvane
