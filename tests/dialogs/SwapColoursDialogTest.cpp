#include "dialogs/SwapColoursDialog.h"
#include "dialogs/QtDialogBackend.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace morvane;

namespace {

constexpr Palette kColours
    = {PackRgb(223, 0, 200), PackRgb(0, 0, 0), PackRgb(255, 255, 255), PackRgb(0, 0, 255)};

// Runs `answer` on the Swap Colours dialog once it shows; a dialog still open afterwards is
// rejected, so the test never waits on it.
void AnswerDialog(std::function<void(QDialog&)> answer)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        timer->deleteLater();
        timer->stop();
        answer(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start(5);
}

} // namespace

class SwapColoursDialogTest : public QObject {
    Q_OBJECT

private slots:
    // The two lists start on the painting colour's value and the next; OK waits for two
    // different values; the backend returns what was confirmed and nothing after Cancel.
    void asksForTwoDifferentValues()
    {
        QWidget owner;
        QtDialogBackend backend;
        QWidget* parent = nullptr;
        std::optional<ColourSwap> started;
        bool okWhileSame = true;
        AnswerDialog([&](QDialog& dialog) {
            parent = dialog.parentWidget();
            auto* first = dialog.findChild<QComboBox*>(QStringLiteral("first"));
            auto* second = dialog.findChild<QComboBox*>(QStringLiteral("second"));
            QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            started = ColourSwap {first->currentIndex(), second->currentIndex()};
            second->setCurrentIndex(3);
            okWhileSame = ok->isEnabled();
            QTest::keyClick(second, Qt::Key_Up);
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QCOMPARE(backend.ChooseColourSwap(&owner, kColours, 3), std::optional(ColourSwap {3, 2}));
        QCOMPARE(parent, &owner);
        QCOMPARE(started, std::optional(ColourSwap {3, 0}));
        QVERIFY(!okWhileSame);

        AnswerDialog([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(backend.ChooseColourSwap(&owner, kColours, 1), std::nullopt);
    }
};

QTEST_MAIN(SwapColoursDialogTest)
#include "SwapColoursDialogTest.moc"
