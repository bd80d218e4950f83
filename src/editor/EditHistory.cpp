#include "EditHistory.h"

namespace morvane {

void EditHistory::Push(EditStep step)
{
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(next_), steps_.end());
    steps_.push_back(std::move(step));
    if (steps_.size() > kLimit)
        steps_.pop_front();
    next_ = steps_.size();
}

void EditHistory::Clear()
{
    steps_.clear();
    next_ = 0;
}

const EditStep* EditHistory::Undo()
{
    if (!CanUndo())
        return nullptr;
    --next_;
    return &steps_[next_];
}

const EditStep* EditHistory::Redo()
{
    if (!CanRedo())
        return nullptr;
    return &steps_[next_++];
}

} // namespace morvane
