#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QLabel;
class QPushButton;
class QTimer;

namespace morvane {

class PictureBox;

// The preview window: three display boxes side by side, each alternating between the two frames
// of one pose on every tick of tmrSprite, at a speed the user changes with "-" and "+".
class frmTest : public QDialog {
    Q_OBJECT

public:
    // Loading the window: builds every control from the layout and starts tmrSprite at 250 ms.
    // framePhase belongs to the caller and outlives the window, so a later opening continues from
    // the phase at which the previous one was closed.
    frmTest(QWidget* owner, std::uint8_t& framePhase);

    // Frame images n = 2 * pose + frame, 64x64, placed below the client area so never seen.
    std::array<PictureBox*, 6> picSprite {};
    // One per pose, showing the frame image the last tick copied into it.
    std::array<PictureBox*, 3> picSpriteM {};
    // 0 "-" slower, 1 "+" faster.
    std::array<QPushButton*, 2> cmdSpeed {};
    QPushButton* Command1 = nullptr;
    QTimer* tmrSprite = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* Line1 = nullptr;

    void tmrSprite_Timer();
    void cmdSpeed_Click(int Index);
    void Command1_Click();

    // Closing by "Ok" or the close box stops the animation at once, so the phase the caller keeps
    // is the one the user last saw, even if the window object lives on a moment longer.
    void done(int result) override;

protected:
    // Neither button is a cancel button: Escape leaves the preview open.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void NameControls();

    std::uint8_t& framePhase_;
};

} // namespace morvane
