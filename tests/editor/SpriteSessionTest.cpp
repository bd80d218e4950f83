// The sprite document's rules, without a window: what a load reads and draws, where Save writes,
// that a failed read or write changes nothing, strokes and replaced blocks as undo steps, the
// undo limit, and which signals each change sends.
#include "editor/SpriteSession.h"
#include "RomFixture.h"
#include "ScriptedServices.h"
#include "TestData.h"
#include "sprite/RomFile.h"
#include "sprite/RomFileError.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace morvane;
using namespace morvane::test;

namespace {

constexpr qint64 kRomBytes = 1045104;
constexpr qint64 kEntry0 = 82928;
constexpr Palette kColours
    = {PackRgb(1, 2, 3), PackRgb(40, 50, 60), PackRgb(200, 100, 0), PackRgb(7, 8, 250)};
constexpr PackedColor kPaint = PackRgb(9, 99, 199);

qint64 EntryOffset(int index)
{
    return index <= 20 ? kEntry0 + 384 * index
        : index <= 36  ? 91184 + 384 * (index - 21)
                       : 1042032 + 384 * (index - 37);
}

// The value of pixel (column, row) of tile `tile` in a block, from its two row bytes directly.
int ValueIn(const QByteArray& block, int tile, int column, int row)
{
    const auto low = static_cast<std::uint8_t>(block.at(16 * tile + 2 * row));
    const auto high = static_cast<std::uint8_t>(block.at(16 * tile + 2 * row + 1));
    return ((low >> (7 - column)) & 1) | (((high >> (7 - column)) & 1) << 1);
}

// Empty when tile `tile`'s picture shows `block` four times enlarged in `colours`.
QString PictureFault(
    const SpriteSession& s, int tile, const QByteArray& block, const Palette& colours = kColours)
{
    const QImage& picture = s.TilePicture(tile);
    if (picture.size() != QSize(32, 32))
        return QStringLiteral("tile %1 has no 32 x 32 picture").arg(tile);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const PackedColor want = colours[ValueIn(block, tile, x / 4, y / 4)];
            const QRgb got = picture.pixel(x, y);
            if (PackRgb(qRed(got), qGreen(got), qBlue(got)) != want)
                return QStringLiteral("tile %1 pixel (%2, %3)").arg(tile).arg(x).arg(y);
        }
    return {};
}

// Everything a refused command must leave as it was.
struct SessionState {
    std::string romPath;
    SpriteBlock buf {};
    int loaded = -1;
    std::vector<QImage> pictures;
    int tile = 0;
    BitTable lo {};
    BitTable hi {};
    int steps = 0;
    bool operator==(const SessionState&) const = default;
};

SessionState StateOf(const SpriteSession& s)
{
    SessionState state {s.RomPath(), s.SpriteBuf(), s.LoadedIndex(), {}, s.CurTile(),
        s.TileLoBits(), s.TileHiBits(), s.History().index()};
    for (int t = 0; t < 24; ++t)
        state.pictures.push_back(s.TilePicture(t));
    return state;
}

QByteArray BufOf(const SpriteSession& s)
{
    return Bytes(s.SpriteBuf());
}

// One stroke: pixels painted in the value `value`'s code, then the stroke ended.
void Stroke(SpriteSession& s, std::initializer_list<QPoint> pixels, int value)
{
    static const char* const kCodes[] = {"00", "10", "01", "11"};
    for (const QPoint& p : pixels)
        s.PaintPixel(p.x(), p.y(), kPaint, kCodes[value]);
    s.EndStroke();
}

enum class SaveCase { Loaded, LoadedLater, AfterFailedLoad, AfterRefusedOpen, NothingLoaded };

} // namespace

Q_DECLARE_METATYPE(SaveCase)

class SpriteSessionTest : public QObject {
    Q_OBJECT

private slots:
    void loadReadsTheBlockThenEveryTileAndDrawsThem_data();
    void loadReadsTheBlockThenEveryTileAndDrawsThem();
    void saveWritesTheEntryLoaded_data();
    void saveWritesTheEntryLoaded();
    void failedTransferChangesNothing_data();
    void failedTransferChangesNothing();
    void strokeIsOneUndoStep_data();
    void strokeIsOneUndoStep();
    void undoLimitDropsTheOldestSteps_data();
    void undoLimitDropsTheOldestSteps();
    void replacedBlockIsOneUndoStep();
    void signalsSayWhatChanged_data();
    void signalsSayWhatChanged();
    void pathIsTheFileSystemsOwnBytes();
};

void SpriteSessionTest::loadReadsTheBlockThenEveryTileAndDrawsThem_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("entry 0 again") << 0;
    QTest::newRow("entry 21 starts the second run") << 21;
    QTest::newRow("entry 44, the last") << 44;
}

void SpriteSessionTest::loadReadsTheBlockThenEveryTileAndDrawsThem()
{
    QFETCH(int, index);
    const qint64 offset = EntryOffset(index);
    RomFixture rom;
    rom.Poke(offset + 16 * 6, QByteArray::fromHex("3c7e"));
    RecordingRomAccess files;
    SpriteSession s(files);
    s.Open(rom.PathUtf8(), kColours);
    s.SelectTile(6); // selected while entry 0 is loaded
    Stroke(s, {{0, 0}}, (ValueIn(BufOf(s), 6, 0, 0) + 1) % 4);
    files.transfers.clear();

    s.LoadEntry(index, kColours);

    const QByteArray block = rom.Contents().mid(offset, 384);
    QCOMPARE(BufOf(s), block);
    QCOMPARE(s.LoadedIndex(), index);
    QCOMPARE(s.PalColor(), kColours);
    for (int t = 0; t < 24; ++t) {
        const QString fault = PictureFault(s, t, block);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
    // Selected again: the bits of tile 6 are the new block's.
    BitTable lo {};
    BitTable hi {};
    UnpackTileBits(s.SpriteBuf(), 6, lo, hi);
    QVERIFY(s.TileLoBits() == lo && s.TileHiBits() == hi);
    // Undo cannot reach back into another load.
    QCOMPARE(s.History().count(), 0);
    QCOMPARE(files.transfers.size(), std::size_t(25));
    QCOMPARE(files.transfers[0].kind, RecordingRomAccess::Kind::ReadBlock);
    QCOMPARE(files.transfers[0].offset, offset);
    for (int k = 0; k < 24; ++k) {
        QCOMPARE(files.transfers[std::size_t(k + 1)].kind, RecordingRomAccess::Kind::ReadTile);
        QCOMPARE(files.transfers[std::size_t(k + 1)].offset, offset + 16 * k);
    }
}

void SpriteSessionTest::saveWritesTheEntryLoaded_data()
{
    QTest::addColumn<SaveCase>("steps");
    QTest::addColumn<int>("entry"); // -1: nothing may be written
    QTest::newRow("the entry loaded") << SaveCase::Loaded << 4;
    QTest::newRow("the entry loaded last") << SaveCase::LoadedLater << 21;
    QTest::newRow("not an entry whose load failed") << SaveCase::AfterFailedLoad << 36;
    QTest::newRow("into the first ROM after a refused open") << SaveCase::AfterRefusedOpen << 9;
    QTest::newRow("nowhere before any load") << SaveCase::NothingLoaded << -1;
}

void SpriteSessionTest::saveWritesTheEntryLoaded()
{
    QFETCH(SaveCase, steps);
    QFETCH(int, entry);
    // Long enough for entries 0..36, not for 37..44.
    RomFixture rom(steps == SaveCase::AfterFailedLoad ? 524288 : kRomBytes);
    RomFixture other(50000, QStringLiteral("short.gb"));
    SpriteSession s(RomFileAccess());
    switch (steps) {
    case SaveCase::Loaded:
        s.Open(rom.PathUtf8(), kColours);
        s.LoadEntry(4, kColours);
        break;
    case SaveCase::LoadedLater:
        s.Open(rom.PathUtf8(), kColours);
        s.LoadEntry(4, kColours);
        s.LoadEntry(21, kColours);
        break;
    case SaveCase::AfterFailedLoad:
        s.Open(rom.PathUtf8(), kColours);
        s.LoadEntry(36, kColours);
        QVERIFY_THROWS_EXCEPTION(RomFileError, s.LoadEntry(37, kColours));
        break;
    case SaveCase::AfterRefusedOpen:
        s.Open(rom.PathUtf8(), kColours);
        s.LoadEntry(9, kColours);
        Stroke(s, {{2, 2}}, 3);
        QVERIFY_THROWS_EXCEPTION(RomFileError, s.Open(other.PathUtf8(), kColours));
        break;
    case SaveCase::NothingLoaded:
        break;
    }
    const QByteArray before = rom.Contents();
    Stroke(s, {{5, 5}}, (ValueIn(BufOf(s), 0, 5, 5) + 1) % 4);

    if (entry < 0) {
        QVERIFY_THROWS_EXCEPTION(RomFileError, s.Save());
        QCOMPARE(rom.Contents(), before);
        return;
    }
    s.Save();
    QByteArray expected = before;
    expected.replace(EntryOffset(entry), 384, BufOf(s));
    QCOMPARE(rom.Contents(), expected);
    QVERIFY(BufOf(s) != before.mid(EntryOffset(entry), 384));
    QCOMPARE(other.Contents(), RomFixture::Pattern(50000));
}

void SpriteSessionTest::failedTransferChangesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("failAt"); // which transfer of the command fails; -1: the file itself
    QTest::newRow("load: the block read") << "load" << 0;
    QTest::newRow("load: the first tile read") << "load" << 1;
    QTest::newRow("load: the last tile read") << "load" << 24;
    QTest::newRow("open: the block read") << "open" << 0;
    QTest::newRow("open: the last tile read") << "open" << 24;
    QTest::newRow("open: a 50000-byte file, too short for entry 0") << "open" << -1;
    QTest::newRow("open: an empty file") << "open empty" << -1;
    QTest::newRow("save: the write") << "save" << 0;
}

void SpriteSessionTest::failedTransferChangesNothing()
{
    QFETCH(QString, command);
    QFETCH(int, failAt);
    RomFixture rom;
    RomFixture other(command == "open empty" ? 0 : 50000, QStringLiteral("other.gb"));
    RecordingRomAccess files;
    SpriteSession s(files);
    s.Open(rom.PathUtf8(), kColours);
    s.LoadEntry(9, kColours);
    s.SelectTile(5);
    Stroke(s, {{1, 1}, {2, 1}}, 3);
    const SessionState before = StateOf(s);
    QSignalSpy sprite(&s, &SpriteSession::SpriteChanged);
    QSignalSpy tile(&s, &SpriteSession::TileChanged);
    files.transfers.clear();
    files.failAt = failAt;

    const std::string otherRom = failAt < 0 ? other.PathUtf8() : rom.PathUtf8();
    if (command == "load")
        QVERIFY_THROWS_EXCEPTION(RomFileError, s.LoadEntry(12, kColours));
    else if (command == "save")
        QVERIFY_THROWS_EXCEPTION(RomFileError, s.Save());
    else
        QVERIFY_THROWS_EXCEPTION(RomFileError, s.Open(otherRom, kColours));

    QVERIFY(StateOf(s) == before);
    QCOMPARE(sprite.count() + tile.count(), 0);
    QCOMPARE(rom.Contents(), RomFixture::Pattern(kRomBytes));
    // The stroke is still the step Undo takes back.
    s.Undo();
    QCOMPARE(BufOf(s), rom.Contents().mid(EntryOffset(9), 384));
}

void SpriteSessionTest::strokeIsOneUndoStep_data()
{
    QTest::addColumn<QList<QPoint>>("pixels");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("steps");
    QTest::newRow("one pixel") << QList<QPoint> {{0, 0}} << 3 << 1;
    QTest::newRow("a drag over three pixels of two rows")
        << QList<QPoint> {{7, 7}, {6, 7}, {6, 6}} << 1 << 1;
    QTest::newRow("the same pixel twice") << QList<QPoint> {{3, 4}, {3, 4}} << 2 << 1;
    QTest::newRow("a pixel that already has the value and colour")
        << QList<QPoint> {{4, 4}} << 0 << 0;
}

void SpriteSessionTest::strokeIsOneUndoStep()
{
    QFETCH(QList<QPoint>, pixels);
    QFETCH(int, value);
    QFETCH(int, steps);
    RomFixture rom;
    rom.Poke(kEntry0 + 16 * 3, QByteArray(16, '\0'));
    SpriteSession s(RomFileAccess());
    // Painted in colour 0 as drawn, a pixel of value 0 is the same before and after.
    s.Open(rom.PathUtf8(), {kPaint, kColours[1], kColours[2], kColours[3]});
    s.SelectTile(3);
    const SessionState original = StateOf(s);

    static const char* const kCodes[] = {"00", "10", "01", "11"};
    for (const QPoint& p : pixels)
        s.PaintPixel(p.x(), p.y(), kPaint, kCodes[value]);
    s.EndStroke();
    const SessionState painted = StateOf(s);
    QCOMPARE(s.History().count(), steps);
    for (const QPoint& p : pixels) {
        QCOMPARE(ValueIn(BufOf(s), 3, p.x(), p.y()), value);
        QCOMPARE(s.TilePicture(3).pixel(4 * p.x() + 3, 4 * p.y() + 3),
            qRgb(9, 99, 199)); // the block's far corner too
        QCOMPARE(int(s.TileLoBits()[std::size_t(8 * p.y() + p.x() + 1)]), value & 1);
        QCOMPARE(int(s.TileHiBits()[std::size_t(8 * p.y() + p.x() + 1)]), value >> 1);
    }
    if (steps == 0)
        return;
    s.Undo();
    QVERIFY(StateOf(s) == original);
    s.Redo();
    QVERIFY(StateOf(s) == painted);
    // A new stroke after an undo drops what could have been redone.
    s.Undo();
    Stroke(s, {{0, 7}}, 3);
    QVERIFY(!s.History().canRedo());
}

void SpriteSessionTest::undoLimitDropsTheOldestSteps_data()
{
    QTest::addColumn<int>("strokes");
    QTest::newRow("as many as the limit") << SpriteSession::kUndoLimit;
    QTest::newRow("seven past the limit") << SpriteSession::kUndoLimit + 7;
}

void SpriteSessionTest::undoLimitDropsTheOldestSteps()
{
    QFETCH(int, strokes);
    QVERIFY(SpriteSession::kUndoLimit >= 100);
    RomFixture rom;
    SpriteSession s(RomFileAccess());
    s.Open(rom.PathUtf8(), kColours);
    std::vector<QByteArray> after; // the block after each stroke, the original first
    after.push_back(BufOf(s));
    for (int i = 0; i < strokes; ++i) {
        s.SelectTile(i / 64 % 24);
        const int column = i % 8;
        const int row = i / 8 % 8;
        // Always a value the pixel does not have, so every stroke is a change.
        Stroke(s, {{column, row}}, (ValueIn(BufOf(s), s.CurTile(), column, row) + 1) % 4);
        after.push_back(BufOf(s));
    }
    int undone = 0;
    while (s.History().canUndo()) {
        s.Undo();
        ++undone;
    }
    QCOMPARE(undone, SpriteSession::kUndoLimit);
    QCOMPARE(BufOf(s), after[std::size_t(strokes - SpriteSession::kUndoLimit)]);
}

void SpriteSessionTest::replacedBlockIsOneUndoStep()
{
    RomFixture rom;
    SpriteSession s(RomFileAccess());
    s.Open(rom.PathUtf8(), kColours);
    s.SelectTile(2);
    Stroke(s, {{0, 0}}, 3);
    const SessionState painted = StateOf(s);
    const SpriteBlock art = RandomBlock(11);
    const Palette other = {PackRgb(255, 0, 0), 0, PackRgb(0, 255, 0), PackRgb(90, 90, 90)};

    s.ReplaceBlock(art, other);
    QCOMPARE(BufOf(s), Bytes(art));
    QCOMPARE(s.History().count(), 2);
    QCOMPARE(s.PalColor(), other);
    for (int t = 0; t < 24; ++t)
        QVERIFY(PictureFault(s, t, Bytes(art), other).isEmpty());
    BitTable lo {};
    BitTable hi {};
    UnpackTileBits(art, 2, lo, hi);
    QVERIFY(s.TileLoBits() == lo && s.TileHiBits() == hi);

    // Undo puts back the pictures as they were drawn, not redrawn in the newer colours.
    s.Undo();
    QVERIFY(StateOf(s) == painted);
    s.Redo();
    QCOMPARE(BufOf(s), Bytes(art));
    QCOMPARE(s.LoadedIndex(), 0);
}

void SpriteSessionTest::signalsSayWhatChanged_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("sprites");
    QTest::addColumn<QList<int>>("tiles");
    QTest::newRow("load") << "load" << 1 << QList<int> {};
    QTest::newRow("paint a pixel of tile 7") << "paint" << 0 << QList<int> {7};
    QTest::newRow("undo a stroke on tile 7") << "undo stroke" << 0 << QList<int> {7};
    QTest::newRow("replace the block") << "replace" << 1 << QList<int> {};
    QTest::newRow("undo a replaced block") << "undo replace" << 1 << QList<int> {};
    QTest::newRow("select a tile") << "select" << 0 << QList<int> {};
    QTest::newRow("select a tile past the last") << "select 24" << 0 << QList<int> {};
    QTest::newRow("save") << "save" << 0 << QList<int> {};
}

void SpriteSessionTest::signalsSayWhatChanged()
{
    QFETCH(QString, change);
    QFETCH(int, sprites);
    QFETCH(QList<int>, tiles);
    RomFixture rom;
    SpriteSession s(RomFileAccess());
    s.Open(rom.PathUtf8(), kColours);
    s.SelectTile(7);
    if (change == "undo stroke")
        Stroke(s, {{1, 1}}, (ValueIn(BufOf(s), 7, 1, 1) + 1) % 4);
    if (change == "undo replace")
        s.ReplaceBlock(RandomBlock(3), kColours);
    const BitTable lo = s.TileLoBits();
    QSignalSpy sprite(&s, &SpriteSession::SpriteChanged);
    QSignalSpy tile(&s, &SpriteSession::TileChanged);

    if (change == "load")
        s.LoadEntry(30, kColours);
    else if (change == "paint")
        s.PaintPixel(0, 0, kPaint, "11");
    else if (change.startsWith("undo"))
        s.Undo();
    else if (change == "replace")
        s.ReplaceBlock(RandomBlock(3), kColours);
    else if (change == "select")
        s.SelectTile(12);
    else if (change == "select 24")
        s.SelectTile(24);
    else
        s.Save();

    QCOMPARE(sprite.count(), sprites);
    QList<int> changed;
    for (const QList<QVariant>& arguments : tile)
        changed << arguments.at(0).toInt();
    QCOMPARE(changed, tiles);
    if (change == "select 24") {
        QCOMPARE(s.CurTile(), 7);
        QVERIFY(s.TileLoBits() == lo);
    }
}

void SpriteSessionTest::pathIsTheFileSystemsOwnBytes()
{
    // A Latin-1 "é": no valid UTF-8, so no Qt string can name this file.
    QTemporaryDir dir;
    const std::string path = QFile::encodeName(dir.path()).toStdString() + "/caf\xE9.gb";
    const QByteArray pattern = RomFixture::Pattern(kRomBytes);
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, pattern.constData(), std::size_t(pattern.size())), ssize_t(kRomBytes));
    ::close(fd);

    SpriteSession s(RomFileAccess());
    s.Open(path, kColours);
    QCOMPARE(s.RomPath(), path);
    s.LoadEntry(2, kColours);
    QCOMPARE(BufOf(s), pattern.mid(EntryOffset(2), 384));
    Stroke(s, {{0, 0}}, (ValueIn(BufOf(s), 0, 0, 0) + 1) % 4);
    s.Save();
    SpriteBlock stored {};
    ReadSpriteBlock(path, std::to_string(EntryOffset(2)), stored);
    QVERIFY(stored == s.SpriteBuf());
}

QTEST_MAIN(SpriteSessionTest)
#include "SpriteSessionTest.moc"
