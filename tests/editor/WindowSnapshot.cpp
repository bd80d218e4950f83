#include "WindowSnapshot.h"

#include "EditorHarness.h"
#include "TestData.h"
#include "editor/frmMain.h"
#include "widgets/ColorSwatch.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QScrollBar>

namespace morvane::test {

namespace {

template <typename Control> const Control& Named(const frmMain& window, const QString& name)
{
    return *window.findChild<const Control*>(name);
}

} // namespace

WindowSnapshot TakeSnapshot(const frmMain& window)
{
    const SpriteSession& document = window.Document();
    WindowSnapshot snapshot;
    snapshot.spriteBuf = Bytes(document.SpriteBuf());
    for (int t = 0; t < 24; ++t)
        snapshot.views.push_back(
            Named<PictureBox>(window, QStringLiteral("picSprites(%1)").arg(t)).Image().copy());
    snapshot.grid = Named<PictureBox>(window, QStringLiteral("picEdit")).Image().copy();
    snapshot.romPath = document.RomPath();
    snapshot.loadedIndex = document.LoadedIndex();
    snapshot.title = Caption(window);
    for (int i = 0; i < 5; ++i)
        snapshot.swatches.push_back(
            Named<ColorSwatch>(window, QStringLiteral("Color(%1)").arg(i)).FillColor());
    for (const char* slider : {"hRED", "hGREEN", "hBLUE"})
        snapshot.sliders.push_back(Named<QScrollBar>(window, QLatin1String(slider)).value());
    snapshot.undoCount = document.History().index();
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
    if (after.swatches != before.swatches || after.sliders != before.sliders)
        return QStringLiteral("the palette changed");
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

} // namespace morvane::test
