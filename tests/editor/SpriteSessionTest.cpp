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

struct StepRow {
    const char* name;
    QList<QList<QPoint>> strokes; // none: the whole block replaced
    int value;
    int steps;
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
        AddRows<StepRow>({{"a stroke of one pixel", {{{0, 0}}}, 3, 1},
            {"a drag over three pixels of two rows", {{{7, 7}, {6, 7}, {6, 6}}}, 1, 1},
            {"a drag, then a click: two steps", {{{0, 0}, {1, 0}, {2, 0}}, {{6, 6}}}, 2, 2},
            {"a pixel painted as it was", {{{4, 4}}}, 0, 0},
            {"a replaced block, in other colours", {}, 0, 1}});
    }
    void changeIsOneUndoStep()
    {
        const auto& [name, strokes, value, steps] = CurrentRow<StepRow>();
        RomFixture rom;
        rom.Poke(kEntry0 + 16 * 3, QByteArray(16, '\0'));
        SpriteSession s;
        // Drawn with colour 0 as the paint, so a value-0 pixel painted again does not change.
        s.Open(rom.PathUtf8(), {kPaint, kColours[1], kColours[2], kColours[3]});
        s.SelectTile(3);
        std::vector<SessionState> states {StateOf(s)}; // before each stroke, and at the end

        for (int stroke = 0; stroke < strokes.size(); ++stroke) {
            for (const QPoint& p : strokes[stroke])
                s.Paint(stroke + 1, p.x(), p.y(), kPaint, value);
            states.push_back(StateOf(s));
        }
        if (strokes.isEmpty())
            s.ReplaceBlock(RandomBlock(11), kColours, QStringLiteral("Paste"));
        const SessionState changed = StateOf(s);

        QCOMPARE(s.History().count(), steps);
        if (steps > 0)
            QCOMPARE(s.History().undoText(),
                strokes.isEmpty() ? QStringLiteral("Paste") : QStringLiteral("Paint"));
        const QList<QPoint> pixels = strokes.isEmpty() ? QList<QPoint>() : strokes.constLast();
        for (const QPoint& p : pixels) {
            QCOMPARE(ValueIn(s.SpriteBuf(), 3, p.x(), p.y()), value);
            QCOMPARE(s.TilePicture(3).pixel(4 * p.x() + 3, 4 * p.y() + 3), qRgb(9, 99, 199));
        }
        QVERIFY(BitsOf(s, s.SpriteBuf(), 3)); // the selected tile's bits follow every change
        if (strokes.isEmpty()) {
            QVERIFY(s.SpriteBuf() == RandomBlock(11));
            QVERIFY(PicturesShow(s, RandomBlock(11), kColours));
        }
        if (steps == 0)
            return;
        // Each undo takes back one whole stroke and puts back exactly what was shown, not a
        // redrawing in newer colours.
        for (int step = steps - 1; step >= 0; --step) {
            s.History().undo();
            QVERIFY(StateOf(s) == states[std::size_t(step)]);
        }
        for (int step = 0; step < steps; ++step)
            s.History().redo();
        QVERIFY(StateOf(s) == changed);
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
    // A paste while the mouse button is still held ends the stroke first: undo takes back the
    // paste, then the stroke, one at a time.
    void replaceDuringAStrokeLeavesTheStrokeItsOwnStep()
    {
        RomFixture rom;
        rom.Poke(kEntry0 + 16 * 3, QByteArray(16, '\0'));
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
        rom.Poke(kEntry0, QByteArray(16, '\0'));
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
