#include "RecoveryStore.h"

#include "sprite/SpriteCatalogue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>

#include <zlib.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace morvane {

namespace {

// A record file, all numbers little-endian:
//
//     0  magic "MVRECOVR"           24  ROM modification time, ns (int64)
//     8  version (uint16) = 1       32  time of writing, ms since 1970 UTC (int64)
//    10  entry (uint16)             40  ROM path, n bytes
//    12  n, ROM path length         40 + n        unsaved block, 384 bytes
//    16  ROM size (int64)           40 + n + 384  stored block, 384 bytes
//                                   40 + n + 768  CRC-32 of every byte before it (uint32)
constexpr char kMagic[] = {'M', 'V', 'R', 'E', 'C', 'O', 'V', 'R'};
constexpr quint16 kVersion = 1;
constexpr qsizetype kHeaderBytes = 40;
// The longest path the system can open; a longer length in a header is damage.
constexpr qsizetype kMaxPathBytes = 4096;

constexpr qsizetype RecordBytes(qsizetype pathBytes)
{
    return kHeaderBytes + pathBytes + 2 * kSpriteBlockBytes + 4;
}

template <typename T> void Append(QByteArray& bytes, T value)
{
    char little[sizeof(T)];
    qToLittleEndian(value, little);
    bytes.append(little, sizeof(T));
}

template <typename T> T Read(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<T>(bytes.constData() + at);
}

quint32 Checksum(const char* data, qsizetype length)
{
    return static_cast<quint32>(
        crc32(0, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(length)));
}

QByteArray Encode(const RecoveryRecord& record)
{
    QByteArray bytes;
    bytes.reserve(RecordBytes(static_cast<qsizetype>(record.romPath.size())));
    bytes.append(kMagic, sizeof kMagic);
    Append<quint16>(bytes, kVersion);
    Append<quint16>(bytes, static_cast<quint16>(record.entry));
    Append<quint32>(bytes, static_cast<quint32>(record.romPath.size()));
    Append<qint64>(bytes, record.rom.size);
    Append<qint64>(bytes, record.rom.modifiedNs);
    Append<qint64>(bytes, record.written.toMSecsSinceEpoch());
    bytes.append(record.romPath.data(), static_cast<qsizetype>(record.romPath.size()));
    bytes.append(reinterpret_cast<const char*>(record.block.data()), kSpriteBlockBytes);
    bytes.append(reinterpret_cast<const char*>(record.storedBlock.data()), kSpriteBlockBytes);
    Append<quint32>(bytes, Checksum(bytes.constData(), bytes.size()));
    return bytes;
}

// A record's fields from its file's bytes, or why they cannot be trusted, in words that follow
// "it" in a message.
struct Decoded {
    std::optional<RecoveryRecord> record;
    QString flaw;
};

Decoded Decode(const QByteArray& bytes)
{
    const qsizetype size = bytes.size();
    if (std::memcmp(bytes.constData(), kMagic,
            static_cast<std::size_t>(std::min<qsizetype>(size, sizeof kMagic)))
        != 0)
        return {{}, QStringLiteral("is not a recovery record")};
    if (size < kHeaderBytes)
        return {{}, QStringLiteral("is cut short (%1 bytes)").arg(size)};
    if (const quint16 version = Read<quint16>(bytes, 8); version != kVersion)
        return {{},
            QStringLiteral("has record version %1, which this editor does not read").arg(version)};
    const quint32 pathBytes = Read<quint32>(bytes, 12);
    if (pathBytes == 0 || pathBytes > kMaxPathBytes)
        return {{}, QStringLiteral("is damaged (a ROM path of %1 bytes)").arg(pathBytes)};
    const qsizetype expected = RecordBytes(pathBytes);
    if (size < expected)
        return {{}, QStringLiteral("is cut short (%1 of %2 bytes)").arg(size).arg(expected)};
    if (size > expected)
        return {{},
            QStringLiteral("is damaged (%1 bytes where the record has %2)")
                .arg(size)
                .arg(expected)};
    if (Checksum(bytes.constData(), expected - 4) != Read<quint32>(bytes, expected - 4))
        return {{}, QStringLiteral("is damaged (its checksum does not match)")};
    const quint16 entry = Read<quint16>(bytes, 10);
    if (entry >= kSpriteCount)
        return {{}, QStringLiteral("is damaged (entry %1)").arg(entry)};

    RecoveryRecord record;
    record.entry = entry;
    record.rom.size = Read<qint64>(bytes, 16);
    record.rom.modifiedNs = Read<qint64>(bytes, 24);
    record.written = QDateTime::fromMSecsSinceEpoch(Read<qint64>(bytes, 32), Qt::UTC);
    const char* at = bytes.constData() + kHeaderBytes;
    record.romPath.assign(at, pathBytes);
    at += pathBytes;
    std::memcpy(record.block.data(), at, kSpriteBlockBytes);
    std::memcpy(record.storedBlock.data(), at + kSpriteBlockBytes, kSpriteBlockBytes);
    return {record, {}};
}

void Warn(const QString& file, const QString& flaw)
{
    qWarning().noquote() << QStringLiteral("Ignoring the recovery record \"%1\": it %2.")
                                .arg(QDir::toNativeSeparators(file), flaw);
}

// The trusted record in `file`, or nothing: absent, or passed over with a message. A record is
// trusted only in the file its own ROM path and entry name, so a file copied or renamed into
// another's place is not taken for that ROM image's paint.
std::optional<RecoveryRecord> ReadRecord(const RecoveryStore& store, const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        if (in.exists())
            Warn(file, QStringLiteral("cannot be read (%1)").arg(in.errorString()));
        return {};
    }
    const QByteArray bytes = in.read(RecordBytes(kMaxPathBytes) + 1);
    if (in.error() != QFileDevice::NoError) {
        Warn(file, QStringLiteral("cannot be read (%1)").arg(in.errorString()));
        return {};
    }
    Decoded decoded = Decode(bytes);
    if (decoded.record
        && QFileInfo(store.FileOf(decoded.record->romPath, decoded.record->entry)).fileName()
            != QFileInfo(file).fileName())
        decoded = {{}, QStringLiteral("belongs to another ROM image or sprite than its name says")};
    if (!decoded.record)
        Warn(file, decoded.flaw);
    return decoded.record;
}

QString WriteFailure(const QString& file, const QString& reason)
{
    return QStringLiteral("Cannot keep the unsaved paint in \"%1\": %2.")
        .arg(QDir::toNativeSeparators(file), reason);
}

} // namespace

std::optional<RomStamp> StampOfRom(const std::string& path)
{
    struct stat status { };
    if (::stat(path.c_str(), &status) != 0)
        return {};
    return RomStamp {static_cast<std::int64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

RecoveryStore::RecoveryStore(QString folder) : folder_(std::move(folder)) { }

QString RecoveryStore::DefaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // The desktop's rule: a relative setting is void, and the default applies.
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/morvane-sprite-editor/recovery");
}

std::string RecoveryStore::ResolveRomPath(const std::string& romPath)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(romPath), error);
    if (error)
        return romPath;
    const fs::path resolved = fs::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal().native() : resolved.native();
}

QString RecoveryStore::FileOf(const std::string& romPath, int entry) const
{
    const QByteArray key = QCryptographicHash::hash(
        QByteArray(romPath.data(), static_cast<qsizetype>(romPath.size())),
        QCryptographicHash::Sha256);
    return folder_
        + QStringLiteral("/%1-%2.rec")
              .arg(QString::fromLatin1(key.toHex().left(32)))
              .arg(entry, 2, 10, QLatin1Char('0'));
}

QString RecoveryStore::Write(const RecoveryRecord& record, const QDateTime& now) const
{
    RecoveryRecord kept = record;
    kept.romPath = ResolveRomPath(record.romPath);
    kept.written = QDateTime::fromMSecsSinceEpoch(now.toMSecsSinceEpoch(), Qt::UTC);
    const QString file = FileOf(kept.romPath, kept.entry);
    if (kept.entry < 0 || kept.entry >= kSpriteCount)
        return WriteFailure(file, QStringLiteral("%1 is not a sprite entry").arg(kept.entry));
    if (record.romPath.empty() || static_cast<qsizetype>(kept.romPath.size()) > kMaxPathBytes)
        return WriteFailure(file, QStringLiteral("the ROM path is empty or too long"));

    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder(QFile::encodeName(folder_).toStdString());
    // The records name the user's files: only the user may read them.
    if (fs::create_directories(folder, error))
        fs::permissions(folder, fs::perms::owner_all, error);
    if (error)
        return WriteFailure(file,
            QStringLiteral("the folder cannot be made (%1)")
                .arg(QString::fromLocal8Bit(error.message())));

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return WriteFailure(file, out.errorString());
    const QByteArray bytes = Encode(kept);
    if (out.write(bytes) != bytes.size() || !out.commit())
        return WriteFailure(file, out.errorString());
    return {};
}

std::optional<RecoveryRecord> RecoveryStore::Find(const std::string& romPath, int entry) const
{
    if (romPath.empty() || entry < 0 || entry >= kSpriteCount)
        return {};
    return ReadRecord(*this, FileOf(ResolveRomPath(romPath), entry));
}

QString RecoveryStore::Remove(const std::string& romPath, int entry) const
{
    QFile file(FileOf(ResolveRomPath(romPath), entry));
    if (file.remove() || !file.exists())
        return {};
    return QStringLiteral("Cannot remove the recovery record \"%1\": %2.")
        .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
}

void RecoveryStore::Prune(const QDateTime& now) const
{
    static const QRegularExpression kRecordName(
        QStringLiteral("^[0-9a-f]{32}-[0-9]{2}\\.rec(\\..+)?$"));
    const QDateTime cutoff = now.addDays(-kKeepDays);
    const QFileInfoList files
        = QDir(folder_).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& info : files) {
        const QRegularExpressionMatch name = kRecordName.match(info.fileName());
        if (!name.hasMatch())
            continue;
        // A leftover of an interrupted write is never read: another editor may be writing it.
        const std::optional<RecoveryRecord> record
            = name.hasCaptured(1) ? std::nullopt : ReadRecord(*this, info.absoluteFilePath());
        const QDateTime written = record ? record->written : info.lastModified();
        if (written < cutoff)
            QFile::remove(info.absoluteFilePath());
    }
}

} // namespace morvane
