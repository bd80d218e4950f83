#include "RecoveryKeeper.h"

#include "AboutText.h"
#include "PlatformServices.h"
#include "SpriteSession.h"
#include "sprite/SpriteCatalogue.h"

#include <QEvent>
#include <QLocale>
#include <QWidget>

#include <algorithm>

namespace morvane {

RecoveryKeeper::RecoveryKeeper(
    SpriteSession& document, MessageService& messages, QWidget* owner, const QString& folder)
    : document_(document), messages_(messages), owner_(owner), writer_(RecoveryStore(folder))
{
    writer_.Prune();
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::WritePending);
    connect(&document_, &SpriteSession::EntryLoaded, this, &RecoveryKeeper::EntryLoaded);
    connect(&document_, &SpriteSession::TileChanged, this, &RecoveryKeeper::DocumentChanged);
    connect(&document_, &SpriteSession::SpriteChanged, this, &RecoveryKeeper::DocumentChanged);
    connect(&document_, &SpriteSession::ModifiedChanged, this, &RecoveryKeeper::DocumentChanged);
    // Closing the window ends the program: the last change goes to disk at once, not with
    // whatever else the program does on its way out.
    if (owner_ != nullptr)
        owner_->installEventFilter(this);
}

RecoveryKeeper::~RecoveryKeeper()
{
    WritePending();
}

bool RecoveryKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == owner_ && event->type() == QEvent::Close)
        WritePending();
    return false;
}

void RecoveryKeeper::DocumentChanged()
{
    if (document_.IsModified()) {
        // Everything the record needs is taken now: a load replaces it before a write that is
        // still to come.
        pending_ = RecoveryRecord {document_.RomPath(), {}, document_.LoadedIndex(),
            document_.SpriteBuf(), document_.StoredBlock(), {}};
        if (!timer_.isActive())
            waiting_.start();
        timer_.start(static_cast<int>(
            std::clamp<qint64>(kLongestDelayMs - waiting_.elapsed(), 0, kWriteDelayMs)));
        return;
    }
    // The ROM image holds the block again: nothing is left to keep.
    timer_.stop();
    pending_.reset();
    if (kept_)
        writer_.Remove(document_.RomPath(), document_.LoadedIndex());
    kept_ = false;
}

void RecoveryKeeper::EntryLoaded(bool romOpened)
{
    // The load drops the paint from the window; its record stays for the next time.
    WritePending();
    kept_ = false;
    if (romOpened)
        asked_.clear();
}

void RecoveryKeeper::WritePending()
{
    timer_.stop();
    if (!pending_)
        return;
    pending_->rom = StampOfRom(pending_->romPath).value_or(RomStamp {});
    writer_.Write(*pending_);
    pending_.reset();
    kept_ = true;
}

void RecoveryKeeper::OfferRestore()
{
    const int entry = document_.LoadedIndex();
    // Paint dropped by a load since the ROM image was opened is not asked about until it is
    // opened again: a load asks nothing of its own.
    if (entry < 0 || !asked_.insert(entry).second)
        return;
    const std::optional<RecoveryRecord> record = writer_.Find(document_.RomPath(), entry);
    if (!record)
        return;
    // Paint the ROM image holds already (saved since, by another program) brings nothing back.
    if (record->block == document_.StoredBlock()) {
        writer_.Remove(document_.RomPath(), entry);
        return;
    }
    enum Answer { Restore, Discard };
    const int answer = messages_.Ask(owner_, kProgramTitle, Question(*record),
        {QStringLiteral("Restore"), QStringLiteral("Discard")}, Restore);
    if (answer != Restore) {
        writer_.Remove(document_.RomPath(), entry);
        return;
    }
    kept_ = true;
    document_.ReplaceBlock(record->block, document_.PalColor(), QStringLiteral("Restore Paint"));
}

QString RecoveryKeeper::Question(const RecoveryRecord& record) const
{
    const std::string_view label = SpriteLabel(record.entry);
    QString text = QStringLiteral("Sprite %1 (%2) has unsaved paint from %3.")
                       .arg(record.entry)
                       .arg(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())),
                           QLocale().toString(record.written.toLocalTime(), QLocale::ShortFormat));
    // Restoring would put the paint over a block that is no longer the one it was painted on.
    if (record.storedBlock != document_.StoredBlock())
        text += QStringLiteral(" The sprite in the ROM image has changed since then.");
    return text + QStringLiteral(" Restore it?");
}

} // namespace morvane
