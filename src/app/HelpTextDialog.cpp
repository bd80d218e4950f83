#include "HelpTextDialog.h"

#include "editor/AboutText.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace morvane {

namespace {

// The guide is written in lines of at most 79 characters; a little more leaves room for the
// scroll bar.
constexpr int kColumns = 84;
constexpr int kLines = 36;

} // namespace

HelpTextDialog::HelpTextDialog(const QString& text, const QString& why, QWidget* owner)
    : QDialog(owner), why_(new QLabel(why, this)), text_(new QPlainTextEdit(this))
{
    setWindowTitle(kProgramTitle + QStringLiteral(" Help"));
    setObjectName(QStringLiteral("frmHelp"));

    why_->setWordWrap(true);
    why_->setTextFormat(Qt::PlainText);
    why_->setVisible(!why.isEmpty());

    text_->setReadOnly(true);
    text_->setPlainText(text);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setAccessibleName(QStringLiteral("User guide"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(why_);
    layout->addWidget(text_);
    layout->addWidget(buttons);

    const QFontMetrics metrics(text_->font());
    QSize size(metrics.horizontalAdvance(QLatin1Char('M')) * kColumns,
        metrics.lineSpacing() * kLines + buttons->sizeHint().height());
    if (const QScreen* shown = owner != nullptr ? owner->screen() : screen())
        size = size.boundedTo(shown->availableGeometry().size() * 9 / 10);
    resize(size);
    text_->setFocus();
}

QString HelpTextDialog::Why() const
{
    return why_->text();
}

} // namespace morvane
