#include "sprite/RomFile.h"
#include "RomFixture.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteBlock.h"

#include <QtTest>

#include <algorithm>
#include <functional>

#include <sys/stat.h>
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
    void fullDeviceReportsWriteError();
    void badOffsetText_data();
    void badOffsetText();
    void unusualPathNames_data();
    void unusualPathNames();
    void createsNewFileExactly();
    void createRefusesExistingFile();
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
    QTest::addColumn<QString>("name");

    AddForReadAndWrite("missing file", [](QTestData& row) { row << QStringLiteral("missing.gb"); });
    AddForReadAndWrite("file in a missing folder",
        [](QTestData& row) { row << QStringLiteral("no such folder/rom.gb"); });
    AddForReadAndWrite("folder", [](QTestData& row) { row << QStringLiteral("folder.gb"); });
}

void RomFileTest::unusablePath()
{
    QFETCH(bool, write);
    QFETCH(QString, name);

    RomFixture rom;
    QDir(rom.Folder()).mkdir(QStringLiteral("folder.gb"));
    const QString path = QDir(rom.Folder()).filePath(name);
    const bool existed = QFileInfo::exists(path);
    SpriteBlock block = Marked();

    const QString message = FailureOfBlockTransfer(write, path.toStdString(), "82928", block);

    QVERIFY2(!message.isEmpty(), "the transfer succeeded");
    QVERIFY2(message.contains(path), qPrintable(message));
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
        "largest offset text", [](QTestData& row) { row << kRomSize << qint64(2147483647); });
    AddForReadAndWrite("empty file", [](QTestData& row) { row << qint64(0) << qint64(0); });
}

void RomFileTest::beyondTheEnd()
{
    QFETCH(bool, write);
    QFETCH(qint64, size);
    QFETCH(qint64, offset);

    RomFixture rom(size);
    SpriteBlock block = Marked();

    const QString message
        = FailureOfBlockTransfer(write, rom.PathUtf8(), std::to_string(offset), block);

    QVERIFY2(!message.isEmpty(), "the transfer succeeded");
    QVERIFY2(message.contains(rom.Path()), qPrintable(message));
    QVERIFY2(message.contains(QString::number(size)), qPrintable(message));
    QVERIFY2(message.contains(QString::number(offset)), qPrintable(message));
    QCOMPARE(block, Marked());
    QVERIFY(rom.Contents() == RomFixture::Pattern(size));
}

void RomFileTest::fullDeviceReportsWriteError()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("This system has no /dev/full.");

    const QString message = FailureOf([] { WriteSpriteBlock("/dev/full", "0", Marked()); });

    QVERIFY2(!message.isEmpty(), "the write reported success");
    QVERIFY2(message.contains(QStringLiteral("/dev/full")), qPrintable(message));
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

void RomFileTest::createsNewFileExactly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new rom.gb"));
    const QByteArray data = RomFixture::Pattern(5000);

    CreateRomFile(path.toStdString(),
        std::span(
            reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size())));

    QVERIFY(ReadWholeFile(path) == data);
}

void RomFileTest::createRefusesExistingFile()
{
    RomFixture rom(5000);
    const QByteArray other(100, 'x');

    const QString message = FailureOf([&] {
        CreateRomFile(rom.PathUtf8(),
            std::span(reinterpret_cast<const std::uint8_t*>(other.constData()),
                std::size_t(other.size())));
    });

    QVERIFY2(!message.isEmpty(), "an existing file was replaced");
    QVERIFY2(message.contains(rom.Path()), qPrintable(message));
    QVERIFY(rom.Contents() == RomFixture::Pattern(5000));
}

QTEST_GUILESS_MAIN(RomFileTest)
#include "RomFileTest.moc"
