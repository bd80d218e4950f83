#include "EditorBenchmarks.h"

#include "MedianCollector.h"
#include "dialogs/DialogBackend.h"
#include "editor/frmMain.h"
#include "sprite/SpriteCatalogue.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QMouseEvent>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <unistd.h>

namespace morvane::bench {

namespace {

constexpr int kGridCells = 64;
constexpr int kCellSide = 16;
// How many times the floor of its own file reads Load Sprite may take.
constexpr double kLoadSpriteFloorRatio = 2.0;

// The offscreen platform cannot raise a window and says so every time the preview opens: that
// line, hundreds of times over, would bury the benchmark's own.
QtMessageHandler previousMessageHandler = nullptr;

void DropRaiseWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message != QLatin1String("This plugin does not support raise()"))
        previousMessageHandler(type, context, message);
}

template <typename Step> double SecondsOf(Step&& step)
{
    const auto start = std::chrono::steady_clock::now();
    std::forward<Step>(step)();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The user the measured window has: swaps colour values 1 and 2 when asked, cancels every other
// dialog, opens no help, and keeps the text of every message box instead of showing it, so the
// window never waits on anyone.
class Unattended final : public DialogBackend, public MessageService, public HelpViewer {
public:
    std::optional<QString> GetOpenFileName(const FileDialogRequest&) override { return {}; }
    std::optional<QString> GetSaveFileName(const FileDialogRequest&) override { return {}; }
    std::optional<PackedColor> ChooseColor(QWidget*, PackedColor, std::uint32_t) override
    {
        return {};
    }
    std::optional<ColourSwap> ChooseColourSwap(QWidget*, const Palette&, int) override
    {
        return ColourSwap {1, 2};
    }
    void Show(QWidget*, Icon, const QString&, const QString& text) override { texts.append(text); }
    bool Open(const QString&, QString& reason) override
    {
        reason = QStringLiteral("the benchmark shows no help");
        return false;
    }

    QStringList texts;
};

// The real main window with the ROM image open, as a user has it after File, Load Rom.
class OpenedWindow {
public:
    explicit OpenedWindow(const QString& romPath)
        : romPath_(romPath),
          window_(PlatformServices {user_, user_, user_, QCoreApplication::applicationDirPath()})
    {
        window_.show();
        if (!window_.OpenRom(QFile::encodeName(romPath)))
            throw std::runtime_error("the editor cannot open the ROM image: " + Problems());
        Settle();
    }

    frmMain& Window() { return window_; }
    const QString& RomPath() const { return romPath_; }

    // A control of the window by its design name.
    template <typename Control> Control& Find(const char* name)
    {
        auto* control = window_.findChild<Control*>(QString::fromLatin1(name));
        if (control == nullptr)
            throw std::runtime_error(std::string("the window has no control ") + name);
        return *control;
    }

    // Lets the window repaint what the last run changed.
    static void Settle() { QCoreApplication::processEvents(); }

    // What the window told the user, and what a benchmark found wrong with its work: either way
    // the runs measured something other than the step.
    void Report(const QString& problem) { user_.texts.append(problem); }
    std::string Problems() const { return user_.texts.join(" / ").toStdString(); }

private:
    QString romPath_;
    Unattended user_;
    frmMain window_;
};

// One measured run: the seconds of the measured step and of the step timed alongside it.
struct Sample {
    double seconds = 0;
    double companionSeconds = 0;
};

using Step = std::function<Sample()>;

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

// Load Sprite through its handler, then its floor: what it has to do with the file, the block
// once and every tile again, each in its own open, read and close, made with plain system calls
// in the same run, so that a slow stretch of the machine weighs on both alike.
Step LoadSprite(OpenedWindow& opened)
{
    const auto offset = SpriteOffsetValue(
        static_cast<std::int16_t>(opened.Find<QComboBox>("cboSprite").currentIndex()));
    if (!offset)
        throw std::runtime_error("no sprite is selected after opening the ROM image");
    return [&opened, path = QFile::encodeName(opened.RomPath()).toStdString(), at = *offset] {
        const double load = SecondsOf([&] { opened.Window().cmdLoad_Click(); });
        OpenedWindow::Settle();
        const double floor = SecondsOf([&] {
            std::uint8_t block[kSpriteBlockBytes];
            ReadOnce(path, at, block, sizeof block);
            for (int k = 0; k < kTilesPerSprite; ++k)
                ReadOnce(path, at + kTileBytes * k, block + kTileBytes * k, kTileBytes);
            benchmark::DoNotOptimize(block);
        });
        return Sample {load, floor};
    };
}

// One cell painted by a mouse press on the editing grid, then the release that ends the stroke
// and records it for undo. The passes over the 64 cells alternate between two colours, so after
// the first pass every press really changes a pixel.
Step PaintCell(OpenedWindow& opened)
{
    QWidget& grid = opened.Find<QWidget>("picEdit");
    return [&opened, &grid, step = 0]() mutable {
        frmMain& window = opened.Window();
        const int cell = step % kGridCells;
        if (cell == 0)
            window.Color_Click((step / kGridCells) % 2 == 0 ? 2 : 1);
        const QPointF at(
            (cell % 8) * kCellSide + kCellSide / 2, (cell / 8) * kCellSide + kCellSide / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, grid.mapToGlobal(at), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, grid.mapToGlobal(at), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        const auto before = window.Document().SpriteBuf();
        const double pressed = SecondsOf([&] { QCoreApplication::sendEvent(&grid, &press); });
        if (++step > kGridCells && window.Document().SpriteBuf() == before)
            opened.Report(
                QStringLiteral("paint_cell: press %1 left the sprite unchanged").arg(step));
        const double released = SecondsOf([&] { QCoreApplication::sendEvent(&grid, &release); });
        OpenedWindow::Settle();
        return Sample {pressed, released};
    };
}

// Test Sprite through its handler: the preview window built, its frames filled from the sprite,
// shown modally and closed by the first event its loop handles.
Step ComposePreview(OpenedWindow& opened)
{
    return [&opened] {
        QTimer::singleShot(0, &opened.Window(), [] {
            if (auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                preview->accept();
        });
        const double seconds = SecondsOf([&] { opened.Window().cmdTest_Click(); });
        OpenedWindow::Settle();
        return Sample {seconds, 0};
    };
}

// The slowest of the Edit menu's commands, Swap Colours (values 1 and 2, as the user answers its
// dialog): every tile of the sprite rewritten and redrawn as one undo step. Each run swaps back
// what the one before swapped, so every run changes the sprite.
Step SwapColours(OpenedWindow& opened)
{
    QAction& swap = opened.Find<QAction>("mnuEditSwap");
    return [&opened, &swap, step = 0]() mutable {
        const auto before = opened.Window().Document().SpriteBuf();
        const double seconds = SecondsOf([&] { swap.trigger(); });
        ++step;
        if (opened.Window().Document().SpriteBuf() == before)
            opened.Report(
                QStringLiteral("frame_tool: swap %1 left the sprite unchanged").arg(step));
        OpenedWindow::Settle();
        return Sample {seconds, 0};
    };
}

struct EditorRow {
    const char* name;
    RunCounts counts;
    Step (*step)(OpenedWindow& opened);
    std::optional<double> limit;
    const char* note;
    // The step timed alongside, by name: the reference the figure is held against, or, with a
    // note of its own, a figure of its own.
    const char* companion;
    const char* companionNote;
};

// The benchmarks of the window in report order; another one is a step above and a row here.
const EditorRow kEditorRows[] = {
    {"load_sprite", {.runs = 2000, .quickRuns = 50}, LoadSprite, kLoadSpriteFloorRatio,
        "cmdLoad_Click vs 25 open/pread/close", "floor", nullptr},
    {"paint_cell", {.runs = 2000, .quickRuns = 100}, PaintCell, 50.0, "mouse press only",
        "paint_release", "mouse release: ends the stroke's undo step"},
    {"frame_tool", {.runs = 2000, .quickRuns = 100}, SwapColours, 1000.0,
        "Edit, Swap Colours 1 and 2: all 24 tiles, one undo step", nullptr, nullptr},
    {"compose_preview", {.runs = 500, .quickRuns = 30}, ComposePreview, std::nullopt,
        "cmdTest_Click: preview built, filled, shown, closed", nullptr, nullptr},
};

std::vector<Measurement> Report(const EditorRow& row, const RunMedians& medians)
{
    Measurement m = TimedMeasurement(row.name, "us", medians.us, medians.runs, row.limit, row.note);
    if (row.companion == nullptr)
        return {m};
    const double companion = medians.counters.at(row.companion);
    if (row.companionNote != nullptr)
        return {m,
            TimedMeasurement(
                row.companion, "us", companion, medians.runs, std::nullopt, row.companionNote)};
    m.referenceName = row.companion;
    m.reference = companion;
    m.ratio = m.median / companion;
    return {m};
}

// Registers the row's step with Google Benchmark as `runs` repetitions of one run each, timed
// by the step itself so that only the measured part counts. A problem ends the row's runs.
void Register(const EditorRow& row, int runs, OpenedWindow& opened, Step step)
{
    benchmark::RegisterBenchmark(row.name,
        [&row, runs, &opened, step, warm = false](benchmark::State& state) mutable {
            try {
                if (opened.Problems().empty()) {
                    if (!std::exchange(warm, true)) {
                        std::cerr << "morvane-bench: measuring " << row.name << "..." << std::endl;
                        // At least one pass over the editing grid, so that paint_cell finds
                        // every cell in a known colour.
                        for (int i = std::max(kGridCells, runs / 10); i > 0; --i)
                            step();
                    }
                    for ([[maybe_unused]] auto _ : state) {
                        const Sample sample = step();
                        state.SetIterationTime(sample.seconds);
                        if (row.companion != nullptr)
                            state.counters[row.companion] = sample.companionSeconds * 1e6;
                    }
                }
            } catch (const std::exception& error) {
                opened.Report(QString::fromStdString(std::string(row.name) + ": " + error.what()));
            }
            if (const std::string problems = opened.Problems(); !problems.empty())
                state.SkipWithError(problems.c_str());
        })
        ->Iterations(1)
        ->Repetitions(runs)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond)
        ->ReportAggregatesOnly(true);
}

} // namespace

std::vector<std::string> EditorBenchmarkNames()
{
    std::vector<std::string> names;
    for (const EditorRow& row : kEditorRows)
        names.emplace_back(row.name);
    return names;
}

std::vector<Measurement> MeasureEditor(const QString& romPath, const BenchOptions& options)
{
    std::vector<const EditorRow*> rows;
    for (const EditorRow& row : kEditorRows) {
        if (IsSelected(options, row.name))
            rows.push_back(&row);
    }
    if (rows.empty())
        return {};

    OpenedWindow opened(romPath);
    for (const EditorRow* row : rows)
        Register(*row, row->counts.For(options), opened, row->step(opened));
    MedianCollector collector;
    previousMessageHandler = qInstallMessageHandler(DropRaiseWarnings);
    benchmark::RunSpecifiedBenchmarks(&collector);
    qInstallMessageHandler(previousMessageHandler);
    benchmark::ClearRegisteredBenchmarks();
    if (const std::string problems = opened.Problems(); !problems.empty())
        throw std::runtime_error("the window did not do the measured work: " + problems);

    std::vector<Measurement> results;
    for (const EditorRow* row : rows) {
        // A row that --benchmark_filter left out has no medians.
        if (const RunMedians* medians = collector.Find(row->name)) {
            const std::vector<Measurement> more = Report(*row, *medians);
            results.insert(results.end(), more.begin(), more.end());
        }
    }
    return results;
}

} // namespace morvane::bench
