#include "editor/RecoveryWriter.h"

#include "RomFixture.h"
#include "RowTable.h"

#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;

namespace {

const QDateTime kNow = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC);

// A ROM image file in `folder`, named by the bytes of `name` whatever their encoding.
std::string MakeRom(const QTemporaryDir& folder, const std::string& name)
{
    const std::string path = folder.path().toStdString() + "/" + name;
    WriteNativeFile(QByteArray::fromStdString(path), "ROM!");
    return path;
}

RecoveryRecord Record(const std::string& rom, int entry, int seed)
{
    RecoveryRecord record {rom, {1 << 20, 1'700'000'000'000'000'123 + seed}, entry, {}, {}, {}};
    for (std::size_t i = 0; i < record.block.size(); ++i) {
        record.block[i] = static_cast<std::uint8_t>(i * 7 + seed);
        record.storedBlock[i] = static_cast<std::uint8_t>(i * 13 + seed);
    }
    return record;
}

// The record as Find gives it back after Write at `when`.
RecoveryRecord Kept(RecoveryRecord record, const QDateTime& when = kNow)
{
    record.romPath = RecoveryStore::ResolveRomPath(record.romPath);
    record.written = when;
    return record;
}

void Replace(const QString& file, const QByteArray& bytes, const QDateTime& modified = kNow)
{
    QFile out(file);
    QVERIFY(
        out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size());
    QVERIFY(out.flush() && out.setFileTime(modified, QFileDevice::FileModificationTime));
}

void ExpectOneMessage(const QString& file, const QString& flaw)
{
    QTest::ignoreMessage(QtWarningMsg,
        QRegularExpression(QRegularExpression::escape("\"" + file + "\": it " + flaw)));
}

// A damaged record, and the words of the warning that passes it over.
struct FlawRow {
    const char* name;
    QByteArray bytes;
    QString flaw;
};

} // namespace

class RecoveryStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const std::string rom_ = MakeRom(dir_, "game.gb");
    const QString folder_ = dir_.path() + "/state/recovery";
    const RecoveryStore store_ {folder_}; // holds only the path, so one serves every test

private slots:
    void init()
    {
        // Any message not expected by a test is a record passed over that should not be.
        QTest::failOnWarning(QRegularExpression(".*"));
        QDir(dir_.path() + "/state").removeRecursively();
    }

    void writeFindRemove()
    {
        const std::string latin1 = MakeRom(dir_, "sp\xe9.gb");
        const RecoveryRecord first = Record(rom_, 7, 1);
        QCOMPARE(store_.Write(first, kNow), QString());
        QVERIFY(store_.Find(rom_, 7) == Kept(first));
        QCOMPARE(QFileInfo(folder_).permissions() & 0x0FF, QFileDevice::Permissions());

        // Found however the ROM image is named next time.
        QVERIFY(QFile::link(QString::fromStdString(rom_), dir_.path() + "/link.gb"));
        QVERIFY(store_.Find(dir_.path().toStdString() + "/link.gb", 7) == Kept(first));
        const std::string relative = QDir().relativeFilePath(dir_.path()).toStdString();
        QVERIFY(store_.Find(relative + "/state/../game.gb", 7) == Kept(first));

        // One record per ROM image and entry.
        QVERIFY(!store_.Find(rom_, 8) && !store_.Find(latin1, 7));
        QCOMPARE(store_.Write(Record(latin1, 7, 2), kNow), QString());
        QCOMPARE(store_.Write(Record(rom_, 7, 3), kNow.addSecs(1)), QString());
        QVERIFY(store_.Find(rom_, 7) == Kept(Record(rom_, 7, 3), kNow.addSecs(1)));
        QVERIFY(store_.Find(latin1, 7) == Kept(Record(latin1, 7, 2)));
        QCOMPARE(QDir(folder_).entryList(QDir::Files).size(), 2);

        QCOMPARE(store_.Remove(rom_, 7), QString());
        QVERIFY(!store_.Find(rom_, 7));
        QVERIFY(store_.Find(latin1, 7) == Kept(Record(latin1, 7, 2)));
        QCOMPARE(store_.Remove(rom_, 7), QString());

        const std::optional<RomStamp> stamp = StampOfRom(rom_);
        QVERIFY(stamp && stamp->size == 4);
        QCOMPARE(stamp->modifiedNs / 1'000'000,
            QFileInfo(QString::fromStdString(rom_)).lastModified().toMSecsSinceEpoch());
        QVERIFY(!StampOfRom(rom_ + ".gone"));
        ::unlink(latin1.c_str());
    }

    void failedWriteSaysWhy()
    {
        const QString blocked = dir_.path() + "/state";
        Replace(blocked, "a file where the folder goes");
        const QString failure = RecoveryStore(blocked + "/recovery").Write(Record(rom_, 7, 1));
        QVERIFY2(failure.contains(blocked + "/recovery/") && failure.contains("cannot be made"),
            qPrintable(failure));
        QFile::remove(blocked);

        QVERIFY(store_.Write(Record(rom_, 45, 1)).contains("45 is not a sprite"));
    }

    void damagedRecordIsPassedOver_data()
    {
        const RecoveryStore store(dir_.path() + "/good");
        QCOMPARE(store.Write(Record(rom_, 7, 1)), QString());
        QCOMPARE(store.Write(Record(rom_, 8, 2)), QString());
        const QByteArray good = ReadWholeFile(store.FileOf(rom_, 7));
        const auto with = [&good](qsizetype at, QByteArray part) {
            return QByteArray(good).replace(at, part.size(), part);
        };
        const auto flipped = [&good, &with](qsizetype at, char bits) {
            return with(at, QByteArray(1, char(good[at] ^ bits)));
        };
        AddRows<FlawRow>({{"empty", {}, "is cut short (0 bytes)"},
            {"cut in the header", good.left(20), "is cut short (20 bytes)"},
            {"cut in the blocks", good.chopped(1), "is cut short ("},
            {"one byte more", good + '\0', "is damaged ("},
            {"another program's file", with(0, "\x89PNG\r\n\x1a\n"), "is not a recovery record"},
            {"a short text", "paint", "is not a recovery record"},
            {"a newer version", with(8, "\x02"), "has record version 2"},
            {"a path longer than any", with(12, "\xff\xff\xff\xff"),
                "is damaged (a ROM path of 4294967295 bytes)"},
            {"one bit of paint changed", flipped(good.size() - 400, 1), "is damaged (its checksum"},
            {"checksum changed", flipped(good.size() - 1, '\x80'), "is damaged (its checksum"},
            {"another entry's record in its place", ReadWholeFile(store.FileOf(rom_, 8)),
                "belongs to another ROM image or sprite"}});
    }

    // Nothing of a damaged or foreign record is trusted; a good record takes its place.
    void damagedRecordIsPassedOver()
    {
        const auto& [name, bytes, flaw] = CurrentRow<FlawRow>();
        const QString file = store_.FileOf(rom_, 7);
        QVERIFY(QDir().mkpath(folder_));
        Replace(file, bytes);

        ExpectOneMessage(file, flaw);
        QVERIFY(!store_.Find(rom_, 7));

        QCOMPARE(store_.Write(Record(rom_, 7, 3), kNow), QString());
        QVERIFY(store_.Find(rom_, 7) == Kept(Record(rom_, 7, 3)));
    }

    // A kill at any moment of a write leaves the record before it or the new one, never damage.
    void killDuringWriteLeavesASoundRecord()
    {
        QCOMPARE(store_.Write(Record(rom_, 7, 0)), QString());
        QRandomGenerator random(7);
        for (int round = 0; round < 20; ++round) {
            const pid_t child = fork();
            if (child == 0) {
                for (int seed = 1;; seed = 3 - seed)
                    (void)store_.Write(Record(rom_, 7, seed));
            }
            QVERIFY(child > 0);
            usleep(random.bounded(4001U));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);

            const std::optional<RecoveryRecord> found = store_.Find(rom_, 7);
            QVERIFY(found && found->block[0] <= 2
                && found->block == Record(rom_, 7, found->block[0]).block);
        }
    }

    void pruneRemovesWhatIsOld()
    {
        const QDateTime old = kNow.addDays(-RecoveryStore::kKeepDays).addSecs(-1);
        const QDateTime young = kNow.addDays(-RecoveryStore::kKeepDays).addSecs(1);
        QCOMPARE(store_.Write(Record(rom_, 1, 1), old), QString());
        QCOMPARE(store_.Write(Record(rom_, 2, 2), young), QString());
        Replace(store_.FileOf(rom_, 3), "damaged", old);
        Replace(store_.FileOf(rom_, 4), "damaged", young);
        Replace(store_.FileOf(rom_, 5) + ".Xa31Qz", "partly written", old);
        Replace(folder_ + "/notes.txt", "not a record", old);

        ExpectOneMessage(store_.FileOf(rom_, 3), "is not a recovery record");
        ExpectOneMessage(store_.FileOf(rom_, 4), "is not a recovery record");
        store_.Prune(kNow);

        QStringList expected = {QFileInfo(store_.FileOf(rom_, 2)).fileName(),
            QFileInfo(store_.FileOf(rom_, 4)).fileName(), "notes.txt"};
        expected.sort();
        QCOMPARE(QDir(folder_).entryList(QDir::Files, QDir::Name), expected);
    }

    void defaultFolderFollowsTheStateSetting()
    {
        const QByteArray before = qgetenv("XDG_STATE_HOME");
        const QString fallback = QDir::homePath() + "/.local/state/morvane-sprite-editor/recovery";
        qputenv("XDG_STATE_HOME", "/somewhere/state");
        QCOMPARE(RecoveryStore::DefaultFolder(), "/somewhere/state/morvane-sprite-editor/recovery");
        qputenv("XDG_STATE_HOME", "relative/state");
        QCOMPARE(RecoveryStore::DefaultFolder(), fallback);
        qunsetenv("XDG_STATE_HOME");
        QCOMPARE(RecoveryStore::DefaultFolder(), fallback);
        qputenv("XDG_STATE_HOME", before);
    }

    // The removal after a Save is never overtaken by a write asked for before it, and the last
    // write asked for is on disk once the writer is gone.
    void writerKeepsTheOrderAsked()
    {
        {
            RecoveryWriter writer(store_);
            for (int seed = 0; seed < 40; ++seed)
                writer.Write(Record(rom_, 7, seed));
            writer.Remove(rom_, 7);
            QVERIFY(!writer.Find(rom_, 7));
            writer.Write(Record(rom_, 7, 1));
            writer.Write(Record(rom_, 7, 2));
        }
        const std::optional<RecoveryRecord> found = store_.Find(rom_, 7);
        QVERIFY(found && found->block == Record(rom_, 7, 2).block);
    }
};

QTEST_GUILESS_MAIN(RecoveryStoreTest)
#include "RecoveryStoreTest.moc"
