// Where Help finds the user guide: beside the program, then where the installation it belongs to
// keeps it, then the configured data folder, then the desktop's data folders.
#include "RomFixture.h"
#include "RowTable.h"
#include "editor/AboutText.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

const QString kHelpName = QStringLiteral("Morvane Sarnet Sprite Editor.txt");

struct Row {
    const char* name;
    QStringList holding; // the places that have the help text
    QString found;
};

} // namespace

class HelpLookupTest : public QObject {
    Q_OBJECT

    QTemporaryDir root_;

private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        // The editor runs under its title; the desktop's data folders are the test's own.
        QCoreApplication::setApplicationName(kProgramTitle);
        qputenv("XDG_DATA_HOME", root_.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_DATA_DIRS",
            (root_.filePath(QStringLiteral("system1")) + ':'
                + root_.filePath(QStringLiteral("system2")))
                .toUtf8());
    }

    void findsTheFirstPlaceThatHasIt_data()
    {
        AddRows<Row>({{"nowhere: the path beside the program", {}, "beside"},
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
        const auto& row = CurrentRow<Row>();
        QTemporaryDir prefix(root_.filePath(QStringLiteral("prefix-XXXXXX")));
        const QDir root(root_.path());
        const QString program = prefix.filePath(QStringLiteral(MORVANE_BINDIR));
        const QString configured = prefix.filePath(QStringLiteral("configured"));
        // Each run gets fresh desktop data folders.
        for (const char* folder : {"home", "system1", "system2"})
            QDir(root.filePath(QLatin1String(folder))).removeRecursively();
        const QMap<QString, QString> places = {
            {"beside", program},
            {"folderBeside", program},
            {"installed",
                prefix.filePath(QStringLiteral(MORVANE_DATADIR "/morvane-sprite-editor"))},
            {"configured", configured},
            {"appData", root.filePath(QStringLiteral("home/") + kProgramTitle)},
            {"userData", root.filePath(QStringLiteral("home/morvane-sprite-editor"))},
            {"systemData", root.filePath(QStringLiteral("system1/morvane-sprite-editor"))},
            {"laterSystemData", root.filePath(QStringLiteral("system2/morvane-sprite-editor"))},
        };
        QVERIFY(QDir().mkpath(program));
        for (const QString& place : row.holding) {
            const QString path = QDir(places.value(place)).filePath(kHelpName);
            if (place == QLatin1String("folderBeside")) {
                QVERIFY(QDir().mkpath(path));
            } else {
                QVERIFY(QDir().mkpath(places.value(place)));
                QVERIFY(WriteWholeFile(path, place.toUtf8()));
            }
        }

        const QString path = HelpFilePath(program, configured);
        QCOMPARE(QDir::cleanPath(path), QDir(places.value(row.found)).filePath(kHelpName));
    }
};

QTEST_GUILESS_MAIN(HelpLookupTest)
#include "HelpLookupTest.moc"
