#include "QtDialogBackend.h"

#include "SwapColoursDialog.h"

#include "qtcolour/PackedColourQt.h"

#include <QColorDialog>
#include <QFileDialog>

namespace morvane {

namespace {

// Save As asks before replacing an existing file only when the caller asked for it.
constexpr std::uint32_t kOverwritePromptFlag = 0x2;
// The colour dialog starts on the caller's colour only with this option; otherwise it starts on
// black, as the platform's own colour dialog does.
constexpr std::uint32_t kInitialColorFlag = 0x1;

std::optional<QString> RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(request.owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(
        mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QtDialogBackend::ConfigureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

} // namespace

void QtDialogBackend::ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setWindowTitle(request.title);
    // The filters carry their patterns in a trailing group of their own (see DialogFilter.h);
    // hiding it leaves each description on screen exactly as the caller wrote it.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & kOverwritePromptFlag));
    dialog.setDirectory(request.initialFolder);
    if (!request.nameFilters.isEmpty()) {
        dialog.setNameFilters(request.nameFilters);
        if (request.filterIndex >= 1 && request.filterIndex <= request.nameFilters.size())
            dialog.selectNameFilter(request.nameFilters.at(request.filterIndex - 1));
    }
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A file name with a folder of its own, such as the last ROM chosen, opens in that folder.
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
}

void QtDialogBackend::ConfigureColorDialog(
    QColorDialog& dialog, PackedColor initial, std::uint32_t flags)
{
    // The custom slots start white every time, so colours the user put there last time are not
    // offered again.
    for (int slot = 0; slot < QColorDialog::customCount(); ++slot)
        QColorDialog::setCustomColor(slot, Qt::white);
    const PackedColor start = (flags & kInitialColorFlag) ? initial : PackRgb(0, 0, 0);
    dialog.setCurrentColor(ToQColor(start));
}

std::optional<QString> QtDialogBackend::GetOpenFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogBackend::GetSaveFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<PackedColor> QtDialogBackend::ChooseColor(
    QWidget* owner, PackedColor initial, std::uint32_t flags)
{
    QColorDialog dialog(owner);
    ConfigureColorDialog(dialog, initial, flags);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ToPacked(dialog.selectedColor());
}

std::optional<ColourSwap> QtDialogBackend::ChooseColourSwap(
    QWidget* owner, const Palette& colours, int first)
{
    SwapColoursDialog dialog(owner, colours, first);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Choice();
}

} // namespace morvane
