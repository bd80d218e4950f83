#include "ClickableArea.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace morvane {

ClickableArea::ClickableArea(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClickableArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressedInside_ = true;
}

void ClickableArea::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressedInside_)
        return;
    pressedInside_ = false;
    if (rect().contains(event->position().toPoint()))
        emit Clicked();
}

void ClickableArea::keyPressEvent(QKeyEvent* event)
{
    const bool clickKey = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return;
    if (clickKey && event->modifiers() == Qt::NoModifier) {
        emit Clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace morvane
