// The common dialog object over a scripted backend, and its record's filter list in Qt's terms.
#include "dialogs/clsMSDLG.h"
#include "RowTable.h"
#include "ScriptedDialogBackend.h"
#include "dialogs/DialogFilter.h"

#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString kProgramFolder = u"/opt/Morvane Sarnet"_s;
const QString kLoadRomFilter = u"Gameboy Rom Images (*.gb; *.gbc)\0*.gb;*.gbc\0"_s;
const QString kRom = u"/roms/Sarnet.gb"_s;

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

// Every field of a file dialog request, so that a whole request is compared at once.
auto Fields(const FileDialogRequest& r)
{
    return std::tuple(r.owner, r.title, r.initialFolder, r.fileName, r.nameFilters, r.filterIndex,
        r.defaultSuffix, r.flags);
}

struct Flags {
    const char* name;
    int flags;
    std::uint32_t fileFlags, colorFlags;
};

// A filter list as the dialog object (QString) or its record (QByteArray) holds it.
template <typename Text> struct Filter {
    const char* name;
    Text filter;
    QStringList nameFilters;
};

struct Cancel {
    const char* name;
    int action, errorNumber;
    bool cancelError, throws;
};

struct Action {
    const char* name;
    int action, opens, saves, colors;
    QString fileTitle;
};

} // namespace

class clsMSDLGTest : public QObject {
    Q_OBJECT

    std::optional<Dialogs> d_;

private slots:
    void init() { d_.emplace(); }

    void preparedRequest()
    {
        QWidget owner;
        d_->dialog.SethOwner(&owner);
        d_->dialog.SetFilter(kLoadRomFilter);
        d_->dialog.SetFileName(kRom);
        d_->dialog.SetInitDir(u"/roms"_s);
        d_->dialog.SetDialogTitle(u"Open a ROM image"_s);
        d_->dialog.SetDefaultExt(u"gb"_s);
        d_->dialog.SetFilterIndex(1);
        d_->backend.CancelOpen();

        d_->dialog.ShowOpen();

        QCOMPARE(d_->backend.OpenRequests().size(), 1);
        QCOMPARE(Fields(d_->backend.OpenRequests().first()),
            std::tuple(&owner, u"Open a ROM image"_s, u"/roms"_s, kRom,
                QStringList {u"Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"_s}, 1, u"gb"_s, 0u));
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
        d_->dialog.Setflags(row.flags);
        d_->CancelEach();

        d_->dialog.ShowOpen();
        d_->dialog.ShowSave();
        d_->dialog.ShowColor();

        QCOMPARE(d_->backend.OpenRequests().first().flags, row.fileFlags);
        QCOMPARE(d_->backend.SaveRequests().first().flags, row.fileFlags);
        QCOMPARE(d_->backend.ColorRequests().first().flags, row.colorFlags);
        QCOMPARE(d_->dialog.flags(), row.flags);
    }

    void filterSeparatorsBecomeNuls_data()
    {
        AddRows<Filter<QString>>({{"two pairs with bars", u"Roms|*.gb|All files|*.*"_s,
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
        const auto& row = CurrentRow<Filter<QString>>();
        d_->dialog.SetFilter(row.filter);
        d_->CancelEach();

        d_->dialog.ShowOpen();
        // Save As is prepared from Filter again, not from the last record, so NULs do not pile up.
        d_->dialog.ShowSave();
        QCOMPARE(std::tuple(d_->backend.OpenRequests().at(0).nameFilters,
                     d_->backend.SaveRequests().at(0).nameFilters, d_->dialog.Filter()),
            std::tuple(row.nameFilters, row.nameFilters, row.filter));
    }

    void recordFilterBecomesNameFilters_data()
    {
        AddRows<Filter<QByteArray>>({{"Load Rom",
                                         "Gameboy Rom Images (*.gb; *.gbc)\0*.gb;*.gbc\0\0\0"_ba,
                                         {"Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"}},
            {"two pairs", "Roms\0*.gb\0All files\0*.*\0\0"_ba, {"Roms (*.gb)", "All files (*.*)"}},
            {"semicolons, spaces and empty patterns", "Pictures\0*.png; *.bmp;;*.gif \0\0"_ba,
                {"Pictures (*.png *.bmp *.gif)"}},
            {"description without parentheses", "Text files\0*.txt\0\0"_ba, {"Text files (*.txt)"}},
            {"description naming its own patterns", "Text (*.txt)\0*.txt\0\0"_ba,
                {"Text (*.txt) (*.txt)"}},
            {"8-bit description", "R\xc3\xb6me\0*.gb\0\0"_ba, {u"R\u00f6me (*.gb)"_s}},
            {"unfinished pair dropped", "Roms\0*.gb\0Orphan\0\0"_ba, {"Roms (*.gb)"}},
            {"empty filter", "\0\0"_ba, {}}, {"no closing NULs", "Roms\0*.gb"_ba, {"Roms (*.gb)"}},
            {"cut short after a description", "Roms\0*.gb\0Orphan"_ba, {"Roms (*.gb)"}}});
    }
    void recordFilterBecomesNameFilters()
    {
        const auto& row = CurrentRow<Filter<QByteArray>>();
        QCOMPARE(NameFiltersFromRecord(row.filter), row.nameFilters);
    }

    // A fresh dialog opens in the program's folder and sets no filter, file, title or suffix.
    void freshDialogOpensInProgramFolderAndLetsTheDialogChoose()
    {
        d_->CancelEach();

        d_->dialog.ShowOpen();
        d_->dialog.ShowSave();

        FileDialogRequest fresh;
        fresh.initialFolder = kProgramFolder;
        QCOMPARE(Fields(d_->backend.OpenRequests().first()), Fields(fresh));
        QCOMPARE(std::pair(d_->backend.SaveRequests().first().initialFolder, d_->dialog.InitDir()),
            std::pair(kProgramFolder, QString()));
    }

    void cancelledOpenKeepsLastConfirmedPath()
    {
        d_->backend.CancelOpen();
        d_->backend.AnswerOpen(kRom);
        d_->backend.CancelOpen();
        QVERIFY(!d_->dialog.Confirmed()); // nothing is confirmed before a dialog has been shown

        // Cancelled, chosen, cancelled: a cancel keeps the file confirmed last.
        for (const auto& file : {std::tuple {QString(), QString(), false},
                 {kRom, u"Sarnet.gb"_s, true}, {kRom, u"Sarnet.gb"_s, false}}) {
            d_->dialog.ShowOpen();
            QCOMPARE(
                std::tuple(d_->dialog.FileName(), d_->dialog.FileTitle(), d_->dialog.Confirmed()),
                file);
        }
        QCOMPARE(d_->dialog.ErrorNumber(), 0);
        // The next Open dialog is offered the file chosen last.
        QCOMPARE(d_->backend.OpenRequests().at(2).fileName, kRom);
    }

    void longPathOpensTwice()
    {
        // A path of more than 255 characters, as a ROM deep in nested folders has.
        const QString path
            = u"/home/player"_s + u"/a folder with a long name"_s.repeated(11) + u"/Sarnet.gb"_s;
        d_->backend.AnswerOpen(path);
        d_->backend.AnswerOpen(path);

        d_->dialog.ShowOpen();
        d_->dialog.ShowOpen();

        QCOMPARE(std::tuple(d_->backend.OpenRequests().at(1).fileName, d_->dialog.FileName(),
                     d_->dialog.FileTitle()),
            std::tuple(path, path, u"Sarnet.gb"_s));
    }

    void colorKeepsLastConfirmedColour()
    {
        QWidget owner;
        d_->dialog.SethOwner(&owner);
        d_->backend.CancelColor();
        d_->backend.AnswerColor(PackRgb(0, 255, 0));
        d_->backend.CancelColor();

        // Cancelled, chosen, cancelled: a cancel keeps the colour confirmed last.
        for (const auto& [shown, confirmed] : {std::pair {PackedColor {0}, false},
                 {PackRgb(0, 255, 0), true}, {PackRgb(0, 255, 0), false}}) {
            d_->dialog.ShowColor();
            QCOMPARE(std::pair(d_->dialog.RGBResult(), d_->dialog.Confirmed()),
                std::pair(shown, confirmed));
        }

        QCOMPARE(d_->backend.ColorRequests().size(), 3);
        QCOMPARE(d_->backend.ColorRequests().at(0).owner, &owner);
        QCOMPARE(d_->backend.ColorRequests().at(2).initial, PackRgb(0, 255, 0));
    }

    void cancelIsSignalledOnlyWithCancelError_data()
    {
        AddRows<Cancel>({{"Open", 1, 0, false, false}, {"Save As", 2, 0, false, false},
            {"Color", 3, 0, false, false}, {"Open, CancelError", 1, 1, true, false},
            {"Save As, CancelError", 2, 0, true, true}, {"Color, CancelError", 3, 0, true, true}});
    }
    void cancelIsSignalledOnlyWithCancelError()
    {
        const auto& row = CurrentRow<Cancel>();
        d_->dialog.SetCancelError(row.cancelError);
        d_->dialog.SetFileName(kRom);
        d_->dialog.SetRGBResult(PackRgb(1, 2, 3));
        d_->CancelEach();

        bool thrown = false;
        try {
            d_->dialog.SetAction(row.action);
        } catch (const DialogCancelled&) {
            thrown = true;
        }

        QCOMPARE(std::tuple(thrown, d_->dialog.ErrorNumber(), d_->dialog.FileName(),
                     d_->dialog.RGBResult()),
            std::tuple(row.throws, row.errorNumber, kRom, PackRgb(1, 2, 3)));
    }

    void everyShowClearsTheErrorNumber()
    {
        d_->dialog.SetCancelError(true);
        d_->backend.CancelOpen();
        d_->backend.AnswerColor(PackRgb(9, 9, 9));
        d_->backend.CancelOpen();
        d_->backend.AnswerOpen(kRom);

        // A cancelled Open, a chosen colour, a cancelled Open and a chosen file.
        for (const auto& [show, error] : {std::pair {&clsMSDLG::ShowOpen, 1},
                 {&clsMSDLG::ShowColor, 0}, {&clsMSDLG::ShowOpen, 1}, {&clsMSDLG::ShowOpen, 0}}) {
            (d_->dialog.*show)();
            QCOMPARE(d_->dialog.ErrorNumber(), error);
        }
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
        d_->backend.AnswerOpen(u"/roms/open.gb"_s);
        d_->backend.AnswerSave(u"/backup/save copy.gb"_s);
        d_->backend.AnswerColor(PackRgb(0, 0, 255));

        d_->dialog.SetAction(row.action);

        QCOMPARE(d_->backend.OpenRequests().size(), row.opens);
        QCOMPARE(d_->backend.SaveRequests().size(), row.saves);
        QCOMPARE(d_->backend.ColorRequests().size(), row.colors);
        QCOMPARE(d_->dialog.FileTitle(), row.fileTitle);
        QCOMPARE(d_->dialog.RGBResult(), row.colors ? PackRgb(0, 0, 255) : PackedColor {0});
    }

    void unscriptedDialogIsCancelledAndNoted()
    {
        d_->dialog.SetFileName(kRom);
        d_->backend.AnswerColor(PackRgb(0, 0, 255));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Unscripted dialog: Open"_s));
        d_->dialog.ShowOpen();

        QCOMPARE(std::tuple(d_->dialog.FileName(), d_->backend.OpenRequests().size(),
                     d_->backend.UnscriptedCalls().size(), d_->backend.PendingAnswers()),
            std::tuple(kRom, 1, 1, 1));
    }
};

QTEST_MAIN(clsMSDLGTest)
#include "clsMSDLGTest.moc"
