// The main window as it starts: layout, captions, starting states, menus and focus order.
#include "EditorHarness.h"
#include "RowTable.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

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

class MainWindowTest : public QObject {
    Q_OBJECT

    // The window as it starts, for the cases that only look at it (or put back what they change).
    EditorHarness h_;

private slots:
    void startsWithTitleSizeAndFlags()
    {
        frmMain& w = *h_.window;
        QCOMPARE(Caption(w), kTitle);
        QCOMPARE(w.centralWidget()->size(), QSize(417, 346));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        const Qt::WindowFlags buttons = Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        QCOMPARE(w.windowFlags() & (buttons | Qt::WindowMaximizeButtonHint), buttons);
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
        const QWidget& widget = h_.Find<QWidget>(QLatin1String(control));
        QCOMPARE(widget.geometry(), geometry);
        // A frame's caption is its title; a control without a caption has no text.
        const char* text = qobject_cast<const QGroupBox*>(&widget) ? "title" : "text";
        QCOMPARE(widget.property(text).toString(), caption);
    }
    void tileViewsFormSixFramesOfFourTiles()
    {
        // The tile each column of the viewer shows, row by row; every marker waits out of sight.
        const int grid[4][6] = {{0, 1, 4, 5, 8, 9}, {2, 3, 6, 7, 10, 11}, {12, 13, 16, 17, 20, 21},
            {14, 15, 18, 19, 22, 23}};
        for (int i = 0; i < 24; ++i) {
            const PictureBox& view = h_.View(grid[i / 6][i % 6]);
            QCOMPARE(view.parentWidget(), &h_.Find<QGroupBox>(QStringLiteral("Frame1")));
            QCOMPARE(view.geometry(), QRect(16 + 32 * (i % 6), 24 + 32 * (i / 6), 32, 32));
            QVERIFY(!h_.MarkerShown(grid[i / 6][i % 6]));
        }
    }
    void onlyFileLoadQuitOptionsHelpAndGridlinesTakeInputAtStart()
    {
        // Clicks into the disabled frames are WindowInputTest's rows "... before a ROM".
        QStringList takesInput;
        for (const char* control : {"Frame1", "Frame2", "Frame3", "Frame4", "cboSprite", "cmdLoad",
                 "cmdSave", "cmdTest", "chkGRID"})
            if (h_.Find<QWidget>(control).isEnabled())
                takesInput << control;
        for (const QAction* menu : h_.window->menuBar()->actions())
            for (const QAction* item : menu->menu()->actions())
                if (!item->isSeparator() && item->isEnabled())
                    takesInput << item->objectName();
        QCOMPARE(takesInput,
            QStringList({"Frame3", "chkGRID", "mnuFileLoad", "mnuFileQuit", "mnuOptionsGrid",
                "mnuOptionsSprites", "mnuHelpHelp", "mnuHelpAbout"}));
        QVERIFY(h_.Find<QCheckBox>(QStringLiteral("chkGRID")).isChecked());
        // The list selects nothing yet, and the sliders stand at 0 of 0..255.
        QCOMPARE(h_.Find<QComboBox>(QStringLiteral("cboSprite")).currentIndex(), -1);
        for (const char* name : {"hRED", "hGREEN", "hBLUE"}) {
            const QScrollBar& slider = h_.Find<QScrollBar>(name);
            QCOMPARE(std::pair(slider.value(), slider.maximum()), std::pair(0, 255));
        }
    }
    void menuTreeHasCaptionsAndShortcuts()
    {
        const QList<QAction*> menus = h_.window->menuBar()->actions();
        const auto captions = [](const QList<QAction*>& entries) {
            QStringList list;
            for (QAction* item : entries)
                list << (item->isSeparator() ? QStringLiteral("-") : item->text());
            return list;
        };
        // The menu bar, then each menu.
        const QStringList expected[] = {{"&File", "&Edit", "&Options", "&Help"},
            {"&Load Rom", "&Save Changes", "-", "&Quit"},
            {"&Undo", "&Redo", "-", "&Copy Sprite", "&Paste Sprite", "Copy &Frame", "Paste Fra&me",
                "-", "Flip Frame &Horizontally", "Flip Frame &Vertically",
                "Rotate Frame Clock&wise", "Rotate Frame &Anticlockwise", "Shift Frame &Left",
                "Shift Frame Righ&t", "&Shift Frame Up", "Shift Frame &Down", "-", "F&ill Tile",
                QStringLiteral("Swap C&olours\u2026"), "-", "Show Cha&nges"},
            {"&Test Sprite ", "-", "&Gridlines color", "&Sprites p. color"},
            {"&Help", "-", "&About"}};
        QCOMPARE(captions(menus), expected[0]);
        for (int m = 0; m < 4; ++m)
            QCOMPARE(captions(menus[m]->menu()->actions()), expected[m + 1]);
        // Within each menu, and along the menu bar, no two entries share an access key.
        for (const QStringList& entries : expected) {
            QSet<QChar> keys;
            for (const QString& entry : entries)
                if (entry != u"-")
                    keys.insert(entry.at(entry.indexOf('&') + 1).toLower());
            QCOMPARE(keys.size(), entries.size() - entries.count(QStringLiteral("-")));
        }

        // The keys that reach each command are the input suite's rows; Quit and About have none.
        for (const char* item : {"mnuFileQuit", "mnuHelpAbout"})
            QVERIFY2(h_.Find<QAction>(item).shortcut().isEmpty(), item);
    }
    void tabOrderRunsFromLastTileToTestButton()
    {
        QList<QWidget*> expected;
        for (int t = 23; t >= 0; --t)
            expected << &h_.View(t);
        for (const char* name :
            {"cboSprite", "cmdLoad", "cmdSave", "Color(0)", "Color(1)", "Color(2)", "Color(3)",
                "Color(4)", "hRED", "hGREEN", "hBLUE", "picEdit", "chkGRID", "cmdTest"})
            expected << &h_.Find<QWidget>(name);
        // The next widget that Tab can reach, skipping labels and frames.
        for (int i = 1; i < expected.size(); ++i) {
            QWidget* next = expected[i - 1]->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            QCOMPARE(next, expected[i]);
        }
    }
    void gridlinesCheckBoxShowsAndHidesTheFourteenLinesBeforeARom()
    {
        PictureBox& grid = h_.Grid();
        QCheckBox& check = h_.Find<QCheckBox>(QStringLiteral("chkGRID"));
        const QImage blank = grid.Image().copy();
        const auto linesShown = [&grid] {
            const QImage screen = grid.Rendered();
            int shown = 0;
            // Each line runs the whole side of the grid, from pixel 0 to pixel 127.
            for (int i = 1; i <= 7; ++i)
                for (int along : {0, 127})
                    for (QPoint at : {QPoint(16 * i, along), QPoint(along, 16 * i)})
                        shown += screen.pixelColor(at) == QColor(Qt::white) ? 1 : 0;
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
        const auto heard = [&](const QString& control) { return seen[&h.Find<QObject>(control)]; };
        const auto childNames = [](QAccessibleInterface* node) {
            QStringList names;
            for (int i = 0; i < node->childCount(); ++i)
                names << node->child(i)->text(QAccessible::Name);
            return names;
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
        // The swatches say which colour paints; the grid, the cursor's cell and its value.
        h.Click(QStringLiteral("Color(2)"));
        QVERIFY(heard("Color(2)")->text(QAccessible::Description).contains(u"painting colour"));
        QVERIFY(!heard("Color(0)")->text(QAccessible::Description).contains(u"painting colour"));
        QVERIFY(heard("Color(4)")->text(QAccessible::Description).startsWith(u"Value 2: red 255"));
        h.Click(QStringLiteral("picSprites(9)"));
        h.PaintCell(2, 2, 6);
        QCOMPARE(
            heard("picEdit")->text(QAccessible::Description), u"Tile 10, row 7, column 3: value 2");

        QAccessibleInterface* menuBar = seen[h.window->menuBar()];
        QVERIFY(menuBar != nullptr && menuBar->role() == QAccessible::MenuBar);
        QCOMPARE(childNames(menuBar), QStringList({"File", "Edit", "Options", "Help"}));

        // The preview's boxes by their poses, its buttons by what they do.
        QStringList preview;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || !dialog->isVisible())
                return;
            watch.stop();
            preview = childNames(QAccessible::queryAccessibleInterface(dialog));
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
