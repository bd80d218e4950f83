#include "QtMessageService.h"

#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace morvane {

void QtMessageService::Show(QWidget* owner, Icon icon, const QString& title, const QString& text)
{
    const QMessageBox::Icon shown = icon == Icon::Information ? QMessageBox::Information
        : icon == Icon::Warning                               ? QMessageBox::Warning
                                                              : QMessageBox::Critical;
    QMessageBox box(shown, title,
        QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), QMessageBox::Ok,
        owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int QtMessageService::Ask(QWidget* owner, const QString& title, const QString& text,
    const QStringList& buttons, int defaultButton)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    // No answer is a cancel, so none is the escape button: Escape and the close box do nothing
    // and the box stays until a button is chosen.
    std::vector<QPushButton*> shown;
    for (const QString& caption : buttons)
        shown.push_back(box.addButton(caption, QMessageBox::ActionRole));
    box.setDefaultButton(shown.at(static_cast<std::size_t>(defaultButton)));
    box.exec();
    // A box closed from outside, without a choice, answers as Return would.
    const auto chosen = std::find(shown.begin(), shown.end(), box.clickedButton());
    return chosen == shown.end() ? defaultButton : static_cast<int>(chosen - shown.begin());
}

} // namespace morvane
