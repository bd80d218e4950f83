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

// "nobody", the user tests drop to so permissions refuse them even when the suite runs as root.
constexpr unsigned kOrdinaryUser = 65534;

// A chunk: 4 bytes of data length, 4 bytes of type, the data, 4 bytes of CRC over type and data.
// The first chunk, IHDR, follows the 8-byte signature.
constexpr int kFirstChunk = 8;
constexpr int kChunkHeadBytes = 8;

// Read and run by everyone, written only by the owner.
constexpr QFile::Permissions kOpenToEveryone {QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther};

QByteArray SpritePngBytes(const SpriteBlock& block, PngPalette palette)
{
    return PngBytes(SpriteToImage(block, PaletteColours(palette)));
}

QByteArray WithClaimedSize(QByteArray png, std::uint32_t width, std::uint32_t height)
{
    qToBigEndian(width, png.data() + kFirstChunk + kChunkHeadBytes);
    qToBigEndian(height, png.data() + kFirstChunk + kChunkHeadBytes + 4);
    return WithChunkCrcsFixed(png);
}

QByteArray WithChunkCrcsFixed(QByteArray png)
{
    for (qsizetype at = kFirstChunk; at + kChunkHeadBytes <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        const qsizetype crcAt = at + kChunkHeadBytes + length;
        if (crcAt + 4 > png.size())
            break; // a chunk cut off by the end of the file
        qToBigEndian(Crc32(png.mid(at + 4, 4 + length)), png.data() + crcAt);
        at = crcAt + 4;
    }
    return png;
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
    // Carrying on with an ordinary user's rights would make every later test fail for no reason.
    if (switched_ && (::seteuid(0) != 0 || ::setegid(0) != 0))
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

QString RunningProgramRom::Start(const QString& path)
{
    QByteArray bytes = ReadWholeFile(QStandardPaths::findExecutable(QStringLiteral("sleep")));
    if (bytes.isEmpty() || bytes.size() >= kEntry0)
        return QStringLiteral("no sleep program small enough to lie before the first sprite block");
    // Beyond the program's own bytes the file holds the fixture pattern, so every sprite block
    // reads exactly as it would from a RomFixture.
    bytes += RomFixture::Pattern(kRomBytes + 4096).mid(bytes.size());
    if (!WriteWholeFile(path, bytes)
        || !QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner))
        return QStringLiteral("the program copy could not be written");
    process_.start(path, {QStringLiteral("600")});
    if (!process_.waitForStarted(10000))
        return QStringLiteral("the program copy could not be started (the temporary folder may "
                              "not allow programs): ")
            + process_.errorString();
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 && errno == ETXTBSY)
        return {};
    if (fd >= 0)
        ::close(fd);
    return QStringLiteral("this system does not refuse writing to a running program's file");
}

void RunningProgramRom::Stop()
{
    // Neither step does anything to a program that has ended or never started.
    process_.kill();
    process_.waitForFinished(10000);
}

} // namespace morvane::test
