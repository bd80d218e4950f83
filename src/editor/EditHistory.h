#pragma once

#include "sprite/SpriteBlock.h"

#include <QImage>

#include <deque>
#include <map>

namespace morvane {

// One undoable change of the loaded sprite: the block and the tile views it redrew, before and
// after. A stroke touches one tile view; an imported image touches all 24.
struct EditStep {
    SpriteBlock before {};
    SpriteBlock after {};
    std::map<int, QImage> viewsBefore;
    std::map<int, QImage> viewsAfter;
};

// Undo and redo for the loaded sprite. A new step drops whatever could have been redone; the
// oldest steps fall off beyond the limit.
class EditHistory {
public:
    static constexpr std::size_t kLimit = 200;

    void Push(EditStep step);
    void Clear();
    bool CanUndo() const { return next_ > 0; }
    bool CanRedo() const { return next_ < steps_.size(); }
    // The step to revert, or null when there is none; it becomes redoable.
    const EditStep* Undo();
    // The step to apply again, or null when there is none.
    const EditStep* Redo();
    std::size_t UndoCount() const { return next_; }

private:
    std::deque<EditStep> steps_;
    std::size_t next_ = 0;
};

} // namespace morvane
