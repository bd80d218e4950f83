#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace morvane {

// The editor's own read-only view of the user guide, for a desktop that cannot show text files:
// the guide in a fixed-pitch font, so its columns line up, with a line above it saying why the
// desktop's viewer is not the one showing it. Escape or Close closes it.
class HelpTextDialog : public QDialog {
    Q_OBJECT

public:
    HelpTextDialog(const QString& text, const QString& why, QWidget* owner = nullptr);

    QString Why() const;
    QPlainTextEdit& TextView() const { return *text_; }

private:
    QLabel* why_;
    QPlainTextEdit* text_;
};

} // namespace morvane
