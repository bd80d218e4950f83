#include "RomFixture.h"
#include "TestData.h"
#include "demo/DemoRom.h"
#include "sprite/SpriteCatalogue.h"
#include "spritepng/SpritePng.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace morvane;
using morvane::test::ReadWholeFile;
using morvane::test::WriteWholeFile;
using namespace morvane::test;

namespace {

QByteArray DemoBytes()
{
    const std::vector<std::uint8_t> rom = MakeDemoRom();
    return QByteArray(reinterpret_cast<const char*>(rom.data()), qsizetype(rom.size()));
}

qsizetype OffsetOf(int index)
{
    return *SpriteOffsetValue(static_cast<std::int16_t>(index));
}

// Pixels and bytes that differ between two blocks, counted through their images so the count
// does not lean on the tool's own comparison.
QString ChangeCounts(const SpriteBlock& before, const SpriteBlock& after)
{
    const Palette greys = PaletteColours(PngPalette::HardwareGreys);
    const QImage a = SpriteToImage(before, greys);
    const QImage b = SpriteToImage(after, greys);
    int pixels = 0;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 16; ++x)
            pixels += a.pixelIndex(x, y) != b.pixelIndex(x, y) ? 1 : 0;
    }
    int bytes = 0;
    for (std::size_t i = 0; i < before.size(); ++i)
        bytes += before[i] != after[i] ? 1 : 0;
    return QStringLiteral("%1 pixels and %2 bytes").arg(pixels).arg(bytes);
}

} // namespace

class SpriteToolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void help_data();
    void help();
    void listShowsTheCatalogue();
    void demoWritesTheImageOnce();
    void exportOne_data();
    void exportOne();
    void exportAllIntoNewFolder();
    void importChangesOnlyThatBlock();
    void dryRunWritesNothing();
    void identicalImportDoesNotWrite();
    void refusals_data();
    void refusals();

private:
    ToolRun Run(const QStringList& args) const
    {
        return RunProgram(QStringLiteral(MORVANE_SPRITE_TOOL), args, dir_.path());
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // A ROM image of its own for a test that writes into it.
    QString FreshRom(const QString& name) const;

    QTemporaryDir dir_;
    QByteArray demo_;
};

QString SpriteToolTest::FreshRom(const QString& name) const
{
    const QString path = Path(name);
    WriteWholeFile(path, demo_);
    return path;
}

void SpriteToolTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    demo_ = DemoBytes();
    QVERIFY(WriteWholeFile(Path(QStringLiteral("rom.gb")), demo_));
    QVERIFY(WriteWholeFile(Path(QStringLiteral("short.gb")), demo_.left(100000)));
    WriteSpritePng(Path(QStringLiteral("good.png")), DemoSprite(0), PngPalette::HardwareGreys);
    QVERIFY(WriteWholeFile(Path(QStringLiteral("cut.png")),
        ReadWholeFile(Path(QStringLiteral("good.png"))).left(100)));
    QVERIFY(QImage(32, 96, QImage::Format_RGB32).save(Path(QStringLiteral("wide.png"))));
    QVERIFY(WriteWholeFile(Path(QStringLiteral("text.png")), "not an image\n"));
    QImage stray = SpriteToImage(DemoSprite(1), PaletteColours(PngPalette::HardwareGreys))
                       .convertToFormat(QImage::Format_RGB32);
    stray.setPixel(4, 50, qRgb(12, 34, 56));
    QVERIFY(stray.save(Path(QStringLiteral("stray.png"))));
}

void SpriteToolTest::help_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("usage");
    QTest::newRow("--help") << QStringList {"--help"} << "Usage: morvane-sprite-tool COMMAND";
    QTest::newRow("-h") << QStringList {"-h"} << "Usage: morvane-sprite-tool COMMAND";
    QTest::newRow("list") << QStringList {"list", "--help"} << "Usage: morvane-sprite-tool list";
    QTest::newRow("export") << QStringList {"export", "--help"}
                            << "Usage: morvane-sprite-tool export";
    QTest::newRow("import, help after arguments")
        << QStringList {"import", "rom.gb", "--help"} << "Usage: morvane-sprite-tool import";
    QTest::newRow("demo") << QStringList {"demo", "-h"} << "Usage: morvane-sprite-tool demo";
}

void SpriteToolTest::help()
{
    QFETCH(QStringList, args);
    QFETCH(QString, usage);
    const ToolRun run = Run(args);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.startsWith(usage), qPrintable(run.out));
    QCOMPARE(run.err, QString());
}

void SpriteToolTest::listShowsTheCatalogue()
{
    const ToolRun run = Run({QStringLiteral("list")});
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), kSpriteCount);
    const QRegularExpression shape(QStringLiteral(R"(^\s*(\d+)\s+(.+?)\s+(\d+)\s+0x([0-9A-F]+)$)"));
    for (int index = 0; index < kSpriteCount; ++index) {
        const QRegularExpressionMatch match = shape.match(lines[index]);
        QVERIFY2(match.hasMatch(), qPrintable(lines[index]));
        QCOMPARE(match.captured(1).toInt(), index);
        const std::string_view label = SpriteLabel(index);
        QCOMPARE(
            match.captured(2), QString::fromUtf8(label.data(), qsizetype(label.size())).trimmed());
        QCOMPARE(match.captured(3).toLongLong(), OffsetOf(index));
        QCOMPARE(match.captured(4).toLongLong(nullptr, 16), OffsetOf(index));
    }
    QVERIFY(lines[37].contains(QStringLiteral("1042032")));
    QVERIFY(lines[37].contains(QStringLiteral("0xFE670")));
}

void SpriteToolTest::demoWritesTheImageOnce()
{
    const QString path = Path(QStringLiteral("demo.gb"));
    ToolRun run = Run({QStringLiteral("demo"), path});
    QCOMPARE(run.status, 0);
    QCOMPARE(ReadWholeFile(path), demo_);

    QVERIFY(WriteWholeFile(path, "kept"));
    run = Run({QStringLiteral("demo"), path});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QStringLiteral("already exists")), qPrintable(run.err));
    QCOMPARE(ReadWholeFile(path), QByteArray("kept"));
}

void SpriteToolTest::exportOne_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("palette");
    QTest::newRow("greys by default") << QStringList() << int(PngPalette::HardwareGreys);
    QTest::newRow("--colours greys")
        << QStringList {"--colours", "greys"} << int(PngPalette::HardwareGreys);
    QTest::newRow("--colours display")
        << QStringList {"--colours", "display"} << int(PngPalette::DisplayDefaults);
    QTest::newRow("--colours=display, first")
        << QStringList {"--colours=display"} << int(PngPalette::DisplayDefaults);
}

void SpriteToolTest::exportOne()
{
    QFETCH(QStringList, options);
    QFETCH(int, palette);
    const QString target = Path(QStringLiteral("one-%1.png").arg(QTest::currentDataTag()));
    const ToolRun run = Run(QStringList {QStringLiteral("export")} + options
        + QStringList {Path(QStringLiteral("rom.gb")), QStringLiteral("37"), target});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QString());

    QList<QRgb> expected;
    for (const PackedColor colour : PaletteColours(PngPalette(palette)))
        expected << qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour));
    QCOMPARE(QImage(target).colorTable(), expected);
    QCOMPARE(Bytes(ReadSpritePng(target)), Bytes(DemoSprite(37)));
}

void SpriteToolTest::exportAllIntoNewFolder()
{
    const QString folder = Path(QStringLiteral("all/nested"));
    const ToolRun run = Run({QStringLiteral("export"), Path(QStringLiteral("rom.gb")),
        QStringLiteral("--all"), folder});
    QCOMPARE(run.status, 0);

    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    QCOMPARE(names.size(), kSpriteCount);
    for (const char* name :
        {"00-Tamsin-Bicycle.png", "03-Dr-Velloc.png", "15-unknown.png", "29-Quillan.png"})
        QVERIFY2(names.contains(QString::fromLatin1(name)), name);
    for (int index = 0; index < kSpriteCount; ++index) {
        const QString& name = names[index];
        QVERIFY2(name.startsWith(QStringLiteral("%1-").arg(index, 2, 10, QLatin1Char('0'))),
            qPrintable(name));
        QCOMPARE(Bytes(ReadSpritePng(QDir(folder).filePath(name))), Bytes(DemoSprite(index)));
    }
}

void SpriteToolTest::importChangesOnlyThatBlock()
{
    const QString rom = FreshRom(QStringLiteral("import.gb"));
    const QString png = Path(QStringLiteral("sprite13.png"));
    WriteSpritePng(png, DemoSprite(13), PngPalette::DisplayDefaults);

    const ToolRun run = Run({QStringLiteral("import"), rom, QStringLiteral("12"), png});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(ChangeCounts(DemoSprite(12), DemoSprite(13))), qPrintable(run.out));

    QByteArray expected = demo_;
    expected.replace(OffsetOf(12), 384, Bytes(DemoSprite(13)));
    QCOMPARE(ReadWholeFile(rom), expected);
}

void SpriteToolTest::dryRunWritesNothing()
{
    const QString rom = FreshRom(QStringLiteral("dry.gb"));
    const QString png = Path(QStringLiteral("sprite40.png"));
    WriteSpritePng(png, DemoSprite(40), PngPalette::HardwareGreys);

    const ToolRun run = Run(
        {QStringLiteral("import"), QStringLiteral("--dry-run"), rom, QStringLiteral("5"), png});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(ChangeCounts(DemoSprite(5), DemoSprite(40))), qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("nothing was written")), qPrintable(run.out));
    QCOMPARE(ReadWholeFile(rom), demo_);
}

void SpriteToolTest::identicalImportDoesNotWrite()
{
    const QString rom = FreshRom(QStringLiteral("same.gb"));
    const QString png = Path(QStringLiteral("sprite20.png"));
    QCOMPARE(Run({QStringLiteral("export"), rom, QStringLiteral("20"), png}).status, 0);
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    {
        QFile file(rom);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }

    const ToolRun run = Run({QStringLiteral("import"), rom, QStringLiteral("20"), png});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(QStringLiteral("nothing to change")), qPrintable(run.out));
    QCOMPARE(QFileInfo(rom).lastModified().toUTC(), old);
    QCOMPARE(ReadWholeFile(rom), demo_);
}

void SpriteToolTest::refusals_data()
{
    QTest::addColumn<QStringList>("args"); // "@" stands for the test folder
    QTest::addColumn<int>("status");

    const auto row = [](const char* name, const char* args, int status) {
        QTest::newRow(name) << QString::fromLatin1(args).split(QLatin1Char(' '), Qt::SkipEmptyParts)
                            << status;
    };
    row("import index 45", "import @/rom.gb 45 @/good.png", 2);
    row("import index -1", "import @/rom.gb -1 @/good.png", 2);
    row("import index x", "import @/rom.gb x @/good.png", 2);
    row("export index 45", "export @/rom.gb 45 @/x.png", 2);
    row("import into a missing ROM", "import @/none.gb 3 @/good.png", 1);
    row("export from a missing ROM", "export @/none.gb 3 @/x.png", 1);
    row("import into a ROM too short", "import @/short.gb 40 @/good.png", 1);
    row("export from a ROM too short", "export @/short.gb 40 @/x.png", 1);
    row("export --all from a ROM too short", "export @/short.gb --all @/all-short", 1);
    row("export into a missing folder", "export @/rom.gb 3 @/missing/x.png", 1);
    row("import a 32 x 96 PNG", "import @/rom.gb 3 @/wide.png", 1);
    row("import a text file", "import @/rom.gb 3 @/text.png", 1);
    row("import a cut PNG", "import @/rom.gb 3 @/cut.png", 1);
    row("import a missing PNG", "import @/rom.gb 3 @/none.png", 1);
    row("import a stray colour", "import @/rom.gb 3 @/stray.png", 1);
    row("demo onto an existing file", "demo @/rom.gb", 1);
    row("unknown command", "frobnicate", 2);
    row("option before the command", "--verbose list", 2);
    row("unknown option", "list --verbose", 2);
    row("option of another command", "export @/rom.gb 3 @/x.png --dry-run", 2);
    row("unknown colour set", "export --colours sepia @/rom.gb 3 @/x.png", 2);
    row("too few arguments", "import @/rom.gb 3", 2);
    row("too many arguments", "demo @/a.gb @/b.gb", 2);
    row("nothing at all", "", 2);
}

void SpriteToolTest::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    for (QString& arg : args)
        arg.replace(QLatin1Char('@'), dir_.path());
    const QByteArray shortRom = ReadWholeFile(Path(QStringLiteral("short.gb")));
    const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const ToolRun run = Run(args);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.startsWith(QStringLiteral("morvane-sprite-tool: ")), qPrintable(run.err));
    QVERIFY2(run.err.endsWith(QLatin1Char('\n')) && run.err.count(QLatin1Char('\n')) == 1,
        qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(ReadWholeFile(Path(QStringLiteral("rom.gb"))), demo_);
    QCOMPARE(ReadWholeFile(Path(QStringLiteral("short.gb"))), shortRom);
    QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

QTEST_GUILESS_MAIN(SpriteToolTest)
#include "SpriteToolTest.moc"
