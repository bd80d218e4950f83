#include "dialogs/clsMSDLG.h"
#include "RowTable.h"
#include "ScriptedDialogBackend.h"

#include <QWidget>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString kProgramFolder = u"/opt/Morvane Sarnet"_s;
const QString kLoadRomFilter = u"Gameboy Rom Images (*.gb; *.gbc)\0*.gb;*.gbc\0"_s;

// The common dialog over a scripted backend, as the window holds it.
struct Dialogs {
    ScriptedDialogBackend backend;
    clsMSDLG dialog {backend, kProgramFolder};

    // Each of the three dialogs is cancelled when it next shows.
    void CancelEach()
    {
        backend.CancelOpen();
        backend.CancelSave();
        backend.CancelColor();
    }
};

struct Flags {
    const char* name;
    int flags;
    std::uint32_t fileFlags;
    std::uint32_t colorFlags;
};

struct Filter {
    const char* name;
    QString filter;
    QStringList nameFilters;
};

struct Cancel {
    const char* name;
    int action;
    bool cancelError;
    bool throws;
    int errorNumber;
};

struct Action {
    const char* name;
    int action;
    int opens, saves, colors;
    QString fileTitle;
};

} // namespace

class clsMSDLGTest : public QObject {
    Q_OBJECT

private slots:
    void preparedRequest()
    {
        Dialogs d;
        QWidget owner;
        d.dialog.SethOwner(&owner);
        d.dialog.SetFilter(kLoadRomFilter);
        d.dialog.SetFileName(u"/roms/Sarnet.gb"_s);
        d.dialog.SetInitDir(u"/roms"_s);
        d.dialog.SetDialogTitle(u"Open a ROM image"_s);
        d.dialog.SetDefaultExt(u"gb"_s);
        d.dialog.SetFilterIndex(1);
        d.backend.CancelOpen();

        d.dialog.ShowOpen();

        QCOMPARE(d.backend.OpenRequests().size(), 1);
        const FileDialogRequest& request = d.backend.OpenRequests().first();
        QCOMPARE(request.owner, &owner);
        QCOMPARE(request.title, u"Open a ROM image"_s);
        QCOMPARE(request.initialFolder, u"/roms"_s);
        QCOMPARE(request.fileName, u"/roms/Sarnet.gb"_s);
        QCOMPARE(
            request.nameFilters, QStringList {u"Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"_s});
        QCOMPARE(request.filterIndex, 1);
        QCOMPARE(request.defaultSuffix, u"gb"_s);
    }

    void flagsLoseOptionsTheDialogsCannotTake_data()
    {
        AddRows<Flags>({{"none", 0, 0, 0}, {"low byte", 0xFF, 0x1F, 0xF},
            {"hook and template only", 0xE0, 0, 0}, {"high bits", 0x1802, 0x1802, 0x2},
            {"all bits", -1, 0xFFFFFF1F, 0xF}});
    }
    void flagsLoseOptionsTheDialogsCannotTake()
    {
        const auto& row = CurrentRow<Flags>();
        Dialogs d;
        d.dialog.Setflags(row.flags);
        d.CancelEach();

        d.dialog.ShowOpen();
        d.dialog.ShowSave();
        d.dialog.ShowColor();

        QCOMPARE(d.backend.OpenRequests().first().flags, row.fileFlags);
        QCOMPARE(d.backend.SaveRequests().first().flags, row.fileFlags);
        QCOMPARE(d.backend.ColorRequests().first().flags, row.colorFlags);
        QCOMPARE(d.dialog.flags(), row.flags);
    }

    void filterSeparatorsBecomeNuls_data()
    {
        AddRows<Filter>({{"two pairs with bars", u"Roms|*.gb|All files|*.*"_s,
                             {"Roms (*.gb)", "All files (*.*)"}},
            {"Load Rom, already NULs", kLoadRomFilter,
                {"Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"}},
            {"bars and NULs mixed, no closing separator", u"A|*.a\0B|*.b"_s,
                {"A (*.a)", "B (*.b)"}},
            {"a bar first ends the list at once", u"|Roms|*.gb|"_s, {}}, {"empty", {}, {}},
            {"longer than 32767 characters", u"Roms|"_s + u"*.gb;"_s.repeated(7000),
                {u"Roms ("_s + QStringList(7000, u"*.gb"_s).join(u' ') + u')'}}});
    }
    void filterSeparatorsBecomeNuls()
    {
        const auto& row = CurrentRow<Filter>();
        Dialogs d;
        d.dialog.SetFilter(row.filter);
        d.CancelEach();

        d.dialog.ShowOpen();
        QCOMPARE(d.backend.OpenRequests().at(0).nameFilters, row.nameFilters);
        QCOMPARE(d.dialog.Filter(), row.filter);
        // Prepared from Filter again, not from the last record, so NULs do not pile up.
        d.dialog.ShowSave();
        QCOMPARE(d.backend.SaveRequests().at(0).nameFilters, row.nameFilters);
    }

    void freshDialogOpensInProgramFolderAndLetsTheDialogChoose()
    {
        Dialogs d;
        d.CancelEach();

        d.dialog.ShowOpen();
        d.dialog.ShowSave();

        QCOMPARE(d.backend.OpenRequests().first().initialFolder, kProgramFolder);
        QCOMPARE(d.backend.SaveRequests().first().initialFolder, kProgramFolder);
        QCOMPARE(d.dialog.InitDir(), QString());
        // No filter is chosen in advance, and the dialog gets no file, title or suffix of ours.
        const FileDialogRequest& request = d.backend.OpenRequests().first();
        QCOMPARE(request.filterIndex, 0);
        QVERIFY(request.fileName.isEmpty() && request.title.isEmpty());
        QVERIFY(request.defaultSuffix.isEmpty());
    }

    void cancelledOpenKeepsLastConfirmedPath()
    {
        Dialogs d;
        d.backend.CancelOpen();
        d.backend.AnswerOpen(u"/roms/Sarnet.gb"_s);
        d.backend.CancelOpen();
        QVERIFY(!d.dialog.Confirmed()); // nothing is confirmed before a dialog has been shown

        d.dialog.ShowOpen();
        QCOMPARE(d.dialog.FileName(), QString());
        QCOMPARE(d.dialog.FileTitle(), QString());
        QVERIFY(!d.dialog.Confirmed());
        d.dialog.ShowOpen();
        QVERIFY(d.dialog.Confirmed());
        d.dialog.ShowOpen();
        QVERIFY(!d.dialog.Confirmed());

        QCOMPARE(d.dialog.FileName(), u"/roms/Sarnet.gb"_s);
        QCOMPARE(d.dialog.FileTitle(), u"Sarnet.gb"_s);
        QCOMPARE(d.dialog.ErrorNumber(), 0);
        // The next Open dialog is offered the file chosen last.
        QCOMPARE(d.backend.OpenRequests().at(2).fileName, u"/roms/Sarnet.gb"_s);
    }

    void longPathOpensTwice()
    {
        // A path of more than 255 characters, as a ROM deep in nested folders has.
        QString path = u"/home/player"_s;
        while (path.size() < 290)
            path += u"/a folder with a long name"_s;
        path += u"/Sarnet.gb"_s;
        Dialogs d;
        d.backend.AnswerOpen(path);
        d.backend.AnswerOpen(path);

        d.dialog.ShowOpen();
        d.dialog.ShowOpen();

        QCOMPARE(d.backend.OpenRequests().at(1).fileName, path);
        QCOMPARE(d.dialog.FileName(), path);
        QCOMPARE(d.dialog.FileTitle(), u"Sarnet.gb"_s);
    }

    void colorKeepsLastConfirmedColour()
    {
        Dialogs d;
        QWidget owner;
        d.dialog.SethOwner(&owner);
        d.backend.CancelColor();
        d.backend.AnswerColor(PackRgb(0, 255, 0));
        d.backend.CancelColor();

        // Cancelled, chosen, cancelled: a cancel keeps the colour confirmed last.
        for (const auto& [shown, confirmed] : {std::pair {PackedColor {0}, false},
                 {PackRgb(0, 255, 0), true}, {PackRgb(0, 255, 0), false}}) {
            d.dialog.ShowColor();
            QCOMPARE(d.dialog.RGBResult(), shown);
            QCOMPARE(d.dialog.Confirmed(), confirmed);
        }

        QCOMPARE(d.backend.ColorRequests().size(), 3);
        QCOMPARE(d.backend.ColorRequests().at(0).owner, &owner);
        QCOMPARE(d.backend.ColorRequests().at(2).initial, PackRgb(0, 255, 0));
    }

    void cancelIsSignalledOnlyWithCancelError_data()
    {
        AddRows<Cancel>({{"Open", 1, false, false, 0}, {"Save As", 2, false, false, 0},
            {"Color", 3, false, false, 0}, {"Open, CancelError", 1, true, false, 1},
            {"Save As, CancelError", 2, true, true, 0}, {"Color, CancelError", 3, true, true, 0}});
    }
    void cancelIsSignalledOnlyWithCancelError()
    {
        const auto& row = CurrentRow<Cancel>();
        Dialogs d;
        d.dialog.SetCancelError(row.cancelError);
        d.dialog.SetFileName(u"/roms/Sarnet.gb"_s);
        d.dialog.SetRGBResult(PackRgb(1, 2, 3));
        d.CancelEach();

        bool thrown = false;
        try {
            d.dialog.SetAction(row.action);
        } catch (const DialogCancelled&) {
            thrown = true;
        }

        QCOMPARE(thrown, row.throws);
        QCOMPARE(d.dialog.ErrorNumber(), row.errorNumber);
        QCOMPARE(d.dialog.FileName(), u"/roms/Sarnet.gb"_s);
        QCOMPARE(d.dialog.RGBResult(), PackRgb(1, 2, 3));
    }

    void everyShowClearsTheErrorNumber()
    {
        Dialogs d;
        d.dialog.SetCancelError(true);
        d.backend.CancelOpen();
        d.backend.AnswerColor(PackRgb(9, 9, 9));
        d.backend.CancelOpen();
        d.backend.AnswerOpen(u"/roms/Sarnet.gb"_s);

        d.dialog.ShowOpen();
        QCOMPARE(d.dialog.ErrorNumber(), 1);
        d.dialog.ShowColor();
        QCOMPARE(d.dialog.ErrorNumber(), 0);
        d.dialog.ShowOpen();
        QCOMPARE(d.dialog.ErrorNumber(), 1);
        d.dialog.ShowOpen();
        QCOMPARE(d.dialog.ErrorNumber(), 0);
    }

    void actionRunsTheMatchingDialog_data()
    {
        AddRows<Action>({{"1 Open", 1, 1, 0, 0, u"open.gb"_s},
            {"2 Save As", 2, 0, 1, 0, u"save copy.gb"_s}, {"3 Color", 3, 0, 0, 1, {}},
            {"0", 0, 0, 0, 0, {}}, {"4", 4, 0, 0, 0, {}}, {"-1", -1, 0, 0, 0, {}}});
    }
    void actionRunsTheMatchingDialog()
    {
        const auto& row = CurrentRow<Action>();
        Dialogs d;
        d.backend.AnswerOpen(u"/roms/open.gb"_s);
        d.backend.AnswerSave(u"/backup/save copy.gb"_s);
        d.backend.AnswerColor(PackRgb(0, 0, 255));

        d.dialog.SetAction(row.action);

        QCOMPARE(d.backend.OpenRequests().size(), row.opens);
        QCOMPARE(d.backend.SaveRequests().size(), row.saves);
        QCOMPARE(d.backend.ColorRequests().size(), row.colors);
        QCOMPARE(d.dialog.FileTitle(), row.fileTitle);
        QCOMPARE(d.dialog.RGBResult(), row.colors ? PackRgb(0, 0, 255) : PackedColor {0});
    }

    void unscriptedDialogIsCancelledAndNoted()
    {
        Dialogs d;
        d.dialog.SetFileName(u"/roms/Sarnet.gb"_s);
        d.backend.AnswerColor(PackRgb(0, 0, 255));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Unscripted dialog: Open"_s));
        d.dialog.ShowOpen();

        QCOMPARE(d.dialog.FileName(), u"/roms/Sarnet.gb"_s);
        QCOMPARE(d.backend.OpenRequests().size(), 1);
        QCOMPARE(d.backend.UnscriptedCalls().size(), 1);
        QCOMPARE(d.backend.PendingAnswers(), 1);
    }
};

QTEST_MAIN(clsMSDLGTest)
#include "clsMSDLGTest.moc"
