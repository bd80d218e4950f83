#include "ReplaceBlockCommand.h"

#include <utility>

namespace morvane {

ReplaceBlockCommand::ReplaceBlockCommand(
    SpriteSession& session, SpriteState before, SpriteState after)
    : session_(session), before_(std::move(before)), after_(std::move(after))
{
}

void ReplaceBlockCommand::undo()
{
    session_.RestoreSprite(before_);
}

void ReplaceBlockCommand::redo()
{
    session_.RestoreSprite(after_);
}

} // namespace morvane
