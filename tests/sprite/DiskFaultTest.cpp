// What a failing or unusual disk does to a sprite read or write: the system calls that touch the
// ROM image answer as a scripted disk would (an interrupted call, a short transfer, an error, a
// file system that cannot reserve or sync), and the image and the caller's block must come out
// whole, with a message that says what happened.
#include "sprite/RomFile.h"

#include "RomFixture.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteBlock.h"

#include <QtTest>

#include <cerrno>
#include <deque>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>

using namespace morvane;
using morvane::test::RomFixture;

namespace {

// One scripted answer to a call: fail with `error`, report the end of the file, or move at most
// `atMost` bytes through the real call.
struct Answer {
    int error = 0;
    bool endOfFile = false;
    std::size_t atMost = SIZE_MAX;
};

// Calls not scripted, and every call while the script is not armed, go to the C library.
bool armed = false;
std::map<std::string, std::deque<Answer>> script;

// The next scripted answer to `call`, if any.
std::optional<Answer> Next(const char* call)
{
    if (!armed)
        return std::nullopt;
    auto& answers = script[call];
    if (answers.empty())
        return std::nullopt;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

template <typename Function> Function Real(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

// These stand in for the C library's calls within this test program.
extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    if (const auto answer = Next("pread")) {
        if (answer->error != 0) {
            errno = answer->error;
            return -1;
        }
        if (answer->endOfFile)
            return 0;
        count = std::min(count, answer->atMost);
    }
    return real(fd, buffer, count, offset);
}

extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    if (const auto answer = Next("pwrite")) {
        if (answer->error != 0) {
            errno = answer->error;
            return -1;
        }
        count = std::min(count, answer->atMost);
    }
    return real(fd, buffer, count, offset);
}

extern "C" int fallocate(int fd, int mode, off_t offset, off_t length)
{
    static const auto real = Real<int (*)(int, int, off_t, off_t)>("fallocate");
    if (const auto answer = Next("fallocate"); answer && answer->error != 0) {
        errno = answer->error;
        return -1;
    }
    return real(fd, mode, offset, length);
}

extern "C" int fsync(int fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    if (const auto answer = Next("fsync"); answer && answer->error != 0) {
        errno = answer->error;
        return -1;
    }
    return real(fd);
}

namespace {

constexpr qint64 kRomSize = 1045104;
constexpr qint64 kOffset = 82928;

using Script = std::map<std::string, std::deque<Answer>>;

Answer Fails(int error)
{
    return Answer {error, false, SIZE_MAX};
}

Answer Moves(std::size_t bytes)
{
    return Answer {0, false, bytes};
}

QByteArray Bytes(const SpriteBlock& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
}

} // namespace

Q_DECLARE_METATYPE(Script)

class DiskFaultTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        armed = false;
        script.clear();
    }
    void blockTransfer_data();
    void blockTransfer();
};

void DiskFaultTest::blockTransfer_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<Script>("answers");
    // Parts of the message, or none when the transfer must succeed.
    QTest::addColumn<QStringList>("message");
    // For a write: how many leading bytes of the new block the file holds afterwards.
    QTest::addColumn<int>("written");

    const auto row
        = [](const char* name, bool write, Script answers, QStringList message, int written) {
              QTest::newRow(name) << write << answers << message << written;
          };
    row("read interrupted by a signal, then given in parts", false,
        {{"pread", {Fails(EINTR), Moves(100), Moves(1)}}}, {}, 0);
    row("read error of the disk", false, {{"pread", {Fails(EIO)}}},
        {"Cannot read", "Input/output error"}, 0);
    row("file shortened while it is read", false, {{"pread", {Moves(16), Answer {0, true}}}},
        {"Cannot read 384 bytes at offset 82928", "the file ended early"}, 0);

    row("write interrupted by a signal, then taken in parts", true,
        {{"pwrite", {Fails(EINTR), Moves(16), Moves(1)}}}, {}, 384);
    row("file system that cannot reserve space", true, {{"fallocate", {Fails(EOPNOTSUPP)}}}, {},
        384);
    row("file system without a sync", true, {{"fsync", {Fails(EINVAL)}}}, {}, 384);
    row("no space to reserve", true, {{"fallocate", {Fails(ENOSPC)}}},
        {"Cannot write to", "No space left on device", "The ROM image is unchanged."}, 0);
    row("write error after the first tile is put back", true, {{"pwrite", {Moves(16), Fails(EIO)}}},
        {"Cannot write to", "Input/output error", "The ROM image is unchanged."}, 0);
    row("write error, and putting the old bytes back fails too", true,
        {{"pwrite", {Moves(16), Fails(EIO), Fails(EIO)}}},
        {"The ROM image is not as it was", "offsets 82928 to 83311 may be partly written",
            "putting the old bytes back failed too"},
        16);
    row("disk that fails when the write is synced", true, {{"fsync", {Fails(EIO)}}},
        {"Cannot save", "to disk", "Input/output error"}, 384);
}

void DiskFaultTest::blockTransfer()
{
    QFETCH(bool, write);
    QFETCH(Script, answers);
    QFETCH(QStringList, message);
    QFETCH(int, written);

    RomFixture rom;
    const QByteArray original = RomFixture::Pattern(kRomSize);
    SpriteBlock block {};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(~original[kOffset + qsizetype(i)]);
    const SpriteBlock before = block;

    QString failure;
    script = answers;
    armed = true;
    try {
        if (write)
            WriteSpriteBlock(rom.PathUtf8(), std::to_string(kOffset), block);
        else
            ReadSpriteBlock(rom.PathUtf8(), std::to_string(kOffset), block);
    } catch (const RomFileError& error) {
        failure = QString::fromUtf8(error.what());
    }
    armed = false;

    for (const QString& part : message)
        QVERIFY2(failure.contains(part), qPrintable(failure));
    if (message.isEmpty())
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    else
        QVERIFY2(failure.contains(rom.Path()), qPrintable(failure));
    for (const auto& [call, left] : script)
        QVERIFY2(left.empty(),
            qPrintable(QStringLiteral("%1 was not called as often as scripted")
                           .arg(QString::fromStdString(call))));

    QByteArray expected = original;
    if (write)
        expected.replace(kOffset, written, Bytes(block).left(written));
    QVERIFY(rom.Contents() == expected);
    if (!write) {
        // A read that succeeds delivers the block; one that fails leaves the caller's as it was.
        const QByteArray wanted = message.isEmpty() ? original.mid(kOffset, 384) : Bytes(before);
        QCOMPARE(Bytes(block), wanted);
    }
}

QTEST_GUILESS_MAIN(DiskFaultTest)
#include "DiskFaultTest.moc"
