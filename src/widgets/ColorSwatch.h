#pragma once

#include <QColor>
#include <QWidget>

namespace morvane {

// A palette swatch: a borderless area whose only content is its fill colour. It keeps no image;
// the fill colour is the authoritative copy of the display colour it shows.
class ColorSwatch : public QWidget {
    Q_OBJECT

public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    QColor FillColor() const { return fill_; }
    void SetFillColor(const QColor& color);

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor fill_;
    bool pressed_ = false;
};

} // namespace morvane
