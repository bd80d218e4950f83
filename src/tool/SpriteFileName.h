#pragma once

#include <optional>
#include <string>

namespace morvane {

// The file name "export --all" gives sprite `index`: the two-digit index, a dash and the label
// reduced to letters and digits joined by dashes ("03-Dr-Velloc.png"); a label with none, such
// as "?????", becomes "unknown".
std::string SpriteFileName(int index);

// The entry a file name of that form stands for: two digits from 00 to 44, a dash, anything,
// and ".png" in any case. The rest of the name is not checked, so a renamed label still counts.
std::optional<int> SpriteIndexOfFileName(const std::string& name);

} // namespace morvane
