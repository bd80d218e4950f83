#include "sprite/RomFile.h"
#include "RomFixture.h"
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
using morvane::test::ReadWholeFile;
using morvane::test::RomFixture;

namespace {

constexpr qint64 kRomSize = 1045104;

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

QByteArray Bytes(const SpriteBlock& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
}

// The message of the RomFileError an operation throws, or an empty text if it succeeds.
template <typename Operation> QString FailureOf(Operation&& operation)
{
    try {
        operation();
    } catch (const RomFileError& error) {
        const QString message = QString::fromUtf8(error.what());
        return message.isEmpty() ? QStringLiteral("(empty message)") : message;
    }
    return {};
}

// Runs a block read or write and returns its failure message; a read goes into `block`.
QString FailureOfBlockTransfer(
    bool write, const std::string& path, const std::string& offsetText, SpriteBlock& block)
{
    return FailureOf([&] {
        if (write)
            WriteSpriteBlock(path, offsetText, block);
        else
            ReadSpriteBlock(path, offsetText, block);
    });
}

// Adds one case twice, as a read and as a write: a fault must stop both in the same way.
void AddForReadAndWrite(const char* name, const std::function<void(QTestData&)>& columns)
{
    for (const bool write : {false, true})
        columns(
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(
                write ? QStringLiteral("write") : QStringLiteral("read"), QString::fromUtf8(name))))
            << write);
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
        const QByteArray message = FailureOf(operation).toUtf8();
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

std::span<const std::uint8_t> AsSpan(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

} // namespace

class RomFileTest : public QObject {
    Q_OBJECT

private slots:
    void readsBlockInPlace_data();
    void readsBlockInPlace();
    void writesExactlyTheBlock_data();
    void writesExactlyTheBlock();
    void readThenWriteLeavesFileIdentical();
    void offsetTextAndTileOffsetMeetTheSameBytes();
    void unusablePath_data();
    void unusablePath();
    void readOnlyFileCanBeRead();
    void readOnlyFileRefusesWrite();
    void beyondTheEnd_data();
    void beyondTheEnd();
    void failedWriteLeavesTheBlock_data();
    void failedWriteLeavesTheBlock();
    void badOffsetText_data();
    void badOffsetText();
    void unusualPathNames_data();
    void unusualPathNames();
    void readsWholeImage();
    void createsNewFileExactly_data();
    void createsNewFileExactly();
    void createRefusesExistingFile_data();
    void createRefusesExistingFile();
    void replacesTheNameNotTheTarget();
    void replaceRefusesFoldersAndPipes();
    void failedReplaceKeepsTheOldFile();
};

void RomFileTest::readsBlockInPlace_data()
{
    QTest::addColumn<qint64>("offset");

    QTest::newRow("first sprite") << qint64(82928);
    QTest::newRow("last of the first run") << qint64(90608);
    QTest::newRow("first of the second run") << qint64(91184);
    QTest::newRow("last sprite, ending at the end of the file") << qint64(1044720);
    QTest::newRow("start of the file") << qint64(0);
}

void RomFileTest::readsBlockInPlace()
{
    QFETCH(qint64, offset);

    RomFixture rom;
    SpriteBlock block = Marked();
    ReadSpriteBlock(rom.PathUtf8(), std::to_string(offset), block);

    QCOMPARE(Bytes(block), RomFixture::Pattern(kRomSize).mid(offset, kSpriteBlockBytes));
}

void RomFileTest::writesExactlyTheBlock_data()
{
    readsBlockInPlace_data();
}

void RomFileTest::writesExactlyTheBlock()
{
    QFETCH(qint64, offset);

    RomFixture rom;
    const SpriteBlock block = InvertedPattern(offset);
    WriteSpriteBlock(rom.PathUtf8(), std::to_string(offset), block);

    QByteArray expected = RomFixture::Pattern(kRomSize);
    expected.replace(offset, kSpriteBlockBytes, Bytes(block));
    const QByteArray contents = rom.Contents();
    QCOMPARE(contents.size(), kRomSize);
    QVERIFY(contents == expected);
}

void RomFileTest::readThenWriteLeavesFileIdentical()
{
    RomFixture rom;
    SpriteBlock block {};
    ReadSpriteBlock(rom.PathUtf8(), "96944", block);
    WriteSpriteBlock(rom.PathUtf8(), "96944", block);

    QVERIFY(rom.Contents() == RomFixture::Pattern(kRomSize));
}

void RomFileTest::offsetTextAndTileOffsetMeetTheSameBytes()
{
    RomFixture rom;
    SpriteBlock block {};
    ReadSpriteBlock(rom.PathUtf8(), "1042032", block);

    for (int tile = 0; tile < kTilesPerSprite; ++tile) {
        const TileBytes bytes = ReadTile(rom.PathUtf8(), 1042032 + kTileBytes * tile);
        QVERIFY2(std::equal(bytes.begin(), bytes.end(), block.begin() + kTileBytes * tile),
            qPrintable(QStringLiteral("tile %1").arg(tile)));
    }
}

void RomFileTest::unusablePath_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<QString>("name"); // inside the test folder, or a device's absolute path
    QTest::addColumn<QString>("reason");

    AddForReadAndWrite("missing file", [](QTestData& row) {
        row << QStringLiteral("missing.gb") << QStringLiteral("No such file");
    });
    AddForReadAndWrite("file in a missing folder", [](QTestData& row) {
        row << QStringLiteral("no such folder/rom.gb") << QStringLiteral("No such file");
    });
    AddForReadAndWrite("folder", [](QTestData& row) {
        row << QStringLiteral("folder.gb") << QStringLiteral("it is a folder");
    });
    AddForReadAndWrite("pipe",
        [](QTestData& row) { row << QStringLiteral("pipe.gb") << QStringLiteral("it is a pipe"); });
    // A device would take or give any number of bytes and report them all as stored.
    AddForReadAndWrite("character device that never ends", [](QTestData& row) {
        row << QStringLiteral("/dev/zero") << QStringLiteral("it is a device");
    });
    AddForReadAndWrite("character device that is always full", [](QTestData& row) {
        row << QStringLiteral("/dev/full") << QStringLiteral("it is a device");
    });
}

void RomFileTest::unusablePath()
{
    QFETCH(bool, write);
    QFETCH(QString, name);
    QFETCH(QString, reason);

    RomFixture rom;
    QDir(rom.Folder()).mkdir(QStringLiteral("folder.gb"));
    QVERIFY(::mkfifo(QFile::encodeName(rom.Folder() + "/pipe.gb").constData(), 0600) == 0);
    const QString path
        = name.startsWith(QLatin1Char('/')) ? name : QDir(rom.Folder()).filePath(name);
    if (name.startsWith(QLatin1Char('/')) && !QFileInfo::exists(path))
        QSKIP("This system lacks the device.");
    const bool existed = QFileInfo::exists(path);
    SpriteBlock block = Marked();

    const QString message = FailureOfBlockTransfer(write, path.toStdString(), "82928", block);

    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(QFileInfo::exists(path), existed);
    QCOMPARE(block, Marked());
    QVERIFY(rom.Contents() == RomFixture::Pattern(kRomSize));
}

void RomFileTest::readOnlyFileCanBeRead()
{
    RomFixture rom;
    QVERIFY(::chmod(rom.PathUtf8().c_str(), 0444) == 0);
    SpriteBlock block {};
    ReadSpriteBlock(rom.PathUtf8(), "82928", block);

    QCOMPARE(Bytes(block), RomFixture::Pattern(kRomSize).mid(82928, kSpriteBlockBytes));
}

void RomFileTest::readOnlyFileRefusesWrite()
{
    RomFixture rom;
    QVERIFY(::chmod(rom.PathUtf8().c_str(), 0444) == 0);
    if (::access(rom.PathUtf8().c_str(), W_OK) == 0)
        QSKIP("This user may write to read-only files (running as root), so the refusal cannot "
              "be provoked.");

    const QString message
        = FailureOf([&] { WriteSpriteBlock(rom.PathUtf8(), "82928", InvertedPattern(82928)); });

    QVERIFY2(!message.isEmpty(), "the write succeeded");
    QVERIFY2(message.contains(rom.Path()), qPrintable(message));
    QVERIFY(rom.Contents() == RomFixture::Pattern(kRomSize));
}

void RomFileTest::beyondTheEnd_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("offset");

    AddForReadAndWrite(
        "block crossing the end", [](QTestData& row) { row << qint64(83000) << qint64(82928); });
    AddForReadAndWrite(
        "block starting at the end", [](QTestData& row) { row << qint64(82928) << qint64(82928); });
    AddForReadAndWrite(
        "block far past the end", [](QTestData& row) { row << qint64(1000) << qint64(1042032); });
    AddForReadAndWrite(
        "largest offset", [](QTestData& row) { row << kRomSize << qint64(2147483647); });
    AddForReadAndWrite("empty file", [](QTestData& row) { row << qint64(0) << qint64(0); });
    AddForReadAndWrite("before the start", [](QTestData& row) { row << kRomSize << qint64(-16); });
}

void RomFileTest::beyondTheEnd()
{
    QFETCH(bool, write);
    QFETCH(qint64, size);
    QFETCH(qint64, offset);

    RomFixture rom(size);
    SpriteBlock block = Marked();

    const auto at = static_cast<std::int32_t>(offset);
    const QString message = FailureOf([&] {
        if (write)
            WriteSpriteBlock(rom.PathUtf8(), at, block);
        else
            ReadSpriteBlock(rom.PathUtf8(), at, block);
    });

    QVERIFY2(!message.isEmpty(), "the transfer succeeded");
    QVERIFY2(message.contains(rom.Path()), qPrintable(message));
    QVERIFY2(offset < 0 || message.contains(QString::number(size)), qPrintable(message));
    QVERIFY2(message.contains(QString::number(offset)), qPrintable(message));
    QCOMPARE(block, Marked());
    QVERIFY(rom.Contents() == RomFixture::Pattern(size));
}

// A write that fails part way (a file-size limit, a full disk under a sparse file) must leave the
// block as it was and say so.
void RomFileTest::failedWriteLeavesTheBlock_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QList<qint64>>("offsets"); // blocks written in one go

    QTest::newRow("limit below the block") << qint64(82928 - 100) << QList<qint64> {82928};
    QTest::newRow("limit after the first tile") << qint64(82928 + 16) << QList<qint64> {82928};
    QTest::newRow("limit before the last byte") << qint64(82928 + 383) << QList<qint64> {82928};
    QTest::newRow("second of two blocks fails, the first is put back")
        << qint64(91184 + 16) << QList<qint64> {82928, 91184};
}

void RomFileTest::failedWriteLeavesTheBlock()
{
    QFETCH(qint64, limit);
    QFETCH(QList<qint64>, offsets);

    RomFixture rom;
    std::vector<SpriteBlock> blocks;
    for (const qint64 offset : offsets)
        blocks.push_back(InvertedPattern(offset));
    std::vector<RomWrite> writes;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        writes.push_back({offsets[qsizetype(i)], blocks[i]});

    const QString message
        = FailureUnderSizeLimit(rlim_t(limit), [&] { WriteRomRanges(rom.PathUtf8(), writes); });

    QVERIFY2(message.contains(rom.Path()), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("File too large")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("The ROM image is unchanged.")), qPrintable(message));
    QVERIFY(rom.Contents() == RomFixture::Pattern(kRomSize));
}

void RomFileTest::badOffsetText_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<QString>("offsetText");

    for (const char* text :
        {"?", "", "-5", "+5", "12a", " 82928", "82928 ", "0x143F0", "99999999999", "2147483648"})
        AddForReadAndWrite(
            *text ? text : "(empty)", [text](QTestData& row) { row << QString::fromLatin1(text); });
}

void RomFileTest::badOffsetText()
{
    QFETCH(bool, write);
    QFETCH(QString, offsetText);

    RomFixture rom;
    SpriteBlock block = Marked();

    const QString message
        = FailureOfBlockTransfer(write, rom.PathUtf8(), offsetText.toStdString(), block);

    QVERIFY2(!message.isEmpty(), "the transfer succeeded");
    QVERIFY2(message.contains(rom.Path()), qPrintable(message));
    QCOMPARE(block, Marked());
    QVERIFY(rom.Contents() == RomFixture::Pattern(kRomSize));
}

void RomFileTest::unusualPathNames_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("spaces") << QStringLiteral("my sprite rom (copy).gb");
    QTest::newRow("accents") << QString::fromUtf8("spr\u00EEte r\u00F6m \u00E9t\u00E9.gb");
    QTest::newRow("other scripts") << QString::fromUtf8("\u30ED\u30E0 \u0440\u043E\u043C.gbc");
}

void RomFileTest::unusualPathNames()
{
    QFETCH(QString, name);

    RomFixture rom(kRomSize, name);
    QVERIFY(QFileInfo::exists(rom.Path()));
    const std::string path = rom.Path().toUtf8().toStdString();

    SpriteBlock block {};
    ReadSpriteBlock(path, "91184", block);
    QCOMPARE(Bytes(block), RomFixture::Pattern(kRomSize).mid(91184, kSpriteBlockBytes));

    const SpriteBlock written = InvertedPattern(91184);
    WriteSpriteBlock(path, "91184", written);
    QCOMPARE(ReadWholeFile(rom.Path()).mid(91184, kSpriteBlockBytes), Bytes(written));
    QCOMPARE(RomFileSize(path), kRomSize);
}

void RomFileTest::readsWholeImage()
{
    RomFixture rom(5000);
    const std::vector<std::uint8_t> bytes = ReadWholeRom(rom.PathUtf8(), 5000);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())),
        RomFixture::Pattern(5000));

    const QString message = FailureOf([&] { ReadWholeRom(rom.PathUtf8(), 4999); });
    QVERIFY2(message.contains(rom.Path()) && message.contains(QStringLiteral("5000 bytes")),
        qPrintable(message));
}

void RomFileTest::createsNewFileExactly_data()
{
    QTest::addColumn<bool>("relative");
    QTest::newRow("a path with its folder") << false;
    QTest::newRow("a name in the current folder") << true;
}

void RomFileTest::createsNewFileExactly()
{
    QFETCH(bool, relative);
    QTemporaryDir dir;
    const QString name = QStringLiteral("new rom.gb");
    const QByteArray data = RomFixture::Pattern(5000);
    const QString current = QDir::currentPath();
    if (relative)
        QVERIFY(QDir::setCurrent(dir.path()));

    CreateRomFile((relative ? name : dir.filePath(name)).toStdString(), AsSpan(data));

    QVERIFY(QDir::setCurrent(current));
    QVERIFY(ReadWholeFile(dir.filePath(name)) == data);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList {name});
}

void RomFileTest::createRefusesExistingFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a file") << QStringLiteral("file");
    QTest::newRow("a link to a file") << QStringLiteral("link");
    QTest::newRow("a dangling link") << QStringLiteral("dangling");
}

void RomFileTest::createRefusesExistingFile()
{
    QFETCH(QString, kind);
    RomFixture rom(5000);
    const QString path = rom.Folder() + QStringLiteral("/target.gb");
    const QString missing = rom.Folder() + QStringLiteral("/missing.gb");
    if (kind == QStringLiteral("file"))
        QVERIFY(QFile::copy(rom.Path(), path));
    else
        QVERIFY(QFile::link(kind == QStringLiteral("link") ? rom.Path() : missing, path));
    const QStringList before
        = QDir(rom.Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    const QString message
        = FailureOf([&] { CreateRomFile(path.toStdString(), AsSpan(QByteArray(100, 'x'))); });

    QVERIFY2(message.contains(path) && message.contains(QStringLiteral("already exists")),
        qPrintable(message));
    QVERIFY(rom.Contents() == RomFixture::Pattern(5000));
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(QDir(rom.Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        before);
}

void RomFileTest::replacesTheNameNotTheTarget()
{
    RomFixture rom(5000);
    const QString link = rom.Folder() + QStringLiteral("/link.png");
    QVERIFY(QFile::link(rom.Path(), link));
    const QString kept = rom.Folder() + QStringLiteral("/kept.png");
    QVERIFY(morvane::test::WriteWholeFile(kept, "old"));
    QVERIFY(::chmod(QFile::encodeName(kept).constData(), 0640) == 0);

    const mode_t umaskBefore = ::umask(022);
    ReplaceWholeFile(link.toStdString(), AsSpan("new"));
    ReplaceWholeFile(kept.toStdString(), AsSpan("newer"));
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

void RomFileTest::replaceRefusesFoldersAndPipes()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("folder.png"));
    const QString pipe = dir.filePath(QStringLiteral("pipe.png"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);

    for (const QString& path : {folder, pipe}) {
        const QString message
            = FailureOf([&] { ReplaceWholeFile(path.toStdString(), AsSpan("x")); });
        QVERIFY2(message.contains(path), qPrintable(message));
    }
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QFileInfo(pipe).isFile(), false);
    QCOMPARE(QDir(dir.path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)
                 .size(),
        2);
}

void RomFileTest::failedReplaceKeepsTheOldFile()
{
    RomFixture rom(5000);
    const QByteArray large = RomFixture::Pattern(20000);

    const QString message
        = FailureUnderSizeLimit(10000, [&] { ReplaceWholeFile(rom.PathUtf8(), AsSpan(large)); });

    QVERIFY2(message.contains(rom.Path()) && message.contains(QStringLiteral("File too large")),
        qPrintable(message));
    QVERIFY(rom.Contents() == RomFixture::Pattern(5000));
    QCOMPARE(QDir(rom.Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("rom.gb")});
}

QTEST_GUILESS_MAIN(RomFileTest)
#include "RomFileTest.moc"
