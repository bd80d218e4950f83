#pragma once

#include <QString>

namespace morvane {

// The caption of a window that shows unsaved paint: `text` as it stands, then the place Qt fills
// with "*" after the text while the window is marked modified (setWindowModified). A "[*]" of the
// text's own (a ROM image's name may hold one) is written twice, which Qt shows once, so the text
// is never taken for that place.
QString CaptionWithUnsavedMarker(const QString& text);

} // namespace morvane
