#pragma once

#include <QByteArray>

#include <cstdint>

class QWidget;

namespace morvane {

// The file name and file title buffers hold at least this many characters. A longer path gets a
// buffer that fits it, so a deep ROM folder opens as well as a short one.
inline constexpr qsizetype kFileBufferChars = 255;

// What the Open and Save As dialogs are called with and answer into, in the order of the dialogs'
// own record; only the fields the Qt dialogs take or answer are kept. Texts are 8-bit (UTF-8).
// lpstrFile and lpstrFileTitle are NUL-padded buffers; lpstrFilter is a list of description and
// pattern texts, each ending in a NUL, with an extra NUL closing the list.
struct OpenFileRecord {
    QWidget* hwndOwner = nullptr;
    QByteArray lpstrFilter;
    std::uint32_t nFilterIndex = 0;
    QByteArray lpstrFile;
    std::uint32_t nMaxFile = 0;
    QByteArray lpstrFileTitle;
    std::uint32_t nMaxFileTitle = 0;
    QByteArray lpstrInitialDir;
    QByteArray lpstrTitle;
    std::uint32_t Flags = 0;
    QByteArray lpstrDefExt;
};

} // namespace morvane
