#include "ProcessBenchmarks.h"

#include "ChildProcess.h"
#include "Statistics.h"
#include "sprite/SpriteCatalogue.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace morvane::bench {

namespace {

namespace fs = std::filesystem;

// The first start of each program pays for loading the libraries from disk; it is not measured.
constexpr int kWarmUps = 1;

std::vector<char> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::size_t CountPngFiles(const fs::path& folder)
{
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".png")
            ++count;
    }
    return count;
}

// The editor's figure against the bare window's, with the median of the ratios of the pairs.
Measurement AgainstBare(const char* name, const char* unit, const std::vector<double>& editor,
    const std::vector<double>& bare, double limit, const char* note)
{
    Measurement m = TimedMeasurement(
        name, unit, Median(editor), static_cast<int>(editor.size()), limit, note);
    m.referenceName = "bare";
    m.reference = Median(bare);
    m.ratio = MedianRatio(editor, bare);
    return m;
}

std::vector<Measurement> MeasureStartup(const std::string&, const fs::path&, int pairs)
{
    const std::string launcher = MORVANE_BENCH_LAUNCH;
    const std::string editor = MORVANE_STARTUP_EDITOR;
    const std::string bare = MORVANE_STARTUP_BARE;
    std::vector<double> editorMs, bareMs, editorKiB, bareKiB;
    for (int i = -kWarmUps; i < pairs; ++i) {
        // Which program starts first alternates, so neither always finds the caches the other
        // has just warmed.
        const ChildRun first = RunChildThroughLauncher(launcher, i % 2 == 0 ? editor : bare, {});
        const ChildRun second = RunChildThroughLauncher(launcher, i % 2 == 0 ? bare : editor, {});
        if (i < 0)
            continue;
        const ChildRun& editorRun = i % 2 == 0 ? first : second;
        const ChildRun& bareRun = i % 2 == 0 ? second : first;
        editorMs.push_back(editorRun.wallMs);
        bareMs.push_back(bareRun.wallMs);
        editorKiB.push_back(editorRun.peakKiB);
        bareKiB.push_back(bareRun.peakKiB);
    }
    return {AgainstBare("startup_time", "ms", editorMs, bareMs, 1.5,
                "start, show, paint, quit; ratio = median of pairs"),
        AgainstBare("startup_memory", "KiB", editorKiB, bareKiB, 1.3, "peak resident (ru_maxrss)")};
}

std::vector<Measurement> MeasureExportAll(
    const std::string& romPath, const fs::path& scratch, int runs)
{
    const std::string tool = MORVANE_SPRITE_TOOL;
    std::vector<double> samples;
    for (int i = -kWarmUps; i < runs; ++i) {
        const fs::path folder = scratch / ("export-" + std::to_string(i + kWarmUps));
        const ChildRun run = RunChild(tool, {"export", romPath, "--all", folder.string()});
        const std::size_t written = CountPngFiles(folder);
        if (written != static_cast<std::size_t>(kSpriteCount))
            throw std::runtime_error("the tool wrote " + std::to_string(written) + " images into "
                + folder.string() + " instead of " + std::to_string(kSpriteCount));
        fs::remove_all(folder);
        if (i >= 0)
            samples.push_back(run.wallMs);
    }

    return {TimedMeasurement("export_all", "ms", Median(samples), runs, 100.0,
        "morvane-sprite-tool export --all, 45 PNG images")};
}

std::vector<Measurement> MeasureImportAll(
    const std::string& romPath, const fs::path& scratch, int runs)
{
    const std::string tool = MORVANE_SPRITE_TOOL;
    const fs::path images = scratch / "import-images";
    RunChild(tool, {"export", romPath, "--all", images.string()});
    const std::vector<char> rom = ReadFile(romPath);
    const std::vector<char> blank(rom.size(), '\0');
    const fs::path target = scratch / "import-target.gb";

    std::vector<double> samples;
    for (int i = -kWarmUps; i < runs; ++i) {
        WriteFile(target, blank);
        const ChildRun run = RunChild(tool, {"import", target.string(), "--all", images.string()});
        const std::vector<char> written = ReadFile(target);
        for (int index = 0; index < kSpriteCount; ++index) {
            const auto offset
                = static_cast<std::size_t>(*SpriteOffsetValue(static_cast<std::int16_t>(index)));
            if (!std::equal(rom.begin() + std::ptrdiff_t(offset),
                    rom.begin() + std::ptrdiff_t(offset + 384),
                    written.begin() + std::ptrdiff_t(offset)))
                throw std::runtime_error("import --all left sprite " + std::to_string(index)
                    + " of " + target.string() + " unwritten");
        }
        if (i >= 0)
            samples.push_back(run.wallMs);
    }
    fs::remove_all(images);
    fs::remove(target);

    return {TimedMeasurement("import_all", "ms", Median(samples), runs, 100.0,
        "morvane-sprite-tool import --all, 45 PNG images, all written")};
}

std::vector<Measurement> MeasurePatch(const std::string& romPath, const fs::path& scratch, int runs)
{
    const std::string tool = MORVANE_SPRITE_TOOL;
    std::vector<char> edited = ReadFile(romPath);
    // Three sprites redrawn and a stretch of program bytes changed, as a typical edit.
    for (const int index : {0, 21, 44}) {
        const auto offset
            = static_cast<std::size_t>(*SpriteOffsetValue(static_cast<std::int16_t>(index)));
        for (std::size_t i = offset; i < offset + 384; ++i)
            edited[i] = static_cast<char>(~edited[i]);
    }
    for (std::size_t i = 0x4000; i < 0x4400; ++i)
        edited[i] = static_cast<char>(i * 7);
    const fs::path editedPath = scratch / "patch-edited.gb";
    WriteFile(editedPath, edited);

    // The first patch is kept: every later one must be the same bytes, and it must give back the
    // edited image, or its size would say nothing.
    const fs::path first = scratch / "patch-0.bps";
    std::vector<double> samples;
    for (int i = -kWarmUps; i < runs; ++i) {
        const fs::path patch = scratch / ("patch-" + std::to_string(i + kWarmUps) + ".bps");
        const ChildRun run
            = RunChild(tool, {"patch", romPath, editedPath.string(), patch.string()});
        if (patch != first) {
            if (ReadFile(patch) != ReadFile(first))
                throw std::runtime_error("the tool wrote " + patch.string()
                    + " unlike the patch of the same images before it, " + first.string());
            fs::remove(patch);
        }
        if (i >= 0)
            samples.push_back(run.wallMs);
    }
    const fs::path applied = scratch / "patch-applied.gb";
    RunChild(tool, {"apply", romPath, first.string(), applied.string()});
    if (ReadFile(applied) != edited)
        throw std::runtime_error(
            "the patch " + first.string() + " does not give back " + editedPath.string());
    const auto size = static_cast<double>(fs::file_size(first));
    for (const fs::path& made : {first, applied, editedPath})
        fs::remove(made);

    return {TimedMeasurement("patch", "ms", Median(samples), runs, 20.0,
                "morvane-sprite-tool patch, two 1 MiB images, BPS"),
        TimedMeasurement("patch_size", "bytes", size, runs, std::nullopt,
            "the same patch, every run alike, checked by apply")};
}

struct ProcessRow {
    const char* name;
    RunCounts counts;
    std::vector<Measurement> (*measure)(
        const std::string& romPath, const fs::path& scratch, int runs);
};

// The benchmarks of whole processes in report order; another one is a function above and a row
// here.
const ProcessRow kProcessRows[] = {
    {"startup", {.runs = 20, .quickRuns = 3}, MeasureStartup},
    {"export_all", {.runs = 15, .quickRuns = 3}, MeasureExportAll},
    {"import_all", {.runs = 15, .quickRuns = 3}, MeasureImportAll},
    {"patch", {.runs = 15, .quickRuns = 3}, MeasurePatch},
};

} // namespace

std::vector<std::string> ProcessBenchmarkNames()
{
    std::vector<std::string> names;
    for (const ProcessRow& row : kProcessRows)
        names.emplace_back(row.name);
    return names;
}

std::vector<Measurement> MeasureProcesses(
    const std::string& romPath, const std::string& scratchFolder, const BenchOptions& options)
{
    std::vector<Measurement> results;
    for (const ProcessRow& row : kProcessRows) {
        if (!IsSelected(options, row.name))
            continue;
        std::cerr << "morvane-bench: measuring " << row.name << "..." << std::endl;
        const std::vector<Measurement> more
            = row.measure(romPath, scratchFolder, row.counts.For(options));
        results.insert(results.end(), more.begin(), more.end());
    }
    return results;
}

} // namespace morvane::bench
