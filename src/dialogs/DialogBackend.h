#pragma once

#include "sprite/SpriteBlock.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QWidget;

namespace morvane {

// What a file dialog is asked to show, already translated from the dialog record into the
// platform's terms (name filters in Qt's "Description (*.a *.b)" form).
struct FileDialogRequest {
    QWidget* owner = nullptr;
    QString title;
    QString initialFolder;
    QString fileName;
    QStringList nameFilters;
    int filterIndex = 0; // 1-based; 0 lets the dialog choose
    QString defaultSuffix;
    std::uint32_t flags = 0;
};

// Two of the four pixel values, to be exchanged throughout a sprite.
struct ColourSwap {
    int first = 0;
    int second = 0;
    bool operator==(const ColourSwap&) const = default;
};

// The platform's Open, Save As and colour dialogs, and the editor's own Swap Colours dialog. The
// editor runs the Qt dialogs; tests run a scripted backend so that no test ever blocks on a modal
// dialog.
class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    // The confirmed full path, or nothing when the user cancelled.
    virtual std::optional<QString> GetOpenFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> GetSaveFileName(const FileDialogRequest& request) = 0;
    // The confirmed colour, or nothing when the user cancelled. `flags` has only its four lowest
    // bits; bit 0 asks the dialog to start on `initial`.
    virtual std::optional<PackedColor> ChooseColor(
        QWidget* owner, PackedColor initial, std::uint32_t flags)
        = 0;
    // The two different pixel values 0..3 the user chose to exchange, or nothing when the user
    // cancelled. `colours` shows each value as the swatches do; the dialog starts on `first`.
    virtual std::optional<ColourSwap> ChooseColourSwap(
        QWidget* owner, const Palette& colours, int first)
        = 0;
};

} // namespace morvane
