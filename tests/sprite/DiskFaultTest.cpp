// What a failing or unusual disk does to a sprite read or write: the system calls that touch the
// ROM image answer as a scripted disk would (an interrupted call, a short transfer, an error, a
// file system that cannot reserve or sync), and the image and the caller's block must come out
// whole, with a message that says what happened.
#include "sprite/RomFile.h"

#include "DiskScript.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteBlock.h"

#include <QtTest>

#include <cerrno>

using namespace morvane;
using namespace morvane::test;

namespace {

struct Row {
    const char* name;
    bool write;
    DiskScript answers;
    // Parts of the message, or none when the transfer must succeed.
    QStringList message;
    // For a write: how many leading bytes of the new block the file holds afterwards.
    int written;
};

} // namespace

class DiskFaultTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { DisarmDisk(); }

    void blockTransfer_data()
    {
        AddRows<Row>({
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
        const auto& [name, write, answers, message, written] = CurrentRow<Row>();

        RomFixture rom;
        const QByteArray original = RomFixture::Pattern(kRomBytes);
        SpriteBlock block {};
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<std::uint8_t>(~original[kEntry0 + qsizetype(i)]);
        const SpriteBlock before = block;

        ArmDisk(answers);
        const QString failure = FailureOf<RomFileError>([&] {
            if (write)
                WriteSpriteBlock(rom.PathUtf8(), std::to_string(kEntry0), block);
            else
                ReadSpriteBlock(rom.PathUtf8(), std::to_string(kEntry0), block);
        });
        const DiskScript left = DisarmDisk();

        for (const QString& part : message)
            QVERIFY2(failure.contains(part), qPrintable(failure));
        if (message.isEmpty())
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        else
            QVERIFY2(failure.contains(rom.Path()), qPrintable(failure));
        for (const auto& unused : left)
            QFAIL(qPrintable(QStringLiteral("%1 was not called as often as scripted")
                                 .arg(QString::fromStdString(unused.first))));

        QByteArray expected = original;
        if (write)
            expected.replace(kEntry0, written, Bytes(block).left(written));
        QVERIFY(rom.Contents() == expected);
        if (!write) {
            // A read that succeeds delivers the block; one that fails leaves the caller's as it
            // was.
            const QByteArray wanted
                = message.isEmpty() ? original.mid(kEntry0, 384) : Bytes(before);
            QCOMPARE(Bytes(block), wanted);
        }
    }
};

QTEST_GUILESS_MAIN(DiskFaultTest)
#include "DiskFaultTest.moc"
