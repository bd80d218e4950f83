// The benchmark's own arithmetic and reporting, which its figures depend on: the medians, the
// options, the verdicts, the table and the JSON line, the reading of Google Benchmark's results,
// and the runs of child programs through the launcher.
#include "BenchOptions.h"
#include "BenchReport.h"
#include "ChildProcess.h"
#include "MedianCollector.h"
#include "Statistics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cmath>

using namespace morvane::bench;

namespace {

const std::vector<std::string> kNames = {"load_sprite", "paint_cell", "startup", "export_all"};

struct MedianRow {
    std::vector<double> samples;
    // The reference run each sample pairs with, for a median ratio.
    std::vector<double> references;
    double expected = 0;
};

struct OptionsRow {
    std::vector<std::string> args;
    bool valid = true;
    std::vector<std::string> only;
    bool quick = false;
};

struct VerdictRow {
    Measurement figure;
    Verdict verdict = Verdict::NoTarget;
};

struct ReportRow {
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

Q_DECLARE_METATYPE(MedianRow)
Q_DECLARE_METATYPE(OptionsRow)
Q_DECLARE_METATYPE(VerdictRow)
Q_DECLARE_METATYPE(ReportRow)
Q_DECLARE_METATYPE(ChildRun)

class BenchCoreTest : public QObject {
    Q_OBJECT

private slots:
    void Median_data()
    {
        QTest::addColumn<MedianRow>("row");
        QTest::newRow("one sample") << MedianRow {{7}, {}, 7};
        QTest::newRow("odd count, unsorted") << MedianRow {{5, 1, 3}, {}, 3};
        QTest::newRow("even count: mean of the middle two") << MedianRow {{4, 1, 3, 2}, {}, 2.5};
        QTest::newRow("an outlier does not pull it") << MedianRow {{1, 2, 1000, 3}, {}, 2.5};
        QTest::newRow("repeated middle value") << MedianRow {{2, 9, 2, 2}, {}, 2};
        QTest::newRow("two samples") << MedianRow {{10, 20}, {}, 15};
    }
    void Median()
    {
        QFETCH(MedianRow, row);
        QCOMPARE(morvane::bench::Median(row.samples), row.expected);
    }

    void MedianOfNothingIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::Median({}));
    }

    void MedianRatio_data()
    {
        QTest::addColumn<MedianRow>("row");
        // Pairwise ratios 2, 4, 3: the median of the ratios, not the ratio of the medians (2.5).
        QTest::newRow("ratio per pair") << MedianRow {{10, 20, 30}, {5, 5, 10}, 3};
        QTest::newRow("one pair") << MedianRow {{3}, {2}, 1.5};
    }
    void MedianRatio()
    {
        QFETCH(MedianRow, row);
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
        QTest::addColumn<OptionsRow>("row");
        QTest::newRow("no arguments") << OptionsRow {{}, true, {}, false};
        QTest::newRow("quick") << OptionsRow {{"--quick"}, true, {}, true};
        QTest::newRow("only, separate name")
            << OptionsRow {{"--only", "load_sprite", "--quick"}, true, {"load_sprite"}, true};
        QTest::newRow("only=, comma list")
            << OptionsRow {{"--only=paint_cell,startup"}, true, {"paint_cell", "startup"}, false};
        QTest::newRow("repeated name kept once") << OptionsRow {
            {"--only", "export_all", "--only=export_all"}, true, {"export_all"}, false};
        QTest::newRow("only without a name") << OptionsRow {{"--only"}, false, {}, false};
        QTest::newRow("unknown benchmark") << OptionsRow {{"--only", "load"}, false, {}, false};
        QTest::newRow("empty name after a comma")
            << OptionsRow {{"--only=load_sprite,"}, false, {}, false};
        QTest::newRow("unknown option") << OptionsRow {{"--fast"}, false, {}, false};
    }
    void ParseOptions()
    {
        QFETCH(OptionsRow, row);
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
        QTest::addColumn<VerdictRow>("row");
        QTest::newRow("under a time bound") << VerdictRow {Timed("x", 49, 50), Verdict::Met};
        QTest::newRow("at a time bound") << VerdictRow {Timed("x", 50, 50), Verdict::Met};
        QTest::newRow("over a time bound") << VerdictRow {Timed("x", 50.5, 50), Verdict::Missed};
        QTest::newRow("large figure, ratio within")
            << VerdictRow {Compared("x", 900, 400, 3), Verdict::Met};
        QTest::newRow("small figure, ratio beyond")
            << VerdictRow {Compared("x", 31, 10, 3), Verdict::Missed};
        QTest::newRow("ratio exactly at its bound")
            << VerdictRow {Compared("x", 30, 10, 3), Verdict::Met};
    }
    void Verdict()
    {
        QFETCH(VerdictRow, row);
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
        QTest::addColumn<ChildRun>("row");
        QTest::newRow("typical start") << ChildRun {18.25, 29220};
        QTest::newRow("tiny") << ChildRun {0.001, 1};
    }
    void LauncherReportReadsBack()
    {
        QFETCH(ChildRun, row);
        const ChildRun run = ParseChildReport(FormatChildRun(row));
        QCOMPARE(run.wallMs, row.wallMs);
        QCOMPARE(run.peakKiB, row.peakKiB);
    }

    void LauncherErrorsAndGarbageAreRefused_data()
    {
        QTest::addColumn<ReportRow>("row");
        QTest::newRow("error line")
            << ReportRow {FormatChildError("x exited with status 3"), "x exited with status 3"};
        QTest::newRow("nothing") << ReportRow {"", ""};
        QTest::newRow("one figure") << ReportRow {"12.5\n", ""};
        QTest::newRow("cut short") << ReportRow {"12.5 300", ""};
        QTest::newRow("trailing words") << ReportRow {"12.5 300 KiB\n", ""};
    }
    void LauncherErrorsAndGarbageAreRefused()
    {
        QFETCH(ReportRow, row);
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
