#pragma once

#include "sprite/SpriteBlock.h"

#include <QImage>
#include <QObject>

#include <array>
#include <cstdint>

class QWidget;

namespace morvane {

class PaletteModel;
class SpriteSession;
struct MainWindowControls;

// Show Changes: marks, in the sheet's tile views and in the editing grid, every pixel whose value
// differs from the block as the ROM image stores it, in a colour that stands out from the display
// colours in use. While the blink key is held, the views show the stored block instead of the
// edited one, so the eye can compare the two. Both are for the eye only: the marks are overlays
// and the stored pictures stand in the views only while the key is held, so nothing taken from
// the document (the preview, a copy, a save) ever carries them.
class ChangeMarks : public QObject {
    Q_OBJECT

public:
    // The key held to see the stored block: it types nothing and no other command uses it.
    static constexpr int kBlinkKey = Qt::Key_Backslash;

    // Adds the checkable command Show Changes to `controls` (bound to its key in `window`) and
    // the marks to its views, hidden until the command is checked.
    ChangeMarks(QWidget& window, MainWindowControls& controls, const SpriteSession& document,
        const PaletteModel& palette);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The pixels of tile `tile` whose value differs from the stored block, bit 8 * row + column.
    std::uint64_t Differences(int tile) const;
    void SetShown(bool shown);
    // Brings the marks up to date with the document, and keeps the stored block in the views
    // while the key is held, whatever changed underneath.
    void DocumentChanged();
    void MarkGrid();
    void ChooseColour();
    void ShowPictures(const std::array<QImage, kTilesPerSprite>& pictures);
    void SetBlink(bool held);

    QWidget& window_;
    MainWindowControls& controls_;
    const SpriteSession& document_;
    const PaletteModel& palette_;
    bool shown_ = false;
    bool blinking_ = false;
    PackedColor colour_ = ~PackedColor {0}; // none chosen yet
    // The overlay of each pixel's mark in each tile view and in the grid, and which are visible.
    std::array<std::array<int, 64>, kTilesPerSprite> viewMarks_ {};
    std::array<int, 64> gridMarks_ {};
    std::array<std::uint64_t, kTilesPerSprite> viewMarked_ {};
    std::uint64_t gridMarked_ = 0;
};

} // namespace morvane
