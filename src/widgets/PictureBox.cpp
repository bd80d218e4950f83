#include "PictureBox.h"

#include "ImageBlit.h"
#include "MouseCodes.h"

#include <QMouseEvent>
#include <QPainter>

namespace morvane {

PictureBox::PictureBox(QWidget* parent)
    : ClickableArea(parent), backColor_(palette().color(QPalette::Button))
{
    image_ = QImage(1, 1, QImage::Format_RGB32);
    image_.fill(backColor_);
}

void PictureBox::Refresh()
{
    update();
}

int PictureBox::AddLine(QRect pixels, const QColor& color)
{
    overlays_.push_back({false, pixels, color, true});
    update();
    return static_cast<int>(overlays_.size()) - 1;
}

int PictureBox::AddOutline(QRect rect, const QColor& color)
{
    overlays_.push_back({true, rect, color, true});
    update();
    return static_cast<int>(overlays_.size()) - 1;
}

void PictureBox::SetOverlayVisible(int overlay, bool visible)
{
    overlays_.at(static_cast<std::size_t>(overlay)).visible = visible;
    update();
}

void PictureBox::SetOverlayColor(int overlay, const QColor& color)
{
    overlays_.at(static_cast<std::size_t>(overlay)).color = color;
    update();
}

void PictureBox::SetOverlayTop(int overlay, int top)
{
    QRect& rect = overlays_.at(static_cast<std::size_t>(overlay)).rect;
    // Every selection moves all 24 markers; only the two that change need repainting.
    if (rect.top() == top)
        return;
    rect.moveTop(top);
    update();
}

void PictureBox::MoveOverlay(int overlay, QPoint at)
{
    QRect& rect = overlays_.at(static_cast<std::size_t>(overlay)).rect;
    if (rect.topLeft() == at)
        return;
    rect.moveTopLeft(at);
    update();
}

void PictureBox::PaintOverlays(QPainter& painter) const
{
    for (const Overlay& overlay : overlays_) {
        if (!overlay.visible)
            continue;
        const QRect& r = overlay.rect;
        if (!overlay.outline) {
            painter.fillRect(r, overlay.color);
            continue;
        }
        // A one-pixel border on the rectangle's outermost pixels, drawn edge by edge so the
        // result does not depend on how the painter rounds pen positions.
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), overlay.color);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), overlay.color);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), overlay.color);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), overlay.color);
    }
}

QImage PictureBox::Rendered() const
{
    QImage screen = Image().copy();
    QPainter painter(&screen);
    PaintOverlays(painter);
    return screen;
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Image());
    PaintOverlays(painter);
}

void PictureBox::FitImage() const
{
    if (image_.size() == size() || size().isEmpty())
        return;
    // The image keeps what was drawn; newly exposed area takes the background colour.
    QImage grown(size(), QImage::Format_RGB32);
    grown.fill(backColor_);
    BitBlt(grown, 0, 0, image_.width(), image_.height(), image_, 0, 0);
    image_ = grown;
}

QImage& PictureBox::Image()
{
    FitImage();
    return image_;
}

const QImage& PictureBox::Image() const
{
    FitImage();
    return image_;
}

void PictureBox::resizeEvent(QResizeEvent*)
{
    FitImage();
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    emit MousePressed(ButtonCode(event->button()), ShiftCode(event->modifiers()),
        static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
    ClickableArea::mousePressEvent(event);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMoved(ButtonCode(event->buttons()), ShiftCode(event->modifiers()),
        static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseReleased();
    ClickableArea::mouseReleaseEvent(event);
}

} // namespace morvane
