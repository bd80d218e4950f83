// The help viewer starts its program directly with the help file's path as one argument.
#include "app/DesktopHelpViewer.h"
#include "RomFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

class DesktopHelpViewerTest : public QObject {
    Q_OBJECT

private slots:
    void pathWithSpacesAndShellCharactersArrivesAsOneArgument();
    void noViewerIsReportedWithAReason();
};

void DesktopHelpViewerTest::pathWithSpacesAndShellCharactersArrivesAsOneArgument()
{
    QTemporaryDir dir;
    // A stand-in viewer that writes down how many arguments it got and the first one.
    const QString record = dir.filePath(QStringLiteral("record.txt"));
    const QString viewer = dir.filePath(QStringLiteral("viewer"));
    QVERIFY(WriteWholeFile(viewer,
        QStringLiteral("#!/bin/sh\nprintf '%s\\n%s' \"$#\" \"$1\" > '%1'\n").arg(record).toUtf8()));
    QVERIFY(QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QString folder = dir.filePath(QStringLiteral("Program Files; echo hacked > x & 'ü'"));
    const QString help = folder + QStringLiteral("/Morvane Sarnet Sprite Editor.txt");
    DesktopHelpViewer viewerUnderTest({viewer});
    QString reason;
    QVERIFY(viewerUnderTest.Open(help, reason));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record) && !ReadWholeFile(record).isEmpty(), 10000);
    QCOMPARE(QString::fromUtf8(ReadWholeFile(record)), QStringLiteral("1\n") + help);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x"))));
}

void DesktopHelpViewerTest::noViewerIsReportedWithAReason()
{
    DesktopHelpViewer viewer({QStringLiteral("no-such-viewer-anywhere")});
    QString reason;
    QVERIFY(!viewer.Open(QStringLiteral("/tmp/help.txt"), reason));
    QVERIFY(reason.contains(QStringLiteral("no-such-viewer-anywhere")));
}

QTEST_MAIN(DesktopHelpViewerTest)
#include "DesktopHelpViewerTest.moc"
