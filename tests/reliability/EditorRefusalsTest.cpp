// Every bad file a user can bring to the editor, through the real window with scripted dialogs:
// each ends in one message naming the file, and the ROM image, SpriteBuf, the tile views, the
// editing grid and the undo history stay exactly as they were.
#include "EditorHarness.h"
#include "HostileFiles.h"
#include "WindowSnapshot.h"
#include "demo/DemoRom.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include <sys/resource.h>

using namespace morvane;
using namespace morvane::test;

namespace {

constexpr qint64 kRomBytes = 1045104;
constexpr qint64 kEntry0 = 82928;

// The entry the edited sprite is loaded from: in the middle of the first run of blocks.
constexpr int kEditedEntry = 9;
constexpr qint64 kEditedOffset = kEntry0 + kEditedEntry * 384;

enum class BadRom { Unreadable, Pipe, NameTooLong, PathTooLong, MissingNonAscii };
enum class SaveBreaker { ReadOnly, RunningProgram, ReplacedByFolder, ReplacedByPipe };

// The largest amount of memory the process has held so far, in kilobytes.
long PeakMemoryKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Opens `rom`, loads the edited entry and paints one cell, so the window has unsaved work that
// a refused command must not lose.
void OpenAndEdit(EditorHarness& h, const QString& rom)
{
    h.LoadRom(rom);
    h.LoadSprite(kEditedEntry);
    h.window->picSprites_Click(5);
    PaintOneCell(*h.window);
}

// The ROM bytes with `block` written over the edited entry.
QByteArray WithEditedBlock(QByteArray rom, const QByteArray& block)
{
    rom.replace(kEditedOffset, block.size(), block);
    return rom;
}

QString NestedPath(const QString& base, int atLeast, const QString& fileName)
{
    QString folder = base;
    while (folder.size() + fileName.size() < atLeast)
        folder += QStringLiteral("/a folder with a long name");
    return folder + QLatin1Char('/') + fileName;
}

} // namespace

Q_DECLARE_METATYPE(BadRom)
Q_DECLARE_METATYPE(SaveBreaker)

class EditorRefusalsTest : public QObject {
    Q_OBJECT

private slots:
    void refusedRom_data();
    void refusedRom();
    void refusedSave_data();
    void refusedSave();
    void romTooShortForAnyEntry_data();
    void romTooShortForAnyEntry();
    void refusedSpriteImage_data();
    void refusedSpriteImage();
    void awkwardPathsLoadAndSave_data();
    void awkwardPathsLoadAndSave();
};

void EditorRefusalsTest::refusedRom_data()
{
    QTest::addColumn<BadRom>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unreadable") << BadRom::Unreadable << "Permission denied";
    QTest::newRow("a named pipe nothing writes to") << BadRom::Pipe << "pipe";
    QTest::newRow("file name over 255 characters") << BadRom::NameTooLong << "File name too long";
    QTest::newRow("path over 4096 characters") << BadRom::PathTooLong << "File name too long";
    QTest::newRow("missing, spaces and non-ASCII in its name")
        << BadRom::MissingNonAscii << "No such file";
}

void EditorRefusalsTest::refusedRom()
{
    QFETCH(BadRom, kind);
    QFETCH(QString, reason);
    RomFixture rom;
    QTemporaryDir dir;
    EditorHarness h;
    OpenAndEdit(h, rom.Path());
    const WindowSnapshot before = TakeSnapshot(*h.window);
    const std::size_t messages = h.messages.shown.size();

    QString bad;
    switch (kind) {
    case BadRom::Unreadable:
        bad = dir.filePath(QStringLiteral("locked.gb"));
        QVERIFY(WriteWholeFile(bad, RomFixture::Pattern(kRomBytes)));
        QVERIFY(QFile::setPermissions(bad, QFile::Permissions()));
        QVERIFY(OpenFolderToEveryone(dir.path()));
        break;
    case BadRom::Pipe:
        bad = dir.filePath(QStringLiteral("pipe.gb"));
        QVERIFY(MakePipe(bad));
        break;
    case BadRom::NameTooLong:
        bad = dir.filePath(QString(256, QLatin1Char('n')) + QStringLiteral(".gb"));
        break;
    case BadRom::PathTooLong:
        bad = NestedPath(dir.path(), 4200, QStringLiteral("image.gb"));
        break;
    case BadRom::MissingNonAscii:
        bad = dir.filePath(QStringLiteral("Mörvane Sprïtes 精灵 (copy).gb"));
        break;
    }

    {
        std::optional<OrdinaryUserRights> rights;
        if (kind == BadRom::Unreadable && RunningAsRoot() && !rights.emplace().Switched())
            QSKIP("running as root and unable to take an ordinary user's rights");
        h.dialogs.AnswerOpen(bad);
        h.window->mnuFileLoad_Click();
    }

    const QString fault = RefusalFault(h, messages, bad, reason, before);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QCOMPARE(rom.Contents(), RomFixture::Pattern(kRomBytes));
    if (kind == BadRom::Unreadable) {
        QVERIFY(QFile::setPermissions(bad, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(ReadWholeFile(bad), RomFixture::Pattern(kRomBytes));
    }
    if (kind == BadRom::Pipe)
        QVERIFY(!QFileInfo(bad).isFile());
    if (kind == BadRom::MissingNonAscii)
        QVERIFY(!QFileInfo::exists(bad));

    // The ROM that was open still is: its edit saves where it was loaded from.
    h.window->cmdSave_Click();
    QCOMPARE(h.messages.shown.size(), messages + 1);
    QCOMPARE(rom.Contents(), WithEditedBlock(RomFixture::Pattern(kRomBytes), before.spriteBuf));
}

void EditorRefusalsTest::refusedSave_data()
{
    QTest::addColumn<SaveBreaker>("breaker");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only file") << SaveBreaker::ReadOnly << "Permission denied";
    QTest::newRow("file of a running program") << SaveBreaker::RunningProgram << "Text file busy";
    QTest::newRow("replaced by a folder") << SaveBreaker::ReplacedByFolder << "Is a directory";
    QTest::newRow("replaced by a named pipe")
        << SaveBreaker::ReplacedByPipe << "No such device or address";
}

void EditorRefusalsTest::refusedSave()
{
    QFETCH(SaveBreaker, breaker);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("my rom.gb"));
    std::optional<RunningProgramRom> program;
    if (breaker == SaveBreaker::RunningProgram) {
        program.emplace(path);
        if (!program->Problem().isEmpty())
            QSKIP(qPrintable(QStringLiteral("a running program's file cannot serve as a ROM: ")
                + program->Problem()));
    } else {
        QVERIFY(WriteWholeFile(path, RomFixture::Pattern(kRomBytes)));
    }
    const QByteArray original = ReadWholeFile(path);
    QVERIFY(original.size() > kEditedOffset + 384);

    EditorHarness h;
    OpenAndEdit(h, path);
    QVERIFY(h.messages.shown.empty());
    const WindowSnapshot before = TakeSnapshot(*h.window);
    QVERIFY(before.spriteBuf != original.mid(kEditedOffset, 384));

    switch (breaker) {
    case SaveBreaker::ReadOnly:
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(OpenFolderToEveryone(dir.path()));
        break;
    case SaveBreaker::RunningProgram:
        break;
    case SaveBreaker::ReplacedByFolder:
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        break;
    case SaveBreaker::ReplacedByPipe:
        QVERIFY(QFile::remove(path));
        QVERIFY(MakePipe(path));
        break;
    }

    {
        std::optional<OrdinaryUserRights> rights;
        if (breaker == SaveBreaker::ReadOnly && RunningAsRoot() && !rights.emplace().Switched())
            QSKIP("running as root and unable to take an ordinary user's rights");
        h.window->cmdSave_Click();
    }
    const QString fault = RefusalFault(h, 0, path, reason, before);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));

    // Nothing reached the file, and once the cause is gone the same edit saves.
    switch (breaker) {
    case SaveBreaker::ReadOnly:
        QCOMPARE(ReadWholeFile(path), original);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        break;
    case SaveBreaker::RunningProgram:
        QCOMPARE(ReadWholeFile(path), original);
        program->Stop();
        break;
    case SaveBreaker::ReplacedByFolder:
        QVERIFY(QDir(path).isEmpty());
        QVERIFY(QDir().rmdir(path));
        QVERIFY(WriteWholeFile(path, original));
        break;
    case SaveBreaker::ReplacedByPipe:
        QVERIFY(!QFileInfo(path).isFile());
        QVERIFY(QFile::remove(path));
        QVERIFY(WriteWholeFile(path, original));
        break;
    }
    h.window->cmdSave_Click();
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QCOMPARE(ReadWholeFile(path), WithEditedBlock(original, before.spriteBuf));
}

void EditorRefusalsTest::romTooShortForAnyEntry_data()
{
    QTest::addColumn<qint64>("size");
    QTest::newRow("empty") << qint64(0);
    QTest::newRow("one byte short of entry 0's block") << kEntry0 + 383;
}

void EditorRefusalsTest::romTooShortForAnyEntry()
{
    QFETCH(qint64, size);
    RomFixture rom;
    RomFixture shortRom(size, QStringLiteral("short.gb"));
    EditorHarness h;
    OpenAndEdit(h, rom.Path());
    const WindowSnapshot before = TakeSnapshot(*h.window);

    h.LoadRom(shortRom.Path());
    QCOMPARE(h.messages.shown.size(), std::size_t(1));
    QVERIFY2(h.messages.LastText().contains(shortRom.Path())
            && h.messages.LastText().contains(QStringLiteral("beyond")),
        qPrintable(h.messages.LastText()));
    const WindowSnapshot after = TakeSnapshot(*h.window);
    QCOMPARE(after.spriteBuf, before.spriteBuf);
    for (std::size_t t = 0; t < before.views.size(); ++t)
        QCOMPARE(after.views[t], before.views[t]);
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // The sprite of the first ROM must go into neither file.
    h.window->cmdSave_Click();
    QCOMPARE(h.messages.shown.size(), std::size_t(2));
    QVERIFY(h.messages.LastText().contains(shortRom.Path()));
    QCOMPARE(shortRom.Contents(), RomFixture::Pattern(size));
    QCOMPARE(rom.Contents(), RomFixture::Pattern(kRomBytes));
}

void EditorRefusalsTest::refusedSpriteImage_data()
{
    QTest::addColumn<QByteArray>("contents"); // null: a named pipe instead of a file
    QTest::addColumn<QString>("reason");

    const QByteArray good = SpritePngBytes(DemoSprite(7), PngPalette::HardwareGreys);
    QImage wrongColour = SpriteToImage(DemoSprite(7), PaletteColours(PngPalette::HardwareGreys))
                             .convertToFormat(QImage::Format_RGB32);
    wrongColour.setPixel(11, 70, qRgb(200, 30, 30));
    QByteArray wrongColourPng;
    QBuffer buffer(&wrongColourPng);
    buffer.open(QIODevice::WriteOnly);
    wrongColour.save(&buffer, "png");

    QTest::newRow("empty") << QByteArray("") << "the file is empty";
    QTest::newRow("garbage") << QByteArray("\x7f"
                                           "ELF and then some more bytes")
                             << "not a PNG image";
    QTest::newRow("cut in the header") << good.left(24) << "cannot be read";
    QTest::newRow("cut in the pixel data") << good.left(good.size() - 40) << "cannot be read";
    QTest::newRow("damaged pixel data") << DamagedPixelDataPng() << "cannot be read";
    QTest::newRow("32 x 96") << WithClaimedSize(good, 32, 96) << "32 x 96 pixels";
    QTest::newRow("on its side, 96 x 16") << WithClaimedSize(good, 96, 16) << "96 x 16 pixels";
    QTest::newRow("five palette colours") << FiveColourPng() << "palette index 4 at pixel (3, 40)";
    QTest::newRow("a fifth colour in an RGB image")
        << wrongColourPng << "RGB(200, 30, 30) at pixel (11, 70)";
    QTest::newRow("header claims 100000 x 100000")
        << WithClaimedSize(good, 100000, 100000) << "100000 x 100000 pixels";
    QTest::newRow("a named pipe") << QByteArray() << "pipe";
}

void EditorRefusalsTest::refusedSpriteImage()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);
    RomFixture rom;
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("sprite image.png"));
    if (contents.isNull())
        QVERIFY(MakePipe(png));
    else
        QVERIFY(WriteWholeFile(png, contents));

    EditorHarness h;
    OpenAndEdit(h, rom.Path());
    const WindowSnapshot before = TakeSnapshot(*h.window);
    const long peakBefore = PeakMemoryKb();

    QVERIFY(!h.window->ImportSpriteImage(png));

    const QString fault = RefusalFault(h, 0, png, reason, before);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    // A header that claims gigabytes of pixels is refused from the header alone.
    QVERIFY2(PeakMemoryKb() - peakBefore < 256 * 1024,
        qPrintable(
            QStringLiteral("the import took %1 MB").arg((PeakMemoryKb() - peakBefore) / 1024)));
    QCOMPARE(rom.Contents(), RomFixture::Pattern(kRomBytes));
    if (!contents.isNull())
        QCOMPARE(ReadWholeFile(png), contents);

    // The paint stroke from before is still the step Undo takes back.
    h.window->Undo();
    QCOMPARE(h.SpriteBuf(), rom.Contents().mid(kEditedOffset, 384));
}

void EditorRefusalsTest::awkwardPathsLoadAndSave_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("deep folders, path over 255 characters")
        << NestedPath(QStringLiteral("deep"), 300, QStringLiteral("image.gb"));
    QTest::newRow("file name of exactly 255 characters")
        << QString(252, QLatin1Char('n')) + QStringLiteral(".gb");
    QTest::newRow("spaces, quotes and non-ASCII in folders and name")
        << QStringLiteral("Sprïtes & \"Co\"/ROMs (copy) 精灵/Mörvane 'ROM' ü.gbc");
}

void EditorRefusalsTest::awkwardPathsLoadAndSave()
{
    QFETCH(QString, relative);
    QTemporaryDir dir;
    const QString path = dir.filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(WriteWholeFile(path, RomFixture::Pattern(kRomBytes)));

    EditorHarness h;
    OpenAndEdit(h, path);
    h.window->cmdSave_Click();
    QVERIFY2(h.messages.shown.empty(), qPrintable(h.messages.LastText()));
    QCOMPARE(h.window->windowTitle(), "Morvane Sarnet Sprite Editor [" + path + "]");
    QCOMPARE(ReadWholeFile(path), WithEditedBlock(RomFixture::Pattern(kRomBytes), h.SpriteBuf()));
}

QTEST_MAIN(EditorRefusalsTest)
#include "EditorRefusalsTest.moc"
