#pragma once

class QWidget;

namespace morvane::bench {

// Lets the event loop run until `window` has been painted for the first time, then ends it with
// status 0, so a start measured from outside covers building, showing and drawing the window and
// nothing after. A window that is never painted ends the loop with status 3 after ten seconds
// rather than leaving the benchmark waiting.
void QuitAfterFirstPaint(QWidget& window);

} // namespace morvane::bench
