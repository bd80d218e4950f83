// Every control, menu command and shortcut of the main window, driven as a user drives it; each
// row checks an effect only that input has, on screen or in the ROM file. A row is three lists of
// "; "-separated steps: given (done before), input (the one under test), effect (seen after).
#include "EditorHarness.h"
#include "RowTable.h"
#include "widgets/CrosshairCursor.h"

#include <QClipboard>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include <map>

using namespace morvane;
using namespace morvane::test;

namespace {

const QString kHelpFile = QStringLiteral("Morvane Sarnet Sprite Editor.txt");

// "x,y".
QPoint Point(const QString& text)
{
    return {text.section(',', 0, 0).toInt(), text.section(',', 1, 1).toInt()};
}

// Where the thumb of a horizontal scroll bar is drawn now.
QRect Thumb(const QScrollBar* bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Horizontal;
    option.state |= QStyle::State_Horizontal;
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(
        QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
}

// The editor shown and active; entry 0's tile 0 is blank, so a cell painted in colour 3 shows.
struct Session : RomOfItsOwn, EditorHarness {
    Session() { rom.Poke(kEntry0, QByteArray(16, '\0')); }

    bool Start(const QString& given)
    {
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        Steps(given);
        file = rom.Contents();
        screen = window->grab().toImage();
        return true;
    }

    // Runs the input; a modal window is noted and closed (Ok, else reject) so none hangs a run.
    void Drive(const QString& input)
    {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible())
                return;
            watch.stop(); // until this window is dealt with
            modalTitle = dialog->windowTitle();
            modalOwner = dialog->parentWidget();
            QTest::mouseClick(
                dialog->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
            closedByOk = !dialog->isVisible();
            if (!closedByOk)
                dialog->reject();
            watch.start();
        });
        watch.start(5);
        Steps(input);
    }

    void Steps(const QString& steps)
    {
        for (const QString& step : steps.split(QStringLiteral("; "), Qt::SkipEmptyParts))
            Step(step.split(QLatin1Char(' ')));
    }

    void Step(const QStringList& w)
    {
        const QString& verb = w[0];
        // A control, and a point in it, named after the verb: "click cmdLoad", "press picEdit at
        // 8,8", "move picEdit to 40,8"; keys go to the window unless "on" names a control.
        static const std::map<QString, QTest::MouseAction> kMouse {{"click", QTest::MouseClick},
            {"press", QTest::MousePress}, {"release", QTest::MouseRelease},
            {"move", QTest::MouseMove}};
        if (verb == u"rom") {
            LoadRom(rom.Path());
        } else if (const auto mouse = kMouse.find(verb); mouse != kMouse.end()) {
            auto& control = Find<QWidget>(w[1]);
            QTest::mouseEvent(mouse->second, &control,
                mouse->second == QTest::MouseMove ? Qt::NoButton : Qt::LeftButton, {},
                w.size() > 3 ? Point(w[3]) : control.rect().center());
        } else if (verb == u"paint") {
            const QPoint cell = Point(w[1]);
            Steps(QString::asprintf("click picSprites(0); click Color(3); click picEdit at %d,%d",
                16 * cell.x() + 8, 16 * cell.y() + 8));
        } else if (verb == u"keys") {
            QTest::keySequence(
                w.size() > 3 ? &Find<QWidget>(w[3]) : window.get(), QKeySequence(w[1]));
        } else if (verb == u"menu") {
            QTest::keySequence(window.get(), QKeySequence(QStringLiteral("Alt+") + w[1]));
            if (QWidget* popup = QApplication::activePopupWidget())
                QTest::keySequence(popup, QKeySequence(w[2]));
            if (QWidget* stillOpen = QApplication::activePopupWidget())
                stillOpen->close();
        } else if (verb == u"focus") {
            Find<QWidget>(w[1]).setFocus(Qt::TabFocusReason);
        } else if (verb == u"answer-swap") {
            dialogs.AnswerSwap(Point(w[1]).x(), Point(w[1]).y());
        } else if (verb == u"list") {
            Find<QComboBox>(QStringLiteral("cboSprite")).setCurrentIndex(w[1].toInt());
        } else if (verb == u"answer-open") {
            dialogs.AnswerOpen(rom.Path());
        } else if (verb == u"answer-colour") {
            const QColor c(w[1]);
            dialogs.AnswerColor(PackRgb(c.red(), c.green(), c.blue()));
        } else if (verb == u"help-file") {
            WriteWholeFile(programFolder.filePath(kHelpFile), "help");
        } else if (verb == u"clipboard-text") {
            QApplication::clipboard()->setText(QStringLiteral("no sprite"));
        } else if (verb == u"clipboard-blue") { // a sprite image, or with "frame" a frame image
            QImage blue(16, w.size() > 1 ? 16 : 96, QImage::Format_RGB32);
            blue.fill(QColor(0, 0, 255));
            QApplication::clipboard()->setImage(blue);
        } else if (verb == u"page-left") {
            // A click in the groove left of the thumb: one page step down.
            auto& bar = Find<QScrollBar>(w[1]);
            QTest::mouseClick(
                &bar, Qt::LeftButton, {}, QPoint(Thumb(&bar).left() - 20, bar.height() / 2));
        } else if (verb == u"drag-thumb") {
            // "drag-thumb hBLUE of 1": swatch 1 (current colour) and Color(4) follow the thumb.
            auto& bar = Find<QScrollBar>(w[1]);
            const QPoint from = Thumb(&bar).center();
            QTest::mousePress(&bar, Qt::LeftButton, {}, from);
            QTest::mouseMove(&bar, from + QPoint(60, 0));
            midDrag = {Swatch(w[3].toInt()), Swatch(4), QColor(0, 0, bar.value())};
            QTest::mouseRelease(&bar, Qt::LeftButton, {}, from + QPoint(60, 0));
        } else {
            qFatal("no such step: %s", qPrintable(w.join(QLatin1Char(' '))));
        }
    }

    // The colour a swatch shows, from the middle of what is drawn for it.
    QColor Swatch(int index) const
    {
        auto& swatch = Find<QWidget>(QStringLiteral("Color(%1)").arg(index));
        return swatch.grab().toImage().pixelColor(swatch.width() / 2, swatch.height() / 2);
    }

    QString Check(const QStringList& w) const
    {
        const QString& what = w[0];
        const auto expect = [](bool ok, const QString& seen) {
            return ok ? QString() : QStringLiteral("found \"%1\"").arg(seen);
        };
        if (what == u"sheet") // the views show entry n of the file, or all in colour 3 ("blue")
            return SheetDifference(w[1] == u"blue" ? QByteArray(384, '\xFF')
                                                   : file.mid(kEntry0 + 384 * w[1].toInt(), 384));
        if (what == u"caption")
            return expect(Caption(*window) == kTitle + QStringLiteral(" [") + rom.Path() + u']',
                Caption(*window));
        if (what == u"saved") { // cell x,y of tile 0 of entry 0 holds value 3
            const QPoint cell = Point(w[1]);
            const QByteArray expected = QByteArray(file).replace(
                kEntry0 + 2 * cell.y(), 2, QByteArray(2, static_cast<char>(0x80 >> cell.x())));
            return expect(rom.Contents() == expected, QStringLiteral("the file differs"));
        }
        if (what == u"step") { // "step Fill Tile": the sprite changed, as that one undo step
            const QString undo = Find<QAction>(QStringLiteral("mnuEditUndo")).text();
            return expect(undo == QStringLiteral("&Undo ") + w.mid(1).join(u' ')
                    && SpriteBuf() != file.mid(kEntry0, 384),
                undo);
        }
        if (what == u"cursor") { // the cursor frames cell x,y, and a screen reader hears it
            const QPoint c = Point(w[1]);
            const QImage seen = Grid().Rendered();
            const QString description = Grid().accessibleDescription();
            const bool framed = seen.pixelColor(16 * c + QPoint(0, 8)) == Qt::black
                && seen.pixelColor(16 * c + QPoint(1, 8)) == Qt::white
                && seen.pixelColor(16 * c + QPoint(15, 15)) == Qt::black;
            const QString heard = QString::asprintf("row %d, column %d", c.y() + 1, c.x() + 1);
            return expect(framed && description.contains(heard), description);
        }
        if (what == u"clipboard") {
            // "clipboard 16" is frame 0, "clipboard 96" the six frames stacked, as the views show
            // them: tiles 4f .. 4f + 3 make the 16 x 16 block f.
            const QImage copy = QApplication::clipboard()->image();
            if (copy.size() != QSize(16, w[1].toInt()))
                return QStringLiteral("no 16 x %1 image on the clipboard").arg(w[1]);
            for (int y = 0; y < copy.height(); ++y)
                for (int x = 0; x < 16; ++x) {
                    const int tile = 4 * (y / 16) + 2 * (y % 16 / 8) + x / 8;
                    if (copy.pixel(x, y) != View(tile).Image().pixel(4 * (x % 8), 4 * (y % 8)))
                        return QStringLiteral("pixel (%1, %2) differs").arg(x).arg(y);
                }
            return {};
        }
        if (what == u"history") // the undo steps since the ROM image was opened
            return expect(window->Document().History().count() == w[1].toInt(),
                QString::number(window->Document().History().count()));
        if (what == u"file-unchanged")
            return expect(rom.Contents() == file, QStringLiteral("the file changed"));
        if (what == u"painted" || what == u"blank") {
            // Cells of tile 0 in the editing grid and in its view: colour 3 or colour 0.
            const QColor colour = DefaultColour(what == u"painted" ? 3 : 0);
            for (int i = 1; i < w.size(); ++i) {
                const QPoint c = Point(w[i]);
                const QColor grid = Grid().Image().pixelColor(16 * c.x() + 8, 16 * c.y() + 8);
                const QColor view = View(0).Image().pixelColor(4 * c.x() + 2, 4 * c.y() + 2);
                if (grid != colour || view != colour)
                    return QStringLiteral("cell %1 shows %2 in the grid, %3 in the view")
                        .arg(w[i], grid.name(), view.name());
            }
            return {};
        }
        if (what == u"selected") // the grid shows the tile, which is framed
            return GridShowsView(w[1].toInt())
                ? Check({QStringLiteral("marker"), w[1], QStringLiteral("#ff0000")})
                : QStringLiteral("the grid shows another picture");
        if (what == u"marker") {
            const QImage seen = View(w[1].toInt()).Rendered();
            for (QPoint at : {QPoint(0, 16), QPoint(16, 0), QPoint(31, 16), QPoint(16, 31)})
                if (seen.pixelColor(at) != QColor(w[2]))
                    return QStringLiteral("the view is not framed: ") + seen.pixelColor(at).name();
            return {};
        }
        if (what == u"grid-lines") { // all 14 in a colour, or "hidden"
            const QImage seen = Grid().Rendered();
            const QImage picture = Grid().Image();
            // Each line is one pixel wide: the pixel beside it shows the picture.
            for (int i = 1; i <= 7; ++i)
                for (QPoint at : {QPoint(16 * i, 60), QPoint(60, 16 * i), QPoint(16 * i + 1, 60),
                         QPoint(60, 16 * i + 1)}) {
                    const bool beside = at.x() % 16 == 1 || at.y() % 16 == 1;
                    const QColor expected
                        = beside || w[1] == u"hidden" ? picture.pixelColor(at) : QColor(w[1]);
                    if (seen.pixelColor(at) != expected)
                        return QString::asprintf("(%d, %d) shows %s", at.x(), at.y(),
                            qPrintable(seen.pixelColor(at).name()));
                }
            return {};
        }
        if (what == u"current") { // Color(4) and the sliders show colour n
            const QColor colour = DefaultColour(w[1].toInt());
            const QColor sliders(Find<QScrollBar>("hRED").value(),
                Find<QScrollBar>("hGREEN").value(), Find<QScrollBar>("hBLUE").value());
            return expect(Swatch(4) == colour && sliders == colour,
                Swatch(4).name() + QStringLiteral(", sliders ") + sliders.name());
        }
        if (what == u"swatch") // swatch n and Color(4) show #rrggbb
            return expect(Swatch(w[1].toInt()) == QColor(w[2]) && Swatch(4) == QColor(w[2]),
                Swatch(w[1].toInt()).name() + QLatin1Char('/') + Swatch(4).name());
        if (what == u"followed") // the swatches during a thumb drag
            return expect(midDrag.size() == 3 && midDrag[0] == midDrag[2]
                    && midDrag[1] == midDrag[2] && midDrag[2] != Qt::black,
                QStringLiteral("the swatches did not follow the thumb"));
        if (what == u"preview")
            return expect(modalTitle == u"Test Sprite" && modalOwner == window.get() && closedByOk,
                QStringLiteral("modal window \"%1\", closed by Ok: %2")
                    .arg(modalTitle, closedByOk ? u"yes" : u"no"));
        if (what == u"closed")
            return expect(!window->isVisible() && messages.shown.empty(),
                QStringLiteral("still open, or asked"));
        if (what == u"help")
            return expect(help.opened == QStringList {programFolder.filePath(kHelpFile)},
                help.opened.join(QLatin1Char(',')));
        if (what == u"about") {
            const auto& shown = messages.shown;
            const QStringList lines = messages.LastText().split(QStringLiteral("\r\n"));
            // Eight lines, only two of them empty between the parts; the seventh holds an address.
            return expect(shown.size() == 1 && shown[0].icon == MessageService::Icon::Information
                    && shown[0].title == kTitle && !shown[0].text.endsWith(u'\n')
                    && lines.size() == 8 && lines.count(QString()) == 2 && lines[2].isEmpty()
                    && lines[5].isEmpty() && lines[0] == kTitle && lines[6].contains(u'@'),
                messages.LastText());
        }
        if (what == u"nothing") // no message, no modal window, nothing looks changed
            return expect(messages.shown.empty() && modalTitle.isEmpty()
                    && window->grab().toImage() == screen && rom.Contents() == file,
                messages.LastText() + modalTitle);
        qFatal("no such effect: %s", qPrintable(w.join(QLatin1Char(' '))));
    }

    QByteArray file; // the ROM file as it was before the input
    QImage screen; // the window as it looked before the input
    QString modalTitle;
    const QWidget* modalOwner = nullptr;
    bool closedByOk = false;
    QList<QColor> midDrag;
};

struct InputRow {
    QString given, input, effect;
};

struct SwatchRow {
    const char* name;
    int index;
    QRect rect;
};

} // namespace

class WindowInputTest : public QObject {
    Q_OBJECT

private slots:
    void inputReachesItsHandler_data()
    {
        AddRowColumn<InputRow>();
        const auto row = [](const char* name, auto given, auto input, auto effect) {
            QTest::newRow(name) << InputRow {given, input, effect};
        };
        // A menu command chosen by its access keys, and by its shortcut when it has one; the
        // effect "step" alone is the undo step named as the command's menu entry.
        const auto command
            = [&](QString name, auto keys, const char* shortcut, auto given, QString effect) {
                  if (effect == u"step")
                      effect += u' ' + name.section(u' ', 1);
                  row(qPrintable(name), given, QStringLiteral("menu ") + keys, effect);
                  if (shortcut != nullptr)
                      row(shortcut, given, QStringLiteral("keys ") + shortcut, effect);
              };

        row("cmdLoad", "rom; list 3", "click cmdLoad", "sheet 3");
        row("cmdSave", "rom; paint 2,2", "click cmdSave", "saved 2,2");
        row("cmdTest", "rom", "click cmdTest", "preview");
        row("chkGRID", "", "click chkGRID", "grid-lines hidden");
        for (int i = 0; i < 4; ++i)
            QTest::addRow("Color(%d)", i) << InputRow {
                QStringLiteral("rom; click Color(%1)").arg((i + 1) % 4),
                QStringLiteral("click Color(%1)").arg(i), QStringLiteral("current %1").arg(i)};
        row("picSprites(5)", "rom", "click picSprites(5)", "selected 5");
        row("picSprites(23)", "rom", "click picSprites(23)", "selected 23");
        row("picEdit press", "rom; click picSprites(0); click Color(3)", "click picEdit at 40,40",
            "painted 2,2");
        // A drag paints just the cells under points reported, none off the grid, as one undo step.
        row("picEdit drag", "rom; click picSprites(0); click Color(3)",
            "press picEdit at 8,8; move picEdit to 40,8; move picEdit to 72,8; "
            "move picEdit to 200,8; release picEdit at 200,8",
            "painted 0,0 2,0 4,0; blank 1,0 3,0 5,0 7,0; history 1");
        // The sliders edit the current colour: white (colour 2) or black (colour 1).
        row("hRED key", "rom; click Color(2)", "keys Home on hRED", "swatch 2 #00ffff");
        row("hGREEN page click", "rom; click Color(2)", "page-left hGREEN", "swatch 2 #ffcdff");
        row("hBLUE thumb drag", "rom; click Color(1)", "drag-thumb hBLUE of 1", "followed");

        command("File Load Rom", "F L", "Ctrl+L", "answer-open", "caption; sheet 0");
        command("File Save Changes", "F S", "Ctrl+S", "rom; paint 2,2", "saved 2,2");
        command("File Quit", "F Q", nullptr, "rom; paint 2,2", "closed; file-unchanged");
        command("Options Test Sprite", "O T", "F5", "rom", "preview");
        command(
            "Options Gridlines color", "O G", "F6", "answer-colour #00ff00", "grid-lines #00ff00");
        command("Options Sprites p. color", "O S", "F7",
            "rom; click picSprites(5); answer-colour #0000ff", "marker 5 #0000ff");
        command("Help Help", "H H", "F1", "help-file", "help");
        command("Help About", "H A", nullptr, "", "about");
        // The Edit menu; tile 0 of frame 0 is selected.
        command(
            "Edit Undo", "E U", "Ctrl+Z", "rom; paint 1,1; paint 5,5", "painted 1,1; blank 5,5");
        command("Edit Redo", "E R", "Ctrl+Y", "rom; paint 1,1; keys Ctrl+Z", "painted 1,1");
        row("Ctrl+Shift+Z", "rom; paint 1,1; keys Ctrl+Z", "keys Ctrl+Shift+Z", "painted 1,1");
        command("Edit Copy Sprite", "E C", "Ctrl+C", "rom; clipboard-text", "clipboard 96");
        command("Edit Paste Sprite", "E P", "Ctrl+V", "rom; clipboard-blue", "sheet blue");
        command("Edit Copy Frame", "E F", "Ctrl+Shift+C", "rom; clipboard-text", "clipboard 16");
        command("Edit Paste Frame", "E M", "Ctrl+Shift+V", "rom; clipboard-blue frame", "step");
        command("Edit Flip Frame Horizontally", "E H", "Ctrl+H", "rom", "step");
        command("Edit Flip Frame Vertically", "E V", "Ctrl+Shift+H", "rom", "step");
        command("Edit Rotate Frame Clockwise", "E W", "Ctrl+R", "rom", "step");
        command("Edit Rotate Frame Anticlockwise", "E A", "Ctrl+Shift+R", "rom", "step");
        command("Edit Shift Frame Left", "E L", "Ctrl+Left", "rom", "step");
        command("Edit Shift Frame Right", "E T", "Ctrl+Right", "rom", "step");
        command("Edit Shift Frame Up", "E S", "Ctrl+Up", "rom", "step");
        command("Edit Shift Frame Down", "E D", "Ctrl+Down", "rom", "step");
        command("Edit Fill Tile", "E I", "Ctrl+F", "rom; click Color(3)", "step");
        command("Edit Swap Colours", "E O", nullptr, "rom; answer-swap 3,1",
            "step Swap Colours 1 and 3");

        // Painting with the keyboard while the editing grid has the focus.
        row("picEdit Right", "rom; focus picEdit", "keys Right on picEdit", "cursor 1,0");
        row("picEdit Down", "rom; focus picEdit", "keys Down on picEdit", "cursor 0,1");
        row("picEdit Left", "rom; click picEdit at 40,40", "keys Left on picEdit", "cursor 1,2");
        row("picEdit Up", "rom; click picEdit at 40,40", "keys Up on picEdit", "cursor 2,1");
        row("picEdit Space", "rom; click Color(3); focus picEdit; keys Right on picEdit",
            "keys Space on picEdit", "painted 1,0; blank 0,0");
        row("picEdit Return", "rom; click Color(3); focus picEdit; keys Down on picEdit",
            "keys Return on picEdit", "painted 0,1; blank 0,0");
        for (int key = 1; key <= 4; ++key)
            QTest::addRow("picEdit %d", key)
                << InputRow {QStringLiteral("rom; click Color(%1); focus picEdit").arg(key % 4),
                       QStringLiteral("keys %1 on picEdit").arg(key),
                       QStringLiteral("current %1").arg(key - 1)};
        row("picEdit Page Down", "rom; focus picEdit", "keys PgDown on picEdit", "selected 1");
        row("picEdit Page Up", "rom; click picSprites(5); focus picEdit", "keys PgUp on picEdit",
            "selected 4");
        // After a click on the top-left cell, the keyboard alone paints value 3 at row 1, column 2.
        row("keyboard painting", "rom; click picSprites(0); click picEdit at 8,8",
            "keys Right on picEdit; keys Right on picEdit; keys Down on picEdit; "
            "keys 4 on picEdit; keys Space on picEdit; keys Ctrl+S",
            "saved 2,1");

        // Before a ROM is opened, the disabled frames and commands take no input.
        row("tile view before a ROM", "", "click picSprites(3)", "nothing");
        row("swatch before a ROM", "", "click Color(2)", "nothing");
        row("editing grid before a ROM", "", "click picEdit", "nothing");
        row("slider before a ROM", "", "keys End on hRED", "nothing");
        row("F5 before a ROM", "", "keys F5", "nothing");
        row("Ctrl+S before a ROM", "", "keys Ctrl+S", "nothing");
        row("Ctrl+V before a ROM", "clipboard-blue", "keys Ctrl+V", "nothing");
        row("Ctrl+H before a ROM", "", "keys Ctrl+H", "nothing");
    }
    void inputReachesItsHandler()
    {
        const auto& [given, input, effect] = CurrentRow<InputRow>();
        Session s;
        QVERIFY(s.Start(given));
        s.Drive(input);
        for (const QString& step : effect.split(QStringLiteral("; "))) {
            const QString fault = s.Check(step.split(QLatin1Char(' ')));
            QVERIFY2(fault.isEmpty(), qPrintable(step + QStringLiteral(": ") + fault));
        }
    }
    void swatchesFillTheirRectanglesInThePaletteFrame_data()
    {
        AddRows<SwatchRow>({{"Color(4)", 4, {24, 24, 33, 27}}, {"Color(0)", 0, {80, 24, 33, 27}},
            {"Color(1)", 1, {112, 24, 33, 27}}, {"Color(2)", 2, {144, 24, 33, 27}},
            {"Color(3)", 3, {176, 24, 33, 27}}});
    }
    void swatchesFillTheirRectanglesInThePaletteFrame()
    {
        const auto& [name, index, rect] = CurrentRow<SwatchRow>();
        Session s;
        QVERIFY(s.Start(QStringLiteral("rom")));
        auto& frame = s.Find<QGroupBox>(QStringLiteral("Frame4"));
        auto& swatch = s.Find<QWidget>(QLatin1String(name));
        QCOMPARE(swatch.parentWidget(), &frame);
        QCOMPARE(swatch.geometry(), rect);
        // The colour fills the rectangle to its edges. Swatches 33 pixels wide stand 32 apart, so
        // the last column of Color(0) .. Color(2) lies under the next swatch.
        const QImage seen = frame.grab().toImage();
        const QColor colour = DefaultColour(index == 4 ? 0 : index);
        const QRect own = rect.adjusted(0, 0, -1, 0);
        for (QPoint corner : {own.topLeft(), own.topRight(), own.bottomLeft(), own.bottomRight()})
            QCOMPARE(seen.pixelColor(corner), colour);
        for (QPoint outside : {rect.topLeft() - QPoint(1, 1), rect.bottomRight() + QPoint(1, 1)})
            QVERIFY(seen.pixelColor(outside) != colour);
    }
    void windowStartsCentredOnTheScreen()
    {
        Session s;
        QVERIFY(s.Start(QString()));
        // The whole frame is centred; an odd difference of sizes leaves half a pixel either way.
        const QPoint off
            = s.window->frameGeometry().center() - s.window->screen()->availableGeometry().center();
        QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1,
            qPrintable(QString::asprintf("off centre by %d, %d", off.x(), off.y())));
    }
    void editingGridShowsTheCrosshair()
    {
        Session s;
        QVERIFY(s.Start(QString()));
        const QCursor pointer = s.Grid().cursor();
        const QCursor crosshair = CrosshairCursor();
        QCOMPARE(std::pair(pointer.shape(), pointer.hotSpot()),
            std::pair(Qt::BitmapCursor, QPoint(15, 15)));
        QCOMPARE(pointer.pixmap().toImage(), crosshair.pixmap().toImage());
        QCOMPARE(pointer.bitmap().toImage(), crosshair.bitmap().toImage());
    }
    // Open a ROM, load a sprite, paint a pixel of tile 1 and save: keys alone, sent to the focus.
    void wholeTaskNeedsNoMouse()
    {
        Session s;
        QVERIFY(s.Start(QStringLiteral("answer-open")));
        const auto type = [](const char* keys) {
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(QLatin1String(keys)));
        };
        const auto tabTo = [&type](const QWidget* control) {
            for (int i = 0; i < 50 && QApplication::focusWidget() != control; ++i)
                type("Tab");
            return QApplication::focusWidget() == control;
        };
        type("Ctrl+L");
        QVERIFY(tabTo(&s.Find<QComboBox>(QStringLiteral("cboSprite"))));
        type("Down");
        QVERIFY(tabTo(&s.Find<QPushButton>(QStringLiteral("cmdLoad"))));
        type("Space");
        QVERIFY(tabTo(&s.Grid()));
        for (const char* key : {"PgDown", "Right", "3", "Return", "Ctrl+S"})
            type(key);
        // Entry 1, tile 1, row 0, column 1: value 2.
        QByteArray expected = s.file;
        const qint64 row = kEntry0 + 384 + 16;
        expected[row] = static_cast<char>(expected[row] & ~0x40);
        expected[row + 1] = static_cast<char>(expected[row + 1] | 0x40);
        QCOMPARE(s.rom.Contents(), expected);
        QVERIFY(s.messages.shown.empty());
    }
};

QTEST_MAIN(WindowInputTest)
#include "WindowInputTest.moc"
