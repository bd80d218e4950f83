// Help finds the user guide beside the program, then in its installation, the configured folder and
// the desktop's data folders, and shows it in the desktop's viewer, or failing that in its own.
#include "app/DesktopHelpViewer.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "app/HelpTextDialog.h"
#include "editor/AboutText.h"

#include <QPlainTextEdit>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString kHelpName = u"Morvane Sarnet Sprite Editor.txt"_s;

// The editor's own viewer, when one is shown.
HelpTextDialog* OwnViewer()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<HelpTextDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

struct Lookup {
    const char* name;
    QStringList holding; // the places that have the help text
    QString found;
};

struct LauncherCase {
    const char* name;
    QByteArray script; // the stand-in launcher's shell commands; empty: none on the system
    QString why; // part of the own viewer's reason line; empty: the own viewer stays shut
};

} // namespace

class DesktopHelpViewerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        if (!QDir().mkpath(QFileInfo(path).path()) || !WriteWholeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString Launcher(const QByteArray& script)
    {
        const QString path = Write(u"launcher"_s, "#!/bin/sh\n" + script + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        // The editor runs under its title; the desktop's data folders are the test's own.
        QCoreApplication::setApplicationName(kProgramTitle);
        qputenv("XDG_DATA_HOME", dir_.filePath(u"home"_s).toUtf8());
        qputenv("XDG_DATA_DIRS",
            (dir_.filePath(u"system1"_s) + ':' + dir_.filePath(u"system2"_s)).toUtf8());
    }

    void findsTheFirstPlaceThatHasIt_data()
    {
        AddRows<Lookup>({{"nowhere: the path beside the program", {}, "beside"},
            {"beside the program first", {"beside", "installed", "configured", "userData"},
                "beside"},
            {"then the installation's data folder", {"installed", "configured", "userData"},
                "installed"},
            {"then the configured folder", {"configured", "appData", "userData", "systemData"},
                "configured"},
            {"then the application's own data folder", {"appData", "userData"}, "appData"},
            {"the user's data folder before the system's",
                {"userData", "systemData", "laterSystemData"}, "userData"},
            {"the first system data folder", {"systemData", "laterSystemData"}, "systemData"},
            {"a later system data folder", {"laterSystemData"}, "laterSystemData"},
            {"a folder of the help text's name is not the help text", {"folderBeside", "userData"},
                "userData"}});
    }
    void findsTheFirstPlaceThatHasIt()
    {
        const auto& row = CurrentRow<Lookup>();
        QTemporaryDir prefix(dir_.filePath(u"prefix-XXXXXX"_s));
        const QDir root(dir_.path());
        const QString program = prefix.filePath(QStringLiteral(MORVANE_BINDIR));
        const QString configured = prefix.filePath(u"configured"_s);
        // Each run gets fresh desktop data folders.
        for (const char* folder : {"home", "system1", "system2"})
            QDir(root.filePath(QLatin1String(folder))).removeRecursively();
        const QMap<QString, QString> places = {{"beside", program}, {"folderBeside", program},
            {"installed", prefix.filePath(u"" MORVANE_DATADIR "/morvane-sprite-editor"_s)},
            {"configured", configured}, {"appData", root.filePath(u"home/"_s + kProgramTitle)},
            {"userData", root.filePath(u"home/morvane-sprite-editor"_s)},
            {"systemData", root.filePath(u"system1/morvane-sprite-editor"_s)},
            {"laterSystemData", root.filePath(u"system2/morvane-sprite-editor"_s)}};
        QVERIFY(QDir().mkpath(program));
        for (const QString& place : row.holding) {
            const QString path = QDir(places.value(place)).filePath(kHelpName);
            const bool folder = place == QLatin1String("folderBeside");
            QVERIFY(QDir().mkpath(folder ? path : places.value(place)));
            if (!folder)
                QVERIFY(WriteWholeFile(path, place.toUtf8()));
        }

        QCOMPARE(QDir::cleanPath(HelpFilePath(program, configured)),
            QDir(places.value(row.found)).filePath(kHelpName));
    }

    void pathWithSpacesAndShellCharactersArrivesAsOneArgument()
    {
        // A stand-in viewer that writes down how many arguments it got and the first one.
        const QString record = dir_.filePath(u"record.txt"_s);
        const QString viewer
            = Launcher(u"printf '%s\\n%s' \"$#\" \"$1\" > '%1'"_s.arg(record).toUtf8());
        const QString help = Write(u"Program Files; echo hacked > x & 'ü'/"_s + kHelpName, "g");

        DesktopHelpViewer viewerUnderTest({viewer});
        QString reason;
        QVERIFY(viewerUnderTest.Open(help, reason));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record) && !ReadWholeFile(record).isEmpty(), 10000);
        QCOMPARE(QString::fromUtf8(ReadWholeFile(record)), u"1\n"_s + help);
        QVERIFY(!QFile::exists(dir_.filePath(u"x"_s)));
    }

    void showsTheGuideItselfWhenTheDesktopCannot_data()
    {
        AddRows<LauncherCase>({{"no viewer on the system", {}, "no-such-viewer-anywhere"},
            {"a launcher that names its failure",
                "echo 'no method available for opening it' >&2; exit 3",
                "(no method available for opening it)"},
            {"a launcher that fails without a word", "exit 4", "launcher ended with exit status 4"},
            {"a launcher that shows it", "exit 0", {}}});
    }

    void showsTheGuideItselfWhenTheDesktopCannot()
    {
        const auto& row = CurrentRow<LauncherCase>();
        const QByteArray guide = "THE GUIDE\n=========\n\tColumns\tline up\n";
        const QString help = Write(u"guide.txt"_s, guide);
        const QString finished = dir_.filePath(u"finished"_s);
        QFile::remove(finished);
        const QString launcher = row.script.isEmpty()
            ? u"no-such-viewer-anywhere"_s
            : Launcher("touch '" + finished.toUtf8() + "'; " + row.script);

        DesktopHelpViewer viewer({launcher});
        QString reason;
        QVERIFY(viewer.Open(help, reason));
        if (row.why.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(finished), 10000);
            QTest::qWait(300);
            QVERIFY(OwnViewer() == nullptr);
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(OwnViewer() != nullptr, 10000);
        HelpTextDialog* shown = OwnViewer();
        QVERIFY2(shown->Why().contains(row.why), qPrintable(shown->Why()));
        QVERIFY(shown->windowTitle().contains(u"Help"_s));
        QVERIFY(shown->isModal());
        QCOMPARE(shown->TextView().toPlainText().toUtf8(), guide);

        // Read-only: typing changes nothing; Escape closes it.
        QTest::keyClicks(&shown->TextView(), u"typed"_s);
        QCOMPARE(shown->TextView().toPlainText().toUtf8(), guide);
        QPointer<HelpTextDialog> closing(shown);
        QTest::keyClick(&shown->TextView(), Qt::Key_Escape);
        QTRY_VERIFY(closing.isNull());
    }

    void aGuideThatCannotBeReadIsRefusedWithTheReason()
    {
        const QString record = dir_.filePath(u"started"_s);
        DesktopHelpViewer viewer({Launcher("touch '" + record.toUtf8() + "'")});
        QString reason;
        QVERIFY(!viewer.Open(dir_.filePath(u"missing.txt"_s), reason));
        QVERIFY2(reason.contains(u"No such file"_s), qPrintable(reason));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(record));
        QVERIFY(OwnViewer() == nullptr);
    }
};

QTEST_MAIN(DesktopHelpViewerTest)
#include "DesktopHelpViewerTest.moc"
