#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

class QMimeData;

namespace morvane {

// A ROM image's path is kept as the file system spells it: bytes, not text. Qt's strings cannot
// hold a name that is not valid UTF-8 (a Latin-1 "é" from an older system), so the editor turns
// a path into text only to show it, and takes a path from the desktop in its own bytes where it
// can: a command-line argument as given, a dropped file from its URL.

// Whether a path names a ROM image (".gb", ".gbc") or a sprite image (".png"), by its ending in
// any case.
bool NamesRomImage(const QByteArray& path);
bool NamesSpriteImage(const QByteArray& path);

// The file a drop brings, as the file system names it: the one local file of the drop, decoded
// from its URL byte for byte. Empty for anything else (no file, several, a remote one).
QByteArray DroppedFilePath(const QMimeData* mime);

// Text to show for bytes that name a file, or a message that holds such a name: UTF-8 where the
// bytes are UTF-8, and any byte that is not part of a UTF-8 character read as Latin-1, so a
// Latin-1 name reads as it was meant instead of as replacement marks.
QString ReadableText(std::string_view bytes);

} // namespace morvane
