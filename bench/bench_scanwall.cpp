// How long a terminal scan keeps its user waiting, per scenario: the sequential order (the
// snapshot, the ten steps one after another with their probes in turn, then the search-page
// test a second time) against the scan as it runs now (the steps side by side through the
// probe gate, the last step's verdict reused), both in one run on the same simulated Mac.
//
//   bench_scanwall [--scale S] [--rounds N] [SCENARIO...]
//
// The stand-ins' waits (pings, time-outs, slow servers) are multiplied by S (default 1, real
// time); the figures are divided by S again, so they read as real seconds wherever the waits
// dominate, which a run at scale 1 next to one at a smaller scale shows. With more than one
// round the two orders alternate which goes first, and each figure is the median, the ratio
// shown with its spread. Without scenarios every built-in one runs.
#include "bench/benchsupport.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/stepschedule.h"
#include "exec/runner.h"
#include "sim/scenario.h"
#include "sim/simulatedmac.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

using namespace brevik;

namespace {

struct Options {
    double scale = 1.0;
    int rounds = 1;
    QStringList scenarios;
};

// The goals for single scenarios, in real seconds; every scenario should be 1.8x as fast.
const QMap<QString, double> kWallGoals{
    {QStringLiteral("healthy"), 8.0},
    {QStringLiteral("offline"), 15.0},
    {QStringLiteral("mtu-issue"), 60.0},
};
constexpr double kRatioGoal = 1.8;

struct Wall {
    double scan = 0;  // snapshot and steps, seconds as measured
    double total = 0; // and the verdict after them
    QStringList ids;
};

double secondsSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// One terminal scan in `pace`: the sequential one tests the search page again afterwards,
// as the terminal scan did before it reused the last step's verdict.
Wall terminalScan(ScanPace pace)
{
    QElapsedTimer timer;
    timer.start();
    DiagnosticsRun run(pace);
    run.ctx = DiagnosticsRun::buildContext();
    Wall wall;
    {
        StepSchedule steps(run);
        for (qsizetype i = 0; i < steps.size(); ++i) {
            for (const Finding &finding : steps.findings(i))
                wall.ids << finding.id;
        }
    }
    wall.scan = secondsSince(timer);
    if (pace == ScanPace::sequential || !run.webResult())
        NetVerify::bingSearch();
    wall.total = secondsSince(timer);
    return wall;
}

struct Figures {
    double sequential = 0;     // real seconds
    double sequentialScan = 0; // without the second search-page test
    double overlapped = 0;
    std::vector<double> ratios; // one per round
    bool sameFindings = true;
};

Figures measure(const SimulatedMac &mac, const Options &options)
{
    ScopedRunner scope(mac.makeRunner());
    std::vector<double> sequential, sequentialScan, overlapped;
    Figures figures;
    for (int round = 0; round < options.rounds; ++round) {
        Wall before;
        Wall after;
        if (round % 2 == 0) {
            before = terminalScan(ScanPace::sequential);
            after = terminalScan(ScanPace::overlapped);
        } else {
            after = terminalScan(ScanPace::overlapped);
            before = terminalScan(ScanPace::sequential);
        }
        sequential.push_back(before.total / options.scale);
        sequentialScan.push_back(before.scan / options.scale);
        overlapped.push_back(after.total / options.scale);
        figures.ratios.push_back(before.total / after.total);
        figures.sameFindings = figures.sameFindings && before.ids == after.ids;
    }
    figures.sequential = median(sequential);
    figures.sequentialScan = median(sequentialScan);
    figures.overlapped = median(overlapped);
    return figures;
}

std::optional<Options> parse(const QStringList &args)
{
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        bool ok = true;
        if (arg == QLatin1String("--scale"))
            options.scale = args.value(++i).toDouble(&ok);
        else if (arg == QLatin1String("--rounds"))
            options.rounds = args.value(++i).toInt(&ok);
        else if (arg.startsWith(QLatin1Char('-')))
            ok = false;
        else
            options.scenarios << arg;
        if (!ok || options.scale <= 0 || options.rounds < 1)
            return std::nullopt;
    }
    if (options.scenarios.isEmpty())
        options.scenarios = Scenario::builtInNames();
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = parse(app.arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_scanwall [--scale S] [--rounds N] [SCENARIO...]\n");
        return 2;
    }
    QTemporaryDir root;
    qputenv("BREVIK_SIM_ROOT", root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", QByteArray::number(options->scale));
    std::printf("time scale %g (figures in real seconds: wall / scale), %d round(s), "
                "each scenario a fresh simulated Mac\n\n",
                options->scale, options->rounds);
    std::printf("%-24s %11s %11s %11s %8s %13s  %s\n", "scenario", "sequential", "(its steps)",
                "overlapped", "ratio", "ratio spread", "goal");

    double lowest = 0;
    QString lowestName;
    double logSum = 0;
    bool goalsMet = true;
    for (const QString &name : options->scenarios) {
        QString error;
        const auto mac = SimulatedMac::open(name, true, &error);
        if (!mac) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(error));
            return 1;
        }
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", mac->home().toUtf8());
        const Figures figures = measure(*mac, *options);
        qputenv("HOME", home);

        const double ratio = median(figures.ratios);
        const auto [least, most] =
            std::minmax_element(figures.ratios.begin(), figures.ratios.end());
        QString goal =
            ratio >= kRatioGoal ? QStringLiteral("≥ 1.8× met") : QStringLiteral("≥ 1.8× MISSED");
        goalsMet = goalsMet && ratio >= kRatioGoal;
        if (kWallGoals.contains(name)) {
            const bool met = figures.overlapped <= kWallGoals.value(name);
            goal += QStringLiteral(", ≤ %1 s %2")
                        .arg(kWallGoals.value(name))
                        .arg(met ? "met" : "MISSED");
            goalsMet = goalsMet && met;
        }
        if (!figures.sameFindings)
            goal += QStringLiteral(", FINDINGS DIFFER");
        std::printf("%-24s %9.1f s %9.1f s %9.1f s %7.2f× %6.2f–%.2f×  %s\n", qPrintable(name),
                    figures.sequential, figures.sequentialScan, figures.overlapped, ratio, *least,
                    *most, qPrintable(goal));
        std::fflush(stdout);
        if (lowestName.isEmpty() || ratio < lowest) {
            lowest = ratio;
            lowestName = name;
        }
        logSum += std::log(ratio);
    }
    std::printf("\nlowest ratio %.2f× (%s), geometric mean %.2f×; goals %s\n", lowest,
                qPrintable(lowestName), std::exp(logSum / double(options->scenarios.size())),
                goalsMet ? "met" : "MISSED");
    return 0;
}
