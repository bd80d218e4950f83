#pragma once

#include <QByteArray>

#include <cstdint>

class QCoreApplication;
class QWidget;

namespace morvane {

// The size the file dialogs are told the record has: the record without the three fields that
// later versions of the dialogs appended.
inline constexpr std::uint32_t kOpenFileRecordSize = 76;
// The file name and file title buffers hold at least this many characters. A longer path gets a
// buffer that fits it, so a deep ROM folder opens as well as a short one.
inline constexpr qsizetype kFileBufferChars = 255;

// What the Open and Save As dialogs are called with and answer into, field for field in the
// order of the dialogs' own record. Texts are 8-bit (UTF-8). lpstrFile and lpstrFileTitle are
// NUL-padded buffers; lpstrFilter is a list of description and pattern texts, each ending in a
// NUL, with an extra NUL closing the list. The fields the file dialogs never get from us stay
// zero.
struct OpenFileRecord {
    std::uint32_t lStructSize = 0;
    QWidget* hwndOwner = nullptr;
    QCoreApplication* hInstance = nullptr;
    QByteArray lpstrFilter;
    const char* lpstrCustomFilter = nullptr;
    std::uint32_t nMaxCustFilter = 0;
    std::uint32_t nFilterIndex = 0;
    QByteArray lpstrFile;
    std::uint32_t nMaxFile = 0;
    QByteArray lpstrFileTitle;
    std::uint32_t nMaxFileTitle = 0;
    QByteArray lpstrInitialDir;
    QByteArray lpstrTitle;
    std::uint32_t Flags = 0;
    QByteArray lpstrDefExt;
    std::intptr_t lCustData = 0;
    void* lpfnHook = nullptr;
    const char* lpTemplateName = nullptr;
};

} // namespace morvane
