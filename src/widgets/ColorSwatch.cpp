#include "ColorSwatch.h"

#include <QPainter>

namespace morvane {

ColorSwatch::ColorSwatch(QWidget* parent)
    : ClickableArea(parent), fill_(palette().color(QPalette::Button))
{
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

} // namespace morvane
