// The click shared by the tile views and the swatches: a whole left click inside, or a key; and
// the focus frame a swatch shows keyboard users.
#include "widgets/ClickableArea.h"
#include "RowTable.h"
#include "widgets/ColorSwatch.h"

#include <QSignalSpy>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

struct Steps {
    const char* name;
    QStringList steps;
    int clicks;
};

struct Frame {
    const char* name;
    QColor fill;
    bool focused;
    QColor frame; // the colour of the dotted frame just inside the edge
};

} // namespace

class ClickableAreaTest : public QObject {
    Q_OBJECT

private slots:
    void clicks_data()
    {
        AddRows<Steps>({{"press and release inside", {"press", "release in"}, 1},
            {"right button", {"right press", "right release"}, 0},
            {"released outside", {"press", "release out"}, 0},
            {"released with no press before", {"release in"}, 0},
            {"a press counts once", {"press", "release out", "release in"}, 0},
            {"two clicks", {"press", "release in", "press", "release in"}, 2},
            {"Space", {"Space"}, 1}, {"Return", {"Return"}, 1}, {"Shift+Space", {"Shift+Space"}, 0},
            {"another key", {"X"}, 0}});
    }
    void clicks()
    {
        const auto& row = CurrentRow<Steps>();
        ClickableArea area;
        area.setGeometry(0, 0, 32, 32);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QSignalSpy clicked(&area, &ClickableArea::Clicked);
        const QPoint inside(16, 16);
        const QPoint outside(40, 16);
        for (const QString& step : row.steps) {
            if (step == "press")
                QTest::mousePress(&area, Qt::LeftButton, {}, inside);
            else if (step == "release in")
                QTest::mouseRelease(&area, Qt::LeftButton, {}, inside);
            else if (step == "release out")
                QTest::mouseRelease(&area, Qt::LeftButton, {}, outside);
            else if (step == "right press")
                QTest::mousePress(&area, Qt::RightButton, {}, inside);
            else if (step == "right release")
                QTest::mouseRelease(&area, Qt::RightButton, {}, inside);
            else
                QTest::keySequence(&area, QKeySequence(step));
        }
        QCOMPARE(clicked.count(), row.clicks);
    }

    void focusedSwatchIsFramed_data()
    {
        AddRows<Frame>({{"light swatch, focused", QColor(200, 220, 90), true, Qt::black},
            {"dark swatch, focused", QColor(0, 0, 120), true, Qt::white},
            {"not focused: no frame", QColor(0, 0, 120), false, QColor(0, 0, 120)}});
    }
    void focusedSwatchIsFramed()
    {
        const auto& row = CurrentRow<Frame>();
        QWidget window;
        new ColorSwatch(&window); // first in the focus chain, to hold the focus otherwise
        auto* swatch = new ColorSwatch(&window);
        swatch->setGeometry(40, 0, 33, 27);
        swatch->SetFillColor(row.fill);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        if (row.focused)
            swatch->setFocus();
        QTRY_COMPARE(swatch->hasFocus(), row.focused);
        const QImage shown = swatch->grab().toImage();
        int framed = 0;
        for (int x = 0; x < shown.width(); ++x)
            framed += shown.pixelColor(x, 1) == row.frame ? 1 : 0;
        // Dotted: about every other pixel of the row, or the whole row where there is no frame.
        QVERIFY2(row.focused ? framed >= 8 && framed <= 20 : framed == shown.width(),
            qPrintable(QString::number(framed)));
        QCOMPARE(shown.pixelColor(5, 5), row.fill);
    }
};

QTEST_MAIN(ClickableAreaTest)
#include "ClickableAreaTest.moc"
