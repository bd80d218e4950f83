#include "QuitAfterFirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace morvane::bench {

namespace {

constexpr int kNeverPaintedMs = 10000;
constexpr int kNeverPaintedStatus = 3;

class FirstPaintWatcher : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Queued, so the children painted in the same pass and the flush to the screen
            // complete before the loop ends.
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

} // namespace

void QuitAfterFirstPaint(QWidget& window)
{
    window.installEventFilter(new FirstPaintWatcher(&window));
    QTimer::singleShot(kNeverPaintedMs, QCoreApplication::instance(),
        [] { QCoreApplication::exit(kNeverPaintedStatus); });
}

} // namespace morvane::bench
