#include "sprite/RomFile.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteBlock.h"

#include <QtTest>

#include <algorithm>
#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;

namespace {

// What a caller's buffer held before a failed read; it must still hold exactly this afterwards.
SpriteBlock Marked()
{
    SpriteBlock block {};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(0xA5 ^ i);
    return block;
}

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

// The failure of a block read into `block`, or of a write of it, at `offset` (text or number).
template <typename Offset>
QString FailureOfTransfer(bool write, const std::string& path, Offset offset, SpriteBlock& block)
{
    return FailureOf<RomFileError>([&] {
        if (write)
            WriteSpriteBlock(path, offset, block);
        else
            ReadSpriteBlock(path, offset, block);
    });
}

// Adds each case twice, as a read and as a write: a fault must stop both in the same way.
template <typename Row> void AddForReadAndWrite(std::initializer_list<Row> rows)
{
    AddRowColumn<Row>();
    for (Row row : rows) {
        for (const bool write : {false, true}) {
            row.write = write;
            QTest::addRow("%s %s", write ? "write" : "read", row.name) << row;
        }
    }
}

// Runs `operation` in a child process whose files may not grow past `limit` bytes, as a program
// that ignores SIGXFSZ runs it: every write at or past the limit fails with "File too large".
// Returns the RomFileError message, or an empty text when the operation succeeded.
QString FailureUnderSizeLimit(rlim_t limit, const std::function<void()>& operation)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("(no pipe)");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size {limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
        const QByteArray message = FailureOf<RomFileError>(operation).toUtf8();
        const bool sent = ::write(channel[1], message.constData(), std::size_t(message.size()))
            == message.size();
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray message;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("(the child process died)");
    return QString::fromUtf8(message);
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

struct Offset {
    const char* name;
    qint64 offset;
};

struct Unusable {
    const char* name;
    const char* file; // inside the test folder, or a device's absolute path
    const char* reason;
    bool write = false;
};

struct Beyond {
    const char* name;
    qint64 size;
    qint64 offset;
    bool write = false;
};

struct PartWrite {
    const char* name;
    qint64 limit;
    QList<qint64> offsets; // blocks written in one go
};

struct BadText {
    const char* name;
    const char* text;
    bool write = false;
};

struct Named {
    const char* name;
    QString file;
};

struct Kind {
    const char* name;
    const char* kind;
};

} // namespace

class RomFileTest : public QObject {
    Q_OBJECT

private slots:
    void readsBlockInPlace_data()
    {
        AddRows<Offset>({{"first sprite", 82928}, {"last of the first run", 90608},
            {"first of the second run", 91184},
            {"last sprite, ending at the end of the file", 1044720}, {"start of the file", 0}});
    }
    void readsBlockInPlace()
    {
        const qint64 offset = CurrentRow<Offset>().offset;
        RomFixture rom;
        SpriteBlock block = Marked();
        ReadSpriteBlock(rom.PathUtf8(), std::to_string(offset), block);

        QCOMPARE(Bytes(block), PatternBlock(offset));
    }

    void writesExactlyTheBlock_data() { readsBlockInPlace_data(); }
    void writesExactlyTheBlock()
    {
        const qint64 offset = CurrentRow<Offset>().offset;
        RomFixture rom;
        const SpriteBlock block = InvertedPattern(offset);
        WriteSpriteBlock(rom.PathUtf8(), std::to_string(offset), block);

        const QByteArray contents = rom.Contents();
        QCOMPARE(contents.size(), kRomBytes);
        QVERIFY(contents == RomFixture::Pattern(kRomBytes).replace(offset, 384, Bytes(block)));
    }

    void readThenWriteLeavesFileIdentical()
    {
        RomFixture rom;
        SpriteBlock block {};
        ReadSpriteBlock(rom.PathUtf8(), "96944", block);
        WriteSpriteBlock(rom.PathUtf8(), "96944", block);

        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void offsetTextAndTileOffsetMeetTheSameBytes()
    {
        RomFixture rom;
        SpriteBlock block {};
        ReadSpriteBlock(rom.PathUtf8(), "1042032", block);

        for (int tile = 0; tile < kTilesPerSprite; ++tile)
            QVERIFY2(Bytes(ReadTile(rom.PathUtf8(), 1042032 + kTileBytes * tile))
                    == Bytes(block).mid(kTileBytes * tile, kTileBytes),
                qPrintable(QStringLiteral("tile %1").arg(tile)));
    }

    void unusablePath_data()
    {
        // A device would take or give any number of bytes and report them all as stored.
        AddForReadAndWrite<Unusable>({{"missing file", "missing.gb", "No such file"},
            {"file in a missing folder", "no such folder/rom.gb", "No such file"},
            {"folder", "folder.gb", "it is a folder"}, {"pipe", "pipe.gb", "it is a pipe"},
            {"character device that never ends", "/dev/zero", "it is a device"},
            {"character device that is always full", "/dev/full", "it is a device"}});
    }
    void unusablePath()
    {
        const auto& row = CurrentRow<Unusable>();
        RomFixture rom;
        QDir(rom.Folder()).mkdir(QStringLiteral("folder.gb"));
        QVERIFY(::mkfifo(QFile::encodeName(rom.Folder() + "/pipe.gb").constData(), 0600) == 0);
        const QString path = QDir(rom.Folder()).filePath(QString::fromUtf8(row.file));
        if (row.file[0] == '/' && !QFileInfo::exists(path))
            QSKIP("This system lacks the device.");
        const bool existed = QFileInfo::exists(path);
        SpriteBlock block = Marked();

        const QString message = FailureOfTransfer(row.write, path.toStdString(), "82928", block);

        QVERIFY2(message.contains(path), qPrintable(message));
        QVERIFY2(message.contains(QString::fromUtf8(row.reason)), qPrintable(message));
        QCOMPARE(QFileInfo::exists(path), existed);
        QCOMPARE(block, Marked());
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void readOnlyFileCanBeRead()
    {
        RomFixture rom;
        QVERIFY(::chmod(rom.PathUtf8().c_str(), 0444) == 0);
        SpriteBlock block {};
        ReadSpriteBlock(rom.PathUtf8(), "82928", block);

        QCOMPARE(Bytes(block), PatternBlock(82928));
    }

    void readOnlyFileRefusesWrite()
    {
        RomFixture rom;
        QVERIFY(::chmod(rom.PathUtf8().c_str(), 0444) == 0);
        if (::access(rom.PathUtf8().c_str(), W_OK) == 0)
            QSKIP("This user may write to read-only files (running as root), so the refusal "
                  "cannot be provoked.");
        SpriteBlock block = InvertedPattern(82928);

        const QString message = FailureOfTransfer(true, rom.PathUtf8(), "82928", block);

        QVERIFY2(message.contains(rom.Path()), qPrintable(message));
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void beyondTheEnd_data()
    {
        AddForReadAndWrite<Beyond>({{"block crossing the end", 83000, 82928},
            {"block starting at the end", 82928, 82928}, {"block far past the end", 1000, 1042032},
            {"largest offset", kRomBytes, 2147483647}, {"empty file", 0, 0},
            {"before the start", kRomBytes, -16}});
    }
    void beyondTheEnd()
    {
        const auto& row = CurrentRow<Beyond>();
        RomFixture rom(row.size);
        SpriteBlock block = Marked();

        const QString message = FailureOfTransfer(
            row.write, rom.PathUtf8(), static_cast<std::int32_t>(row.offset), block);

        QVERIFY2(message.contains(rom.Path()), qPrintable(message));
        QVERIFY2(
            row.offset < 0 || message.contains(QString::number(row.size)), qPrintable(message));
        QVERIFY2(message.contains(QString::number(row.offset)), qPrintable(message));
        QCOMPARE(block, Marked());
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
        std::vector<SpriteBlock> blocks;
        for (const qint64 offset : row.offsets)
            blocks.push_back(InvertedPattern(offset));
        std::vector<RomWrite> writes;
        for (std::size_t i = 0; i < blocks.size(); ++i)
            writes.push_back({row.offsets[qsizetype(i)], blocks[i]});

        const QString message = FailureUnderSizeLimit(
            rlim_t(row.limit), [&] { WriteRomRanges(rom.PathUtf8(), writes); });

        QVERIFY2(message.contains(rom.Path()), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("File too large")), qPrintable(message));
        QVERIFY2(
            message.contains(QStringLiteral("The ROM image is unchanged.")), qPrintable(message));
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void badOffsetText_data()
    {
        AddForReadAndWrite<BadText>({{"?", "?"}, {"(empty)", ""}, {"-5", "-5"}, {"+5", "+5"},
            {"12a", "12a"}, {" 82928", " 82928"}, {"82928 ", "82928 "}, {"0x143F0", "0x143F0"},
            {"99999999999", "99999999999"}, {"2147483648", "2147483648"}});
    }
    void badOffsetText()
    {
        const auto& row = CurrentRow<BadText>();
        RomFixture rom;
        SpriteBlock block = Marked();

        const QString message = FailureOfTransfer(row.write, rom.PathUtf8(), row.text, block);

        QVERIFY2(message.contains(rom.Path()), qPrintable(message));
        QCOMPARE(block, Marked());
        QVERIFY(rom.Contents() == RomFixture::Pattern(kRomBytes));
    }

    void unusualPathNames_data()
    {
        AddRows<Named>({{"spaces", QStringLiteral("my sprite rom (copy).gb")},
            {"accents", QStringLiteral("spr\u00EEte r\u00F6m \u00E9t\u00E9.gb")},
            {"other scripts", QStringLiteral("\u30ED\u30E0 \u0440\u043E\u043C.gbc")}});
    }
    void unusualPathNames()
    {
        RomFixture rom(kRomBytes, CurrentRow<Named>().file);
        QVERIFY(QFileInfo::exists(rom.Path()));
        const std::string path = rom.Path().toUtf8().toStdString();

        SpriteBlock block {};
        ReadSpriteBlock(path, "91184", block);
        QCOMPARE(Bytes(block), PatternBlock(91184));

        const SpriteBlock written = InvertedPattern(91184);
        WriteSpriteBlock(path, "91184", written);
        QCOMPARE(rom.Contents().mid(91184, kSpriteBlockBytes), Bytes(written));
        QCOMPARE(RomFileSize(path), kRomBytes);
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
        AddRows<Kind>(
            {{"a path with its folder", "absolute"}, {"a name in the current folder", "relative"}});
    }
    void createsNewFileExactly()
    {
        const bool relative = CurrentRow<Kind>().kind == std::string_view("relative");
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
        AddRows<Kind>(
            {{"a file", "file"}, {"a link to a file", "link"}, {"a dangling link", "dangling"}});
    }
    void createRefusesExistingFile()
    {
        const QString kind = QString::fromLatin1(CurrentRow<Kind>().kind);
        RomFixture rom(5000);
        const QString path = rom.Folder() + QStringLiteral("/target.gb");
        const QString missing = rom.Folder() + QStringLiteral("/missing.gb");
        if (kind == QStringLiteral("file"))
            QVERIFY(QFile::copy(rom.Path(), path));
        else
            QVERIFY(QFile::link(kind == QStringLiteral("link") ? rom.Path() : missing, path));
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
};

QTEST_GUILESS_MAIN(RomFileTest)
#include "RomFileTest.moc"
