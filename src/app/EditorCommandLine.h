#pragma once

#include <QString>
#include <QStringList>

namespace morvane {

// What the editor's command line asks for, read before any window exists so that --help and
// --version work without a display and a mistyped option is never opened as a ROM image.
struct EditorCommand {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };

    Action action = Action::Run;
    QString romPath; // the ROM image to open at start; empty for none
    // Where romPath stands in the arguments (-1 for none), so the caller can take its bytes as
    // given: a name that is not valid in the locale's encoding must still open.
    qsizetype romArgument = -1;
    QStringList ignoredFiles; // further file names: the editor opens one ROM image at a time
    QString error; // why the command line is refused
};

// Reads the arguments after the program's name. Qt's own options (-platform NAME, -style NAME,
// -reverse, ...) are let through for QApplication; "--" ends the options.
EditorCommand ParseEditorCommandLine(const QStringList& arguments);

// The texts printed for --help and --version, each ending in a line break.
QString EditorUsageText();
QString EditorVersionText();

} // namespace morvane
