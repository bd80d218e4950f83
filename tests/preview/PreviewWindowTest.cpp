// The preview window, and the six frame images it is filled with from the sheet's tile pictures.
#include "RowTable.h"
#include "preview/PreviewFrames.h"
#include "preview/RunPreview.h"
#include "preview/frmTest.h"
#include "widgets/PictureBox.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

// The sheet's 24 tile pictures, every pixel coloured by tile, column and row: a stray copy shows.
std::array<QImage, 24> TileViews()
{
    std::array<QImage, 24> views;
    for (std::size_t tile = 0; tile < 24; ++tile) {
        views[tile] = QImage(32, 32, QImage::Format_RGB32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                views[tile].setPixel(x, y, qRgb(10 * int(tile) + 5, 8 * x, 8 * y));
    }
    return views;
}

// A distinct solid colour per frame image, so every display box names the image it copied.
void FillFrames(frmTest& preview)
{
    for (int n = 0; n < 6; ++n)
        preview.picSprite[std::size_t(n)]->Image().fill(QColor(40 * n + 20, 200 - 30 * n, 90));
}

using Boxes = std::array<int, 3>;

// The frame images the three display boxes show now; -1 where a box matches none.
Boxes Shown(const frmTest& preview)
{
    Boxes shown {-1, -1, -1};
    for (std::size_t box = 0; box < 3; ++box)
        for (std::size_t n = 0; n < 6; ++n)
            if (preview.picSpriteM[box]->Image() == preview.picSprite[n]->Image())
                shown[box] = int(n);
    return shown;
}

void Press(frmTest& preview, const QString& keys)
{
    for (QChar key : keys)
        QTest::mouseClick(preview.cmdSpeed[key == u'-' ? 0 : 1], Qt::LeftButton);
}

struct Quadrant {
    int tile, frameImage;
    QPoint at;
};

struct Control {
    QString name;
    QRect geometry;
    std::function<QWidget*(frmTest&)> control;
};

// What the user does to the preview, and the number it then ends on.
template <typename Done> struct Outcome {
    const char* name;
    Done done;
    int result;
};
using Speed = Outcome<QString>; // "-" and "+" presses, and the timer's interval after them
using Closing = Outcome<bool>; // closed by Ok or by the close box, and what exec() returned

} // namespace

class PreviewWindowTest : public QObject {
    Q_OBJECT

    // The frame phase the editor keeps between openings of its preview.
    std::uint8_t phase_ = 0;

private slots:
    void init() { phase_ = 0; }

    // Tile groups 0..2 are the poses' first frames (images 0, 2, 4), groups 3..5 their second
    // (images 1, 3, 5); four tiles per group: top left, top right, bottom left, bottom right.
    void tileLandsInItsQuadrant_data()
    {
        AddRowColumn<Quadrant>();
        const int frameOfGroup[6] = {0, 2, 4, 1, 3, 5};
        const QPoint quadrant[4] = {{0, 0}, {32, 0}, {0, 32}, {32, 32}};
        for (int tile = 0; tile < 24; ++tile) {
            const Quadrant row {tile, frameOfGroup[tile / 4], quadrant[tile % 4]};
            QTest::addRow(
                "tile %d -> image %d at (%d,%d)", tile, row.frameImage, row.at.x(), row.at.y())
                << row;
        }
    }
    void tileLandsInItsQuadrant()
    {
        const auto& row = CurrentRow<Quadrant>();
        const std::array<QImage, 24> sheet = TileViews();
        frmTest preview(nullptr, phase_);
        for (PictureBox* frame : preview.picSprite)
            frame->Image().fill(Qt::magenta);

        ComposePreviewFrames(sheet, preview.picSprite);

        // The rows together cover every pixel of every frame image: no stale magenta survives.
        const QImage quarter = preview.picSprite[std::size_t(row.frameImage)]->Image().copy(
            row.at.x(), row.at.y(), 32, 32);
        QCOMPARE(quarter, sheet[std::size_t(row.tile)]);
    }

    void layout_data()
    {
        AddRowColumn<Control>();
        const auto add = [](const QString& name, QRect geometry, auto control) {
            QTest::newRow(qPrintable(name)) << Control {name, geometry, control};
        };
        for (std::size_t pose = 0; pose < 3; ++pose) {
            const int x = 8 + 80 * int(pose);
            add(QStringLiteral("picSpriteM(%1)").arg(pose), QRect(x, 8, 64, 64),
                [pose](frmTest& f) { return f.picSpriteM[pose]; });
            for (std::size_t frame = 2 * pose; frame < 2 * pose + 2; ++frame)
                add(QStringLiteral("picSprite(%1)").arg(frame), QRect(x, 1000, 64, 64),
                    [frame](frmTest& f) { return f.picSprite[frame]; });
        }
        add("Label1", QRect(8, 104, 34, 14), [](frmTest& f) { return f.Label1; });
        add("cmdSpeed(0)", QRect(48, 104, 17, 17), [](frmTest& f) { return f.cmdSpeed[0]; });
        add("cmdSpeed(1)", QRect(72, 104, 17, 17), [](frmTest& f) { return f.cmdSpeed[1]; });
        add("Command1", QRect(184, 104, 49, 17), [](frmTest& f) { return f.Command1; });
        add("Line1", QRect(8, 88, 225, 1), [](frmTest& f) { return f.Line1; });
    }
    void layout()
    {
        const auto& row = CurrentRow<Control>();
        frmTest preview(nullptr, phase_);
        QWidget* widget = row.control(preview);
        QCOMPARE(widget->parentWidget(), &preview);
        // Found by its design name, as a user names it.
        QCOMPARE(preview.findChild<QWidget*>(row.name), widget);
        QCOMPARE(widget->geometry(), row.geometry);
        // The picture boxes are drawn into before the window is ever shown.
        if (auto* box = qobject_cast<PictureBox*>(widget))
            QCOMPARE(box->Image().size(), QSize(64, 64));
    }

    void windowIsFixedToolWindow()
    {
        frmTest preview(nullptr, phase_);

        QCOMPARE(std::tuple(preview.windowTitle(), preview.minimumSize(), preview.maximumSize()),
            std::tuple(QStringLiteral("Test Sprite"), QSize(242, 129), QSize(242, 129)));
        const Qt::WindowFlags flags = preview.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(preview.font().pointSizeF(), 8.25);
        // On screen: a white separator across the black background.
        const QImage shown = preview.grab().toImage();
        QCOMPARE(shown.pixelColor(100, 88), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(100, 87), QColor(Qt::black));
        QCOMPARE(shown.pixelColor(4, 88), QColor(Qt::black));

        QCOMPARE((QStringList {preview.Label1->text(), preview.cmdSpeed[0]->text(),
                     preview.cmdSpeed[1]->text(), preview.Command1->text()}),
            (QStringList {"Speed:", "-", "+", "Ok"}));
        QCOMPARE(preview.Label1->palette().color(QPalette::WindowText), QColor(Qt::white));
        for (QPushButton* button : {preview.cmdSpeed[0], preview.cmdSpeed[1], preview.Command1})
            QCOMPARE(
                std::pair(button->isDefault(), button->autoDefault()), std::pair(false, false));
        QVERIFY(preview.tmrSprite->isActive());
        QCOMPARE(preview.tmrSprite->interval(), 250);
    }

    void ticksAlternateFrames()
    {
        frmTest preview(nullptr, phase_);
        FillFrames(preview);
        for (const int shownPhase : {1, 0, 1}) {
            preview.tmrSprite_Timer();
            QCOMPARE(Shown(preview), (Boxes {shownPhase, 2 + shownPhase, 4 + shownPhase}));
            QCOMPARE(phase_, shownPhase);
        }
        // The frame images are only read.
        QCOMPARE(preview.picSprite[0]->Image().pixelColor(10, 10), QColor(20, 200, 90));
    }

    // The second opening starts from the phase the first one closed on.
    void phaseCarriesToNextOpening()
    {
        for (const Boxes& shown : {Boxes {1, 3, 5}, Boxes {0, 2, 4}}) {
            frmTest preview(nullptr, phase_);
            FillFrames(preview);
            preview.tmrSprite_Timer();
            QCOMPARE(Shown(preview), shown);
        }
    }

    void runningTimerAnimates()
    {
        frmTest preview(nullptr, phase_);
        FillFrames(preview);
        preview.show();
        QCOMPARE(Shown(preview), (Boxes {-1, -1, -1}));
        QTRY_COMPARE_WITH_TIMEOUT(Shown(preview), (Boxes {1, 3, 5}), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(Shown(preview), (Boxes {0, 2, 4}), 2000);
    }

    void speedStaysInBounds_data()
    {
        AddRows<Speed>({{"one slower", "-", 300}, {"one faster", "+", 200},
            {"four faster reach the minimum", "++++", 50},
            {"five faster stop at the minimum", "+++++", 50},
            {"back up from the minimum", "++++++-", 100},
            {"35 slower reach the maximum", QString(35, u'-'), 2000},
            {"slower at the maximum stays", QString(40, u'-'), 2000},
            {"faster from the maximum", QString(40, u'-') + "+", 1950}});
    }
    void speedStaysInBounds()
    {
        const auto& row = CurrentRow<Speed>();
        frmTest preview(nullptr, phase_);
        preview.show();
        Press(preview, row.done);

        QCOMPARE(preview.tmrSprite->interval(), row.result);
        // The running timer takes the change at once: the time left is the new interval, within 5%.
        QVERIFY(preview.tmrSprite->isActive());
        const int left = preview.tmrSprite->remainingTime();
        QVERIFY2(
            qAbs(left - row.result) <= row.result / 20 + 10, qPrintable(QString::number(left)));
    }

    void newWindowStartsAt250()
    {
        {
            frmTest first(nullptr, phase_);
            first.show();
            Press(first, "+++");
            QCOMPARE(first.tmrSprite->interval(), 100);
            QTest::mouseClick(first.Command1, Qt::LeftButton);
        }
        frmTest second(nullptr, phase_);
        QCOMPARE(second.tmrSprite->interval(), 250);
    }

    void testSpriteRunsModally()
    {
        QWidget owner;
        owner.setGeometry(100, 100, 417, 346);
        owner.show();
        const std::array<QImage, 24> sheet = TileViews();

        bool shownOverOwner = false;
        QPoint offCentre;
        QTimer::singleShot(0, &owner, [&] {
            auto* preview = qobject_cast<frmTest*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            offCentre = preview->geometry().center() - owner.geometry().center();
            // Tile 12 opens the second frame of pose 0.
            shownOverOwner = preview->isVisible() && preview->isModal()
                && preview->parentWidget() == &owner
                && preview->picSprite[1]->Image().copy(0, 0, 32, 32) == sheet[12];
            QTest::mouseClick(preview->Command1, Qt::LeftButton);
            if (preview->isVisible())
                preview->reject();
        });

        RunPreview(&owner, phase_, sheet);

        QVERIFY(shownOverOwner);
        QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QDebug::toString(offCentre)));
        QVERIFY(owner.findChildren<frmTest*>().isEmpty());
    }

    void closingUnloads_data()
    {
        AddRows<Closing>(
            {{"Ok", true, QDialog::Accepted}, {"close box", false, QDialog::Rejected}});
    }
    void closingUnloads()
    {
        const auto& row = CurrentRow<Closing>();
        frmTest preview(nullptr, phase_);
        QTimer::singleShot(0, &preview, [&] {
            if (row.done)
                QTest::mouseClick(preview.Command1, Qt::LeftButton);
            else
                preview.close();
            if (preview.isVisible())
                preview.done(-1);
        });

        QCOMPARE(preview.exec(), row.result);
        QVERIFY(!preview.isVisible());
        // No tick may move the phase once the user has closed the window.
        QVERIFY(!preview.tmrSprite->isActive());
    }

    void keysDoNotClose()
    {
        frmTest preview(nullptr, phase_);
        preview.show();

        const QList<QWidget*> targets {&preview, preview.cmdSpeed[1], preview.Command1};
        for (QWidget* target : targets)
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(target, key);
                QVERIFY(preview.isVisible());
            }
        QCOMPARE(preview.tmrSprite->interval(), 250);
        QVERIFY(preview.tmrSprite->isActive());
    }
};

QTEST_MAIN(PreviewWindowTest)
#include "PreviewWindowTest.moc"
