#include "dialogs/clsMSDLG.h"
#include "ScriptedDialogBackend.h"

#include <QWidget>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString kProgramFolder = u"/opt/Morvane Sarnet"_s;
const QString kLoadRomFilter = u"Gameboy Rom Images (*.gb; *.gbc)\0*.gb;*.gbc\0"_s;

// A path of more than 255 characters, as a ROM deep in nested folders has.
QString LongRomPath()
{
    QString path = u"/home/player"_s;
    while (path.size() < 290)
        path += u"/a folder with a long name"_s;
    return path + u"/Sarnet.gb"_s;
}

} // namespace

class clsMSDLGTest : public QObject {
    Q_OBJECT

private slots:
    void preparedRequest();
    void flagsLoseOptionsTheDialogsCannotTake_data();
    void flagsLoseOptionsTheDialogsCannotTake();
    void filterSeparatorsBecomeNuls_data();
    void filterSeparatorsBecomeNuls();
    void freshDialogOpensInProgramFolderAndLetsTheDialogChoose();
    void cancelledOpenKeepsLastConfirmedPath();
    void longPathOpensTwice();
    void colorKeepsLastConfirmedColour();
    void cancelIsSignalledOnlyWithCancelError_data();
    void cancelIsSignalledOnlyWithCancelError();
    void everyShowClearsTheErrorNumber();
    void actionRunsTheMatchingDialog_data();
    void actionRunsTheMatchingDialog();
    void unscriptedDialogIsCancelledAndNoted();
};

void clsMSDLGTest::preparedRequest()
{
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    QWidget owner;
    dialog.SethOwner(&owner);
    dialog.SetFilter(kLoadRomFilter);
    dialog.SetFileName(u"/roms/Sarnet.gb"_s);
    dialog.SetInitDir(u"/roms"_s);
    dialog.SetDialogTitle(u"Open a ROM image"_s);
    dialog.SetDefaultExt(u"gb"_s);
    dialog.SetFilterIndex(1);
    backend.CancelOpen();

    dialog.ShowOpen();

    QCOMPARE(backend.OpenRequests().size(), 1);
    const FileDialogRequest& request = backend.OpenRequests().first();
    QCOMPARE(request.owner, &owner);
    QCOMPARE(request.title, u"Open a ROM image"_s);
    QCOMPARE(request.initialFolder, u"/roms"_s);
    QCOMPARE(request.fileName, u"/roms/Sarnet.gb"_s);
    QCOMPARE(request.nameFilters, QStringList {u"Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"_s});
    QCOMPARE(request.filterIndex, 1);
    QCOMPARE(request.defaultSuffix, u"gb"_s);
}

void clsMSDLGTest::flagsLoseOptionsTheDialogsCannotTake_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<uint>("fileFlags");
    QTest::addColumn<uint>("colorFlags");

    QTest::newRow("none") << 0 << 0u << 0u;
    QTest::newRow("low byte") << 0xFF << 0x1Fu << 0xFu;
    QTest::newRow("hook and template only") << 0xE0 << 0u << 0u;
    QTest::newRow("high bits") << 0x1802 << 0x1802u << 0x2u;
    QTest::newRow("all bits") << -1 << 0xFFFFFF1Fu << 0xFu;
}

void clsMSDLGTest::flagsLoseOptionsTheDialogsCannotTake()
{
    QFETCH(int, flags);
    QFETCH(uint, fileFlags);
    QFETCH(uint, colorFlags);
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    dialog.Setflags(flags);
    backend.CancelOpen();
    backend.CancelSave();
    backend.CancelColor();

    dialog.ShowOpen();
    dialog.ShowSave();
    dialog.ShowColor();

    QCOMPARE(backend.OpenRequests().first().flags, fileFlags);
    QCOMPARE(backend.SaveRequests().first().flags, fileFlags);
    QCOMPARE(backend.ColorRequests().first().flags, colorFlags);
    QCOMPARE(dialog.flags(), flags);
}

void clsMSDLGTest::filterSeparatorsBecomeNuls_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("nameFilters");

    QTest::newRow("two pairs with bars")
        << u"Roms|*.gb|All files|*.*"_s << QStringList {"Roms (*.gb)", "All files (*.*)"};
    QTest::newRow("Load Rom, already NULs")
        << kLoadRomFilter << QStringList {"Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"};
    QTest::newRow("bars and NULs mixed, no closing separator")
        << u"A|*.a\0B|*.b"_s << QStringList {"A (*.a)", "B (*.b)"};
    QTest::newRow("a bar first ends the list at once") << u"|Roms|*.gb|"_s << QStringList {};
    QTest::newRow("empty") << QString() << QStringList {};
    QTest::newRow("longer than 32767 characters")
        << u"Roms|"_s + u"*.gb;"_s.repeated(7000)
        << QStringList {u"Roms ("_s + QStringList(7000, u"*.gb"_s).join(u' ') + u')'};
}

void clsMSDLGTest::filterSeparatorsBecomeNuls()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, nameFilters);
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    dialog.SetFilter(filter);
    backend.CancelOpen();
    backend.CancelSave();

    dialog.ShowOpen();
    QCOMPARE(backend.OpenRequests().at(0).nameFilters, nameFilters);
    QCOMPARE(dialog.Filter(), filter);
    // Prepared from Filter again, not from the last record, so NULs do not pile up.
    dialog.ShowSave();
    QCOMPARE(backend.SaveRequests().at(0).nameFilters, nameFilters);
}

void clsMSDLGTest::freshDialogOpensInProgramFolderAndLetsTheDialogChoose()
{
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    backend.CancelOpen();
    backend.CancelSave();

    dialog.ShowOpen();
    dialog.ShowSave();

    QCOMPARE(backend.OpenRequests().first().initialFolder, kProgramFolder);
    QCOMPARE(backend.SaveRequests().first().initialFolder, kProgramFolder);
    QCOMPARE(dialog.InitDir(), QString());
    // No filter is chosen in advance, and the dialog gets no file, title or suffix of ours.
    const FileDialogRequest& request = backend.OpenRequests().first();
    QCOMPARE(request.filterIndex, 0);
    QVERIFY(request.fileName.isEmpty() && request.title.isEmpty());
    QVERIFY(request.defaultSuffix.isEmpty());
}

void clsMSDLGTest::cancelledOpenKeepsLastConfirmedPath()
{
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    backend.CancelOpen();
    backend.AnswerOpen(u"/roms/Sarnet.gb"_s);
    backend.CancelOpen();
    QVERIFY(!dialog.Confirmed()); // nothing is confirmed before a dialog has been shown

    dialog.ShowOpen();
    QCOMPARE(dialog.FileName(), QString());
    QCOMPARE(dialog.FileTitle(), QString());
    QVERIFY(!dialog.Confirmed());
    dialog.ShowOpen();
    QVERIFY(dialog.Confirmed());
    dialog.ShowOpen();
    QVERIFY(!dialog.Confirmed());

    QCOMPARE(dialog.FileName(), u"/roms/Sarnet.gb"_s);
    QCOMPARE(dialog.FileTitle(), u"Sarnet.gb"_s);
    QCOMPARE(dialog.ErrorNumber(), 0);
    // The next Open dialog is offered the file chosen last.
    QCOMPARE(backend.OpenRequests().at(2).fileName, u"/roms/Sarnet.gb"_s);
}

void clsMSDLGTest::longPathOpensTwice()
{
    const QString path = LongRomPath();
    QVERIFY(path.size() > 300);
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    backend.AnswerOpen(path);
    backend.AnswerOpen(path);

    dialog.ShowOpen();
    dialog.ShowOpen();

    QCOMPARE(backend.OpenRequests().at(1).fileName, path);
    QCOMPARE(dialog.FileName(), path);
    QCOMPARE(dialog.FileTitle(), u"Sarnet.gb"_s);
}

void clsMSDLGTest::colorKeepsLastConfirmedColour()
{
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    QWidget owner;
    dialog.SethOwner(&owner);
    backend.CancelColor();
    backend.AnswerColor(PackRgb(0, 255, 0));
    backend.CancelColor();

    dialog.ShowColor();
    QCOMPARE(dialog.RGBResult(), PackedColor {0});
    QVERIFY(!dialog.Confirmed());
    dialog.ShowColor();
    QCOMPARE(dialog.RGBResult(), PackRgb(0, 255, 0));
    QVERIFY(dialog.Confirmed());
    dialog.ShowColor();
    QCOMPARE(dialog.RGBResult(), PackRgb(0, 255, 0));
    QVERIFY(!dialog.Confirmed());

    QCOMPARE(backend.ColorRequests().size(), 3);
    QCOMPARE(backend.ColorRequests().at(0).owner, &owner);
    QCOMPARE(backend.ColorRequests().at(2).initial, PackRgb(0, 255, 0));
}

void clsMSDLGTest::cancelIsSignalledOnlyWithCancelError_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("cancelError");
    QTest::addColumn<bool>("throws");
    QTest::addColumn<int>("errorNumber");

    QTest::newRow("Open") << 1 << false << false << 0;
    QTest::newRow("Save As") << 2 << false << false << 0;
    QTest::newRow("Color") << 3 << false << false << 0;
    QTest::newRow("Open, CancelError") << 1 << true << false << 1;
    QTest::newRow("Save As, CancelError") << 2 << true << true << 0;
    QTest::newRow("Color, CancelError") << 3 << true << true << 0;
}

void clsMSDLGTest::cancelIsSignalledOnlyWithCancelError()
{
    QFETCH(int, action);
    QFETCH(bool, cancelError);
    QFETCH(bool, throws);
    QFETCH(int, errorNumber);
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    dialog.SetCancelError(cancelError);
    dialog.SetFileName(u"/roms/Sarnet.gb"_s);
    dialog.SetRGBResult(PackRgb(1, 2, 3));
    backend.CancelOpen();
    backend.CancelSave();
    backend.CancelColor();

    bool thrown = false;
    try {
        dialog.SetAction(action);
    } catch (const DialogCancelled&) {
        thrown = true;
    }

    QCOMPARE(thrown, throws);
    QCOMPARE(dialog.ErrorNumber(), errorNumber);
    QCOMPARE(dialog.FileName(), u"/roms/Sarnet.gb"_s);
    QCOMPARE(dialog.RGBResult(), PackRgb(1, 2, 3));
}

void clsMSDLGTest::everyShowClearsTheErrorNumber()
{
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    dialog.SetCancelError(true);
    backend.CancelOpen();
    backend.AnswerColor(PackRgb(9, 9, 9));
    backend.CancelOpen();
    backend.AnswerOpen(u"/roms/Sarnet.gb"_s);

    dialog.ShowOpen();
    QCOMPARE(dialog.ErrorNumber(), 1);
    dialog.ShowColor();
    QCOMPARE(dialog.ErrorNumber(), 0);
    dialog.ShowOpen();
    QCOMPARE(dialog.ErrorNumber(), 1);
    dialog.ShowOpen();
    QCOMPARE(dialog.ErrorNumber(), 0);
}

void clsMSDLGTest::actionRunsTheMatchingDialog_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("opens");
    QTest::addColumn<int>("saves");
    QTest::addColumn<int>("colors");
    QTest::addColumn<QString>("fileTitle");

    QTest::newRow("1 Open") << 1 << 1 << 0 << 0 << u"open.gb"_s;
    QTest::newRow("2 Save As") << 2 << 0 << 1 << 0 << u"save copy.gb"_s;
    QTest::newRow("3 Color") << 3 << 0 << 0 << 1 << QString();
    QTest::newRow("0") << 0 << 0 << 0 << 0 << QString();
    QTest::newRow("4") << 4 << 0 << 0 << 0 << QString();
    QTest::newRow("-1") << -1 << 0 << 0 << 0 << QString();
}

void clsMSDLGTest::actionRunsTheMatchingDialog()
{
    QFETCH(int, action);
    QFETCH(int, opens);
    QFETCH(int, saves);
    QFETCH(int, colors);
    QFETCH(QString, fileTitle);
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    backend.AnswerOpen(u"/roms/open.gb"_s);
    backend.AnswerSave(u"/backup/save copy.gb"_s);
    backend.AnswerColor(PackRgb(0, 0, 255));

    dialog.SetAction(action);

    QCOMPARE(backend.OpenRequests().size(), opens);
    QCOMPARE(backend.SaveRequests().size(), saves);
    QCOMPARE(backend.ColorRequests().size(), colors);
    QCOMPARE(dialog.FileTitle(), fileTitle);
    QCOMPARE(dialog.RGBResult(), colors ? PackRgb(0, 0, 255) : PackedColor {0});
}

void clsMSDLGTest::unscriptedDialogIsCancelledAndNoted()
{
    ScriptedDialogBackend backend;
    clsMSDLG dialog(backend, kProgramFolder);
    dialog.SetFileName(u"/roms/Sarnet.gb"_s);
    backend.AnswerColor(PackRgb(0, 0, 255));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Unscripted dialog: Open"_s));
    dialog.ShowOpen();

    QCOMPARE(dialog.FileName(), u"/roms/Sarnet.gb"_s);
    QCOMPARE(backend.OpenRequests().size(), 1);
    QCOMPARE(backend.UnscriptedCalls().size(), 1);
    QCOMPARE(backend.PendingAnswers(), 1);
}

QTEST_MAIN(clsMSDLGTest)
#include "clsMSDLGTest.moc"
