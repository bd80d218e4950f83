#include "BenchOptions.h"
#include "BenchReport.h"
#include "ChildProcess.h"
#include "Statistics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cmath>

using namespace morvane::bench;

namespace {

std::vector<double> ToVector(const QList<double>& values)
{
    return std::vector<double>(values.begin(), values.end());
}

std::vector<std::string> ToArgs(const QStringList& words)
{
    std::vector<std::string> args;
    for (const QString& word : words)
        args.push_back(word.toStdString());
    return args;
}

Measurement Timed(const std::string& name, double median, std::optional<double> limit)
{
    Measurement m;
    m.name = name;
    m.unit = "us";
    m.median = median;
    m.samples = 10;
    m.limit = limit;
    return m;
}

Measurement Compared(const std::string& name, double median, double reference, double limit)
{
    Measurement m = Timed(name, median, limit);
    m.referenceName = "floor";
    m.reference = reference;
    m.ratio = median / reference;
    return m;
}

} // namespace

class BenchCoreTest : public QObject {
    Q_OBJECT

private slots:
    void Median_data()
    {
        QTest::addColumn<QList<double>>("samples");
        QTest::addColumn<double>("expected");
        QTest::newRow("one sample") << QList<double> {7} << 7.0;
        QTest::newRow("odd count, unsorted") << QList<double> {5, 1, 3} << 3.0;
        QTest::newRow("even count: mean of the middle two") << QList<double> {4, 1, 3, 2} << 2.5;
        QTest::newRow("an outlier does not pull it") << QList<double> {1, 2, 1000, 3} << 2.5;
        QTest::newRow("repeated middle value") << QList<double> {2, 9, 2, 2} << 2.0;
        QTest::newRow("two samples") << QList<double> {10, 20} << 15.0;
    }
    void Median()
    {
        QFETCH(QList<double>, samples);
        QFETCH(double, expected);
        QCOMPARE(morvane::bench::Median(ToVector(samples)), expected);
    }

    void MedianOfNothingIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::Median({}));
    }

    void MedianRatio_data()
    {
        QTest::addColumn<QList<double>>("numerators");
        QTest::addColumn<QList<double>>("denominators");
        QTest::addColumn<double>("expected");
        // Pairwise ratios 2, 4, 3: the median of the ratios, not the ratio of the medians (2.5).
        QTest::newRow("ratio per pair")
            << QList<double> {10, 20, 30} << QList<double> {5, 5, 10} << 3.0;
        QTest::newRow("one pair") << QList<double> {3} << QList<double> {2} << 1.5;
    }
    void MedianRatio()
    {
        QFETCH(QList<double>, numerators);
        QFETCH(QList<double>, denominators);
        QFETCH(double, expected);
        QCOMPARE(
            morvane::bench::MedianRatio(ToVector(numerators), ToVector(denominators)), expected);
    }

    void MedianRatioRefusesUnpairedOrEmptyRuns()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::MedianRatio({1, 2}, {1}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::MedianRatio({1}, {0}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, morvane::bench::MedianRatio({}, {}));
    }

    void ParseOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("only");
        QTest::addColumn<bool>("quick");
        QTest::newRow("no arguments") << QStringList {} << true << QStringList {} << false;
        QTest::newRow("quick") << QStringList {"--quick"} << true << QStringList {} << true;
        QTest::newRow("only, separate name") << QStringList {"--only", "load_sprite", "--quick"}
                                             << true << QStringList {"load_sprite"} << true;
        QTest::newRow("only=, comma list") << QStringList {"--only=paint_cell,startup"} << true
                                           << QStringList {"paint_cell", "startup"} << false;
        QTest::newRow("repeated name kept once")
            << QStringList {"--only", "export_all", "--only=export_all"} << true
            << QStringList {"export_all"} << false;
        QTest::newRow("only without a name")
            << QStringList {"--only"} << false << QStringList {} << false;
        QTest::newRow("unknown benchmark")
            << QStringList {"--only", "load"} << false << QStringList {} << false;
        QTest::newRow("empty name after a comma")
            << QStringList {"--only=load_sprite,"} << false << QStringList {} << false;
        QTest::newRow("unknown option")
            << QStringList {"--fast"} << false << QStringList {} << false;
    }
    void ParseOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, valid);
        QFETCH(QStringList, only);
        QFETCH(bool, quick);
        if (!valid) {
            QVERIFY_THROWS_EXCEPTION(BenchUsageError, ParseBenchOptions(ToArgs(args)));
            return;
        }
        const BenchOptions options = ParseBenchOptions(ToArgs(args));
        QCOMPARE(options.only, ToArgs(only));
        QCOMPARE(options.quick, quick);
    }

    void OnlyNarrowsTheSelection()
    {
        const BenchOptions all = ParseBenchOptions({});
        const BenchOptions some = ParseBenchOptions({"--only", "startup"});
        for (const std::string_view name : kBenchmarkNames) {
            QVERIFY(IsSelected(all, name));
            QCOMPARE(IsSelected(some, name), name == "startup");
        }
    }

    void Verdict_data()
    {
        QTest::addColumn<double>("median");
        QTest::addColumn<double>("reference");
        QTest::addColumn<double>("limit");
        QTest::addColumn<int>("verdict");
        // A reference of 0 means the target bounds the median itself.
        QTest::newRow("under a time bound") << 49.0 << 0.0 << 50.0 << int(Verdict::Met);
        QTest::newRow("at a time bound") << 50.0 << 0.0 << 50.0 << int(Verdict::Met);
        QTest::newRow("over a time bound") << 50.5 << 0.0 << 50.0 << int(Verdict::Missed);
        QTest::newRow("large figure, ratio within") << 900.0 << 400.0 << 3.0 << int(Verdict::Met);
        QTest::newRow("small figure, ratio beyond") << 31.0 << 10.0 << 3.0 << int(Verdict::Missed);
        QTest::newRow("ratio exactly at its bound") << 30.0 << 10.0 << 3.0 << int(Verdict::Met);
    }
    void Verdict()
    {
        QFETCH(double, median);
        QFETCH(double, reference);
        QFETCH(double, limit);
        QFETCH(int, verdict);
        const Measurement m
            = reference > 0 ? Compared("x", median, reference, limit) : Timed("x", median, limit);
        QCOMPARE(int(VerdictOf(m)), verdict);
    }

    void FigureWithoutTargetHasNoVerdict()
    {
        QCOMPARE(VerdictOf(Timed("x", 1e9, std::nullopt)), Verdict::NoTarget);
    }

    void JsonIsOneValidLineWithEveryFigure()
    {
        const std::vector<Measurement> results
            = {Compared("load_sprite", 300, 100, 3.0), Timed("paint_cell", 80, 50.0),
                Timed("compose_preview", 400, std::nullopt), Timed("broken", std::nan(""), 10.0)};
        const std::string json = FormatJson(results, true);
        QVERIFY(json.find('\n') == std::string::npos);

        QJsonParseError error;
        const QJsonDocument document
            = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        const QJsonObject root = document.object();
        QCOMPARE(root.value("quick").toBool(), true);

        const QJsonObject figures = root.value("results").toObject();
        QCOMPARE(figures.size(), 4);
        const QJsonObject load = figures.value("load_sprite").toObject();
        QCOMPARE(load.value("median_us").toDouble(), 300.0);
        QCOMPARE(load.value("floor_us").toDouble(), 100.0);
        QCOMPARE(load.value("ratio").toDouble(), 3.0);
        QCOMPARE(load.value("target_ratio").toDouble(), 3.0);
        QCOMPARE(load.value("pass").toBool(), true);
        QCOMPARE(load.value("runs").toInt(), 10);

        const QJsonObject paint = figures.value("paint_cell").toObject();
        QCOMPARE(paint.value("target_us").toDouble(), 50.0);
        QCOMPARE(paint.value("pass").toBool(), false);
        QVERIFY(!paint.contains("ratio"));
        QVERIFY(!figures.value("compose_preview").toObject().contains("pass"));
        QVERIFY(figures.value("broken").toObject().value("median_us").isNull());

        const QJsonArray missed = root.value("missed").toArray();
        QCOMPARE(missed.size(), 2);
        QCOMPARE(missed.at(0).toString(), QStringLiteral("paint_cell"));
        QCOMPARE(missed.at(1).toString(), QStringLiteral("broken"));
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
        QTest::addColumn<double>("wallMs");
        QTest::addColumn<double>("peakKiB");
        QTest::newRow("typical start") << 18.25 << 29220.0;
        QTest::newRow("tiny") << 0.001 << 1.0;
    }
    void LauncherReportReadsBack()
    {
        QFETCH(double, wallMs);
        QFETCH(double, peakKiB);
        const ChildRun run = ParseChildReport(FormatChildRun({wallMs, peakKiB}));
        QCOMPARE(run.wallMs, wallMs);
        QCOMPARE(run.peakKiB, peakKiB);
    }

    void LauncherErrorsAndGarbageAreRefused_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("message");
        QTest::newRow("error line")
            << QString::fromStdString(FormatChildError("x exited with status 3"))
            << "x exited with status 3";
        QTest::newRow("nothing") << ""
                                 << "";
        QTest::newRow("one figure") << "12.5\n"
                                    << "";
        QTest::newRow("cut short") << "12.5 300"
                                   << "";
        QTest::newRow("trailing words") << "12.5 300 KiB\n"
                                        << "";
    }
    void LauncherErrorsAndGarbageAreRefused()
    {
        QFETCH(QString, report);
        QFETCH(QString, message);
        try {
            ParseChildReport(report.toStdString());
            QFAIL("the report was accepted");
        } catch (const ChildProcessError& error) {
            if (!message.isEmpty())
                QCOMPARE(QString::fromUtf8(error.what()), message);
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
            QCOMPARE(
                QString::fromUtf8(error.what()), QStringLiteral("/bin/sh exited with status 5"));
        }
    }
};

QTEST_GUILESS_MAIN(BenchCoreTest)
#include "BenchCoreTest.moc"
