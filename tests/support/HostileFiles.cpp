#include "HostileFiles.h"

#include "RomFixture.h"
#include "TestData.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvane::test {

namespace {

constexpr int kSignatureBytes = 8;
// A chunk: 4 bytes of data length, 4 bytes of type, the data, 4 bytes of CRC over type and data.
constexpr int kChunkHeadBytes = 8;
constexpr int kChunkCrcBytes = 4;

void PutBigEndian(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

std::uint32_t GetBigEndian(const QByteArray& bytes, qsizetype at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes.at(at + i));
    return value;
}

// Where the chunk of the given type starts (at its length field), or -1.
qsizetype FindChunk(const QByteArray& png, const char* type)
{
    qsizetype at = kSignatureBytes;
    while (at + kChunkHeadBytes <= png.size()) {
        const std::uint32_t length = GetBigEndian(png, at);
        if (png.mid(at + 4, 4) == type)
            return at;
        at += kChunkHeadBytes + static_cast<qsizetype>(length) + kChunkCrcBytes;
    }
    return -1;
}

void RecomputeCrc(QByteArray& png, qsizetype chunk)
{
    const auto length = static_cast<qsizetype>(GetBigEndian(png, chunk));
    PutBigEndian(png, chunk + kChunkHeadBytes + length, Crc32(png.mid(chunk + 4, 4 + length)));
}

} // namespace

QByteArray SpritePngBytes(const SpriteBlock& block, PngPalette palette)
{
    return PngBytes(SpriteToImage(block, PaletteColours(palette)));
}

QByteArray WithClaimedSize(const QByteArray& png, std::uint32_t width, std::uint32_t height)
{
    QByteArray patched = png;
    const qsizetype ihdr = FindChunk(patched, "IHDR");
    if (ihdr < 0)
        return {};
    PutBigEndian(patched, ihdr + kChunkHeadBytes, width);
    PutBigEndian(patched, ihdr + kChunkHeadBytes + 4, height);
    RecomputeCrc(patched, ihdr);
    return patched;
}

QByteArray WithChunkCrcsFixed(const QByteArray& png)
{
    QByteArray fixed = png;
    qsizetype at = kSignatureBytes;
    while (at + kChunkHeadBytes <= fixed.size()) {
        const std::uint32_t length = GetBigEndian(fixed, at);
        if (length > static_cast<std::uint32_t>(fixed.size()))
            break;
        const qsizetype end
            = at + kChunkHeadBytes + static_cast<qsizetype>(length) + kChunkCrcBytes;
        if (end > fixed.size())
            break;
        RecomputeCrc(fixed, at);
        at = end;
    }
    return fixed;
}

QByteArray FiveColourPng()
{
    QImage image = SpriteToImage(SpriteBlock {}, PaletteColours(PngPalette::HardwareGreys));
    QList<QRgb> colours = image.colorTable();
    colours << qRgb(200, 30, 30);
    image.setColorTable(colours);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, static_cast<uint>((x + y) % 4));
    image.setPixel(3, 40, 4);
    return PngBytes(image);
}

bool MakePipe(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0666) == 0;
}

bool RunningAsRoot()
{
    return ::geteuid() == 0;
}

OrdinaryUserRights::OrdinaryUserRights()
{
    if (::geteuid() != 0)
        return;
    // The group goes first: once the user id is no longer root, the group cannot change.
    if (::setegid(kOrdinaryUser) != 0)
        return;
    if (::seteuid(kOrdinaryUser) != 0) {
        if (::setegid(0) != 0)
            std::abort();
        return;
    }
    switched_ = true;
}

OrdinaryUserRights::~OrdinaryUserRights()
{
    if (!switched_)
        return;
    // Carrying on with an ordinary user's rights would make every later test fail for no
    // reason of its own.
    if (::seteuid(0) != 0 || ::setegid(0) != 0)
        std::abort();
}

std::function<void()> AsOrdinaryUserInChild()
{
    return [] {
        if (::getuid() != 0)
            return;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0
            || ::setuid(kOrdinaryUser) != 0)
            ::_exit(126);
    };
}

QString CopyProgramForEveryone(const QString& program, const QString& folder)
{
    const QString copy = folder + QStringLiteral("/") + QFileInfo(program).fileName();
    if (!QFile::copy(program, copy) || !OpenFolderToEveryone(folder)
        || !QFile::setPermissions(copy,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther))
        return {};
    return copy;
}

std::function<void()> FileSizeLimitInChild(qint64 bytes)
{
    return [bytes] {
        const rlimit limit {rlim_t(bytes), rlim_t(bytes)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(125);
    };
}

bool OpenFolderToEveryone(const QString& folder)
{
    return QFile::setPermissions(folder,
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::ExeOther);
}

RunningProgramRom::RunningProgramRom(const QString& path) : path_(path)
{
    const QString sleep = QStandardPaths::findExecutable(QStringLiteral("sleep"));
    if (sleep.isEmpty()) {
        problem_ = QStringLiteral("no sleep program was found to run");
        return;
    }
    QByteArray bytes = ReadWholeFile(sleep);
    const qint64 romSize = 1045104 + 4096;
    if (bytes.isEmpty() || bytes.size() >= 82928) {
        problem_ = QStringLiteral("the sleep program is missing or too large to lie before the "
                                  "first sprite block");
        return;
    }
    // Beyond the program's own bytes the file holds the fixture pattern, so every sprite block
    // reads exactly as it would from a RomFixture.
    bytes += RomFixture::Pattern(romSize).mid(bytes.size());
    if (!WriteWholeFile(path_, bytes)
        || !QFile::setPermissions(path_, QFile::permissions(path_) | QFile::ExeOwner)) {
        problem_ = QStringLiteral("the program copy could not be written");
        return;
    }
    process_.start(path_, {QStringLiteral("600")});
    if (!process_.waitForStarted(10000)) {
        problem_ = QStringLiteral("the program copy could not be started (%1); the temporary "
                                  "folder may not allow programs")
                       .arg(process_.errorString());
        return;
    }
    const int fd = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        problem_ = QStringLiteral("this system lets a running program's file be opened for "
                                  "writing");
    } else if (errno != ETXTBSY) {
        problem_ = QStringLiteral("opening the running program's file failed for another reason");
    }
}

RunningProgramRom::~RunningProgramRom()
{
    Stop();
}

void RunningProgramRom::Stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(10000);
}

} // namespace morvane::test
