// morvane-bench: measures the editor's costly paths on the offscreen platform and prints one table
// and one JSON line. Run by hand; a missed target is reported, not treated as a failure.
#include "BenchOptions.h"
#include "BenchReport.h"
#include "EditorBenchmarks.h"
#include "ProcessBenchmarks.h"
#include "demo/DemoRom.h"
#include "sprite/RomFile.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <iostream>

namespace {

using namespace morvane::bench;

std::vector<std::string> BenchmarkNames()
{
    std::vector<std::string> names = EditorBenchmarkNames();
    const std::vector<std::string> processes = ProcessBenchmarkNames();
    names.insert(names.end(), processes.begin(), processes.end());
    return names;
}

std::string Usage()
{
    return BenchUsage(EditorBenchmarkNames(), ProcessBenchmarkNames());
}

void PrintHelp()
{
    std::cout << Usage();
}

} // namespace

int main(int argc, char* argv[])
{
    // Google Benchmark takes its own flags out of the arguments, and answers --help with ours.
    benchmark::Initialize(&argc, argv, PrintHelp);
    BenchOptions options;
    try {
        options
            = ParseBenchOptions(std::vector<std::string>(argv + 1, argv + argc), BenchmarkNames());
    } catch (const BenchUsageError& error) {
        std::cerr << "morvane-bench: " << error.what() << "\n\n" << Usage();
        return 2;
    }
    if (options.help) {
        PrintHelp();
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
    // The windows measured paint, and keep unsaved paint for recovery under the state folder:
    // the scratch folder takes those records, so no run leaves any in the user's own.
    qputenv("XDG_STATE_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("state"))));
    const QString romPath = scratch.filePath(QStringLiteral("demo.gb"));
    std::vector<Measurement> results;
    try {
        morvane::CreateRomFile(romPath.toStdString(), morvane::MakeDemoRom());
        results = MeasureEditor(romPath, options);
        const std::vector<Measurement> processes
            = MeasureProcesses(romPath.toStdString(), scratch.path().toStdString(), options);
        results.insert(results.end(), processes.begin(), processes.end());
    } catch (const std::exception& error) {
        std::cerr << "morvane-bench: " << error.what() << '\n';
        return 1;
    }

    std::cout << FormatTable(results) << '\n' << FormatJson(results, options.quick) << std::endl;
    benchmark::Shutdown();
    return 0;
}
