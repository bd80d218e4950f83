#include "HostileFiles.h"

#include "RomFixture.h"
#include "TestData.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>

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

// Read and run by everyone, written only by the owner.
constexpr QFile::Permissions kOpenToEveryone {QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther};

qsizetype ChunkLength(const QByteArray& png, qsizetype chunk)
{
    return qFromBigEndian<quint32>(png.constData() + chunk);
}

// Where each chunk that lies wholly inside `png` starts (at its length field), in order.
QList<qsizetype> WholeChunks(const QByteArray& png)
{
    QList<qsizetype> chunks;
    for (qsizetype at = kSignatureBytes; at + kChunkHeadBytes <= png.size();) {
        const qsizetype end = at + kChunkHeadBytes + ChunkLength(png, at) + kChunkCrcBytes;
        if (end > png.size())
            break;
        chunks << at;
        at = end;
    }
    return chunks;
}

void RecomputeCrc(QByteArray& png, qsizetype chunk)
{
    const qsizetype length = ChunkLength(png, chunk);
    qToBigEndian(
        Crc32(png.mid(chunk + 4, 4 + length)), png.data() + chunk + kChunkHeadBytes + length);
}

// Starts `process` on a copy of the sleep program made into a ROM image at `path`. Returns why the
// copy cannot stand in for a busy ROM image on this system, or an empty text when it can.
QString StartBusyRom(QProcess& process, const QString& path)
{
    const QString sleep = QStandardPaths::findExecutable(QStringLiteral("sleep"));
    if (sleep.isEmpty())
        return QStringLiteral("no sleep program was found to run");
    QByteArray bytes = ReadWholeFile(sleep);
    if (bytes.isEmpty() || bytes.size() >= kEntry0)
        return QStringLiteral("the sleep program is missing or too large to lie before the "
                              "first sprite block");
    // Beyond the program's own bytes the file holds the fixture pattern, so every sprite block
    // reads exactly as it would from a RomFixture.
    bytes += RomFixture::Pattern(kRomBytes + 4096).mid(bytes.size());
    if (!WriteWholeFile(path, bytes)
        || !QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner))
        return QStringLiteral("the program copy could not be written");
    process.start(path, {QStringLiteral("600")});
    if (!process.waitForStarted(10000))
        return QStringLiteral("the program copy could not be started (%1); the temporary folder "
                              "may not allow programs")
            .arg(process.errorString());
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return QStringLiteral("this system lets a running program's file be opened for writing");
    }
    return errno == ETXTBSY
        ? QString()
        : QStringLiteral("opening the running program's file failed for another reason");
}

} // namespace

QByteArray SpritePngBytes(const SpriteBlock& block, PngPalette palette)
{
    return PngBytes(SpriteToImage(block, PaletteColours(palette)));
}

QByteArray WithClaimedSize(const QByteArray& png, std::uint32_t width, std::uint32_t height)
{
    QByteArray patched = png;
    for (const qsizetype chunk : WholeChunks(png)) {
        if (png.mid(chunk + 4, 4) != "IHDR")
            continue;
        qToBigEndian(width, patched.data() + chunk + kChunkHeadBytes);
        qToBigEndian(height, patched.data() + chunk + kChunkHeadBytes + 4);
        RecomputeCrc(patched, chunk);
        return patched;
    }
    return {};
}

QByteArray WithChunkCrcsFixed(const QByteArray& png)
{
    QByteArray fixed = png;
    for (const qsizetype chunk : WholeChunks(png))
        RecomputeCrc(fixed, chunk);
    return fixed;
}

QByteArray FiveColourPng()
{
    QImage image = SpriteToImage(SpriteBlock {}, PaletteColours(PngPalette::HardwareGreys));
    image.setColorTable(image.colorTable() << qRgb(200, 30, 30));
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
    // The group goes first: once the user id is no longer root, the group cannot change.
    if (::geteuid() != 0 || ::setegid(kOrdinaryUser) != 0)
        return;
    switched_ = ::seteuid(kOrdinaryUser) == 0;
    if (!switched_ && ::setegid(0) != 0)
        std::abort();
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
        if (::getuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0
                || ::setuid(kOrdinaryUser) != 0))
            ::_exit(126);
    };
}

QString CopyProgramForEveryone(const QString& program, const QString& folder)
{
    const QString copy = folder + QStringLiteral("/") + QFileInfo(program).fileName();
    const bool made = QFile::copy(program, copy) && OpenFolderToEveryone(folder)
        && QFile::setPermissions(copy, kOpenToEveryone);
    return made ? copy : QString();
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
    return QFile::setPermissions(folder, kOpenToEveryone);
}

RunningProgramRom::RunningProgramRom(const QString& path)
    : path_(path), problem_(StartBusyRom(process_, path))
{
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
