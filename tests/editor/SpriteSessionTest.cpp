// The sprite document's rules, without a window: what a load reads and draws, where Save writes,
// that a failed read or write changes nothing, what one undo step is, the undo limit, and which
// signals each change sends.
#include "editor/SpriteSession.h"
#include "DiskScript.h"
#include "RomFixture.h"
#include "TestData.h"
#include "sprite/RomFileError.h"

#include <QSignalSpy>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;

namespace {

constexpr Palette kColours
    = {PackRgb(1, 2, 3), PackRgb(40, 50, 60), PackRgb(200, 100, 0), PackRgb(7, 8, 250)};
constexpr PackedColor kPaint = PackRgb(9, 99, 199);

qint64 EntryOffset(int index)
{
    return index <= 20 ? 82928 + 384 * index
        : index <= 36  ? 91184 + 384 * (index - 21)
                       : 1042032 + 384 * (index - 37);
}

// The value of pixel (column, row) of a tile, from its two row bytes directly.
int ValueIn(const SpriteBlock& block, int tile, int column, int row)
{
    const int low = block[std::size_t(16 * tile + 2 * row)] >> (7 - column) & 1;
    return low | (block[std::size_t(16 * tile + 2 * row + 1)] >> (7 - column) & 1) << 1;
}

// Whether every tile picture shows `block` four times enlarged in `colours`.
bool PicturesShow(const SpriteSession& s, const SpriteBlock& block, const Palette& colours)
{
    for (int t = 0; t < 24; ++t)
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const PackedColor c = colours[std::size_t(ValueIn(block, t, x / 4, y / 4))];
                if (s.TilePicture(t).pixel(x, y) != qRgb(RedOf(c), GreenOf(c), BlueOf(c)))
                    return false;
            }
    return true;
}

// Everything a command can change.
struct SessionState {
    std::string romPath;
    SpriteBlock buf {};
    int loaded = -1;
    std::vector<QImage> pictures;
    int tile = 0;
    BitTable lo {};
    BitTable hi {};
    int undoable = 0;
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

// Paints pixels of the selected tile in a pixel value as one stroke of its own; by default
// in a value the first pixel does not have, so the stroke is a change.
void Stroke(SpriteSession& s, std::initializer_list<QPoint> pixels, int value = -1)
{
    static int stroke = 1000;
    ++stroke;
    if (value < 0) {
        const QPoint first = *pixels.begin();
        value = (ValueIn(s.SpriteBuf(), s.CurTile(), first.x(), first.y()) + 1) % 4;
    }
    for (const QPoint& p : pixels)
        s.Paint(stroke, p.x(), p.y(), kPaint, value);
}

enum class SaveCase { Loaded, LoadedLater, AfterFailedLoad, AfterRefusedOpen, NothingLoaded };

struct SaveRow {
    SaveCase steps;
    int entry; // -1: nothing may be written
};

struct FailureRow {
    QString command;
    int failAt; // which transfer of the command fails; -1: the file itself
    qint64 otherSize; // the ROM image an open is asked for
};

struct StepRow {
    QList<QPoint> pixels; // none: the whole block replaced
    int value;
    int steps;
};

struct SignalRow {
    QString change;
    int sprites;
    QList<int> tiles;
};

} // namespace

Q_DECLARE_METATYPE(SaveRow)
Q_DECLARE_METATYPE(FailureRow)
Q_DECLARE_METATYPE(StepRow)
Q_DECLARE_METATYPE(SignalRow)

class SpriteSessionTest : public QObject {
    Q_OBJECT

private slots:
    void loadReadsTheBlockThenEveryTile_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("entry 0 again") << 0;
        QTest::newRow("entry 44, the last") << 44;
    }
    void loadReadsTheBlockThenEveryTile()
    {
        QFETCH(int, index);
        const qint64 offset = EntryOffset(index);
        RomFixture rom;
        SpriteSession s;
        s.Open(rom.PathUtf8(), kColours);
        s.SelectTile(6); // selected while entry 0 is loaded
        Stroke(s, {{0, 0}});
        std::vector<DiskTransfer> reads;
        ArmDisk({}, [&reads](const DiskTransfer& read) { reads.push_back(read); });

        s.LoadEntry(index, kColours);
        DisarmDisk();

        QCOMPARE(Bytes(s.SpriteBuf()), rom.Contents().mid(offset, 384));
        QCOMPARE(s.LoadedIndex(), index);
        QVERIFY(PicturesShow(s, s.SpriteBuf(), kColours));
        QCOMPARE(s.PalColor(), kColours);
        // Tile 6 is selected again, so its bits are the new block's; undo cannot reach back.
        BitTable lo {};
        BitTable hi {};
        UnpackTileBits(s.SpriteBuf(), 6, lo, hi);
        QVERIFY(s.TileLoBits() == lo && s.TileHiBits() == hi);
        QCOMPARE(s.History().count(), 0);
        QCOMPARE(reads.size(), std::size_t(25));
        for (int k = 0; k <= 24; ++k) {
            const DiskTransfer& read = reads[std::size_t(k)];
            QVERIFY(!read.write);
            QCOMPARE(read.offset, offset + 16 * std::max(k - 1, 0));
            QCOMPARE(read.count, std::size_t(k == 0 ? 384 : 16));
        }
    }
    void saveWritesTheEntryLoaded_data()
    {
        QTest::addColumn<SaveRow>("row");
        QTest::newRow("the entry loaded") << SaveRow {SaveCase::Loaded, 4};
        QTest::newRow("the entry loaded last") << SaveRow {SaveCase::LoadedLater, 21};
        QTest::newRow("not an entry whose load failed") << SaveRow {SaveCase::AfterFailedLoad, 36};
        QTest::newRow("into the first ROM after a refused open")
            << SaveRow {SaveCase::AfterRefusedOpen, 4};
        QTest::newRow("nowhere before any load") << SaveRow {SaveCase::NothingLoaded, -1};
    }
    void saveWritesTheEntryLoaded()
    {
        QFETCH(SaveRow, row);
        const auto [steps, entry] = row;
        // Long enough for entries 0..36, not for 37..44.
        RomFixture rom(steps == SaveCase::AfterFailedLoad ? 524288 : kRomBytes);
        RomFixture other(50000, QStringLiteral("short.gb"));
        SpriteSession s;
        if (steps != SaveCase::NothingLoaded) {
            s.Open(rom.PathUtf8(), kColours);
            s.LoadEntry(steps == SaveCase::AfterFailedLoad ? 36 : 4, kColours);
        }
        if (steps == SaveCase::LoadedLater)
            s.LoadEntry(21, kColours);
        if (steps == SaveCase::AfterFailedLoad)
            QVERIFY_THROWS_EXCEPTION(RomFileError, s.LoadEntry(37, kColours));
        if (steps == SaveCase::AfterRefusedOpen)
            QVERIFY_THROWS_EXCEPTION(RomFileError, s.Open(other.PathUtf8(), kColours));
        const QByteArray before = rom.Contents();
        Stroke(s, {{5, 5}});

        if (entry < 0) {
            QVERIFY_THROWS_EXCEPTION(RomFileError, s.Save());
            QCOMPARE(rom.Contents(), before);
            return;
        }
        s.Save();
        QByteArray expected = before;
        expected.replace(EntryOffset(entry), 384, Bytes(s.SpriteBuf()));
        QVERIFY(expected != before);
        QCOMPARE(rom.Contents(), expected);
        QCOMPARE(other.Contents(), RomFixture::Pattern(50000));
    }
    void failedTransferChangesNothing_data()
    {
        QTest::addColumn<FailureRow>("row");
        QTest::newRow("load: the block read") << FailureRow {"load", 0, 0};
        QTest::newRow("load: the last tile read") << FailureRow {"load", 24, 0};
        QTest::newRow("open: the first tile read") << FailureRow {"open", 1, kRomBytes};
        QTest::newRow("open: a 50000-byte file, short of entry 0")
            << FailureRow {"open", -1, 50000};
        QTest::newRow("open: an empty file") << FailureRow {"open", -1, 0};
        QTest::newRow("save: the write") << FailureRow {"save", 0, 0};
    }
    void failedTransferChangesNothing()
    {
        QFETCH(FailureRow, row);
        const auto& [command, failAt, otherSize] = row;
        RomFixture rom;
        RomFixture other(otherSize, QStringLiteral("other.gb"));
        SpriteSession s;
        s.Open(rom.PathUtf8(), kColours);
        s.LoadEntry(9, kColours);
        s.SelectTile(5);
        Stroke(s, {{1, 1}, {2, 1}});
        const SessionState before = StateOf(s);
        QSignalSpy sprite(&s, &SpriteSession::SpriteChanged);
        QSignalSpy tile(&s, &SpriteSession::TileChanged);
        // The transfer counted from 0 fails with a disk error, before it touches the file.
        DiskScript script;
        if (failAt >= 0) {
            auto& answers = script[command == "save" ? "pwrite" : "pread"];
            answers.assign(std::size_t(failAt), DiskAnswer {});
            answers.push_back(Fails(EIO));
        }
        ArmDisk(script);

        if (command == "load")
            QVERIFY_THROWS_EXCEPTION(RomFileError, s.LoadEntry(12, kColours));
        else if (command == "open")
            QVERIFY_THROWS_EXCEPTION(RomFileError, s.Open(other.PathUtf8(), kColours));
        else
            QVERIFY_THROWS_EXCEPTION(RomFileError, s.Save());
        QVERIFY(DisarmDisk().empty());

        QVERIFY(StateOf(s) == before);
        QCOMPARE(sprite.count() + tile.count(), 0);
        QCOMPARE(rom.Contents(), RomFixture::Pattern(kRomBytes));
        // The stroke is still the step Undo takes back.
        s.History().undo();
        QCOMPARE(Bytes(s.SpriteBuf()), rom.Contents().mid(EntryOffset(9), 384));
    }
    void changeIsOneUndoStep_data()
    {
        QTest::addColumn<StepRow>("row");
        QTest::newRow("a stroke of one pixel") << StepRow {{{0, 0}}, 3, 1};
        QTest::newRow("a drag over three pixels of two rows")
            << StepRow {{{7, 7}, {6, 7}, {6, 6}}, 1, 1};
        QTest::newRow("a pixel painted as it was") << StepRow {{{4, 4}}, 0, 0};
        QTest::newRow("a replaced block, in other colours") << StepRow {{}, 0, 1};
    }
    void changeIsOneUndoStep()
    {
        QFETCH(StepRow, row);
        const auto& [pixels, value, steps] = row;
        RomFixture rom;
        rom.Poke(82928 + 16 * 3, QByteArray(16, '\0'));
        SpriteSession s;
        // Drawn with colour 0 as the paint, so a value-0 pixel painted again does not change.
        s.Open(rom.PathUtf8(), {kPaint, kColours[1], kColours[2], kColours[3]});
        s.SelectTile(3);
        const SessionState original = StateOf(s);

        for (const QPoint& p : pixels)
            s.Paint(1, p.x(), p.y(), kPaint, value);
        if (pixels.isEmpty())
            s.ReplaceBlock(RandomBlock(11), kColours, QStringLiteral("Paste"));
        const SessionState changed = StateOf(s);

        QCOMPARE(s.History().count(), steps);
        for (const QPoint& p : pixels) {
            QCOMPARE(ValueIn(s.SpriteBuf(), 3, p.x(), p.y()), value);
            QCOMPARE(s.TilePicture(3).pixel(4 * p.x() + 3, 4 * p.y() + 3), qRgb(9, 99, 199));
            QCOMPARE(int(s.TileLoBits()[std::size_t(8 * p.y() + p.x() + 1)]), value & 1);
            QCOMPARE(int(s.TileHiBits()[std::size_t(8 * p.y() + p.x() + 1)]), value >> 1);
        }
        if (pixels.isEmpty()) {
            QVERIFY(s.SpriteBuf() == RandomBlock(11));
            QVERIFY(PicturesShow(s, RandomBlock(11), kColours));
            BitTable lo {};
            BitTable hi {};
            UnpackTileBits(RandomBlock(11), 3, lo, hi);
            QVERIFY(s.TileLoBits() == lo && s.TileHiBits() == hi);
        }
        if (steps == 0)
            return;
        // Undo puts back exactly what was shown, not a redrawing in newer colours.
        s.History().undo();
        QVERIFY(StateOf(s) == original);
        s.History().redo();
        QVERIFY(StateOf(s) == changed);
        // A new stroke after an undo drops what could have been redone.
        s.History().undo();
        Stroke(s, {{0, 7}});
        QVERIFY(!s.History().canRedo());
    }
    void undoLimitDropsTheOldestSteps_data()
    {
        QTest::addColumn<int>("strokes");
        QTest::newRow("as many as the limit") << SpriteSession::kUndoLimit;
        QTest::newRow("seven past the limit") << SpriteSession::kUndoLimit + 7;
    }
    void undoLimitDropsTheOldestSteps()
    {
        QFETCH(int, strokes);
        QVERIFY(SpriteSession::kUndoLimit >= 100);
        RomFixture rom;
        SpriteSession s;
        s.Open(rom.PathUtf8(), kColours);
        std::vector<SpriteBlock> after {s.SpriteBuf()}; // the block after each stroke
        for (int i = 0; i < strokes; ++i) {
            s.SelectTile(i / 64 % 24);
            Stroke(s, {{i % 8, i / 8 % 8}});
            after.push_back(s.SpriteBuf());
        }
        int undone = 0;
        for (; s.History().canUndo(); ++undone)
            s.History().undo();
        QCOMPARE(undone, SpriteSession::kUndoLimit);
        QVERIFY(s.SpriteBuf() == after[std::size_t(strokes - SpriteSession::kUndoLimit)]);
    }
    void signalsSayWhatChanged_data()
    {
        QTest::addColumn<SignalRow>("row");
        QTest::newRow("load") << SignalRow {"load", 1, {}};
        QTest::newRow("paint a pixel of tile 7") << SignalRow {"paint", 0, {7}};
        QTest::newRow("a stroke over three pixels: each drawn once")
            << SignalRow {"stroke", 0, {7, 7, 7}};
        QTest::newRow("undo a stroke on tile 7") << SignalRow {"undo", 0, {7}};
        QTest::newRow("replace the block") << SignalRow {"replace", 1, {}};
        QTest::newRow("an edit") << SignalRow {"edit", 1, {}};
        QTest::newRow("an edit that changes nothing: no step") << SignalRow {"edit nothing", 0, {}};
        QTest::newRow("select a tile past the last: nothing") << SignalRow {"select 24", 0, {}};
        QTest::newRow("paint a pixel past the last column: nothing")
            << SignalRow {"paint 8", 0, {}};
    }
    void signalsSayWhatChanged()
    {
        QFETCH(SignalRow, row);
        const auto& [change, sprites, tiles] = row;
        RomFixture rom;
        SpriteSession s;
        s.Open(rom.PathUtf8(), kColours);
        s.SelectTile(7);
        Stroke(s, {{1, 1}});
        const SessionState before = StateOf(s);
        QSignalSpy sprite(&s, &SpriteSession::SpriteChanged);
        QSignalSpy tile(&s, &SpriteSession::TileChanged);

        if (change == "load")
            s.LoadEntry(30, kColours);
        else if (change.startsWith("paint"))
            s.Paint(1, change == "paint" ? 0 : 8, 0, kPaint, 3);
        else if (change == "stroke")
            Stroke(s, {{0, 0}, {1, 0}, {2, 0}});
        else if (change == "undo")
            s.History().undo();
        else if (change == "replace")
            s.ReplaceBlock(RandomBlock(3), kColours, QStringLiteral("Paste"));
        else if (change == "edit")
            s.Edit({RandomBlock(4), s.TilePictures()}, QStringLiteral("Edit"));
        else if (change == "edit nothing")
            s.Edit(s.State(), QStringLiteral("Edit"));
        else
            s.SelectTile(24);

        QCOMPARE(sprite.count(), sprites);
        QList<int> changed;
        for (const QList<QVariant>& arguments : tile)
            changed << arguments.at(0).toInt();
        QCOMPARE(changed, tiles);
        QCOMPARE(StateOf(s) == before, sprites + tiles.size() == 0);
    }
    // A paste while the mouse button is still held ends the stroke first: undo takes back the
    // paste, then the stroke, one at a time.
    void replaceDuringAStrokeLeavesTheStrokeItsOwnStep()
    {
        RomFixture rom;
        rom.Poke(82928 + 16 * 3, QByteArray(16, '\0'));
        SpriteSession s;
        s.Open(rom.PathUtf8(), kColours);
        s.SelectTile(3);
        const SpriteBlock original = s.SpriteBuf();
        s.Paint(1, 2, 2, kPaint, 3);
        const SpriteBlock painted = s.SpriteBuf();
        s.ReplaceBlock(RandomBlock(5), kColours, QStringLiteral("Paste"));
        s.Paint(1, 3, 3, kPaint, 3); // the same button still held

        QCOMPARE(s.History().count(), 3);
        s.History().undo();
        s.History().undo();
        QVERIFY(s.SpriteBuf() == painted);
        s.History().undo();
        QVERIFY(s.SpriteBuf() == original);

        // Ctrl+Z with the button still held takes back the stroke so far, and it can be redone;
        // what the stroke paints afterwards is a step of its own.
        s.Paint(2, 4, 4, kPaint, 3);
        s.History().undo();
        QVERIFY(s.SpriteBuf() == original);
        s.History().redo();
        QVERIFY(s.SpriteBuf() != original);
        s.Paint(2, 5, 5, kPaint, 3);
        QCOMPARE(s.History().count(), 2);
    }
    // A press that changes nothing is no step and keeps what Redo can bring back; a stroke that
    // ends as it began (the painting colour changed while the button was held) leaves no step.
    void strokeThatChangesNothingLeavesNoStep()
    {
        RomFixture rom;
        rom.Poke(82928, QByteArray(16, '\0'));
        SpriteSession s;
        s.Open(rom.PathUtf8(), {kPaint, kColours[1], kColours[2], kColours[3]});
        Stroke(s, {{1, 1}});
        s.History().undo();
        s.Paint(1, 1, 1, kPaint, 0);
        QVERIFY(s.History().canRedo());
        s.Paint(2, 2, 2, kPaint, 3);
        s.Paint(2, 2, 2, kPaint, 0);
        QCOMPARE(s.History().count(), 0);
        QCOMPARE(Bytes(s.SpriteBuf()).left(16), QByteArray(16, '\0'));
    }
};

QTEST_MAIN(SpriteSessionTest)
#include "SpriteSessionTest.moc"
