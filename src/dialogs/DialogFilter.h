#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace morvane {

// A file dialog's filter list, from the record's form (description NUL patterns NUL ... NUL) to
// Qt name filters. Qt takes a name filter's patterns from its last parenthesised group and splits
// them at spaces only, so "Gameboy Rom Images (*.gb; *.gbc)" on its own would look for files
// ending in ".gb;". Each pair therefore becomes the description as it stands followed by the
// real patterns, space-separated, in a group of their own:
//   "Gameboy Rom Images (*.gb; *.gbc)" + "*.gb;*.gbc"
//     -> "Gameboy Rom Images (*.gb; *.gbc) (*.gb *.gbc)"
// A dialog with the HideNameFilterDetails option drops that last group again and shows the
// description exactly. Patterns holding a space or a parenthesis cannot be put into Qt's form.
QString NameFilterFromPair(const QString& description, const QString& patterns);

// Every complete pair of the record's filter, in order, so that the record's 1-based filter index
// still points at the same entry. The list ends at the first empty text.
QStringList NameFiltersFromRecord(const QByteArray& recordFilter);

} // namespace morvane
