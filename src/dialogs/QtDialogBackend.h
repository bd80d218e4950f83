#pragma once

#include "DialogBackend.h"

class QColorDialog;
class QFileDialog;

namespace morvane {

// The editor's dialogs: Qt's file dialog for Open and Save As, Qt's colour dialog and the Swap
// Colours dialog, each run modally over the request's owner.
class QtDialogBackend final : public DialogBackend {
public:
    std::optional<QString> GetOpenFileName(const FileDialogRequest& request) override;
    std::optional<QString> GetSaveFileName(const FileDialogRequest& request) override;
    std::optional<PackedColor> ChooseColor(
        QWidget* owner, PackedColor initial, std::uint32_t flags) override;
    std::optional<ColourSwap> ChooseColourSwap(
        QWidget* owner, const Palette& colours, int first) override;

    // The set-up of a dialog apart from running it, so that a dialog that is never shown can be
    // checked for the folder, file, filters and colours it would start with.
    static void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);
    static void ConfigureColorDialog(
        QColorDialog& dialog, PackedColor initial, std::uint32_t flags);
};

} // namespace morvane
