#include "RecoveryWriter.h"

#include <QDebug>

namespace morvane {

namespace {

void Report(const QString& failure)
{
    if (!failure.isEmpty())
        qWarning().noquote() << failure;
}

} // namespace

RecoveryWriter::RecoveryWriter(RecoveryStore store) : store_(std::move(store))
{
    // One thread takes the tasks in the order they were queued.
    pool_.setMaxThreadCount(1);
}

RecoveryWriter::~RecoveryWriter()
{
    WaitForDone();
}

void RecoveryWriter::Write(const RecoveryRecord& record)
{
    const QDateTime asked = QDateTime::currentDateTimeUtc();
    pool_.start([this, record, asked] { Report(store_.Write(record, asked)); });
}

void RecoveryWriter::Remove(const std::string& romPath, int entry)
{
    pool_.start([this, romPath, entry] { Report(store_.Remove(romPath, entry)); });
}

void RecoveryWriter::Prune()
{
    pool_.start([this] { store_.Prune(); });
}

std::optional<RecoveryRecord> RecoveryWriter::Find(const std::string& romPath, int entry)
{
    WaitForDone();
    return store_.Find(romPath, entry);
}

void RecoveryWriter::WaitForDone()
{
    pool_.waitForDone();
}

} // namespace morvane
