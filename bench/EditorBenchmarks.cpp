#include "EditorBenchmarks.h"

#include "BenchServices.h"
#include "MedianCollector.h"
#include "editor/frmMain.h"
#include "sprite/SpriteCatalogue.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace morvane::bench {

namespace {

constexpr int kGridCells = 64;
constexpr int kCellSide = 16;
// How many times the floor of its own file reads Load Sprite may take.
constexpr double kLoadSpriteFloorRatio = 3.0;
constexpr double kPaintCellLimitUs = 50.0;

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

// The real main window with the ROM image open, as a user has it after File, Load Rom.
class OpenedWindow {
public:
    explicit OpenedWindow(const QString& romPath)
        : romPath_(romPath),
          dialogs_(romPath),
          window_(
              PlatformServices {dialogs_, messages_, help_, QCoreApplication::applicationDirPath()})
    {
        window_.show();
        if (!window_.OpenRom(QFile::encodeName(romPath)))
            throw std::runtime_error("the editor cannot open the ROM image: " + Messages());
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

    // Every message the window showed the user: a command that had to say something did not do
    // the work being measured.
    std::string Messages() const { return messages_.texts.join(" / ").toStdString(); }

private:
    QString romPath_;
    FixedOpenDialogs dialogs_;
    RecordedMessages messages_;
    NoHelpViewer help_;
    frmMain window_;
};

// One measured run: the seconds of the measured step and, for a benchmark that times a second
// step alongside it (the floor it is compared with, the release after a press), of that step.
struct Sample {
    double seconds = 0;
    const char* companion = nullptr;
    double companionSeconds = 0;
};

// One benchmark of the window: a step that Google Benchmark repeats, one run per repetition.
class EditorBenchmark {
public:
    explicit EditorBenchmark(OpenedWindow& opened) : opened_(opened) { }
    virtual ~EditorBenchmark() = default;

    // Before the first measured run: the benchmark's own preparation, then runs that are not
    // measured, so the first measured one finds the caches as the others do.
    void Start(const char* name, int runs)
    {
        if (std::exchange(started_, true))
            return;
        std::cerr << "morvane-bench: measuring " << name << "..." << std::endl;
        Prepare();
        for (int i = std::max(5, runs / 10); i > 0; --i)
            Run();
    }
    virtual Sample Run() = 0;
    // The rows of the report, from the medians of the measured runs.
    virtual std::vector<Measurement> Report(const RunMedians& medians) const = 0;
    // Why the runs measured something other than the step; empty when they did not.
    virtual std::string Problem() const { return opened_.Messages(); }

protected:
    virtual void Prepare() { }

    OpenedWindow& opened_;

private:
    bool started_ = false;
};

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

// Load Sprite through its handler, against the floor of what it has to do with the file: the
// block once and every tile again, each in its own open, read and close, made with plain system
// calls in the same run, so a slow stretch of the machine weighs on both alike.
class LoadSprite final : public EditorBenchmark {
public:
    explicit LoadSprite(OpenedWindow& opened)
        : EditorBenchmark(opened), path_(QFile::encodeName(opened.RomPath()).toStdString())
    {
        const auto offset = SpriteOffsetValue(
            static_cast<std::int16_t>(opened.Find<QComboBox>("cboSprite").currentIndex()));
        if (!offset)
            throw std::runtime_error("no sprite is selected after opening the ROM image");
        offset_ = *offset;
    }

    Sample Run() override
    {
        const double load = SecondsOf([&] { opened_.Window().cmdLoad_Click(); });
        OpenedWindow::Settle();
        const double floor = SecondsOf([&] { sink_ = ReadLikeLoadSprite(); });
        return {load, "floor", floor};
    }

    std::vector<Measurement> Report(const RunMedians& medians) const override
    {
        Measurement m = TimedMeasurement("load_sprite", "us", medians.us, medians.runs,
            kLoadSpriteFloorRatio, "cmdLoad_Click vs 25 open/pread/close");
        m.referenceName = "floor";
        m.reference = medians.counters.at("floor");
        m.ratio = m.median / m.reference;
        return {m};
    }

private:
    // Returns a byte of each read, so none can be left out.
    std::uint8_t ReadLikeLoadSprite() const
    {
        std::uint8_t block[kSpriteBlockBytes];
        std::uint8_t tile[kTileBytes];
        ReadOnce(path_, offset_, block, sizeof block);
        std::uint8_t sum = block[0];
        for (int k = 0; k < kTilesPerSprite; ++k) {
            ReadOnce(path_, offset_ + kTileBytes * k, tile, sizeof tile);
            sum = static_cast<std::uint8_t>(sum + tile[0]);
        }
        return sum;
    }

    std::string path_;
    std::int32_t offset_ = 0;
    // Written to a volatile, so the floor's reads are never optimised away.
    volatile std::uint8_t sink_ = 0;
};

// One cell painted by a mouse press on the editing grid, and the release that ends the stroke
// and records it for undo. The passes over the 64 cells alternate between two colours, so every
// measured press really changes a pixel.
class PaintCell final : public EditorBenchmark {
public:
    explicit PaintCell(OpenedWindow& opened)
        : EditorBenchmark(opened), grid_(opened.Find<QWidget>("picEdit"))
    {
    }

    Sample Run() override
    {
        frmMain& window = opened_.Window();
        const int cell = step_ % kGridCells;
        if (cell == 0)
            window.Color_Click((step_ / kGridCells) % 2 == 0 ? 2 : 1);
        ++step_;
        const QPointF at(
            (cell % 8) * kCellSide + kCellSide / 2, (cell / 8) * kCellSide + kCellSide / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, grid_.mapToGlobal(at), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, grid_.mapToGlobal(at), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        const auto before = window.Document().SpriteBuf();
        const double pressed = SecondsOf([&] { QCoreApplication::sendEvent(&grid_, &press); });
        if (window.Document().SpriteBuf() == before)
            ++unchanged_;
        const double released = SecondsOf([&] { QCoreApplication::sendEvent(&grid_, &release); });
        OpenedWindow::Settle();
        return {pressed, "release", released};
    }

    std::vector<Measurement> Report(const RunMedians& medians) const override
    {
        return {TimedMeasurement("paint_cell", "us", medians.us, medians.runs, kPaintCellLimitUs,
                    "mouse press only"),
            TimedMeasurement("paint_release", "us", medians.counters.at("release"), medians.runs,
                std::nullopt, "mouse release: ends the stroke, records undo")};
    }

    std::string Problem() const override
    {
        if (unchanged_ == 0)
            return EditorBenchmark::Problem();
        return std::to_string(unchanged_) + " measured presses left the sprite unchanged";
    }

protected:
    // One whole pass first, which leaves every cell in the colour of that pass.
    void Prepare() override
    {
        for (int i = 0; i < kGridCells; ++i)
            Run();
        unchanged_ = 0;
    }

private:
    QWidget& grid_;
    int step_ = 0;
    int unchanged_ = 0;
};

// Test Sprite through its handler: the preview window built, its frames filled from the sprite,
// shown modally and closed by the first event its loop handles.
class ComposePreview final : public EditorBenchmark {
public:
    using EditorBenchmark::EditorBenchmark;

    Sample Run() override
    {
        frmMain& window = opened_.Window();
        QTimer::singleShot(0, &window, [] {
            if (auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                preview->accept();
        });
        const double seconds = SecondsOf([&] { window.cmdTest_Click(); });
        OpenedWindow::Settle();
        return {seconds};
    }

    std::vector<Measurement> Report(const RunMedians& medians) const override
    {
        return {TimedMeasurement("compose_preview", "us", medians.us, medians.runs, std::nullopt,
            "cmdTest_Click: preview built, filled, shown, closed")};
    }
};

struct EditorRow {
    const char* name;
    RunCounts counts;
    std::unique_ptr<EditorBenchmark> (*make)(OpenedWindow& opened);
};

template <typename Benchmark> std::unique_ptr<EditorBenchmark> Make(OpenedWindow& opened)
{
    return std::make_unique<Benchmark>(opened);
}

// The benchmarks of the window in report order; another one is a class above and a row here.
const EditorRow kEditorRows[] = {
    {"load_sprite", {.runs = 2000, .quickRuns = 50}, Make<LoadSprite>},
    {"paint_cell", {.runs = 2000, .quickRuns = 100}, Make<PaintCell>},
    {"compose_preview", {.runs = 500, .quickRuns = 30}, Make<ComposePreview>},
};

// Registers `bench` with Google Benchmark as `runs` repetitions of one run each, timed by the
// benchmark's own clock, so that only its measured step counts.
void Register(const char* name, int runs, EditorBenchmark& bench)
{
    benchmark::RegisterBenchmark(name,
        [name, runs, &bench](benchmark::State& state) {
            bench.Start(name, runs);
            for ([[maybe_unused]] auto _ : state) {
                const Sample sample = bench.Run();
                state.SetIterationTime(sample.seconds);
                if (sample.companion != nullptr)
                    state.counters[sample.companion] = sample.companionSeconds * 1e6;
            }
            const std::string problem = bench.Problem();
            if (!problem.empty())
                state.SkipWithError(problem.c_str());
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
    std::vector<std::unique_ptr<EditorBenchmark>> benchmarks;
    for (const EditorRow* row : rows) {
        benchmarks.push_back(row->make(opened));
        Register(row->name, row->counts.For(options), *benchmarks.back());
    }
    MedianCollector collector;
    previousMessageHandler = qInstallMessageHandler(DropRaiseWarnings);
    benchmark::RunSpecifiedBenchmarks(&collector);
    qInstallMessageHandler(previousMessageHandler);
    benchmark::ClearRegisteredBenchmarks();

    std::vector<Measurement> results;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string problem = benchmarks[i]->Problem();
        if (!problem.empty())
            throw std::runtime_error(std::string(rows[i]->name) + ": " + problem);
        // A row --benchmark_filter left out has no medians.
        if (const RunMedians* medians = collector.Find(rows[i]->name)) {
            const std::vector<Measurement> more = benchmarks[i]->Report(*medians);
            results.insert(results.end(), more.begin(), more.end());
        }
    }
    return results;
}

} // namespace morvane::bench
