// morvane-bench: measures the editor's costly paths on the offscreen platform and prints one table
// and one JSON line. Run by hand; a missed target is reported, not treated as a failure.
#include "BenchOptions.h"
#include "BenchReport.h"
#include "EditorBenchmarks.h"
#include "ProcessBenchmarks.h"
#include "demo/DemoRom.h"
#include "sprite/RomFile.h"

#include <QApplication>
#include <QTemporaryDir>

#include <iostream>

namespace {

using namespace morvane::bench;

void Append(std::vector<Measurement>& results, std::vector<Measurement> more)
{
    results.insert(results.end(), more.begin(), more.end());
}

void Announce(const char* name)
{
    std::cerr << "morvane-bench: measuring " << name << "..." << std::endl;
}

std::vector<Measurement> RunSelected(
    const BenchOptions& options, const QString& romPath, const QString& scratchFolder)
{
    const Repetitions runs = RepetitionsFor(options.quick);
    std::vector<Measurement> results;
    if (IsSelected(options, "load_sprite")) {
        Announce("load_sprite");
        results.push_back(MeasureLoadSprite(romPath, runs.loadSprite));
    }
    if (IsSelected(options, "paint_cell")) {
        Announce("paint_cell");
        Append(results, MeasurePaintCell(romPath, runs.paintCell));
    }
    if (IsSelected(options, "compose_preview")) {
        Announce("compose_preview");
        results.push_back(MeasureComposePreview(romPath, runs.composePreview));
    }
    if (IsSelected(options, "startup")) {
        Announce("startup");
        Append(results, MeasureStartup(runs.startupPairs));
    }
    if (IsSelected(options, "export_all")) {
        Announce("export_all");
        results.push_back(
            MeasureExportAll(romPath.toStdString(), scratchFolder.toStdString(), runs.exportRuns));
    }
    if (IsSelected(options, "import_all")) {
        Announce("import_all");
        results.push_back(
            MeasureImportAll(romPath.toStdString(), scratchFolder.toStdString(), runs.importRuns));
    }
    if (IsSelected(options, "patch")) {
        Announce("patch");
        results.push_back(
            MeasurePatch(romPath.toStdString(), scratchFolder.toStdString(), runs.patchRuns));
    }
    return results;
}

} // namespace

int main(int argc, char* argv[])
{
    BenchOptions options;
    try {
        options = ParseBenchOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const BenchUsageError& error) {
        std::cerr << "morvane-bench: " << error.what() << "\n\n" << BenchUsage();
        return 2;
    }
    if (options.help) {
        std::cout << BenchUsage();
        return 0;
    }

    // Every figure is taken on the offscreen platform, in this process and in the children it
    // starts, so no display server's speed enters the comparison.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::cerr << "morvane-bench: cannot make a scratch folder: "
                  << scratch.errorString().toStdString() << '\n';
        return 1;
    }
    const QString romPath = scratch.filePath(QStringLiteral("demo.gb"));
    std::vector<Measurement> results;
    try {
        morvane::CreateRomFile(romPath.toStdString(), morvane::MakeDemoRom());
        results = RunSelected(options, romPath, scratch.path());
    } catch (const std::exception& error) {
        std::cerr << "morvane-bench: " << error.what() << '\n';
        return 1;
    }

    std::cout << FormatTable(results) << '\n' << FormatJson(results, options.quick) << std::endl;
    return 0;
}
