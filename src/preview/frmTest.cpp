#include "frmTest.h"

#include "widgets/ImageBlit.h"
#include "widgets/PictureBox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace morvane {

namespace {

constexpr int kBoxSide = 64;
constexpr int kStartInterval = 250;
constexpr int kIntervalStep = 50;
constexpr int kFastestInterval = 50;
constexpr int kSlowestInterval = 2000;
// The frame images sit this far down, well below the 129-pixel client area.
constexpr int kHiddenTop = 1000;
constexpr std::array<int, 3> kPoseLeft {8, 88, 168};

PictureBox* PlaceBox(QWidget* parent, int x, int y)
{
    auto* box = new PictureBox(parent);
    box->setGeometry(x, y, kBoxSide, kBoxSide);
    return box;
}

QPushButton* PlaceButton(QWidget* parent, const QString& caption, QRect geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    // Enter must not close the preview or change its speed behind the user's back.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

frmTest::frmTest(QWidget* owner, std::uint8_t& framePhase)
    : QDialog(owner,
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      framePhase_(framePhase)
{
    setWindowTitle(QStringLiteral("Test Sprite"));
    setFixedSize(242, 129);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    setFont(font);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    for (std::size_t pose = 0; pose < kPoseLeft.size(); ++pose) {
        picSpriteM[pose] = PlaceBox(this, kPoseLeft[pose], 8);
        picSprite[2 * pose] = PlaceBox(this, kPoseLeft[pose], kHiddenTop);
        picSprite[2 * pose + 1] = PlaceBox(this, kPoseLeft[pose], kHiddenTop);
    }

    Line1 = new QWidget(this);
    Line1->setGeometry(8, 88, 225, 1);
    QPalette white = Line1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Line1->setPalette(white);
    Line1->setAutoFillBackground(true);

    Label1 = new QLabel(QStringLiteral("Speed:"), this);
    Label1->setGeometry(8, 104, 34, 14);
    QPalette whiteText = Label1->palette();
    whiteText.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(whiteText);

    cmdSpeed[0] = PlaceButton(this, QStringLiteral("-"), QRect(48, 104, 17, 17));
    cmdSpeed[1] = PlaceButton(this, QStringLiteral("+"), QRect(72, 104, 17, 17));
    Command1 = PlaceButton(this, QStringLiteral("Ok"), QRect(184, 104, 49, 17));
    for (int index = 0; index < 2; ++index) {
        connect(cmdSpeed[static_cast<std::size_t>(index)], &QPushButton::clicked, this,
            [this, index] { cmdSpeed_Click(index); });
    }
    connect(Command1, &QPushButton::clicked, this, &frmTest::Command1_Click);

    tmrSprite = new QTimer(this);
    NameControls();
    connect(tmrSprite, &QTimer::timeout, this, &frmTest::tmrSprite_Timer);
    tmrSprite->start(kStartInterval);
}

void frmTest::NameControls()
{
    for (std::size_t i = 0; i < picSprite.size(); ++i)
        picSprite[i]->setObjectName(QStringLiteral("picSprite(%1)").arg(i));
    for (std::size_t i = 0; i < picSpriteM.size(); ++i)
        picSpriteM[i]->setObjectName(QStringLiteral("picSpriteM(%1)").arg(i));
    cmdSpeed[0]->setObjectName(QStringLiteral("cmdSpeed(0)"));
    cmdSpeed[1]->setObjectName(QStringLiteral("cmdSpeed(1)"));
    Command1->setObjectName(QStringLiteral("Command1"));
    tmrSprite->setObjectName(QStringLiteral("tmrSprite"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Line1->setObjectName(QStringLiteral("Line1"));

    // What a screen reader speaks: the boxes by the pose they play, the buttons by what they do
    // rather than by "-" and "+". Poses and frames count from 1, as a person counts.
    for (std::size_t pose = 0; pose < picSpriteM.size(); ++pose) {
        picSpriteM[pose]->setAccessibleName(QStringLiteral("Pose %1").arg(pose + 1));
        picSpriteM[pose]->setAccessibleDescription(
            QStringLiteral("Plays the two frames of pose %1 in turn").arg(pose + 1));
        for (std::size_t frame = 0; frame < 2; ++frame)
            picSprite[2 * pose + frame]->setAccessibleName(
                QStringLiteral("Pose %1, frame %2, out of view").arg(pose + 1).arg(frame + 1));
    }
    cmdSpeed[0]->setAccessibleName(QStringLiteral("Slower"));
    cmdSpeed[1]->setAccessibleName(QStringLiteral("Faster"));
    Command1->setAccessibleDescription(QStringLiteral("Close the preview"));
}

void frmTest::tmrSprite_Timer()
{
    // The phase names the frame shown last: after the second frames come the first, and the
    // other way round.
    const std::size_t frame = framePhase_ != 0 ? 0 : 1;
    framePhase_ = static_cast<std::uint8_t>(frame);
    for (std::size_t pose = 0; pose < picSpriteM.size(); ++pose) {
        BitBlt(picSpriteM[pose]->Image(), 0, 0, kBoxSide, kBoxSide,
            picSprite[2 * pose + frame]->Image(), 0, 0);
        picSpriteM[pose]->Refresh();
    }
}

void frmTest::cmdSpeed_Click(int Index)
{
    const int interval = tmrSprite->interval();
    if (Index == 0) {
        if (interval + kIntervalStep <= kSlowestInterval)
            tmrSprite->setInterval(interval + kIntervalStep);
    } else if (interval - kIntervalStep >= kFastestInterval) {
        tmrSprite->setInterval(interval - kIntervalStep);
    }
}

void frmTest::Command1_Click()
{
    accept();
}

void frmTest::done(int result)
{
    tmrSprite->stop();
    QDialog::done(result);
}

void frmTest::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel))
        return;
    QDialog::keyPressEvent(event);
}

} // namespace morvane
