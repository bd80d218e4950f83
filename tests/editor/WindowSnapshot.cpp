#include "WindowSnapshot.h"

#include "EditorHarness.h"
#include "editor/frmMain.h"
#include "widgets/PictureBox.h"

#include <QApplication>

namespace morvane::test {

WindowSnapshot TakeSnapshot(const frmMain& window)
{
    WindowSnapshot snapshot;
    snapshot.spriteBuf = QByteArray(reinterpret_cast<const char*>(window.State.SpriteBuf.data()),
        static_cast<qsizetype>(window.State.SpriteBuf.size()));
    for (const PictureBox* view : window.picSprites)
        snapshot.views.push_back(view->Image().copy());
    snapshot.grid = window.picEdit->Image().copy();
    snapshot.romPath = window.State.RomPath;
    snapshot.loadedIndex = window.State.LoadedIndex;
    snapshot.title = window.windowTitle();
    snapshot.undoCount = window.History().UndoCount();
    return snapshot;
}

QString SnapshotDifference(const WindowSnapshot& before, const WindowSnapshot& after)
{
    if (after.spriteBuf != before.spriteBuf)
        return QStringLiteral("SpriteBuf changed");
    for (std::size_t t = 0; t < before.views.size(); ++t) {
        if (after.views[t] != before.views[t])
            return QStringLiteral("tile view %1 changed").arg(t);
    }
    if (after.grid != before.grid)
        return QStringLiteral("the editing grid changed");
    if (after.romPath != before.romPath)
        return QStringLiteral("the ROM path changed to \"%1\"")
            .arg(QString::fromStdString(after.romPath));
    if (after.loadedIndex != before.loadedIndex)
        return QStringLiteral("the loaded entry changed from %1 to %2")
            .arg(before.loadedIndex)
            .arg(after.loadedIndex);
    if (after.title != before.title)
        return QStringLiteral("the caption changed to \"%1\"").arg(after.title);
    if (after.undoCount != before.undoCount)
        return QStringLiteral("the undo history went from %1 to %2 steps")
            .arg(before.undoCount)
            .arg(after.undoCount);
    return {};
}

QString RefusalFault(const EditorHarness& harness, std::size_t messagesBefore, const QString& path,
    const QString& reason, const WindowSnapshot& before)
{
    const auto& shown = harness.messages.shown;
    if (shown.size() != messagesBefore + 1)
        return QStringLiteral("%1 messages were shown, expected one")
            .arg(shown.size() - messagesBefore);
    const RecordingMessages::Shown& message = shown.back();
    if (message.icon != MessageService::Icon::Error
        || message.title != QStringLiteral("Morvane Sarnet Sprite Editor"))
        return QStringLiteral("the message is not an error box of the editor: %1")
            .arg(message.text);
    if (!message.text.contains(path))
        return QStringLiteral("the message does not name the file: %1").arg(message.text);
    if (!reason.isEmpty() && !message.text.contains(reason))
        return QStringLiteral("the message does not say \"%1\": %2").arg(reason, message.text);
    if (QApplication::overrideCursor() != nullptr)
        return QStringLiteral("the busy pointer is still shown");
    return SnapshotDifference(before, TakeSnapshot(*harness.window));
}

void PaintOneCell(frmMain& window)
{
    const int tile = window.State.CurTile;
    const QByteArray bytes(
        reinterpret_cast<const char*>(window.State.SpriteBuf.data()) + 16 * tile, 16);
    window.Color_Click((PixelValue(bytes, 2, 2) + 1) % 4);
    window.picEdit_MouseDown(1, 0, 40, 40);
    emit window.picEdit->MouseReleased(Qt::LeftButton);
}

} // namespace morvane::test
