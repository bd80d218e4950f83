// The sprite document's rules, without a window: what a load reads and draws, where Save writes,
// that a failure changes nothing, what one undo step is, the undo limit, and the signals.
#include "editor/SpriteSession.h"
#include "DiskScript.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "TestData.h"
#include "sprite/RomFileError.h"

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

int ValueIn(const SpriteBlock& block, int tile, int column, int row)
{
    return PixelValue(Bytes(block).mid(16 * tile, 16), column, row);
}

// Whether every tile picture shows `block` four times enlarged in `colours`.
bool PicturesShow(const SpriteSession& s, const SpriteBlock& block, const Palette& colours)
{
    for (int t = 0; t < 24; ++t)
        for (int p = 0; p < 32 * 32; ++p) {
            const PackedColor c = colours[std::size_t(ValueIn(block, t, p % 32 / 4, p / 128))];
            if (s.TilePicture(t).pixel(p % 32, p / 32) != qRgb(RedOf(c), GreenOf(c), BlueOf(c)))
                return false;
        }
    return true;
}

// Whether the session's bit tables are those of tile `tile` of `block`.
bool BitsOf(const SpriteSession& s, const SpriteBlock& block, int tile)
{
    BitTable lo {}, hi {};
    UnpackTileBits(block, tile, lo, hi);
    return s.TileLoBits() == lo && s.TileHiBits() == hi;
}

struct OpenSession : SpriteSession {
    OpenSession() { Open(rom.PathUtf8(), kColours); }
    RomFixture rom;
};

// Everything a command can change.
auto StateOf(const SpriteSession& s)
{
    return std::tuple(s.RomPath(), s.SpriteBuf(), s.LoadedIndex(), s.TilePictures(), s.CurTile(),
        s.TileLoBits(), s.TileHiBits(), s.History().index());
}

// Paints pixels of the selected tile as a stroke of its own, in a value new to the first pixel.
void Stroke(SpriteSession& s, std::initializer_list<QPoint> pixels)
{
    static int strokes = 1000;
    const int stroke = ++strokes;
    const QPoint first = *pixels.begin();
    const int value = (ValueIn(s.SpriteBuf(), s.CurTile(), first.x(), first.y()) + 1) % 4;
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
    int stroke; // or one of the commands below
    int x = 0, y = 0, value = 0;
};
enum { kPaste = -1, kUndo = -2, kRedo = -3 };

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
    int sprites;
    QList<int> tiles;
    void (*change)(SpriteSession&);
};

} // namespace

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
        OpenSession s;
        s.SelectTile(6); // selected while entry 0 is loaded
        Stroke(s, {{0, 0}});
        QList<std::tuple<bool, std::int64_t, std::size_t>> reads;
        ArmDisk({},
            [&reads](const DiskTransfer& t) { reads << std::tuple(t.write, t.offset, t.count); });

        s.LoadEntry(index, kColours);
        DisarmDisk();

        QCOMPARE(Bytes(s.SpriteBuf()), s.rom.Contents().mid(offset, 384));
        QVERIFY(PicturesShow(s, s.SpriteBuf(), kColours));
        QCOMPARE(s.PalColor(), kColours);
        // Tile 6 is selected again, so its bits are the new block's; undo cannot reach back.
        QVERIFY(BitsOf(s, s.SpriteBuf(), 6));
        QCOMPARE(std::tuple(s.LoadedIndex(), s.History().count()), std::tuple(index, 0));
        decltype(reads) expected {{false, offset, 384}};
        for (int tile = 0; tile < 24; ++tile)
            expected.append({false, offset + 16 * tile, 16});
        QCOMPARE(reads, expected);
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

        const QString failure = FailureOf<RomFileError>([&s] { s.Save(); });
        QVERIFY2(failure.isEmpty() == (entry >= 0), qPrintable(failure));
        const QByteArray expected = entry < 0
            ? before
            : QByteArray(before).replace(EntryOffset(entry), 384, Bytes(s.SpriteBuf()));
        QCOMPARE(expected != before, entry >= 0);
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
        RomFixture other(otherSize, QStringLiteral("other.gb"));
        OpenSession s;
        s.LoadEntry(9, kColours);
        s.SelectTile(5);
        Stroke(s, {{1, 1}, {2, 1}});
        const auto before = StateOf(s);
        QSignalSpy sprite(&s, &SpriteSession::SpriteChanged);
        QSignalSpy tile(&s, &SpriteSession::TileChanged);
        // The transfer counted from 0 fails with a disk error, before it touches the file.
        std::deque<DiskAnswer> answers(std::size_t(std::max(failAt, 0)));
        answers.push_back(Fails(EIO));
        ArmDisk(failAt < 0 ? DiskScript {}
                           : DiskScript {{command == "save" ? "pwrite" : "pread", answers}});

        QVERIFY_THROWS_EXCEPTION(RomFileError,
            command == "load"       ? s.LoadEntry(12, kColours)
                : command == "open" ? s.Open(other.PathUtf8(), kColours)
                                    : s.Save());
        QVERIFY(DisarmDisk().empty());

        QVERIFY(StateOf(s) == before);
        QCOMPARE(sprite.count() + tile.count(), 0);
        QCOMPARE(s.rom.Contents(), RomFixture::Pattern(kRomBytes));
        // The stroke is still the step Undo takes back.
        s.History().undo();
        QCOMPARE(Bytes(s.SpriteBuf()), s.rom.Contents().mid(EntryOffset(9), 384));
    }
    void changeIsOneUndoStep_data()
    {
        AddRows<StepRow>({{"a stroke of one pixel", {{1, 0, 0, 3}}, 1, "Paint", {0}},
            {"a drag over three pixels of two rows", {{1, 7, 7, 1}, {1, 6, 7, 1}, {1, 6, 6, 1}}, 1,
                "Paint", {0}},
            {"a drag, then a click: two steps",
                {{1, 0, 0, 2}, {1, 1, 0, 2}, {1, 2, 0, 2}, {2, 6, 6, 2}}, 2, "Paint", {3, 0}},
            {"a pixel painted as it was", {{1, 4, 4, 0}}, 0, "", {}},
            {"a replaced block, in other colours", {{kPaste}}, 1, "Paste", {0}},
            // A paste while the button is still held ends the stroke first.
            {"a paste during a stroke", {{1, 2, 2, 3}, {kPaste}, {1, 3, 3, 3}}, 3, "Paint",
                {2, 1, 0}},
            // Undo with the button held takes back the stroke so far; what it paints next is new.
            {"undo and redo during a stroke", {{2, 4, 4, 3}, {kUndo}, {kRedo}, {2, 5, 5, 3}}, 2,
                "Paint", {3, 0}},
            {"a press that changes nothing keeps Redo", {{1, 1, 1, 3}, {kUndo}, {2, 1, 1, 0}}, 1,
                "", {}, true},
            // The painting colour changed while the button was held.
            {"a stroke that ends as it began", {{2, 2, 2, 3}, {2, 2, 2, 0}}, 0, "", {}}});
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
        std::vector states {StateOf(s)}; // at the start and after each act
        for (const Act& act : acts) {
            if (act.stroke == kPaste)
                s.ReplaceBlock(RandomBlock(11), kColours, QStringLiteral("Paste"));
            else if (act.stroke == kUndo)
                s.History().undo();
            else if (act.stroke == kRedo)
                s.History().redo();
            else
                s.Paint(act.stroke, act.x, act.y, kPaint, act.value);
            states.push_back(StateOf(s));
        }

        QCOMPARE(std::tuple(s.History().count(), s.History().undoText(), s.History().canRedo()),
            std::tuple(steps, top, redoable));
        QVERIFY(BitsOf(s, s.SpriteBuf(), 3)); // the selected tile's bits follow every change
        if (const Act& last = acts.constLast(); last.stroke >= 0) {
            QCOMPARE(ValueIn(s.SpriteBuf(), 3, last.x, last.y), last.value);
            QCOMPARE(s.TilePicture(3).pixel(4 * last.x + 3, 4 * last.y + 3), qRgb(9, 99, 199));
        } else {
            QVERIFY(s.SpriteBuf() == RandomBlock(11));
            QVERIFY(PicturesShow(s, RandomBlock(11), kColours));
        }
        // Each undo takes back one whole step and puts back exactly what was shown, not a
        // redrawing in newer colours, until no change is left to see.
        for (int after : undoTo) {
            s.History().undo();
            QVERIFY(StateOf(s) == states[std::size_t(after)]);
        }
        QVERIFY(!s.History().canUndo());
        QVERIFY(StateOf(s) == states.front());
        s.History().setIndex(int(undoTo.size())); // every step redone
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
        OpenSession s;
        std::vector<SpriteBlock> after {s.SpriteBuf()}; // the block after each stroke
        for (int i = 0; i < strokes; ++i) {
            s.SelectTile(i / 64 % 24);
            Stroke(s, {{i % 8, i / 8 % 8}});
            after.push_back(s.SpriteBuf());
        }
        QCOMPARE(s.History().index(), SpriteSession::kUndoLimit); // the steps Undo can take back
        s.History().setIndex(0);
        QVERIFY(s.SpriteBuf() == after[std::size_t(strokes - SpriteSession::kUndoLimit)]);
    }
    void signalsSayWhatChanged_data()
    {
        using S = SpriteSession;
        AddRows<SignalRow>({{"load", 1, {}, [](S& s) { s.LoadEntry(30, kColours); }},
            {"paint a pixel of tile 7", 0, {7}, [](S& s) { s.Paint(1, 0, 0, kPaint, 3); }},
            {"a stroke over three pixels: each drawn once", 0, {7, 7, 7},
                [](S& s) {
                    Stroke(s, {{0, 0}, {1, 0}, {2, 0}});
                }},
            {"undo a stroke on tile 7", 0, {7}, [](S& s) { s.History().undo(); }},
            {"replace the block", 1, {},
                [](S& s) { s.ReplaceBlock(RandomBlock(3), kColours, "Paste"); }},
            {"an edit", 1, {},
                [](S& s) { s.Edit(SpriteState(RandomBlock(4), s.TilePictures()), "Edit"); }},
            {"an edit that changes nothing: no step", 0, {},
                [](S& s) { s.Edit(s.State(), "Edit"); }},
            {"select a tile past the last: nothing", 0, {}, [](S& s) { s.SelectTile(24); }},
            {"paint a pixel past the last column: nothing", 0, {},
                [](S& s) { s.Paint(1, 8, 0, kPaint, 3); }}});
    }
    void signalsSayWhatChanged()
    {
        const auto& [name, sprites, tiles, change] = CurrentRow<SignalRow>();
        OpenSession s;
        s.SelectTile(7);
        Stroke(s, {{1, 1}});
        const auto before = StateOf(s);
        QSignalSpy sprite(&s, &SpriteSession::SpriteChanged);
        QSignalSpy tile(&s, &SpriteSession::TileChanged);
        change(s);

        QList<int> changed;
        for (const QList<QVariant>& arguments : tile)
            changed << arguments.at(0).toInt();
        QCOMPARE(std::pair(sprite.count(), changed), std::pair(qsizetype(sprites), tiles));
        QCOMPARE(StateOf(s) == before, sprites + tiles.size() == 0);
    }
};

QTEST_MAIN(SpriteSessionTest)
#include "SpriteSessionTest.moc"
