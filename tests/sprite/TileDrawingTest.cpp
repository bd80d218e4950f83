#include "sprite/TileDrawing.h"
#include "RomFixture.h"
#include "sprite/RomFileError.h"
#include "sprite/SpriteBlock.h"
#include "sprite/TileSurface.h"

#include <QtTest>

#include <algorithm>
#include <array>
#include <vector>

using namespace morvane;
using morvane::test::RomFixture;

namespace {

constexpr PackedColor kBackground = PackRgb(1, 2, 3);
constexpr PackedColor kUntouched = PackRgb(250, 0, 250);
constexpr Palette kPalette
    = {PackRgb(255, 255, 255), PackRgb(170, 170, 170), PackRgb(85, 85, 85), PackRgb(0, 0, 0)};
constexpr Palette kOtherPalette
    = {PackRgb(200, 0, 0), PackRgb(0, 200, 0), PackRgb(0, 0, 200), PackRgb(200, 200, 0)};

// A tile view kept in memory, larger than the 32 x 32 a tile needs so stray drawing shows.
class MemorySurface : public TileSurface {
public:
    static constexpr int kSide = 40;

    MemorySurface() : pixels_(kSide * kSide, kUntouched) { }

    void ClearToBackground() override { std::fill(pixels_.begin(), pixels_.end(), kBackground); }
    void SetPixel(int x, int y, PackedColor color) override { At(x, y) = color; }
    void StretchTileToView() override
    {
        // Take the 8 x 8 source first: the 32 x 32 target covers it.
        PackedColor source[8][8];
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                source[y][x] = At(x, y);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                At(x, y) = source[y / 4][x / 4];
    }

    PackedColor Pixel(int x, int y) const
    {
        return pixels_[static_cast<std::size_t>(y * kSide + x)];
    }
    const std::vector<PackedColor>& Pixels() const { return pixels_; }

private:
    PackedColor& At(int x, int y)
    {
        if (x < 0 || y < 0 || x >= kSide || y >= kSide)
            qFatal("drawing outside the tile view at %d,%d", x, y);
        return pixels_[static_cast<std::size_t>(y * kSide + x)];
    }

    std::vector<PackedColor> pixels_;
};

// The four palette swatches of the window, whose colours the test can change between drawings.
class Swatches : public SwatchSource {
public:
    explicit Swatches(const Palette& colors) : colors_(colors) { }
    void Set(const Palette& colors) { colors_ = colors; }
    PackedColor SwatchColor(int value) const override
    {
        return colors_[static_cast<std::size_t>(value)];
    }

private:
    Palette colors_;
};

// A tile with every kind of row: the worked example, single planes, single bits at either edge.
const QByteArray kTile = QByteArray::fromHex("3C7EFF0000FF80000101A50F0000C33C");
const std::int32_t kTileOffset = 1042032 + 16 * 7;

// Each row of a tile drawn: the pixel values 0..3 of columns 0 to 7, as digits.
using TileValues = std::array<const char*, 8>;

const TileValues kTileValues = {
    "02333320", "11111111", "22222222", "10000000", "00000003", "10102323", "00000000", "11222211"};

// Checks the whole view: each tile pixel a 4 x 4 block in its colour, background beyond.
void VerifyDrawn(const MemorySurface& view, const TileValues& values, const Palette& palette)
{
    for (int y = 0; y < MemorySurface::kSide; ++y) {
        for (int x = 0; x < MemorySurface::kSide; ++x) {
            PackedColor expected = kBackground;
            if (x < 32 && y < 32) {
                const char digit = values[static_cast<std::size_t>(y / 4)][x / 4];
                expected = palette[static_cast<std::size_t>(digit - '0')];
            }
            if (view.Pixel(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(view.Pixel(x, y), 6, 16, QChar(u'0'))
                                     .arg(expected, 6, 16, QChar(u'0'))));
        }
    }
}

} // namespace

class TileDrawingTest : public QObject {
    Q_OBJECT

private slots:
    void drawsTileFromRomFile();
    void zeroTileIsAllColourZero();
    void swatchesAreReadAtEachDrawing();
    void unreadableTileDrawsNothing_data();
    void unreadableTileDrawsNothing();
};

void TileDrawingTest::drawsTileFromRomFile()
{
    RomFixture rom;
    rom.Poke(kTileOffset, kTile);

    MemorySurface view;
    Swatches swatches(kPalette);
    Palette palColor {};
    DrawTileFromRom(rom.PathUtf8(), kTileOffset, view, swatches, palColor);

    VerifyDrawn(view, kTileValues, kPalette);
}

void TileDrawingTest::zeroTileIsAllColourZero()
{
    MemorySurface view;
    Swatches swatches(kPalette);
    Palette palColor {};
    DrawTile(TileBytes {}, view, swatches, palColor);

    VerifyDrawn(view,
        {"00000000", "00000000", "00000000", "00000000", "00000000", "00000000", "00000000",
            "00000000"},
        kPalette);
}

void TileDrawingTest::swatchesAreReadAtEachDrawing()
{
    RomFixture rom;
    rom.Poke(kTileOffset, kTile);
    MemorySurface view;
    Swatches swatches(kPalette);
    Palette palColor {};

    DrawTileFromRom(rom.PathUtf8(), kTileOffset, view, swatches, palColor);
    QCOMPARE(palColor, kPalette);

    // A swatch changed after a drawing reaches the next drawing of the same view.
    swatches.Set(kOtherPalette);
    DrawTileFromRom(rom.PathUtf8(), kTileOffset, view, swatches, palColor);
    QCOMPARE(palColor, kOtherPalette);
    VerifyDrawn(view, kTileValues, kOtherPalette);
}

void TileDrawingTest::unreadableTileDrawsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("offset");

    QTest::newRow("missing file") << "missing.gb" << 0;
    QTest::newRow("tile past the end") << "rom.gb" << 1045104 - 8;
    QTest::newRow("negative offset") << "rom.gb" << -16;
}

void TileDrawingTest::unreadableTileDrawsNothing()
{
    QFETCH(QString, name);
    QFETCH(int, offset);

    RomFixture rom;
    const std::string path = QDir(rom.Folder()).filePath(name).toStdString();
    MemorySurface view;
    Swatches swatches(kPalette);
    Palette palColor {};

    QVERIFY_THROWS_EXCEPTION(RomFileError, DrawTileFromRom(path, offset, view, swatches, palColor));
    QVERIFY(std::all_of(
        view.Pixels().begin(), view.Pixels().end(), [](PackedColor c) { return c == kUntouched; }));
}

QTEST_GUILESS_MAIN(TileDrawingTest)
#include "TileDrawingTest.moc"
