#include "SwapColoursDialog.h"

#include "qtcolour/PackedColourQt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

namespace morvane {

namespace {

QComboBox* ValueList(QWidget* parent, const Palette& colours, int value, const QString& name)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    for (int v = 0; v < static_cast<int>(colours.size()); ++v) {
        QPixmap swatch(16, 16);
        swatch.fill(ToQColor(colours[static_cast<std::size_t>(v)]));
        list->addItem(QIcon(swatch), QStringLiteral("Value %1").arg(v));
    }
    list->setCurrentIndex(value);
    return list;
}

} // namespace

SwapColoursDialog::SwapColoursDialog(QWidget* owner, const Palette& colours, int first)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Swap Colours"));
    const int start = std::clamp(first, 0, 3);
    first_ = ValueList(this, colours, start, QStringLiteral("first"));
    second_ = ValueList(this, colours, (start + 1) % 4, QStringLiteral("second"));
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* form = new QFormLayout(this);
    // The labels are the lists' buddies: their access keys move there, and a screen reader
    // names each list by its label.
    form->addRow(QStringLiteral("&Swap:"), first_);
    form->addRow(QStringLiteral("&With:"), second_);
    form->addRow(buttons_);

    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(first_, &QComboBox::currentIndexChanged, this, &SwapColoursDialog::UpdateOk);
    connect(second_, &QComboBox::currentIndexChanged, this, &SwapColoursDialog::UpdateOk);
    UpdateOk();
}

ColourSwap SwapColoursDialog::Choice() const
{
    return {first_->currentIndex(), second_->currentIndex()};
}

void SwapColoursDialog::UpdateOk()
{
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(Choice().first != Choice().second);
}

} // namespace morvane
