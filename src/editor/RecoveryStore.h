#pragma once

#include "sprite/SpriteBlock.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace morvane {

// A ROM image as the file system describes it: enough to tell that it was replaced or written
// since, without reading it.
struct RomStamp {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since 1970-01-01 UTC
    bool operator==(const RomStamp&) const = default;
};

// The size and modification time of the ROM image at `path` (the file system's bytes) now;
// nothing when it cannot be looked at (gone, or a folder on the way is not readable).
std::optional<RomStamp> StampOfRom(const std::string& path);

// Unsaved paint of one sprite, kept so that a quit, a crash or a kill does not lose it.
struct RecoveryRecord {
    // The ROM image, resolved to its real absolute path (the file system's bytes, whatever their
    // encoding) so that it is found again however the ROM image is opened next time.
    std::string romPath;
    RomStamp rom;
    int entry = 0; // 0..44
    SpriteBlock block {}; // the sprite with the unsaved paint
    // The entry's block as the ROM image held it when the paint began: a restore compares it
    // with the ROM image's block of the day to tell whether the ROM changed underneath.
    SpriteBlock storedBlock {};
    QDateTime written; // set by RecoveryStore::Write, to the millisecond, in UTC
    bool operator==(const RecoveryRecord&) const = default;
};

// The recovery records in one folder, one small file per ROM image and entry. A record is
// replaced whole or not at all, so a crash or a kill while one is written leaves the one before.
// A file that is damaged, cut short, written by another program or another version, or that
// belongs to another ROM image or entry than its name says, is never trusted: it is passed over
// with one message on standard error that names it.
class RecoveryStore {
public:
    // Records older than this are removed by Prune.
    static constexpr int kKeepDays = 30;

    explicit RecoveryStore(QString folder);

    // The recovery folder in the user's state folder: $XDG_STATE_HOME (when it is an absolute
    // path), else ~/.local/state, then morvane-sprite-editor/recovery. Recovery records are the
    // editor's state, not documents or settings: they belong with the other state a desktop keeps
    // out of backups and synchronised data, in a folder named like the program's files.
    static QString DefaultFolder();
    const QString& Folder() const { return folder_; }

    // The ROM path as the records key it: its real absolute path when it can be resolved,
    // otherwise the path made absolute against the current folder.
    static std::string ResolveRomPath(const std::string& romPath);

    // Keeps `record` for its ROM image and entry, replacing any record there was, with the time
    // `now` as its time of writing. Empty when it was written; otherwise what failed, naming the
    // file and the reason, and the record before is still in place.
    QString Write(
        const RecoveryRecord& record, const QDateTime& now = QDateTime::currentDateTimeUtc()) const;
    // The record for that ROM image and entry, when there is a sound one.
    std::optional<RecoveryRecord> Find(const std::string& romPath, int entry) const;
    // Removes the record for that ROM image and entry. Empty when it is gone (or was never
    // there); otherwise what failed, naming the file and the reason.
    QString Remove(const std::string& romPath, int entry) const;
    // Removes the records written more than kKeepDays before `now`, and the files of this folder
    // in a record's name that cannot be trusted (damaged, or left by an interrupted write) once
    // they are as old. Files of other names are left alone.
    void Prune(const QDateTime& now = QDateTime::currentDateTimeUtc()) const;

    // The file that holds the record for that ROM image and entry.
    QString FileOf(const std::string& romPath, int entry) const;

private:
    QString folder_;
};

} // namespace morvane
