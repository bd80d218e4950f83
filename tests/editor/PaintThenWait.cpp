// An editor that paints one cell of entry 0 of the ROM image named by its argument, through the
// real window, then ends as a user's session may, so a suite can restart on what it left behind:
//   kill  waits until the paint's recovery record is on disk, prints "ready", waits to be killed;
//   quit  chooses File, Quit at once and ends as the editor does.
#include "EditorHarness.h"
#include "editor/RecoveryStore.h"

#include <cstdio>

using namespace morvane;
using namespace morvane::test;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3 || (arguments[2] != u"kill" && arguments[2] != u"quit")) {
        std::fprintf(stderr, "usage: PaintThenWait ROM kill|quit\n");
        return 2;
    }
    const QString rom = arguments[1];
    EditorHarness h(QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME")));
    h.LoadRom(rom);
    h.window->show();
    h.PaintOneCell();

    if (arguments[2] == u"quit") {
        // Chosen from the menu once the editor runs, as a user would.
        QTimer::singleShot(0, [&h] { h.Trigger(QStringLiteral("mnuFileQuit")); });
        return QApplication::exec();
    }
    const RecoveryStore store(RecoveryStore::DefaultFolder());
    const SpriteBlock painted = h.window->Document().SpriteBuf();
    const auto kept = [&] {
        const std::optional<RecoveryRecord> record = store.Find(rom.toStdString(), 0);
        return record && record->block == painted;
    };
    if (!QTest::qWaitFor(kept, 10000)) {
        std::fprintf(stderr, "the recovery record never reached %s\n", qPrintable(store.Folder()));
        return 1;
    }
    QTextStream(stdout) << "ready" << Qt::endl;
    return QApplication::exec();
}
