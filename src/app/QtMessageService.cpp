#include "QtMessageService.h"

#include <QMessageBox>

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

} // namespace morvane
