#pragma once

#include "DialogBackend.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;

namespace morvane {

// Asks which two pixel values to exchange throughout the sprite: two lists of the four values,
// each shown with its display colour, and OK only while the two differ, since swapping a value
// with itself would change nothing.
class SwapColoursDialog : public QDialog {
    Q_OBJECT

public:
    // Starts with `first` (0..3) in the first list and the next value in the second.
    SwapColoursDialog(QWidget* owner, const Palette& colours, int first);

    ColourSwap Choice() const;

private:
    void UpdateOk();

    QComboBox* first_ = nullptr;
    QComboBox* second_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

} // namespace morvane
