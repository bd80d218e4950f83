#pragma once

#include "ClickableArea.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <vector>

namespace morvane {

// A borderless drawing area with a persistent off-screen image in pixel coordinates. Drawing goes
// into the image and shows when the box is refreshed. Overlays (grid lines, selection markers)
// are painted over the image on screen and are never part of it, so copying the image never
// copies them.
class PictureBox : public ClickableArea {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The image always has the box's size, even before the box is first shown: Qt delivers a
    // hidden widget's resize event only when it is shown, but tiles are drawn before that.
    QImage& Image();
    const QImage& Image() const;
    // Shows the image as it is now.
    void Refresh();

    // Overlays, addressed by the index their Add function returns.
    int AddLine(QRect pixels, const QColor& color);
    int AddOutline(QRect rect, const QColor& color);
    void SetOverlayVisible(int overlay, bool visible);
    void SetOverlayColor(int overlay, const QColor& color);
    void SetOverlayTop(int overlay, int top);
    // Moves an overlay's top-left corner to `at`, keeping its size.
    void MoveOverlay(int overlay, QPoint at);
    // The screen as the user sees it: the image with the visible overlays over it.
    QImage Rendered() const;

signals:
    // Every press, move and release over the box, for drawing areas that paint, in the terms
    // their handlers take (MouseCodes.h) and in pixels; a click is reported as Clicked as well.
    void MousePressed(int Button, int Shift, float X, float Y);
    void MouseMoved(int Button, int Shift, float X, float Y);
    void MouseReleased();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Overlay {
        bool outline = false; // a rectangle outline; otherwise a filled line of pixels
        QRect rect;
        QColor color;
        bool visible = true;
    };
    void PaintOverlays(QPainter& painter) const;
    // Grows or shrinks the image to the box's size, keeping what was drawn.
    void FitImage() const;

    mutable QImage image_;
    QColor backColor_;
    std::vector<Overlay> overlays_;
};

} // namespace morvane
