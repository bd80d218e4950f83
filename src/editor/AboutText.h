#pragma once

#include <QString>

namespace morvane {

class HelpViewer;

// The program's title, used for the window caption and every message box.
inline const QString kProgramTitle = QStringLiteral("Morvane Sarnet Sprite Editor");

// The About box's message: eight lines separated by "\r\n", lines 3 and 6 empty; the second
// names the version and the authors.
QString AboutText();

// The help text file. Help looks beside the program (a build folder); in the data folder of the
// installation the program belongs to, wherever that was put; in `configuredFolder`; and then in
// the desktop's standard data folders, the user's before the system's. The first file found is
// the one; when there is none, the path beside the program, so a message can name it.
QString HelpFilePath(const QString& programFolder, const QString& configuredFolder);

// The same, with the folder configured at build time.
QString HelpFilePath(const QString& programFolder);

// Shows the help text file in `viewer`. Returns what went wrong, naming the file, or nothing.
QString OpenHelpFile(HelpViewer& viewer, const QString& programFolder);

} // namespace morvane
