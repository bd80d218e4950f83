#pragma once

#include <QString>

namespace morvane {

// The program's title, used for the window caption and every message box.
inline const QString kProgramTitle = QStringLiteral("Morvane Sarnet Sprite Editor");

// The About box's message: eight lines separated by "\r\n", lines 3 and 6 empty.
QString AboutText();

// The help text file: beside the program, or where an installed program keeps its shared files.
QString HelpFilePath(const QString& programFolder);

} // namespace morvane
