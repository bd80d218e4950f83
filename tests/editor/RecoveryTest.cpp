// Unsaved paint as the user meets it: the caption's marker, paint kept and offered back, the marks.
#include "EditorHarness.h"
#include "RowTable.h"
#include "editor/RecoveryStore.h"

using namespace morvane;
using namespace morvane::test;

class RecoveryTest : public QObject {
    Q_OBJECT

    // Entry 0 as the ROM image holds it, and as it is after the paint of PaintOneCell.
    static QByteArray Stored(const RomFixture& rom) { return rom.Contents().mid(kEntry0, 384); }
    static QByteArray PaintedOnce(QByteArray block)
    {
        const char bit = 0x80 >> 2; // pixel (2, 2), in bytes 4 (low bit) and 5 (high bit)
        if ((block[4] & bit) != 0) // its value counts up by one: a carry into the high bit
            block[5] = char(block[5] ^ bit);
        block[4] = char(block[4] ^ bit);
        return block;
    }

    // The record of entry 0's paint in the state folder XDG_STATE_HOME names now.
    static std::optional<RecoveryRecord> KeptFor(const RomFixture& rom)
    {
        return RecoveryStore(RecoveryStore::DefaultFolder()).Find(rom.PathUtf8(), 0);
    }

    // Whether an editor opening the ROM image with the records of `stateHome` offers nothing back.
    static bool NothingOffered(const RomFixture& rom, const QString& stateHome)
    {
        EditorHarness again(stateHome);
        again.LoadRom(rom.Path());
        return again.messages.asked.empty();
    }

    struct Ending {
        const char* name;
        QString how; // how the first editor ends: "kill" or "quit"
        bool romChanged = false; // the entry's block written by others before the restart
        QString answer; // to the question: "Return" or a button
    };

    // Whether a pixel of a view shows a mark rather than one of the display colours.
    static bool IsMark(const QColor& pixel)
    {
        return pixel != DefaultColour(0) && pixel != DefaultColour(1) && pixel != DefaultColour(2)
            && pixel != DefaultColour(3);
    }

private slots:
    // The marker and the record last exactly while SpriteBuf differs from the ROM image's block.
    void markerAndRecordFollowTheSavedBlock()
    {
        RomFixture rom;
        QTemporaryDir state;
        {
            EditorHarness h(state.path());
            h.LoadRom(rom.Path());
            QVERIFY(h.Show());
            const QString caption = Caption(*h.window);
            h.PaintOneCell();
            QCOMPARE(Caption(*h.window), caption + '*');
            QTRY_VERIFY(KeptFor(rom));

            h.Keys("Ctrl+S");
            QCOMPARE(Caption(*h.window), caption);
            QCOMPARE(Stored(rom), h.SpriteBuf());
            QTRY_VERIFY(!KeptFor(rom));

            // Undo past the save leaves a block the ROM image does not hold; back to it, none.
            h.PaintOneCell();
            QTRY_VERIFY(KeptFor(rom));
            h.Keys("Ctrl+Z");
            QCOMPARE(Caption(*h.window), caption);
            QTRY_VERIFY(!KeptFor(rom));
            h.Keys("Ctrl+Z");
            QCOMPARE(Caption(*h.window), caption + '*');
            h.Keys("Ctrl+Y");
            QCOMPARE(Caption(*h.window), caption);
        }
        QVERIFY(NothingOffered(rom, state.path()));
    }

    // Load Sprite drops the paint before its write is due; the record keeps it, offered back once.
    void loadDropsThePaintButNotItsRecord()
    {
        OpenEditor h;
        const QByteArray stored = h.SpriteBuf();
        h.PaintOneCell();
        const QByteArray painted = h.SpriteBuf();
        h.LoadSprite(0);
        QCOMPARE(h.SpriteBuf(), stored);
        h.LoadSprite(0);
        QVERIFY(h.messages.asked.empty());
        QTRY_VERIFY(KeptFor(h.rom));

        h.messages.answers = {QStringLiteral("Return")};
        h.LoadRom(h.rom.Path());
        QCOMPARE(h.messages.asked.size(), std::size_t {1});
        QCOMPARE(h.SpriteBuf(), painted);
    }

    void recordsTooOldToKeepGoAtStart()
    {
        RomFixture rom;
        QTemporaryDir state;
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
        const RecoveryStore store(RecoveryStore::DefaultFolder());
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QCOMPARE(store.Write({rom.PathUtf8(), {}, 0, {}, {}, {}}, now.addDays(-31)), QString());
        QCOMPARE(store.Write({rom.PathUtf8(), {}, 1, {}, {}, {}}, now.addDays(-29)), QString());
        EditorHarness h(state.path());
        QTRY_VERIFY(!store.Find(rom.PathUtf8(), 0));
        QVERIFY(store.Find(rom.PathUtf8(), 1));
    }

    void paintOutlivesTheEditor_data()
    {
        AddRows<Ending>({{"killed, restored", "kill", false, "Return"},
            {"quit, restored", "quit", false, "Return"},
            {"block changed since", "kill", true, "Return"},
            {"discarded", "quit", false, "Discard"}});
    }
    void paintOutlivesTheEditor()
    {
        const Ending& ending = CurrentRow<Ending>();
        RomFixture rom;
        const QByteArray painted = PaintedOnce(Stored(rom));
        QTemporaryDir state;
        QProcess editor;
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
        editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        editor.start(QStringLiteral(PAINT_THEN_WAIT), {rom.Path(), ending.how});
        if (ending.how == u"kill") {
            QVERIFY(editor.waitForReadyRead(30000));
            QCOMPARE(editor.readAll(), QByteArray("ready\n"));
            editor.kill();
        }
        QVERIFY(editor.waitForFinished(30000));
        QCOMPARE(editor.exitStatus(),
            ending.how == u"kill" ? QProcess::CrashExit : QProcess::NormalExit);
        if (ending.romChanged) // written by others since: a byte of tile 6 inverted
            rom.Poke(kEntry0 + 100, QByteArray(1, char(~RomFixture::PatternByte(kEntry0 + 100))));
        const QByteArray stored = Stored(rom);
        const std::optional<RecoveryRecord> kept = KeptFor(rom);
        QVERIFY(kept);
        {
            EditorHarness h(state.path());
            h.messages.answers = {ending.answer};
            h.LoadRom(rom.Path());
            QVERIFY(h.Show());
            QCOMPARE(h.messages.asked.size(), std::size_t {1});
            const RecordingMessages::Asked& asked = h.messages.asked.front();
            QCOMPARE(std::pair(asked.buttons, asked.defaultButton),
                std::pair(QStringList({"Restore", "Discard"}), 0));
            QVERIFY2(asked.text.startsWith("Sprite 0 (") && asked.text.endsWith(" Restore it?")
                    && asked.text.contains(
                        QLocale().toString(kept->written.toLocalTime(), QLocale::ShortFormat))
                    && asked.text.contains("changed") == ending.romChanged,
                qPrintable(asked.text));
            const bool restored = ending.answer == u"Return";
            QCOMPARE(h.SpriteBuf(), restored ? painted : stored);
            QCOMPARE(Caption(*h.window).endsWith('*'), restored);
            if (restored) {
                // One step, undone and redone like any other.
                h.Keys("Ctrl+Z");
                QCOMPARE(h.SpriteBuf(), stored);
                h.Keys("Ctrl+Y, Ctrl+S");
                QCOMPARE(Stored(rom), painted);
            }
        }
        QVERIFY(NothingOffered(rom, state.path()));
    }

    // Marks sit on just the pixels that differ from the ROM image's block; the held key shows it.
    void showChangesMarksTheChangedPixels()
    {
        OpenEditor h;
        QVERIFY(h.Show());
        const QImage storedView = h.View(0).Image().copy();
        const QImage storedGrid = h.Grid().Image().copy();
        const QByteArray stored = Stored(h.rom);
        // One cell changed, one changed and painted back, one painted as it was.
        h.PaintOneCell();
        h.PaintCell((PixelValue(stored, 5, 6) + 1) % 4, 5, 6);
        h.PaintCell(PixelValue(stored, 5, 6), 5, 6);
        h.PaintCell(PixelValue(stored, 7, 0), 7, 0);

        // The marked pixels of tile 0, as "column,row", where the view and the grid agree.
        const auto marked = [&h] {
            QStringList pixels;
            const QImage view = h.View(0).Rendered();
            const QImage grid = h.Grid().Rendered();
            for (int row = 0; row < 8; ++row)
                for (int column = 0; column < 8; ++column) {
                    const bool inView = IsMark(view.pixelColor(4 * column + 2, 4 * row + 2));
                    const bool inGrid = IsMark(grid.pixelColor(16 * column + 8, 16 * row + 8));
                    if (inView || inGrid)
                        pixels << QStringLiteral("%1,%2%3").arg(column).arg(row).arg(
                            inView == inGrid ? "" : " (not in both)");
                }
            return pixels.join(' ');
        };
        QCOMPARE(marked(), QString());
        h.Keys("Ctrl+D");
        QVERIFY(h.Find<QAction>(QStringLiteral("mnuEditShowChanges")).isChecked());
        QCOMPARE(marked(), QStringLiteral("2,2"));
        const QImage editedView = h.View(0).Image().copy();
        const QImage editedGrid = h.Grid().Image().copy();

        QTest::keyPress(h.window.get(), Qt::Key_Backslash);
        QCOMPARE(h.View(0).Image(), storedView);
        QCOMPARE(h.Grid().Image(), storedGrid);
        // A tile chosen while the key is held shows as stored too.
        h.Click(QStringLiteral("picSprites(1)"));
        h.Click(QStringLiteral("picSprites(0)"));
        QTRY_COMPARE(h.Grid().Image(), storedGrid);
        QTest::keyRelease(h.window.get(), Qt::Key_Backslash);
        QCOMPARE(h.View(0).Image(), editedView);
        QCOMPARE(h.Grid().Image(), editedGrid);
        // Copies of the sprite never carry the marks, and a save makes the marks go.
        QCOMPARE(h.window->Document().TilePicture(0), editedView);
        h.Keys("Ctrl+S");
        QCOMPARE(marked(), QString());
    }
};

QTEST_MAIN(RecoveryTest)
#include "RecoveryTest.moc"
