#pragma once

#include <QWidget>

namespace morvane {

// An area that takes clicks the way a button does: a press and release of the left button inside
// it, or Space or Return while it has the keyboard focus. The tile views and the palette swatches
// are such areas.
class ClickableArea : public QWidget {
    Q_OBJECT

public:
    explicit ClickableArea(QWidget* parent = nullptr);

signals:
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A release counts only after a press that began inside, as with a button.
    bool pressedInside_ = false;
};

} // namespace morvane
