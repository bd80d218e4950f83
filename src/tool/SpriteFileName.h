#pragma once

#include <string>

namespace morvane {

// The file name "export --all" gives sprite `index`: the two-digit index, a dash and the label
// reduced to letters and digits joined by dashes ("03-Dr-Velloc.png"); a label with none, such
// as "?????", becomes "unknown".
std::string SpriteFileName(int index);

} // namespace morvane
