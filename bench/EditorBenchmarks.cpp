#include "EditorBenchmarks.h"

#include "BenchServices.h"
#include "Statistics.h"
#include "Stopwatch.h"
#include "editor/frmMain.h"
#include "preview/PreviewFrames.h"
#include "preview/frmTest.h"
#include "sprite/SpriteCatalogue.h"
#include "widgets/PictureBox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace morvane::bench {

namespace {

constexpr int kGridCells = 64;
constexpr int kCellSide = 16;

// The real main window with the ROM image open, as a user has it after File, Load Rom.
class OpenedWindow {
public:
    explicit OpenedWindow(const QString& romPath)
        : dialogs_(romPath),
          window_(std::make_unique<frmMain>(PlatformServices {
              dialogs_, messages_, help_, QCoreApplication::applicationDirPath()}))
    {
        window_->show();
        if (!window_->OpenRom(QFile::encodeName(romPath)))
            Fail("opening the ROM image");
        Settle();
    }

    frmMain& Window() { return *window_; }

    // A control of the window by its design name.
    template <typename Control> Control* Find(const QString& name) const
    {
        auto* control = window_->findChild<Control*>(name);
        if (control == nullptr)
            throw std::runtime_error("the window has no control " + name.toStdString());
        return control;
    }

    // Lets the window repaint what the last run changed.
    static void Settle() { QCoreApplication::processEvents(); }

    void CheckQuiet(const char* during) const
    {
        if (!messages_.texts.isEmpty())
            Fail(during);
    }

private:
    [[noreturn]] void Fail(const char* during) const
    {
        throw std::runtime_error(std::string("the editor reported a problem while ") + during + ": "
            + messages_.texts.join(QStringLiteral(" / ")).toStdString());
    }

    FixedOpenDialogs dialogs_;
    RecordedMessages messages_;
    NoHelpViewer help_;
    std::unique_ptr<frmMain> window_;
};

int WarmUpRuns(int runs)
{
    return std::max(5, runs / 10);
}

// One open, read and close of `count` bytes, as plain system calls.
void ReadOnce(const std::string& path, std::int32_t offset, std::uint8_t* buffer, std::size_t count)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        throw std::runtime_error("the floor cannot open " + path + ": " + std::strerror(errno));
    const ssize_t n = ::pread(fd, buffer, count, offset);
    const int error = errno;
    ::close(fd);
    if (n != static_cast<ssize_t>(count))
        throw std::runtime_error("the floor cannot read " + path + ": "
            + (n < 0 ? std::strerror(error) : "the file ended early"));
}

// What a Load Sprite has to do with the file and no more: the block once and every tile again,
// each in its own open, read and close. Returns a byte of each read, so none can be left out.
std::uint8_t ReadLikeLoadSprite(const std::string& path, std::int32_t blockOffset)
{
    std::uint8_t block[kSpriteBlockBytes];
    std::uint8_t tile[kTileBytes];
    ReadOnce(path, blockOffset, block, sizeof block);
    std::uint8_t sum = block[0];
    for (int k = 0; k < kTilesPerSprite; ++k) {
        ReadOnce(path, blockOffset + kTileBytes * k, tile, sizeof tile);
        sum = static_cast<std::uint8_t>(sum + tile[0]);
    }
    return sum;
}

} // namespace

Measurement MeasureLoadSprite(const QString& romPath, int runs)
{
    OpenedWindow opened(romPath);
    frmMain& window = opened.Window();
    const std::string path = QFile::encodeName(romPath).toStdString();
    const auto offset = SpriteOffsetValue(static_cast<std::int16_t>(
        opened.Find<QComboBox>(QStringLiteral("cboSprite"))->currentIndex()));
    if (!offset)
        throw std::runtime_error("no sprite is selected after opening the ROM image");

    std::vector<double> loads;
    std::vector<double> floors;
    // Written to a volatile, so the floor's reads are never optimised away.
    volatile std::uint8_t sink = 0;
    for (int i = -WarmUpRuns(runs); i < runs; ++i) {
        const double load = MicrosecondsOf([&] { window.cmdLoad_Click(); });
        OpenedWindow::Settle();
        const double floor = MicrosecondsOf([&] { sink = ReadLikeLoadSprite(path, *offset); });
        if (i >= 0) {
            loads.push_back(load);
            floors.push_back(floor);
        }
    }
    opened.CheckQuiet("loading a sprite");

    Measurement m;
    m.name = "load_sprite";
    m.unit = "us";
    m.median = Median(loads);
    m.samples = runs;
    m.referenceName = "floor";
    m.reference = Median(floors);
    m.ratio = m.median / m.reference;
    m.limit = 3.0;
    m.note = "cmdLoad_Click vs 25 open/pread/close";
    return m;
}

std::vector<Measurement> MeasurePaintCell(const QString& romPath, int runs)
{
    OpenedWindow opened(romPath);
    frmMain& window = opened.Window();
    PictureBox* grid = opened.Find<PictureBox>(QStringLiteral("picEdit"));

    std::vector<double> presses;
    std::vector<double> releases;
    int unchanged = 0;
    // The first pass over the grid is the warm-up; it also leaves every cell in a known colour,
    // so each later pass changes all 64.
    const int warmUp = kGridCells;
    for (int i = 0; i < warmUp + runs; ++i) {
        const int cell = i % kGridCells;
        if (cell == 0)
            window.Color_Click((i / kGridCells) % 2 == 0 ? 2 : 1);
        const QPointF at(
            (cell % 8) * kCellSide + kCellSide / 2, (cell / 8) * kCellSide + kCellSide / 2);
        const QPointF global = grid->mapToGlobal(at);
        const SpriteBlock before = window.Document().SpriteBuf();

        const double press = MicrosecondsOf([&] {
            QMouseEvent event(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                Qt::NoModifier);
            QCoreApplication::sendEvent(grid, &event);
        });
        const bool changed = window.Document().SpriteBuf() != before;
        const double release = MicrosecondsOf([&] {
            QMouseEvent event(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                Qt::NoModifier);
            QCoreApplication::sendEvent(grid, &event);
        });
        OpenedWindow::Settle();
        if (i < warmUp)
            continue;
        presses.push_back(press);
        releases.push_back(release);
        if (!changed)
            ++unchanged;
    }
    opened.CheckQuiet("painting");
    if (unchanged != 0)
        throw std::runtime_error(
            std::to_string(unchanged) + " measured presses left the sprite unchanged");

    const Measurement press
        = MedianMeasurement("paint_cell", "us", presses, 50.0, "mouse press only");

    const Measurement release = MedianMeasurement("paint_release", "us", releases, std::nullopt,
        "mouse release: ends the stroke, records undo");
    return {press, release};
}

Measurement MeasureComposePreview(const QString& romPath, int runs)
{
    OpenedWindow opened(romPath);
    frmMain& window = opened.Window();
    std::uint8_t framePhase = 0;

    std::vector<double> samples;
    for (int i = -WarmUpRuns(runs); i < runs; ++i) {
        std::unique_ptr<frmTest> preview;
        const double elapsed = MicrosecondsOf([&] {
            preview = std::make_unique<frmTest>(&window, framePhase);
            ComposePreviewFrames(window.Document().TilePictures(), preview->picSprite);
        });
        preview.reset();
        OpenedWindow::Settle();
        if (i >= 0)
            samples.push_back(elapsed);
    }
    opened.CheckQuiet("composing the preview");

    return MedianMeasurement(
        "compose_preview", "us", samples, std::nullopt, "frmTest + ComposePreviewFrames");
}

} // namespace morvane::bench
