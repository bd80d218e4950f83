// The main window as it starts: layout, captions, starting states, menus and focus order.
#include "EditorHarness.h"
#include "widgets/ColorSwatch.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTitleSizeAndFlags();
    void framesAndControlsSitWhereTheLayoutPutsThem_data();
    void framesAndControlsSitWhereTheLayoutPutsThem();
    void tileViewsFormSixFramesOfFourTiles();
    void onlyFileLoadQuitOptionsHelpAndGridlinesTakeInputAtStart();
    void menuTreeHasCaptionsAndShortcuts();
    void tabOrderRunsFromLastTileToTestButton();
    void gridlinesCheckBoxShowsAndHidesTheFourteenLinesBeforeARom();
    void listHoldsTheCatalogueAndLoadsNothingOnChange();
};

void MainWindowTest::startsWithTitleSizeAndFlags()
{
    EditorHarness h;
    frmMain& w = *h.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Morvane Sarnet Sprite Editor"));
    QCOMPARE(w.centralWidget()->size(), QSize(417, 346));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(w.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    QCOMPARE(w.font().pointSizeF(), 8.25);
}

void MainWindowTest::framesAndControlsSitWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Frame1") << "Frame1" << QRect(8, 8, 225, 169) << "Sprite Viewer";
    QTest::newRow("Frame2") << "Frame2" << QRect(248, 8, 161, 169) << "Sprite Editor";
    QTest::newRow("Frame3") << "Frame3" << QRect(248, 192, 161, 145) << "Sprite Loader";
    QTest::newRow("Frame4") << "Frame4" << QRect(8, 192, 225, 145) << "Pallette";
    QTest::newRow("picEdit") << "picEdit" << QRect(16, 24, 128, 128) << "";
    QTest::newRow("Label1(0)") << "Label1(0)" << QRect(8, 24, 33, 17) << "Sprite:";
    QTest::newRow("cboSprite") << "cboSprite" << QRect(48, 24, 97, 22) << "";
    QTest::newRow("cmdLoad") << "cmdLoad" << QRect(8, 64, 65, 25) << "Load Sprite";
    QTest::newRow("cmdSave") << "cmdSave" << QRect(88, 64, 65, 25) << "Save";
    QTest::newRow("cmdTest") << "cmdTest" << QRect(8, 104, 65, 25) << "Test Sprite";
    QTest::newRow("chkGRID") << "chkGRID" << QRect(88, 104, 65, 25) << "Gridlines";
    QTest::newRow("Color(4)") << "Color(4)" << QRect(24, 24, 33, 27) << "";
    QTest::newRow("Color(0)") << "Color(0)" << QRect(80, 24, 33, 27) << "";
    QTest::newRow("Color(3)") << "Color(3)" << QRect(176, 24, 33, 27) << "";
    QTest::newRow("Label1(1)") << "Label1(1)" << QRect(8, 64, 10, 14) << "R:";
    QTest::newRow("Label1(2)") << "Label1(2)" << QRect(8, 88, 11, 14) << "G:";
    QTest::newRow("Label1(3)") << "Label1(3)" << QRect(8, 112, 10, 14) << "B:";
    QTest::newRow("hRED") << "hRED" << QRect(24, 64, 185, 17) << "";
    QTest::newRow("hGREEN") << "hGREEN" << QRect(24, 88, 185, 17) << "";
    QTest::newRow("hBLUE") << "hBLUE" << QRect(24, 112, 185, 17) << "";
}

void MainWindowTest::framesAndControlsSitWhereTheLayoutPutsThem()
{
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    EditorHarness h;
    frmMain& w = *h.window;
    const QMap<QString, QWidget*> controls
        = {{"Frame1", w.Frame1}, {"Frame2", w.Frame2}, {"Frame3", w.Frame3}, {"Frame4", w.Frame4},
            {"picEdit", w.picEdit}, {"Label1(0)", w.Label1[0]}, {"cboSprite", w.cboSprite},
            {"cmdLoad", w.cmdLoad}, {"cmdSave", w.cmdSave}, {"cmdTest", w.cmdTest},
            {"chkGRID", w.chkGRID}, {"Color(4)", w.Color[4]}, {"Color(0)", w.Color[0]},
            {"Color(3)", w.Color[3]}, {"Label1(1)", w.Label1[1]}, {"Label1(2)", w.Label1[2]},
            {"Label1(3)", w.Label1[3]}, {"hRED", w.hRED}, {"hGREEN", w.hGREEN}, {"hBLUE", w.hBLUE}};
    QWidget* widget = controls.value(control);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->geometry(), geometry);
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        QCOMPARE(frame->title(), caption);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        QCOMPARE(label->text(), caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        QCOMPARE(button->text(), caption);
}

void MainWindowTest::tileViewsFormSixFramesOfFourTiles()
{
    EditorHarness h;
    // Row by row, the tile index shown in each column of the viewer.
    const int grid[4][6] = {{0, 1, 4, 5, 8, 9}, {2, 3, 6, 7, 10, 11}, {12, 13, 16, 17, 20, 21},
        {14, 15, 18, 19, 22, 23}};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 6; ++column) {
            PictureBox* view = h.window->picSprites[static_cast<std::size_t>(grid[row][column])];
            QCOMPARE(view->parentWidget(), h.window->Frame1);
            QCOMPARE(view->geometry(), QRect(16 + 32 * column, 24 + 32 * row, 32, 32));
        }
    }
    // Every marker waits out of sight below its view.
    for (std::size_t t = 0; t < 24; ++t)
        QCOMPARE(h.window->picSprites[t]->OverlayTop(h.window->shpPoint[t]), 100);
}

void MainWindowTest::onlyFileLoadQuitOptionsHelpAndGridlinesTakeInputAtStart()
{
    EditorHarness h;
    frmMain& w = *h.window;
    QVERIFY(!w.Frame1->isEnabled());
    QVERIFY(!w.Frame2->isEnabled());
    QVERIFY(w.Frame3->isEnabled());
    QVERIFY(!w.Frame4->isEnabled());
    for (QWidget* control :
        std::initializer_list<QWidget*> {w.cboSprite, w.cmdLoad, w.cmdSave, w.cmdTest})
        QVERIFY(!control->isEnabled());
    QVERIFY(w.chkGRID->isEnabled());
    QVERIFY(w.chkGRID->isChecked());
    QVERIFY(!w.mnuFileSave->isEnabled());
    QVERIFY(!w.mnuOptionsTest->isEnabled());
    for (QAction* item : {w.mnuFileLoad, w.mnuFileQuit, w.mnuOptionsGrid, w.mnuOptionsSprites,
             w.mnuHelpHelp, w.mnuHelpAbout})
        QVERIFY(item->isEnabled());

    // Clicks into the disabled frames reach nothing.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.picSprites[3], Qt::LeftButton);
    QTest::mouseClick(w.Color[2], Qt::LeftButton);
    QTest::mousePress(w.picEdit, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(w.picEdit, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(w.picSprites[3]->OverlayTop(w.shpPoint[3]), 100);
    QCOMPARE(w.State.CurColor, 0);
    QVERIFY(w.State.SpriteBuf == SpriteBlock {});
    QVERIFY(h.messages.shown.empty());
}

void MainWindowTest::menuTreeHasCaptionsAndShortcuts()
{
    EditorHarness h;
    frmMain& w = *h.window;
    const QList<QAction*> menus = w.menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
    QCOMPARE(menus[1]->text(), QStringLiteral("&Options"));
    QCOMPARE(menus[2]->text(), QStringLiteral("&Help"));

    const auto captions = [](QAction* menu) {
        QStringList list;
        for (QAction* item : menu->menu()->actions())
            list << (item->isSeparator() ? QStringLiteral("-") : item->text());
        return list;
    };
    QCOMPARE(captions(menus[0]), QStringList({"&Load Rom", "&Save Changes", "-", "&Quit"}));
    QCOMPARE(captions(menus[1]),
        QStringList({"&Test Sprite ", "-", "&Gridlines color", "&Sprites p. color"}));
    QCOMPARE(captions(menus[2]), QStringList({"&Help", "-", "&About"}));

    QCOMPARE(w.mnuFileLoad->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    QCOMPARE(w.mnuFileSave->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(w.mnuOptionsTest->shortcut(), QKeySequence(QStringLiteral("F5")));
    QCOMPARE(w.mnuOptionsGrid->shortcut(), QKeySequence(QStringLiteral("F6")));
    QCOMPARE(w.mnuOptionsSprites->shortcut(), QKeySequence(QStringLiteral("F7")));
    QCOMPARE(w.mnuHelpHelp->shortcut(), QKeySequence(QStringLiteral("F1")));
    QVERIFY(w.mnuFileQuit->shortcut().isEmpty());
    QVERIFY(w.mnuHelpAbout->shortcut().isEmpty());
}

void MainWindowTest::tabOrderRunsFromLastTileToTestButton()
{
    EditorHarness h;
    frmMain& w = *h.window;
    QList<QWidget*> expected;
    for (int t = 23; t >= 0; --t)
        expected << w.picSprites[static_cast<std::size_t>(t)];
    expected << w.cboSprite << w.cmdLoad << w.cmdSave << w.Color[0] << w.Color[1] << w.Color[2]
             << w.Color[3] << w.Color[4] << w.hRED << w.hGREEN << w.hBLUE << w.picEdit << w.chkGRID
             << w.cmdTest;
    // The next widget that Tab can reach, skipping labels and frames.
    const auto nextTabStop = [](QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        return next;
    };
    for (int i = 1; i < expected.size(); ++i)
        QCOMPARE(nextTabStop(expected[i - 1]), expected[i]);
}

void MainWindowTest::gridlinesCheckBoxShowsAndHidesTheFourteenLinesBeforeARom()
{
    EditorHarness h;
    frmMain& w = *h.window;
    const QImage blank = w.picEdit->Image().copy();
    const auto linesShown = [&w] {
        const QImage screen = w.picEdit->Rendered();
        int shown = 0;
        for (int i = 1; i <= 7; ++i) {
            shown += screen.pixelColor(16 * i, 3) == QColor(Qt::white) ? 1 : 0;
            shown += screen.pixelColor(3, 16 * i) == QColor(Qt::white) ? 1 : 0;
        }
        return shown;
    };
    QCOMPARE(linesShown(), 14);
    w.chkGRID->click();
    QCOMPARE(linesShown(), 0);
    QCOMPARE(w.picEdit->Image(), blank);
    w.chkGRID->click();
    QCOMPARE(linesShown(), 14);
    // The lines are overlays: the grid's own image never holds them.
    QCOMPARE(w.picEdit->Image(), blank);
}

void MainWindowTest::listHoldsTheCatalogueAndLoadsNothingOnChange()
{
    RomFixture rom;
    EditorHarness h;
    h.LoadRom(rom.Path());
    frmMain& w = *h.window;
    QCOMPARE(w.cboSprite->count(), 45);
    QVERIFY(w.cboSprite->itemText(0) != w.cboSprite->itemText(1));
    const SpriteBlock loaded = w.State.SpriteBuf;
    const QImage view = w.picSprites[0]->Image().copy();
    w.cboSprite->setCurrentIndex(7);
    QVERIFY(w.State.SpriteBuf == loaded);
    QCOMPARE(w.picSprites[0]->Image(), view);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
