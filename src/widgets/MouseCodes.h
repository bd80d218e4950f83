#pragma once

#include <Qt>

namespace morvane {

// The mouse buttons and the keys held with them as the drawing areas' handlers take them: Button
// 1 left, 2 right, 4 middle (a set of them for a move), and Shift 1 Shift, 2 Ctrl, 4 Alt.

inline int ButtonCode(Qt::MouseButtons buttons)
{
    return (buttons.testFlag(Qt::LeftButton) ? 1 : 0) | (buttons.testFlag(Qt::RightButton) ? 2 : 0)
        | (buttons.testFlag(Qt::MiddleButton) ? 4 : 0);
}

inline int ShiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0)
        | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0)
        | (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

} // namespace morvane
