#pragma once

#include <QApplication>

namespace morvane {

// Shows the busy pointer for the whole application until the command that made it returns, on
// every path out of it, a thrown error included.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

} // namespace morvane
