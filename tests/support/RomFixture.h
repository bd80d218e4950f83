#pragma once

#include <QTemporaryDir>

namespace morvane::test {

// The usual size of a ROM image: it ends where the last sprite block ends.
inline constexpr qint64 kRomBytes = 1045104;
// Where the first sprite block lies.
inline constexpr qint64 kEntry0 = 82928;

// Reads a whole file, or an empty array if it cannot be read.
QByteArray ReadWholeFile(const QString& path);
// Writes a whole file, replacing it; returns false on failure.
bool WriteWholeFile(const QString& path, const QByteArray& bytes);
// The same for a file named by the file system's own bytes, which need not be UTF-8.
QByteArray ReadNativeFile(const QByteArray& path);
bool WriteNativeFile(const QByteArray& path, const QByteArray& bytes);

// A ROM image made by the test itself in a temporary folder: byte i holds PatternByte(i), so any
// stray write or misplaced read shows up as a wrong byte.
class RomFixture {
public:
    explicit RomFixture(qint64 size = kRomBytes, const QString& name = QStringLiteral("rom.gb"));

    QString Path() const { return path_; }
    std::string PathUtf8() const { return path_.toStdString(); }
    QString Folder() const { return dir_.path(); }
    QByteArray Contents() const { return ReadWholeFile(path_); }
    // Overwrites bytes of the file directly, bypassing the editor.
    void Poke(qint64 offset, const QByteArray& bytes) const;

    // Varies within every tile and between neighbouring blocks, and never repeats with a period
    // of 16 or 384, so a block read one tile or one block off is caught.
    static quint8 PatternByte(qint64 at) { return quint8(at * 7 + at / 251); }
    static QByteArray Pattern(qint64 size);

private:
    QTemporaryDir dir_;
    QString path_;
};

} // namespace morvane::test
