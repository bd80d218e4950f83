// Every fixed caption of the fixed-size windows fits its control in the font the window really
// gets: where the layout's font is missing, a caption cut short fails here, naming the font it got.
#include "EditorHarness.h"
#include "RowTable.h"
#include "preview/frmTest.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>

using namespace morvane;
using namespace morvane::test;

namespace {

// The room the style leaves a control's caption, in the control's own coordinates.
QRect CaptionRoom(QWidget& control)
{
    QStyle& style = *control.style();
    if (auto* box = qobject_cast<QGroupBox*>(&control)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.lineWidth = 1;
        // The title is drawn where the style puts it and clipped by the frame's own edges.
        return style.subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box)
            .intersected(box->rect());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        auto* push = qobject_cast<QPushButton*>(button);
        if (push == nullptr) // the check box
            return style.subElementRect(QStyle::SE_CheckBoxContents, &option, button)
                .intersected(button->rect());
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        return style.subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    return static_cast<QLabel&>(control).contentsRect();
}

QString CaptionText(const QWidget& control)
{
    return control.property(qobject_cast<const QGroupBox*>(&control) ? "title" : "text").toString();
}

} // namespace

class CaptionFitTest : public QObject {
    Q_OBJECT

    EditorHarness harness_;
    std::uint8_t framePhase_ = 0;
    // Made with the suite, so that its rows can be listed without running it.
    std::unique_ptr<frmTest> preview_
        = std::make_unique<frmTest>(harness_.window.get(), framePhase_);

private slots:
    void initTestCase()
    {
        QVERIFY(harness_.Show());
        preview_->show();
        QVERIFY(QTest::qWaitForWindowExposed(preview_.get()));
    }

    void everyCaptionFits_data()
    {
        AddRowColumn<QWidget*>();
        for (QWidget* window : QWidgetList {harness_.window.get(), preview_.get()}) {
            for (QWidget* control : window->findChildren<QWidget*>()) {
                const bool captioned = qobject_cast<QGroupBox*>(control)
                    || qobject_cast<QAbstractButton*>(control) || qobject_cast<QLabel*>(control);
                if (captioned && control->window() == window && !CaptionText(*control).isEmpty())
                    QTest::addRow("%s/%s", window->metaObject()->className(),
                        qPrintable(control->objectName()))
                        << control;
            }
        }
    }

    void everyCaptionFits()
    {
        QWidget* control = CurrentRow<QWidget*>();
        // The caption as it is drawn, without the '&' of a mnemonic.
        const QString caption = CaptionText(*control).remove(QRegularExpression("&(?!&)"));
        // Push buttons centre the caption's ink; other controls start it at their room's left. The
        // ink rectangle is rounded outwards to whole pixels, so the ink may stop a pixel short.
        const QRect ink = QFontMetrics(control->font()).tightBoundingRect(caption);
        const bool centred = qobject_cast<QPushButton*>(control) != nullptr;
        const int needed = (centred ? ink.width() : ink.x() + ink.width()) - 1;
        const QRect room = CaptionRoom(*control);
        const QFontInfo font(control->font());
        QVERIFY2(needed <= room.width() && ink.height() - 1 <= room.height(),
            qPrintable(QString::asprintf("\"%s\" needs %d x %d pixels in %s %g pt, but has %d x %d",
                qPrintable(caption), needed, ink.height(), qPrintable(font.family()),
                font.pointSizeF(), room.width(), room.height())));
    }
};

QTEST_MAIN(CaptionFitTest)
#include "CaptionFitTest.moc"
