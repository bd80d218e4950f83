// Help shows the user guide: the desktop's viewer gets the path as one argument, and when the
// desktop has no viewer or its launcher fails, the editor's own read-only viewer shows the guide
// with the reason; Help never fails silently.
#include "app/DesktopHelpViewer.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "app/HelpTextDialog.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

// The editor's own viewer, when one is shown.
HelpTextDialog* OwnViewer()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<HelpTextDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

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
        if (!WriteWholeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString Launcher(const QByteArray& script)
    {
        const QString path = Write(QStringLiteral("launcher"), "#!/bin/sh\n" + script + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void pathWithSpacesAndShellCharactersArrivesAsOneArgument()
    {
        // A stand-in viewer that writes down how many arguments it got and the first one.
        const QString record = dir_.filePath(QStringLiteral("record.txt"));
        const QString viewer = Launcher(
            QStringLiteral("printf '%s\\n%s' \"$#\" \"$1\" > '%1'").arg(record).toUtf8());
        const QString folder
            = dir_.filePath(QStringLiteral("Program Files; echo hacked > x & 'ü'"));
        QVERIFY(QDir().mkpath(folder));
        const QString help
            = Write(folder.mid(dir_.path().size() + 1) + "/Morvane Sarnet Sprite Editor.txt", "g");

        DesktopHelpViewer viewerUnderTest({viewer});
        QString reason;
        QVERIFY(viewerUnderTest.Open(help, reason));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record) && !ReadWholeFile(record).isEmpty(), 10000);
        QCOMPARE(QString::fromUtf8(ReadWholeFile(record)), QStringLiteral("1\n") + help);
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("x"))));
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
        const QString help = Write(QStringLiteral("guide.txt"), guide);
        const QString finished = dir_.filePath(QStringLiteral("finished"));
        QFile::remove(finished);
        const QString launcher = row.script.isEmpty()
            ? QStringLiteral("no-such-viewer-anywhere")
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
        QVERIFY(shown->windowTitle().contains(QStringLiteral("Help")));
        QVERIFY(shown->isModal());
        QCOMPARE(shown->TextView().toPlainText().toUtf8(), guide);

        // Read-only: typing changes nothing; Escape closes it.
        QTest::keyClicks(&shown->TextView(), QStringLiteral("typed"));
        QCOMPARE(shown->TextView().toPlainText().toUtf8(), guide);
        QPointer<HelpTextDialog> closing(shown);
        QTest::keyClick(&shown->TextView(), Qt::Key_Escape);
        QTRY_VERIFY(closing.isNull());
    }

    void aGuideThatCannotBeReadIsRefusedWithTheReason()
    {
        const QString record = dir_.filePath(QStringLiteral("started"));
        DesktopHelpViewer viewer({Launcher("touch '" + record.toUtf8() + "'")});
        QString reason;
        QVERIFY(!viewer.Open(dir_.filePath(QStringLiteral("missing.txt")), reason));
        QVERIFY2(reason.contains(QStringLiteral("No such file")), qPrintable(reason));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(record));
        QVERIFY(OwnViewer() == nullptr);
    }
};

QTEST_MAIN(DesktopHelpViewerTest)
#include "DesktopHelpViewerTest.moc"
