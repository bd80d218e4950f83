#pragma once

#include <QObject>

class QKeyEvent;

namespace morvane {

class PictureBox;
class SpriteSession;

// The editing grid's keyboard cursor, so a tile can be painted without a mouse. While the grid
// has the keyboard focus the cursor cell is framed in black inside white, which shows over every
// colour. The arrow keys move it; Space or Return asks to paint the cell under it; 1 to 4 ask
// for pixel value 0 to 3 as the painting colour; Page Up and Page Down ask for the previous and
// next tile. A press on the grid moves the cursor to the cell pressed. The grid's accessible
// description names the cursor cell and the value it holds, for a screen reader.
class GridCursor : public QObject {
    Q_OBJECT

public:
    GridCursor(PictureBox& grid, const SpriteSession& document);

    int Column() const { return column_; }
    int Row() const { return row_; }

signals:
    void PaintRequested(int column, int row);
    void ColourRequested(int index);
    void TileRequested(int tile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyPressed(const QKeyEvent& key);
    void MoveTo(int column, int row);
    void Show(bool visible);
    void Describe();

    PictureBox& grid_;
    const SpriteSession& document_;
    int column_ = 0;
    int row_ = 0;
    int outer_ = 0;
    int inner_ = 0;
};

} // namespace morvane
