// The sprite document's rules, without a window: what a load reads and draws, where Save writes,
// that a failed read or write changes nothing, what one undo step is, the undo limit, and which
// signals each change sends.
#include "editor/SpriteSession.h"
#include "DiskScript.h"
#include "RomFixture.h"
#include "RowTable.h"
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
    return index <= 20 ? kEntry0 + 384 * index
        : index <= 36  ? 91184 + 384 * (index - 21)
                       : 1042032 + 384 * (index - 37);
}

// The value of pixel (column, row) of a tile of `block`.
int ValueIn(const SpriteBlock& block, int tile, int column, int row)
{
    return PixelValue(Bytes(block).mid(16 * tile, 16), column, row);
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

// Whether the session's bit tables are those of tile `tile` of `block`.
bool BitsOf(const SpriteSession& s, const SpriteBlock& block, int tile)
{
    BitTable lo {};
    BitTable hi {};
    UnpackTileBits(block, tile, lo, hi);
    return s.TileLoBits() == lo && s.TileHiBits() == hi;
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
    const char* name;
    SaveCase steps;
    int entry; // -1: nothing may be written
};

struct FailureRow {
    const char* name;
    QString command;
    int failAt; // which transfer of the command fails; -1: the file itself
    qint64 otherSize; // the ROM image an open is asked for
};

// One thing the user does to tile 3: paints a pixel as part of stroke `stroke` (a press and the
// moves of one held button), pastes a sprite over the block, or presses Undo or Redo.
struct Act {
    enum { Paint, Paste, Undo, Redo } kind;
    int stroke = 0;
    QPoint at {};
    int value = 0;
};
constexpr Act P(int stroke, int x, int y, int value)
{
    return {Act::Paint, stroke, {x, y}, value};
}

struct StepRow {
    const char* name;
    QList<Act> acts;
    int steps; // the history's length afterwards, undone steps included
    QString top; // the step Undo takes back; empty: none
    QList<int> undoTo; // each Undo in turn gives back the state after this many acts
    bool redoable = false;
};

struct SignalRow {
    const char* name;
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
        AddRowColumn<int>();
        QTest::newRow("entry 0 again") << 0;
        QTest::newRow("entry 21, first past the gap") << 21;
        QTest::newRow("entry 44, the last") << 44;
    }
    void loadReadsTheBlockThenEveryTile()
    {
        const int index = CurrentRow<int>();
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
        QVERIFY(BitsOf(s, s.SpriteBuf(), 6));
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
        AddRows<SaveRow>({{"the entry loaded", SaveCase::Loaded, 4},
            {"the entry loaded last", SaveCase::LoadedLater, 21},
            {"not an entry whose load failed", SaveCase::AfterFailedLoad, 36},
            {"into the first ROM after a refused open", SaveCase::AfterRefusedOpen, 4},
            {"nowhere before any load", SaveCase::NothingLoaded, -1}});
    }
    void saveWritesTheEntryLoaded()
    {
        const auto [name, steps, entry] = CurrentRow<SaveRow>();
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
        AddRows<FailureRow>(
            {{"load: the block read", "load", 0, 0}, {"load: the last tile read", "load", 24, 0},
                {"open: the first tile read", "open", 1, kRomBytes},
                {"open: a 50000-byte file, short of entry 0", "open", -1, 50000},
                {"open: an empty file", "open", -1, 0}, {"save: the write", "save", 0, 0}});
    }
    void failedTransferChangesNothing()
    {
        const auto& [name, command, failAt, otherSize] = CurrentRow<FailureRow>();
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
        const Act paste {Act::Paste};
        const Act undo {Act::Undo};
        const Act redo {Act::Redo};
        AddRows<StepRow>({{"a stroke of one pixel", {P(1, 0, 0, 3)}, 1, "Paint", {0}},
            {"a drag over three pixels of two rows", {P(1, 7, 7, 1), P(1, 6, 7, 1), P(1, 6, 6, 1)},
                1, "Paint", {0}},
            {"a drag, then a click: two steps",
                {P(1, 0, 0, 2), P(1, 1, 0, 2), P(1, 2, 0, 2), P(2, 6, 6, 2)}, 2, "Paint", {3, 0}},
            {"a pixel painted as it was", {P(1, 4, 4, 0)}, 0, "", {}},
            {"a replaced block, in other colours", {paste}, 1, "Paste", {0}},
            // A paste while the button is still held ends the stroke first.
            {"a paste during a stroke", {P(1, 2, 2, 3), paste, P(1, 3, 3, 3)}, 3, "Paint",
                {2, 1, 0}},
            // Undo with the button still held takes back the stroke so far, and it can be
            // redone; what the stroke paints afterwards is a step of its own.
            {"undo and redo during a stroke", {P(2, 4, 4, 3), undo, redo, P(2, 5, 5, 3)}, 2,
                "Paint", {3, 0}},
            {"a press that changes nothing keeps Redo", {P(1, 1, 1, 3), undo, P(2, 1, 1, 0)}, 1, "",
                {}, true},
            // The painting colour changed while the button was held.
            {"a stroke that ends as it began", {P(2, 2, 2, 3), P(2, 2, 2, 0)}, 0, "", {}}});
    }
    void changeIsOneUndoStep()
    {
        const auto& [name, acts, steps, top, undoTo, redoable] = CurrentRow<StepRow>();
        RomFixture rom;
        rom.Poke(kEntry0 + 16 * 3, QByteArray(16, '\0'));
        SpriteSession s;
        // Drawn with colour 0 as the paint, so a value-0 pixel painted again does not change.
        s.Open(rom.PathUtf8(), {kPaint, kColours[1], kColours[2], kColours[3]});
        s.SelectTile(3);
        std::vector<SessionState> states {StateOf(s)}; // at the start and after each act
        for (const Act& act : acts) {
            if (act.kind == Act::Paint)
                s.Paint(act.stroke, act.at.x(), act.at.y(), kPaint, act.value);
            else if (act.kind == Act::Paste)
                s.ReplaceBlock(RandomBlock(11), kColours, QStringLiteral("Paste"));
            else if (act.kind == Act::Undo)
                s.History().undo();
            else
                s.History().redo();
            states.push_back(StateOf(s));
        }

        QCOMPARE(s.History().count(), steps);
        QCOMPARE(s.History().undoText(), top);
        QCOMPARE(s.History().canRedo(), redoable);
        QVERIFY(BitsOf(s, s.SpriteBuf(), 3)); // the selected tile's bits follow every change
        if (const Act& last = acts.constLast(); last.kind == Act::Paint) {
            QCOMPARE(ValueIn(s.SpriteBuf(), 3, last.at.x(), last.at.y()), last.value);
            QCOMPARE(
                s.TilePicture(3).pixel(4 * last.at.x() + 3, 4 * last.at.y() + 3), qRgb(9, 99, 199));
        } else {
            QVERIFY(s.SpriteBuf() == RandomBlock(11));
            QVERIFY(PicturesShow(s, RandomBlock(11), kColours));
        }
        if (undoTo.isEmpty()) {
            QVERIFY(!s.History().canUndo());
            QVERIFY(StateOf(s) == states.front()); // no change is left to see
            return;
        }
        // Each undo takes back one whole step and puts back exactly what was shown, not a
        // redrawing in newer colours.
        for (int after : undoTo) {
            s.History().undo();
            QVERIFY(StateOf(s) == states[std::size_t(after)]);
        }
        QVERIFY(!s.History().canUndo());
        for (qsizetype i = 0; i < undoTo.size(); ++i)
            s.History().redo();
        QVERIFY(StateOf(s) == states.back());
        // A new stroke after an undo drops what could have been redone.
        s.History().undo();
        Stroke(s, {{0, 7}});
        QVERIFY(!s.History().canRedo());
    }
    void undoLimitDropsTheOldestSteps_data()
    {
        AddRowColumn<int>();
        QTest::newRow("as many as the limit") << SpriteSession::kUndoLimit;
        QTest::newRow("seven past the limit") << SpriteSession::kUndoLimit + 7;
    }
    void undoLimitDropsTheOldestSteps()
    {
        const int strokes = CurrentRow<int>();
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
        AddRows<SignalRow>({{"load", "load", 1, {}}, {"paint a pixel of tile 7", "paint", 0, {7}},
            {"a stroke over three pixels: each drawn once", "stroke", 0, {7, 7, 7}},
            {"undo a stroke on tile 7", "undo", 0, {7}}, {"replace the block", "replace", 1, {}},
            {"an edit", "edit", 1, {}},
            {"an edit that changes nothing: no step", "edit nothing", 0, {}},
            {"select a tile past the last: nothing", "select 24", 0, {}},
            {"paint a pixel past the last column: nothing", "paint 8", 0, {}}});
    }
    void signalsSayWhatChanged()
    {
        const auto& [name, change, sprites, tiles] = CurrentRow<SignalRow>();
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
};

QTEST_MAIN(SpriteSessionTest)
#include "SpriteSessionTest.moc"
