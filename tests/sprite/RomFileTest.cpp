// The ROM image's file access: sprite blocks read and written in place, whole files created and
// replaced, and what a bad path or offset, a size limit or a failing disk leaves behind.
#include "sprite/RomFile.h"

#include "DiskScript.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "sprite/RomFileError.h"

#include <QtTest>

#include <cerrno>
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;

namespace {

// What a caller's buffer held before a failed read; it must still hold exactly this afterwards.
const SpriteBlock kMarked = RandomBlock(0xA5);

// A block unlike the fixture's bytes at `offset` in every position, so every written byte shows.
SpriteBlock InvertedPattern(qint64 offset)
{
    SpriteBlock block {};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(~RomFixture::PatternByte(offset + qint64(i)));
    return block;
}

QByteArray PatternBlock(qint64 offset)
{
    return RomFixture::Pattern(kRomBytes).mid(offset, kSpriteBlockBytes);
}

// The block at `offset` as a read into a marked buffer delivers it.
SpriteBlock ReadBlock(const std::string& path, const std::string& offset)
{
    SpriteBlock block = kMarked;
    ReadSpriteBlock(path, offset, block);
    return block;
}

// The failure of a block read into `block`, or of a write of it, at `offset` (text or number).
template <typename Offset>
QString FailureOfTransfer(bool write, const std::string& path, Offset offset, SpriteBlock& block)
{
    return FailureOf<RomFileError>([&] {
        write ? WriteSpriteBlock(path, offset, block) : ReadSpriteBlock(path, offset, block);
    });
}

// Adds each case twice, as a read and as a write: a fault must stop both in the same way.
template <typename Row> void AddForReadAndWrite(std::initializer_list<Row> rows)
{
    AddRowColumn<Row>();
    for (Row row : rows)
        for (const bool write : {false, true}) {
            row.write = write;
            QTest::addRow("%s %s", write ? "write" : "read", row.name) << row;
        }
}

// Runs `operation` while no file may grow past `limit` bytes and SIGXFSZ is ignored, so every write
// at or past the limit fails with "File too large"; returns its RomFileError message, if any.
QString FailureUnderSizeLimit(rlim_t limit, const std::function<void()>& operation)
{
    rlimit usual {};
    ::getrlimit(RLIMIT_FSIZE, &usual);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit size {limit, usual.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &size);
    const QString message = FailureOf<RomFileError>(operation);
    ::setrlimit(RLIMIT_FSIZE, &usual);
    std::signal(SIGXFSZ, handler);
    return message;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

// A block at `offset` of a file of `size` bytes, read or written.
struct Placed {
    const char* name;
    qint64 offset, size = kRomBytes;
    bool write = false;
};

// A case told by one text: a path (inside the test folder, or a device's absolute path), a file
// name, an offset, or which kind of path or file it uses; for a refusal, the reason it gives.
struct Named {
    const char* name;
    const char* text;
    const char* reason = "";
    bool write = false;
};

struct PartWrite {
    const char* name;
    qint64 limit;
    QList<qint64> offsets; // blocks written in one go
};

// A transfer on a scripted disk, the parts of its message (none when it must succeed) and, for a
// write, how many leading bytes of the new block the file holds afterwards.
struct DiskFault {
    const char* name;
    bool write;
    DiskScript answers;
    QStringList message;
    int written;
};

} // namespace

class RomFileTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { DisarmDisk(); }

    void readsBlockInPlace_data()
    {
        AddRows<Placed>({{"first sprite", 82928}, {"last of the first run", 90608},
            {"first of the second run", 91184},
            {"last sprite, ending at the end of the file", 1044720}, {"start of the file", 0}});
    }
    void readsBlockInPlace()
    {
        const qint64 offset = CurrentRow<Placed>().offset;
        RomFixture rom;
        QCOMPARE(Bytes(ReadBlock(rom.PathUtf8(), std::to_string(offset))), PatternBlock(offset));
    }

    void writesExactlyTheBlock_data() { readsBlockInPlace_data(); }
    void writesExactlyTheBlock()
    {
        const qint64 offset = CurrentRow<Placed>().offset;
        RomFixture rom;
        const SpriteBlock block = InvertedPattern(offset);
        WriteSpriteBlock(rom.PathUtf8(), std::to_string(offset), block);

        QVERIFY(
            rom.Contents() == RomFixture::Pattern(kRomBytes).replace(offset, 384, Bytes(block)));
    }

    void readThenWriteLeavesFileIdentical()
    {
        RomFixture rom;
        WriteSpriteBlock(rom.PathUtf8(), "96944", ReadBlock(rom.PathUtf8(), "96944"));

        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void offsetTextAndTileOffsetMeetTheSameBytes()
    {
        RomFixture rom;
        const SpriteBlock block = ReadBlock(rom.PathUtf8(), "1042032");

        for (int tile = 0; tile < kTilesPerSprite; ++tile)
            QVERIFY2(Bytes(ReadTile(rom.PathUtf8(), 1042032 + kTileBytes * tile))
                    == Bytes(block).mid(kTileBytes * tile, kTileBytes),
                qPrintable(QStringLiteral("tile %1").arg(tile)));
    }

    void unusablePath_data()
    {
        // A device would take or give any number of bytes and report them all as stored.
        AddForReadAndWrite<Named>({{"missing file", "missing.gb", "No such file"},
            {"file in a missing folder", "no such folder/rom.gb", "No such file"},
            {"folder", "folder.gb", "it is a folder"}, {"pipe", "pipe.gb", "it is a pipe"},
            {"character device that never ends", "/dev/zero", "it is a device"},
            {"character device that is always full", "/dev/full", "it is a device"}});
    }
    void unusablePath()
    {
        const auto& row = CurrentRow<Named>();
        RomFixture rom;
        QDir(rom.Folder()).mkdir(QStringLiteral("folder.gb"));
        QVERIFY(::mkfifo(QFile::encodeName(rom.Folder() + "/pipe.gb").constData(), 0600) == 0);
        const QString path = QDir(rom.Folder()).filePath(QString::fromUtf8(row.text));
        if (row.text[0] == '/' && !QFileInfo::exists(path))
            QSKIP("This system lacks the device.");
        const bool existed = QFileInfo::exists(path);
        SpriteBlock block = kMarked;

        const QString message = FailureOfTransfer(row.write, path.toStdString(), "82928", block);

        QVERIFY2(message.contains(path) && message.contains(QString::fromUtf8(row.reason)),
            qPrintable(message));
        QCOMPARE(QFileInfo::exists(path), existed);
        QCOMPARE(block, kMarked);
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void readOnlyFileCanBeRead()
    {
        RomFixture rom;
        QVERIFY(::chmod(rom.PathUtf8().c_str(), 0444) == 0);
        QCOMPARE(Bytes(ReadBlock(rom.PathUtf8(), "82928")), PatternBlock(82928));
    }

    void readOnlyFileRefusesWrite()
    {
        RomFixture rom;
        QVERIFY(::chmod(rom.PathUtf8().c_str(), 0444) == 0);
        if (::access(rom.PathUtf8().c_str(), W_OK) == 0)
            QSKIP("This user (root) may write to read-only files, so the refusal cannot be shown.");
        SpriteBlock block = InvertedPattern(82928);

        const QString message = FailureOfTransfer(true, rom.PathUtf8(), "82928", block);

        QVERIFY2(message.contains(rom.Path()), qPrintable(message));
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void beyondTheEnd_data()
    {
        AddForReadAndWrite<Placed>({{"block crossing the end", 82928, 83000},
            {"block starting at the end", 82928, 82928}, {"block far past the end", 1042032, 1000},
            {"largest offset", 2147483647}, {"empty file", 0, 0}, {"before the start", -16}});
    }
    void beyondTheEnd()
    {
        const auto& row = CurrentRow<Placed>();
        RomFixture rom(row.size);
        SpriteBlock block = kMarked;

        const QString message = FailureOfTransfer(
            row.write, rom.PathUtf8(), static_cast<std::int32_t>(row.offset), block);

        QVERIFY2(message.contains(rom.Path()) && message.contains(QString::number(row.offset))
                && (row.offset < 0 || message.contains(QString::number(row.size))),
            qPrintable(message));
        QCOMPARE(block, kMarked);
        QVERIFY(rom.Contents() == RomFixture::Pattern(row.size));
    }

    // A write that fails part way (a file-size limit, a full disk under a sparse file) must leave
    // the block as it was and say so.
    void failedWriteLeavesTheBlock_data()
    {
        AddRows<PartWrite>({{"limit below the block", 82928 - 100, {82928}},
            {"limit after the first tile", 82928 + 16, {82928}},
            {"limit before the last byte", 82928 + 383, {82928}},
            {"second of two blocks fails, the first is put back", 91184 + 16, {82928, 91184}}});
    }
    void failedWriteLeavesTheBlock()
    {
        const auto& row = CurrentRow<PartWrite>();
        RomFixture rom;
        std::deque<SpriteBlock> blocks; // stays in place as it grows, for the writes' spans
        std::vector<RomWrite> writes;
        for (const qint64 offset : row.offsets)
            writes.push_back({offset, blocks.emplace_back(InvertedPattern(offset))});

        const QString message = FailureUnderSizeLimit(
            rlim_t(row.limit), [&] { WriteRomRanges(rom.PathUtf8(), writes); });

        QVERIFY2(message.contains(rom.Path()) && message.contains(QStringLiteral("File too large"))
                && message.contains(QStringLiteral("The ROM image is unchanged.")),
            qPrintable(message));
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void badOffsetText_data()
    {
        AddForReadAndWrite<Named>({{"?", "?"}, {"(empty)", ""}, {"-5", "-5"}, {"+5", "+5"},
            {"12a", "12a"}, {" 82928", " 82928"}, {"82928 ", "82928 "}, {"0x143F0", "0x143F0"},
            {"99999999999", "99999999999"}, {"2147483648", "2147483648"}});
    }
    void badOffsetText()
    {
        const auto& row = CurrentRow<Named>();
        RomFixture rom;
        SpriteBlock block = kMarked;

        const QString message = FailureOfTransfer(row.write, rom.PathUtf8(), row.text, block);

        QVERIFY2(message.contains(rom.Path()), qPrintable(message));
        QCOMPARE(block, kMarked);
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void unusualPathNames_data()
    {
        AddRows<Named>({{"spaces", "my sprite rom (copy).gb"},
            {"accents", "spr\u00EEte r\u00F6m \u00E9t\u00E9.gb"},
            {"other scripts", "\u30ED\u30E0 \u0440\u043E\u043C.gbc"}});
    }
    void unusualPathNames()
    {
        RomFixture rom(kRomBytes, QString::fromUtf8(CurrentRow<Named>().text));
        QVERIFY(QFileInfo::exists(rom.Path()));

        QCOMPARE(Bytes(ReadBlock(rom.PathUtf8(), "91184")), PatternBlock(91184));

        WriteSpriteBlock(rom.PathUtf8(), "91184", InvertedPattern(91184));
        QCOMPARE(rom.Contents().mid(91184, kSpriteBlockBytes), Bytes(InvertedPattern(91184)));
        QCOMPARE(RomFileSize(rom.PathUtf8()), kRomBytes);
    }

    void readsWholeImage()
    {
        RomFixture rom(5000);
        QCOMPARE(Bytes(ReadWholeRom(rom.PathUtf8(), 5000)), RomFixture::Pattern(5000));

        const QString message
            = FailureOf<RomFileError>([&] { ReadWholeRom(rom.PathUtf8(), 4999); });
        QVERIFY2(message.contains(rom.Path()) && message.contains(QStringLiteral("5000 bytes")),
            qPrintable(message));
    }

    void createsNewFileExactly_data()
    {
        AddRows<Named>(
            {{"a path with its folder", "absolute"}, {"a name in the current folder", "relative"}});
    }
    void createsNewFileExactly()
    {
        const bool relative = QString::fromUtf8(CurrentRow<Named>().text) == u"relative";
        QTemporaryDir dir;
        const QString name = QStringLiteral("new rom.gb");
        const QByteArray data = RomFixture::Pattern(5000);
        const QString current = QDir::currentPath();
        if (relative)
            QVERIFY(QDir::setCurrent(dir.path()));

        CreateRomFile((relative ? name : dir.filePath(name)).toStdString(), Span(data));

        QVERIFY(QDir::setCurrent(current));
        QVERIFY(ReadWholeFile(dir.filePath(name)) == data);
        QCOMPARE(Entries(dir.path()), QStringList {name});
    }

    void createRefusesExistingFile_data()
    {
        AddRows<Named>(
            {{"a file", "file"}, {"a link to a file", "link"}, {"a dangling link", "dangling"}});
    }
    void createRefusesExistingFile()
    {
        const QString kind = QString::fromUtf8(CurrentRow<Named>().text);
        RomFixture rom(5000);
        const QString path = rom.Folder() + QStringLiteral("/target.gb");
        const QString missing = rom.Folder() + QStringLiteral("/missing.gb");
        QVERIFY(kind == QStringLiteral("file")
                ? QFile::copy(rom.Path(), path)
                : QFile::link(kind == QStringLiteral("link") ? rom.Path() : missing, path));
        const QStringList before = Entries(rom.Folder());

        const QString message = FailureOf<RomFileError>(
            [&] { CreateRomFile(path.toStdString(), Span(QByteArray(100, 'x'))); });

        QVERIFY2(message.contains(path) && message.contains(QStringLiteral("already exists")),
            qPrintable(message));
        QVERIFY(rom.Contents() == RomFixture::Pattern(5000));
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(Entries(rom.Folder()), before);
    }

    void replacesTheNameNotTheTarget()
    {
        RomFixture rom(5000);
        const QString link = rom.Folder() + QStringLiteral("/link.png");
        QVERIFY(QFile::link(rom.Path(), link));
        const QString kept = rom.Folder() + QStringLiteral("/kept.png");
        QVERIFY(WriteWholeFile(kept, "old"));
        QVERIFY(::chmod(QFile::encodeName(kept).constData(), 0640) == 0);

        const mode_t umaskBefore = ::umask(022);
        ReplaceWholeFile(link.toStdString(), Span("new"));
        ReplaceWholeFile(kept.toStdString(), Span("newer"));
        ::umask(umaskBefore);

        QVERIFY(rom.Contents() == RomFixture::Pattern(5000));
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(ReadWholeFile(link), QByteArray("new"));
        QCOMPARE(ReadWholeFile(kept), QByteArray("newer"));
        struct stat info { };
        QVERIFY(::stat(QFile::encodeName(kept).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        // The file that replaces a link is new: it takes the usual permissions, less the umask.
        QVERIFY(::stat(QFile::encodeName(link).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));
    }

    void replaceRefusesFoldersAndPipes()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("folder.png"));
        const QString pipe = dir.filePath(QStringLiteral("pipe.png"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);

        for (const QString& path : {folder, pipe}) {
            const QString message
                = FailureOf<RomFileError>([&] { ReplaceWholeFile(path.toStdString(), Span("x")); });
            QVERIFY2(message.contains(path), qPrintable(message));
        }
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(QFileInfo(pipe).isFile(), false);
        QCOMPARE(Entries(dir.path()).size(), 2);
    }

    void failedReplaceKeepsTheOldFile()
    {
        RomFixture rom(5000);
        const QByteArray large = RomFixture::Pattern(20000);

        const QString message
            = FailureUnderSizeLimit(10000, [&] { ReplaceWholeFile(rom.PathUtf8(), Span(large)); });

        QVERIFY2(message.contains(rom.Path()) && message.contains(QStringLiteral("File too large")),
            qPrintable(message));
        QVERIFY(rom.Contents() == RomFixture::Pattern(5000));
        QCOMPARE(Entries(rom.Folder()), QStringList {QStringLiteral("rom.gb")});
    }
    // A disk that is interrupted, transfers in parts, fails, or cannot reserve or sync: the image
    // and the caller's block come out whole, with a message that says what happened.
    void blockTransfer_data()
    {
        AddRows<DiskFault>({
            {"read interrupted by a signal, then given in parts", false,
                {{"pread", {Fails(EINTR), Moves(100), Moves(1)}}}, {}, 0},
            {"read error of the disk", false, {{"pread", {Fails(EIO)}}},
                {"Cannot read", "Input/output error"}, 0},
            {"file shortened while it is read", false,
                {{"pread", {Moves(16), DiskAnswer {0, true}}}},
                {"Cannot read 384 bytes at offset 82928", "the file ended early"}, 0},

            {"write interrupted by a signal, then taken in parts", true,
                {{"pwrite", {Fails(EINTR), Moves(16), Moves(1)}}}, {}, 384},
            {"file system that cannot reserve space", true, {{"fallocate", {Fails(EOPNOTSUPP)}}},
                {}, 384},
            {"file system without a sync", true, {{"fsync", {Fails(EINVAL)}}}, {}, 384},
            {"no space to reserve", true, {{"fallocate", {Fails(ENOSPC)}}},
                {"Cannot write to", "No space left on device", "The ROM image is unchanged."}, 0},
            {"write error after the first tile is put back", true,
                {{"pwrite", {Moves(16), Fails(EIO)}}},
                {"Cannot write to", "Input/output error", "The ROM image is unchanged."}, 0},
            {"write error, and putting the old bytes back fails too", true,
                {{"pwrite", {Moves(16), Fails(EIO), Fails(EIO)}}},
                {"The ROM image is not as it was", "offsets 82928 to 83311 may be partly written",
                    "putting the old bytes back failed too"},
                16},
            {"disk that fails when the write is synced", true, {{"fsync", {Fails(EIO)}}},
                {"Cannot save", "to disk", "Input/output error"}, 384},
        });
    }
    void blockTransfer()
    {
        const auto& [name, write, answers, message, written] = CurrentRow<DiskFault>();
        RomFixture rom;
        SpriteBlock block = InvertedPattern(kEntry0);

        ArmDisk(answers);
        const QString failure
            = FailureOfTransfer(write, rom.PathUtf8(), std::to_string(kEntry0), block);
        const DiskScript left = DisarmDisk();

        for (const QString& part : message)
            QVERIFY2(failure.contains(part), qPrintable(failure));
        QVERIFY2(message.isEmpty() ? failure.isEmpty() : failure.contains(rom.Path()),
            qPrintable(failure));
        for (const auto& unused : left)
            QFAIL((unused.first + " was not called as often as scripted").c_str());

        const QByteArray kept = Bytes(block).left(written);
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes).replace(kEntry0, written, kept));
        // A read that succeeds delivers the block; one that fails leaves the caller's as it was.
        QCOMPARE(Bytes(block),
            write || !message.isEmpty() ? Bytes(InvertedPattern(kEntry0)) : PatternBlock(kEntry0));
    }
};

QTEST_GUILESS_MAIN(RomFileTest)
#include "RomFileTest.moc"
