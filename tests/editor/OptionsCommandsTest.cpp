// Test Sprite, the grid-line and marker colours, and Help.
#include "EditorHarness.h"
#include "dialogs/clsMSDLG.h"
#include "preview/frmTest.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

// Whether all 14 grid lines show in `colour` on screen, hidden ones once they are shown.
bool AllGridLines(const EditorHarness& h, const QColor& colour)
{
    QCheckBox& gridlines = h.Find<QCheckBox>(QStringLiteral("chkGRID"));
    const bool wasShown = gridlines.isChecked();
    gridlines.setChecked(true);
    const QImage screen = h.Grid().Rendered();
    gridlines.setChecked(wasShown);
    for (int i = 1; i <= 7; ++i)
        if (screen.pixelColor(16 * i, 3) != colour || screen.pixelColor(3, 16 * i) != colour)
            return false;
    return true;
}

// Whether all 24 markers are drawn in `colour` when their tile is selected.
bool AllMarkers(const EditorHarness& h, const QColor& colour)
{
    for (int t = 0; t < 24; ++t) {
        h.window->picSprites_Click(t);
        if (h.View(t).Rendered().pixelColor(31, 31) != colour)
            return false;
    }
    return true;
}

} // namespace

class OptionsCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void colourCommandsWorkBeforeAnyRom()
    {
        EditorHarness h;
        frmMain& w = *h.window;
        h.dialogs.AnswerColor(PackRgb(0, 255, 0));
        h.Find<QAction>(QStringLiteral("mnuOptionsGrid")).trigger();
        QVERIFY(AllGridLines(h, QColor(0, 255, 0)));
        QVERIFY(AllMarkers(h, Qt::red));

        h.dialogs.AnswerColor(PackRgb(0, 0, 255));
        h.Find<QAction>(QStringLiteral("mnuOptionsSprites")).trigger();
        QVERIFY(AllMarkers(h, QColor(0, 0, 255)));
        QVERIFY(AllGridLines(h, QColor(0, 255, 0)));
        // Both commands share one dialog object, owned by the main window, asking with flags 0.
        QCOMPARE(h.dialogs.ColorRequests().size(), 2);
        QCOMPARE(h.dialogs.ColorRequests().at(1).owner, &w);
        QCOMPARE(h.dialogs.ColorRequests().at(1).flags, 0u);
        QCOMPARE(h.dialogs.ColorRequests().at(1).initial, PackRgb(0, 255, 0));

        // Hidden lines are recoloured too and show the new colour when shown again.
        h.Find<QCheckBox>(QStringLiteral("chkGRID")).setChecked(false);
        h.dialogs.AnswerColor(PackRgb(10, 20, 30));
        w.mnuOptionsGrid_Click();
        QVERIFY(AllGridLines(h, QColor(10, 20, 30)));
    }
    void cancelledColourLeavesLinesAndMarkersAsTheyWere()
    {
        EditorHarness h;
        frmMain& w = *h.window;
        h.dialogs.CancelColor();
        w.mnuOptionsGrid_Click();
        QVERIFY(AllGridLines(h, Qt::white));
        h.dialogs.AnswerColor(PackRgb(0, 0, 255));
        w.mnuOptionsSprites_Click();
        h.dialogs.CancelColor();
        w.mnuOptionsGrid_Click();
        QVERIFY(AllGridLines(h, Qt::white));
        h.dialogs.CancelColor();
        w.mnuOptionsSprites_Click();
        QVERIFY(AllMarkers(h, QColor(0, 0, 255)));
        // Black confirmed is a real choice, not a cancel.
        h.dialogs.AnswerColor(0);
        w.mnuOptionsGrid_Click();
        QVERIFY(AllGridLines(h, Qt::black));
    }
    void previewShowsUnsavedPaintAndReturnsWhenClosed()
    {
        OpenEditor h;
        frmMain& w = *h.window;
        QVERIFY(h.Show());
        w.picSprites_Click(12);
        w.Color_Click(3);
        w.picEdit_MouseDown(1, 0, 1, 1);

        QImage topLeftOfFrameOne;
        bool sawPreview = false;
        QTimer::singleShot(0, &w, [&] {
            auto* preview = qobject_cast<frmTest*>(QApplication::activeModalWidget());
            QVERIFY(preview != nullptr);
            sawPreview = true;
            topLeftOfFrameOne = preview->picSprite[1]->Image().copy(0, 0, 32, 32);
            // The first opening of a run starts on the poses' second frames.
            preview->tmrSprite_Timer();
            QCOMPARE(preview->picSpriteM[0]->Image(), preview->picSprite[1]->Image());
            preview->Command1->click();
        });
        h.Find<QAction>(QStringLiteral("mnuOptionsTest")).trigger();
        QVERIFY(sawPreview);
        QCOMPARE(topLeftOfFrameOne, h.View(12).Image());
        QCOMPARE(topLeftOfFrameOne.pixelColor(0, 0), QColor(0, 0, 255));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }
    void helpOpensTheTextBesideTheProgram()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Program Files; rm -rf ~ & 'x'"));
        QVERIFY(QDir().mkpath(folder));
        const QString help = folder + QStringLiteral("/Morvane Sarnet Sprite Editor.txt");
        QVERIFY(WriteWholeFile(help, "help"));
        ScriptedDialogBackend dialogs;
        RecordingMessages messages;
        RecordingHelpViewer viewer;
        frmMain w(PlatformServices {dialogs, messages, viewer, folder});
        w.findChild<QAction*>(QStringLiteral("mnuHelpHelp"))->trigger();
        QCOMPARE(viewer.opened, QStringList {help});
        QVERIFY(messages.shown.empty());
    }
    void helpWithoutFileOrViewerSaysSo()
    {
        EditorHarness h;
        h.window->mnuHelpHelp_Click();
        QCOMPARE(h.messages.shown.size(), std::size_t(1));
        QVERIFY(h.messages.LastText().contains("Morvane Sarnet Sprite Editor.txt"));
        QVERIFY(h.help.opened.isEmpty());

        QVERIFY(WriteWholeFile(h.programFolder.filePath("Morvane Sarnet Sprite Editor.txt"), "x"));
        h.help.succeed = false;
        h.window->mnuHelpHelp_Click();
        QCOMPARE(h.messages.shown.size(), std::size_t(2));
        QVERIFY(h.messages.LastText().contains(h.help.failure));
        QCOMPARE(h.messages.shown[1].title, QStringLiteral("Morvane Sarnet Sprite Editor"));
    }
};

QTEST_MAIN(OptionsCommandsTest)
#include "OptionsCommandsTest.moc"
