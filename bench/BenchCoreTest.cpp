// The benchmark's own arithmetic and reporting, which its figures depend on: the medians, the
// options, the verdicts, the table and the JSON line, the reading of Google Benchmark's results,
// and the runs of child programs through the launcher.
#include "BenchOptions.h"
#include "BenchReport.h"
#include "ChildProcess.h"
#include "MedianCollector.h"
#include "RowTable.h"
#include "Statistics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cmath>

using namespace morvane::bench;
using namespace morvane::test;

namespace {

const std::vector<std::string> kNames = {"load_sprite", "paint_cell", "startup", "export_all"};

struct MedianRow {
    const char* name;
    std::vector<double> samples;
    // The reference run each sample pairs with, for a median ratio.
    std::vector<double> references;
    double expected = 0;
};

struct OptionsRow {
    const char* name;
    std::vector<std::string> args;
    bool valid = true;
    std::vector<std::string> only;
    bool quick = false;
};

struct VerdictRow {
    const char* name;
    Measurement figure;
    Verdict verdict = Verdict::NoTarget;
};

struct ReportRow {
    const char* name;
    std::string report;
    // The launcher's own message, when the report carries one.
    std::string message;
};

Measurement Timed(const std::string& name, double median, std::optional<double> limit)
{
    return TimedMeasurement(name, "us", median, 10, limit, "");
}

Measurement Compared(const std::string& name, double median, double reference, double limit)
{
    Measurement m = Timed(name, median, limit);
    m.referenceName = "floor";
    m.reference = reference;
    m.ratio = median / reference;
    return m;
}

// Repetition k of a benchmark that reports the k-th of `times` (seconds) as its run and the k-th
// of `floors` as its "floor" counter.
void RegisterScripted(const char* name, benchmark::TimeUnit unit, std::vector<double> times,
    std::vector<double> floors)
{
    const auto repetitions = static_cast<int>(times.size());
    benchmark::RegisterBenchmark(name,
        [times, floors, k = std::size_t {0}](benchmark::State& state) mutable {
            for ([[maybe_unused]] auto _ : state) {
                state.SetIterationTime(times[k]);
                state.counters["floor"] = floors[k];
            }
            ++k;
        })
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->UseManualTime()
        ->Unit(unit)
        ->ReportAggregatesOnly(true);
}

} // namespace

class BenchCoreTest : public QObject {
    Q_OBJECT

private slots:
    void Median_data()
    {
        AddRows<MedianRow>({{"one sample", {7}, {}, 7}, {"odd count, unsorted", {5, 1, 3}, {}, 3},
            {"even count: mean of the middle two", {4, 1, 3, 2}, {}, 2.5},
            {"an outlier does not pull it", {1, 2, 1000, 3}, {}, 2.5},
            {"repeated middle value", {2, 9, 2, 2}, {}, 2}, {"two samples", {10, 20}, {}, 15}});
    }
    void Median()
    {
        const MedianRow& row = CurrentRow<MedianRow>();
        QCOMPARE(morvane::bench::Median(row.samples), row.expected);
    }

    void MedianOfNothingIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::Median({}));
    }

    void MedianRatio_data()
    {
        // Pairwise ratios 2, 4, 3: the median of the ratios, not the ratio of the medians (2.5).
        AddRows<MedianRow>(
            {{"ratio per pair", {10, 20, 30}, {5, 5, 10}, 3}, {"one pair", {3}, {2}, 1.5}});
    }
    void MedianRatio()
    {
        const MedianRow& row = CurrentRow<MedianRow>();
        QCOMPARE(morvane::bench::MedianRatio(row.samples, row.references), row.expected);
    }

    void MedianRatioRefusesUnpairedOrEmptyRuns()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::MedianRatio({1, 2}, {1}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::MedianRatio({1}, {0}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::MedianRatio({}, {}));
    }

    void ParseOptions_data()
    {
        AddRows<OptionsRow>(
            {{"no arguments", {}, true, {}, false}, {"quick", {"--quick"}, true, {}, true},
                {"only, separate name", {"--only", "load_sprite", "--quick"}, true, {"load_sprite"},
                    true},
                {"only=, comma list", {"--only=paint_cell,startup"}, true,
                    {"paint_cell", "startup"}, false},
                {"repeated name kept once", {"--only", "export_all", "--only=export_all"}, true,
                    {"export_all"}, false},
                {"only without a name", {"--only"}, false, {}, false},
                {"unknown benchmark", {"--only", "load"}, false, {}, false},
                {"empty name after a comma", {"--only=load_sprite,"}, false, {}, false},
                {"unknown option", {"--fast"}, false, {}, false}});
    }
    void ParseOptions()
    {
        const OptionsRow& row = CurrentRow<OptionsRow>();
        if (!row.valid) {
            QVERIFY_THROWS_EXCEPTION(BenchUsageError, ParseBenchOptions(row.args, kNames));
            return;
        }
        const BenchOptions options = ParseBenchOptions(row.args, kNames);
        QCOMPARE(options.only, row.only);
        QCOMPARE(options.quick, row.quick);
    }

    void OnlyNarrowsTheSelection()
    {
        const BenchOptions all = ParseBenchOptions({}, kNames);
        const BenchOptions some = ParseBenchOptions({"--only", "startup"}, kNames);
        for (const std::string& name : kNames) {
            QVERIFY(IsSelected(all, name));
            QCOMPARE(IsSelected(some, name), name == "startup");
        }
    }

    void Verdict_data()
    {
        AddRows<VerdictRow>({{"under a time bound", Timed("x", 49, 50), Verdict::Met},
            {"at a time bound", Timed("x", 50, 50), Verdict::Met},
            {"over a time bound", Timed("x", 50.5, 50), Verdict::Missed},
            {"large figure, ratio within", Compared("x", 900, 400, 3), Verdict::Met},
            {"small figure, ratio beyond", Compared("x", 31, 10, 3), Verdict::Missed},
            {"ratio exactly at its bound", Compared("x", 30, 10, 3), Verdict::Met}});
    }
    void Verdict()
    {
        const VerdictRow& row = CurrentRow<VerdictRow>();
        QCOMPARE(VerdictOf(row.figure), row.verdict);
    }

    void FigureWithoutTargetHasNoVerdict()
    {
        QCOMPARE(VerdictOf(Timed("x", 1e9, std::nullopt)), Verdict::NoTarget);
    }

    void JsonIsOneValidLineWithEveryFigure()
    {
        const std::string json = FormatJson(
            {Compared("load_sprite", 300, 100, 3.0), Timed("paint_cell", 80, 50.0),
                Timed("compose_preview", 400, std::nullopt), Timed("broken", std::nan(""), 10.0)},
            true);
        QVERIFY(json.find('\n') == std::string::npos);
        const QJsonObject results {
            {"load_sprite",
                QJsonObject {{"median_us", 300}, {"runs", 10}, {"floor_us", 100}, {"ratio", 3},
                    {"target_ratio", 3}, {"pass", true}}},
            {"paint_cell",
                QJsonObject {{"median_us", 80}, {"runs", 10}, {"target_us", 50}, {"pass", false}}},
            {"compose_preview", QJsonObject {{"median_us", 400}, {"runs", 10}}},
            // A figure that could not be measured is null, and misses its target.
            {"broken",
                QJsonObject {{"median_us", QJsonValue::Null}, {"runs", 10}, {"target_us", 10},
                    {"pass", false}}}};
        QCOMPARE(QJsonDocument::fromJson(QByteArray::fromStdString(json)).object(),
            (QJsonObject {{"platform", "offscreen"}, {"quick", true}, {"results", results},
                {"missed", QJsonArray {"paint_cell", "broken"}}}));
    }

    void TableNamesWhatMissed()
    {
        const std::string missed = FormatTable(
            {Compared("load_sprite", 200, 100, 3.0), Timed("export_all", 120, 100.0)});
        QVERIFY(missed.find("load_sprite") != std::string::npos);
        QVERIFY(missed.find("\nMISSED: export_all\n") != std::string::npos);
        QVERIFY(missed.find("All targets met.") == std::string::npos);

        const std::string met = FormatTable({Timed("export_all", 60, 100.0)});
        QVERIFY(met.find("MISSED") == std::string::npos);
        QVERIFY(met.find("All targets met.") != std::string::npos);
    }

    // The median of each benchmark's repetitions, not their mean, in microseconds whatever unit
    // the benchmark reports in, with the medians of its counters.
    void CollectorKeepsTheMedianOfEachBenchmark()
    {
        RegisterScripted(
            "a", benchmark::kMicrosecond, {3e-6, 1e-6, 2e-6, 100e-6, 4e-6}, {10, 30, 20, 20, 1000});
        RegisterScripted("b", benchmark::kMillisecond, {5e-3, 5e-3, 7e-3}, {1, 1, 1});
        MedianCollector collector;
        benchmark::RunSpecifiedBenchmarks(&collector);
        benchmark::ClearRegisteredBenchmarks();

        const RunMedians* a = collector.Find("a");
        QVERIFY(a != nullptr);
        QVERIFY(qFuzzyCompare(a->us, 3.0));
        QCOMPARE(a->counters.at("floor"), 20.0);
        QCOMPARE(a->runs, 5);
        const RunMedians* b = collector.Find("b");
        QVERIFY(b != nullptr);
        QVERIFY(qFuzzyCompare(b->us, 5000.0));
        QVERIFY(collector.Find("c") == nullptr);
    }

    void ChildRunsAreReapedAndFailuresReported()
    {
        const ChildRun run = RunChild("/bin/sh", {"-c", "exit 0"});
        QVERIFY(run.wallMs > 0);
        QVERIFY(run.peakKiB > 0);
        QVERIFY_THROWS_EXCEPTION(ChildProcessError, RunChild("/bin/sh", {"-c", "exit 4"}));
        QVERIFY_THROWS_EXCEPTION(ChildProcessError, RunChild("/bin/sh", {"-c", "kill -9 $$"}));
        QVERIFY_THROWS_EXCEPTION(
            ChildProcessError, RunChild("/nonexistent/morvane-bench-child", {}));
    }

    void LauncherReportReadsBack_data()
    {
        AddRowColumn<ChildRun>();
        QTest::newRow("typical start") << ChildRun {18.25, 29220};
        QTest::newRow("tiny") << ChildRun {0.001, 1};
    }
    void LauncherReportReadsBack()
    {
        const ChildRun& row = CurrentRow<ChildRun>();
        const ChildRun run = ParseChildReport(FormatChildRun(row));
        QCOMPARE(std::pair(run.wallMs, run.peakKiB), std::pair(row.wallMs, row.peakKiB));
    }

    void LauncherErrorsAndGarbageAreRefused_data()
    {
        AddRows<ReportRow>(
            {{"error line", FormatChildError("x exited with status 3"), "x exited with status 3"},
                {"nothing", "", ""}, {"one figure", "12.5\n", ""}, {"cut short", "12.5 300", ""},
                {"trailing words", "12.5 300 KiB\n", ""}});
    }
    void LauncherErrorsAndGarbageAreRefused()
    {
        const ReportRow& row = CurrentRow<ReportRow>();
        try {
            ParseChildReport(row.report);
            QFAIL("the report was accepted");
        } catch (const ChildProcessError& error) {
            if (!row.message.empty())
                QCOMPARE(std::string(error.what()), row.message);
        }
    }

    void LauncherRunsTheProgramAndPassesItsFailureOn()
    {
        const ChildRun run
            = RunChildThroughLauncher(MORVANE_BENCH_LAUNCH, "/bin/sh", {"-c", "exit 0"});
        QVERIFY(run.wallMs > 0);
        QVERIFY(run.peakKiB > 0);
        try {
            RunChildThroughLauncher(MORVANE_BENCH_LAUNCH, "/bin/sh", {"-c", "exit 5"});
            QFAIL("a failing program was reported as a run");
        } catch (const ChildProcessError& error) {
            QCOMPARE(std::string(error.what()), std::string("/bin/sh exited with status 5"));
        }
    }
};

QTEST_GUILESS_MAIN(BenchCoreTest)
#include "BenchCoreTest.moc"
