#pragma once

#include "RecoveryStore.h"

#include <QThreadPool>

#include <optional>
#include <string>

namespace morvane {

// Keeps recovery records off the paint path. Writes and removals run on a thread of their own,
// one after another in the order they were asked for, so the removal that follows a Save can
// never be overtaken by an earlier write that would bring the paint's record back. A write or
// removal that fails says so on standard error: the paint is still on screen to be saved.
class RecoveryWriter {
public:
    explicit RecoveryWriter(RecoveryStore store);
    // Finishes every write and removal already asked for, so the paint kept last before a quit
    // is on disk when the program ends.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    const RecoveryStore& Store() const { return store_; }

    // Writes `record`, stamped with the time it is asked for.
    void Write(const RecoveryRecord& record);
    void Remove(const std::string& romPath, int entry);
    // Removes the records too old to keep (RecoveryStore::Prune).
    void Prune();
    // The record as it stands once everything asked for before has been done.
    std::optional<RecoveryRecord> Find(const std::string& romPath, int entry);
    // Waits until every write and removal asked for has been done.
    void WaitForDone();

private:
    RecoveryStore store_;
    QThreadPool pool_;
};

} // namespace morvane
