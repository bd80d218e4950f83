#pragma once

#include "RecoveryWriter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <optional>
#include <set>

class QWidget;

namespace morvane {

class MessageService;
class SpriteSession;

// Keeps the unsaved paint of the loaded sprite in a recovery record, so that a quit, a crash or a
// kill loses none of it, and offers it back when that sprite of that ROM image is loaded again.
//
// The record is written a moment after the paint stops changing, on the writer's thread and never
// on the paint path, and removed once the ROM image holds the block again: by Save, or by undo
// back to it. Quit, closing the window and a new load drop the paint from the window, not from
// the record: a change not yet written is written before.
class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    // A change is written this long after it unless another change comes first, and never later
    // than the longest delay after the first change not yet written, however long painting goes
    // on.
    static constexpr int kWriteDelayMs = 500;
    static constexpr int kLongestDelayMs = 2000;

    // Keeps the records of `document`'s paint in `folder`, where records too old to keep are
    // removed now; asks its questions over `owner`.
    RecoveryKeeper(SpriteSession& document, MessageService& messages, QWidget* owner,
        const QString& folder = RecoveryStore::DefaultFolder());
    // Writes the change not yet written and waits until every record is on disk.
    ~RecoveryKeeper() override;

    // After a load, once the window shows it: when paint of the loaded entry was kept, asks
    // whether to restore it, once for each entry after the ROM image is opened. Restore makes it
    // one undoable, unsaved step; Discard removes the record.
    void OfferRestore();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DocumentChanged();
    void EntryLoaded(bool romOpened);
    void WritePending();
    QString Question(const RecoveryRecord& record) const;

    SpriteSession& document_;
    MessageService& messages_;
    QWidget* owner_;
    RecoveryWriter writer_;
    QTimer timer_;
    QElapsedTimer waiting_; // since the first change not yet written
    std::optional<RecoveryRecord> pending_;
    // Whether a record of the loaded entry's paint may be on disk: it goes once the ROM image
    // holds the block again.
    bool kept_ = false;
    // The entries asked about since the ROM image was opened.
    std::set<int> asked_;
};

} // namespace morvane
