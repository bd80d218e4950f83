#include "ColorSwatch.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace morvane {

ColorSwatch::ColorSwatch(QWidget* parent)
    : QWidget(parent), fill_(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void ColorSwatch::SetFillColor(const QColor& color)
{
    if (color == fill_)
        return;
    fill_ = color;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), fill_);
    if (hasFocus()) {
        // A dotted focus frame, so keyboard users see which swatch Space will pick.
        QPen pen(fill_.lightness() > 128 ? Qt::black : Qt::white, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void ColorSwatch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        if (rect().contains(event->position().toPoint()))
            emit Clicked();
    }
}

void ColorSwatch::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return) {
        emit Clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace morvane
