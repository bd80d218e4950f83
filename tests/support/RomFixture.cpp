#include "RomFixture.h"

#include <QFile>

#include <fcntl.h>

namespace morvane::test {

QByteArray RomFixture::Pattern(qint64 size)
{
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    for (qint64 i = 0; i < size; ++i)
        bytes[static_cast<qsizetype>(i)] = static_cast<char>(PatternByte(i));
    return bytes;
}

RomFixture::RomFixture(qint64 size, const QString& name) : path_(dir_.filePath(name))
{
    WriteWholeFile(path_, Pattern(size));
}

void RomFixture::Poke(qint64 offset, const QByteArray& bytes) const
{
    QFile file(path_);
    if (file.open(QIODevice::ReadWrite) && file.seek(offset))
        file.write(bytes);
}

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size() && file.flush();
}

bool WriteNativeFile(const QByteArray& path, const QByteArray& bytes)
{
    QFile file;
    const int fd = ::open(path.constData(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFile::AutoCloseHandle)
        && file.write(bytes) == bytes.size() && file.flush();
}

QByteArray ReadNativeFile(const QByteArray& path)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY);
    const bool opened = fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle);
    return opened ? file.readAll() : QByteArray();
}

} // namespace morvane::test
