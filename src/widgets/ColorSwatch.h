#pragma once

#include "ClickableArea.h"

#include <QColor>

namespace morvane {

// A palette swatch: a borderless area whose only content is its fill colour. It keeps no image
// and shows the colour it is given; a click is passed on as Clicked.
class ColorSwatch : public ClickableArea {
    Q_OBJECT

public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    QColor FillColor() const { return fill_; }
    void SetFillColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
};

} // namespace morvane
