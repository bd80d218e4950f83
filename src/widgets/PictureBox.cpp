#include "PictureBox.h"

#include "ImageBlit.h"
#include "qtcolour/PackedColourQt.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cstring>

namespace morvane {

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), backColor_(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    image_ = QImage(1, 1, QImage::Format_RGB32);
    image_.fill(backColor_);
}

void PictureBox::SetBackColor(const QColor& color)
{
    backColor_ = color;
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

bool PictureBox::OverlayVisible(int overlay) const
{
    return overlays_.at(static_cast<std::size_t>(overlay)).visible;
}

void PictureBox::SetOverlayColor(int overlay, const QColor& color)
{
    overlays_.at(static_cast<std::size_t>(overlay)).color = color;
    update();
}

QColor PictureBox::OverlayColor(int overlay) const
{
    return overlays_.at(static_cast<std::size_t>(overlay)).color;
}

void PictureBox::SetOverlayTop(int overlay, int top)
{
    overlays_.at(static_cast<std::size_t>(overlay)).rect.moveTop(top);
    update();
}

int PictureBox::OverlayTop(int overlay) const
{
    return overlays_.at(static_cast<std::size_t>(overlay)).rect.top();
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
    if (event->button() == Qt::LeftButton)
        pressedInside_ = true;
    emit MousePressed(event->button(), event->modifiers(), event->position());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMoved(event->buttons(), event->modifiers(), event->position());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseReleased(event->button());
    if (event->button() == Qt::LeftButton && pressedInside_) {
        pressedInside_ = false;
        if (rect().contains(event->position().toPoint()))
            emit Clicked();
    }
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        emit Clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PictureBox::ClearToBackground()
{
    Image().fill(backColor_);
}

void PictureBox::SetPixel(int x, int y, PackedColor color)
{
    QImage& image = Image();
    if (image.valid(x, y))
        image.setPixel(x, y, ToQRgb(color));
}

void PictureBox::SetTileRow(int y, const std::array<PackedColor, kTileSide>& colors)
{
    QImage& image = Image();
    if (image.format() != QImage::Format_RGB32 || image.width() < kTileSide || y < 0
        || y >= image.height()) {
        TileSurface::SetTileRow(y, colors);
        return;
    }
    // A whole row straight into the scan line. Pixel by pixel, QImage::setPixel (which serves
    // every pixel format) and its checks made up a third of a Load Sprite.
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (std::size_t x = 0; x < colors.size(); ++x)
        line[x] = qRgb(RedOf(colors[x]), GreenOf(colors[x]), BlueOf(colors[x]));
}

void PictureBox::StretchTileToView()
{
    QImage& image = Image();
    if (image.format() != QImage::Format_RGB32 || image.width() < 32 || image.height() < 32) {
        const QImage tile = image.copy(0, 0, 8, 8);
        StretchBlt(image, 0, 0, 32, 32, tile, 0, 0, 8, 8);
        return;
    }
    // In place, without a copy of the tile: this runs for each of a sprite's 24 tiles on every
    // Load Sprite. Tile row r becomes view rows 4r to 4r + 3. Going from the last tile row back,
    // tile row r is still intact when its turn comes, since only rows from 4r + 4 on have been
    // written; row 4r + 3 is drawn from it and the other three are copies of that row.
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int r = 7; r >= 0; --r) {
        const auto* in = reinterpret_cast<const QRgb*>(bits + r * stride);
        auto* out = reinterpret_cast<QRgb*>(bits + (4 * r + 3) * stride);
        for (int x = 0; x < 32; ++x)
            out[x] = in[x / 4];
        for (int copy = 0; copy < 3; ++copy)
            std::memcpy(bits + (4 * r + copy) * stride, out, 32 * sizeof(QRgb));
    }
}

} // namespace morvane
