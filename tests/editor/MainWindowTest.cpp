// The main window as it starts: layout, captions, starting states, menus and focus order.
#include "EditorHarness.h"
#include "RowTable.h"
#include "widgets/PictureBox.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <map>

using namespace morvane;
using namespace morvane::test;

namespace {

struct PlaceRow {
    const char* name;
    QRect geometry;
    QString caption;
};

} // namespace

Q_DECLARE_METATYPE(PlaceRow)

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTitleSizeAndFlags()
    {
        EditorHarness h;
        frmMain& w = *h.window;
        QCOMPARE(Caption(w), QStringLiteral("Morvane Sarnet Sprite Editor"));
        QCOMPARE(w.centralWidget()->size(), QSize(417, 346));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(w.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
        QCOMPARE(w.font().pointSizeF(), 8.25);
    }
    void framesAndControlsSitWhereTheLayoutPutsThem_data()
    {
        // Each control is its row's name.
        AddRows<PlaceRow>({{"Frame1", {8, 8, 225, 169}, "Sprite Viewer"},
            {"Frame2", {248, 8, 161, 169}, "Sprite Editor"},
            {"Frame3", {248, 192, 161, 145}, "Sprite Loader"},
            {"Frame4", {8, 192, 225, 145}, "Pallette"}, {"picEdit", {16, 24, 128, 128}, ""},
            {"Label1(0)", {8, 24, 33, 17}, "Sprite:"}, {"cboSprite", {48, 24, 97, 22}, ""},
            {"cmdLoad", {8, 64, 65, 25}, "Load Sprite"}, {"cmdSave", {88, 64, 65, 25}, "Save"},
            {"cmdTest", {8, 104, 65, 25}, "Test Sprite"},
            {"chkGRID", {88, 104, 65, 25}, "Gridlines"}, {"Label1(1)", {8, 64, 10, 14}, "R:"},
            {"Label1(2)", {8, 88, 11, 14}, "G:"}, {"Label1(3)", {8, 112, 10, 14}, "B:"},
            {"hRED", {24, 64, 185, 17}, ""}, {"hGREEN", {24, 88, 185, 17}, ""},
            {"hBLUE", {24, 112, 185, 17}, ""}});
    }
    void framesAndControlsSitWhereTheLayoutPutsThem()
    {
        const auto& [control, geometry, caption] = CurrentRow<PlaceRow>();
        EditorHarness h;
        QWidget* widget = &h.Find<QWidget>(QLatin1String(control));
        QCOMPARE(widget->geometry(), geometry);
        if (auto* frame = qobject_cast<QGroupBox*>(widget))
            QCOMPARE(frame->title(), caption);
        else if (auto* label = qobject_cast<QLabel*>(widget))
            QCOMPARE(label->text(), caption);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->text(), caption);
    }
    void tileViewsFormSixFramesOfFourTiles()
    {
        EditorHarness h;
        // Row by row, the tile index shown in each column of the viewer.
        const int grid[4][6] = {{0, 1, 4, 5, 8, 9}, {2, 3, 6, 7, 10, 11}, {12, 13, 16, 17, 20, 21},
            {14, 15, 18, 19, 22, 23}};
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 6; ++column) {
                const PictureBox& view = h.View(grid[row][column]);
                QCOMPARE(view.parentWidget(), &h.Find<QGroupBox>(QStringLiteral("Frame1")));
                QCOMPARE(view.geometry(), QRect(16 + 32 * column, 24 + 32 * row, 32, 32));
            }
        }
        // Every marker waits out of sight below its view.
        for (int t = 0; t < 24; ++t)
            QVERIFY(!h.MarkerShown(t));
    }
    void onlyFileLoadQuitOptionsHelpAndGridlinesTakeInputAtStart()
    {
        // Clicks into the disabled frames are WindowInputTest's rows "... before a ROM".
        EditorHarness h;
        const auto enabled = [&h](const char* name) { return h.Find<QWidget>(name).isEnabled(); };
        for (const char* control :
            {"Frame1", "Frame2", "Frame4", "cboSprite", "cmdLoad", "cmdSave", "cmdTest"})
            QVERIFY2(!enabled(control), control);
        QVERIFY(enabled("Frame3"));
        QVERIFY(enabled("chkGRID"));
        QVERIFY(h.Find<QCheckBox>(QStringLiteral("chkGRID")).isChecked());
        // The list selects nothing yet, and the sliders stand at 0 of 0..255.
        QCOMPARE(h.Find<QComboBox>(QStringLiteral("cboSprite")).currentIndex(), -1);
        for (const char* name : {"hRED", "hGREEN", "hBLUE"}) {
            const QScrollBar& slider = h.Find<QScrollBar>(name);
            QCOMPARE(slider.value(), 0);
            QCOMPARE(slider.maximum(), 255);
        }
        for (const char* item : {"mnuFileSave", "mnuOptionsTest"})
            QVERIFY2(!h.Find<QAction>(item).isEnabled(), item);
        for (const QAction* item : h.Find<QMenu>(QStringLiteral("mnuEdit")).actions())
            QVERIFY2(item->isSeparator() || !item->isEnabled(), qPrintable(item->text()));
        for (const char* item : {"mnuFileLoad", "mnuFileQuit", "mnuOptionsGrid",
                 "mnuOptionsSprites", "mnuHelpHelp", "mnuHelpAbout"})
            QVERIFY2(h.Find<QAction>(item).isEnabled(), item);
    }
    void menuTreeHasCaptionsAndShortcuts()
    {
        EditorHarness h;
        frmMain& w = *h.window;
        const QList<QAction*> menus = w.menuBar()->actions();
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
        QCOMPARE(menus[1]->text(), QStringLiteral("&Edit"));
        QCOMPARE(menus[2]->text(), QStringLiteral("&Options"));
        QCOMPARE(menus[3]->text(), QStringLiteral("&Help"));

        const auto captions = [](QAction* menu) {
            QStringList list;
            for (QAction* item : menu->menu()->actions())
                list << (item->isSeparator() ? QStringLiteral("-") : item->text());
            return list;
        };
        QCOMPARE(captions(menus[0]), QStringList({"&Load Rom", "&Save Changes", "-", "&Quit"}));
        QCOMPARE(captions(menus[1]),
            QStringList({"&Undo", "&Redo", "-", "&Copy Sprite", "&Paste Sprite", "Copy &Frame",
                "Paste Fra&me", "-", "Flip Frame &Horizontally", "Flip Frame &Vertically",
                "Rotate Frame Clock&wise", "Rotate Frame &Anticlockwise", "Shift Frame &Left",
                "Shift Frame Righ&t", "&Shift Frame Up", "Shift Frame &Down", "-", "F&ill Tile",
                QStringLiteral("Swap C&olours\u2026"), "-", "Show Cha&nges"}));
        QCOMPARE(captions(menus[2]),
            QStringList({"&Test Sprite ", "-", "&Gridlines color", "&Sprites p. color"}));
        QCOMPARE(captions(menus[3]), QStringList({"&Help", "-", "&About"}));
        // Within each menu, and along the menu bar, no two entries share an access key.
        for (const QList<QAction*>& entries :
            {menus, menus[0]->menu()->actions(), menus[1]->menu()->actions(),
                menus[2]->menu()->actions(), menus[3]->menu()->actions()}) {
            QStringList keys;
            for (const QAction* entry : entries)
                if (!entry->isSeparator())
                    keys << entry->text().at(entry->text().indexOf('&') + 1).toLower();
            QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        }

        // The keys that reach each command are the input suite's rows; Quit and About have none.
        for (const char* item : {"mnuFileQuit", "mnuHelpAbout"})
            QVERIFY2(h.Find<QAction>(item).shortcut().isEmpty(), item);
    }
    void tabOrderRunsFromLastTileToTestButton()
    {
        EditorHarness h;
        QList<QWidget*> expected;
        for (int t = 23; t >= 0; --t)
            expected << &h.View(t);
        for (const char* name :
            {"cboSprite", "cmdLoad", "cmdSave", "Color(0)", "Color(1)", "Color(2)", "Color(3)",
                "Color(4)", "hRED", "hGREEN", "hBLUE", "picEdit", "chkGRID", "cmdTest"})
            expected << &h.Find<QWidget>(name);
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
    void gridlinesCheckBoxShowsAndHidesTheFourteenLinesBeforeARom()
    {
        EditorHarness h;
        PictureBox& grid = h.Grid();
        QCheckBox& check = h.Find<QCheckBox>(QStringLiteral("chkGRID"));
        const QImage blank = grid.Image().copy();
        const auto linesShown = [&grid] {
            const QImage screen = grid.Rendered();
            int shown = 0;
            for (int i = 1; i <= 7; ++i) {
                // Each line runs the whole side of the grid, from pixel 0 to pixel 127.
                for (int along : {0, 127}) {
                    shown += screen.pixelColor(16 * i, along) == QColor(Qt::white) ? 1 : 0;
                    shown += screen.pixelColor(along, 16 * i) == QColor(Qt::white) ? 1 : 0;
                }
            }
            return shown;
        };
        QCOMPARE(linesShown(), 28);
        check.click();
        QCOMPARE(linesShown(), 0);
        QCOMPARE(grid.Image(), blank);
        check.click();
        QCOMPARE(linesShown(), 28);
        // The lines are overlays: the grid's own image never holds them.
        QCOMPARE(grid.Image(), blank);
    }
    void listHoldsTheCatalogueAndLoadsNothingOnChange()
    {
        OpenEditor h;
        QComboBox& list = h.Find<QComboBox>(QStringLiteral("cboSprite"));
        QCOMPARE(list.count(), 45);
        QVERIFY(list.itemText(0) != list.itemText(1));
        const QByteArray loaded = h.SpriteBuf();
        const QImage view = h.View(0).Image().copy();
        h.WatchTransfers();
        list.setCurrentIndex(7);
        QCOMPARE(h.SpriteBuf(), loaded);
        QCOMPARE(h.View(0).Image(), view);
        QVERIFY(h.transfers.empty());
    }
    // Walks the window as a screen reader does, through Qt's accessibility interfaces.
    void screenReaderHearsEachControlByItsOwnName()
    {
        OpenEditor h;
        std::map<QObject*, QAccessibleInterface*> seen;
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            seen[node->object()] = node;
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(h.window.get()));
        const auto heard = [&](const QString& control) {
            QObject* object = &h.Find<QObject>(control);
            return seen.count(object) != 0 ? seen[object] : nullptr;
        };

        QStringList controls;
        for (int t = 0; t < 24; ++t)
            controls << QStringLiteral("picSprites(%1)").arg(t);
        for (int i = 0; i < 5; ++i)
            controls << QStringLiteral("Color(%1)").arg(i);
        controls.append({"hRED", "hGREEN", "hBLUE", "picEdit"});
        const QStringList captions {"Sprite Viewer", "Sprite Editor", "Sprite Loader", "Pallette"};
        QSet<QString> names;
        for (const QString& control : controls) {
            QAccessibleInterface* node = heard(control);
            QVERIFY2(node != nullptr, qPrintable(control));
            const QString name = node->text(QAccessible::Name);
            QVERIFY2(
                !name.isEmpty() && !captions.contains(name), qPrintable(control + ": " + name));
            names.insert(name);
        }
        QCOMPARE(names.size(), controls.size());
        QCOMPARE(heard("picSprites(5)")->text(QAccessible::Name), u"Tile 6: frame 2, top right");
        // Each slider is named by its colour part and labelled by its caption, R:, G: or B:.
        const char* const parts[] = {"Red", "Green", "Blue"};
        for (int i = 0; i < 3; ++i) {
            QAccessibleInterface* slider = heard(controls[29 + i]);
            QCOMPARE(slider->text(QAccessible::Name), QLatin1String(parts[i]));
            const auto labels = slider->relations(QAccessible::Label);
            QVERIFY(!labels.isEmpty());
            QCOMPARE(labels.first().first->object(),
                &h.Find<QObject>(QStringLiteral("Label1(%1)").arg(i + 1)));
        }
        // The swatches say which colour paints; the grid, which cell the cursor is on and its
        // value.
        h.Click(QStringLiteral("Color(2)"));
        QVERIFY(heard("Color(2)")->text(QAccessible::Description).contains(u"painting colour"));
        QVERIFY(!heard("Color(0)")->text(QAccessible::Description).contains(u"painting colour"));
        QVERIFY(heard("Color(4)")->text(QAccessible::Description).startsWith(u"Value 2: red 255"));
        h.Click(QStringLiteral("picSprites(9)"));
        h.PressGrid(QPoint(40, 100));
        h.ReleaseGrid(QPoint(40, 100));
        QCOMPARE(
            heard("picEdit")->text(QAccessible::Description), u"Tile 10, row 7, column 3: value 2");

        QStringList bar;
        QAccessibleInterface* menuBar = nullptr;
        for (auto [object, node] : seen)
            if (node->role() == QAccessible::MenuBar)
                menuBar = node;
        QVERIFY(menuBar != nullptr);
        for (int i = 0; i < menuBar->childCount(); ++i)
            bar << menuBar->child(i)->text(QAccessible::Name);
        QCOMPARE(bar, QStringList({"File", "Edit", "Options", "Help"}));

        // The preview's boxes by their poses, its buttons by what they do.
        QStringList preview;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || !dialog->isVisible())
                return;
            watch.stop();
            QAccessibleInterface* node = QAccessible::queryAccessibleInterface(dialog);
            for (int i = 0; i < node->childCount(); ++i)
                preview << node->child(i)->text(QAccessible::Name);
            dialog->close();
        });
        watch.start(5);
        h.Click(QStringLiteral("cmdTest"));
        for (const char* name : {"Pose 1", "Pose 2", "Pose 3", "Slower", "Faster", "Ok"})
            QVERIFY2(preview.count(name) == 1, qPrintable(preview.join(", ")));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
