// A whole healthy scan on the simulated Mac, whose stand-ins answer at once, against the
// same commands run without Brevik, paired run by run in random order:
//
//  1. in one process: the scan in the sequential order (snapshot and ten checks one after
//     another) against a replay of the commands it ran, each started with posix_spawn as
//     the runner starts it, in the same arrangement (one after another; the six AI services
//     side by side);
//  2. as whole processes: `brevik --scan --json` against a bash script of the commands it
//     runs, in its arrangement: the snapshot, then the ten steps side by side, each step's
//     commands in turn (brevik also overlaps a few probes within a step, which the script
//     does not, so brevik's share is, if anything, understated by a few spawns).
//
// What the scan costs beyond its commands is the difference.
//
//   bench_scan [PAIRS]
#include "bench/benchsupport.h"
#include "bench/simbench.h"
#include "diagnostics/diagnosticsrun.h"
#include "exec/runner.h"
#include "exec/shell.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <thread>
#include <vector>

using namespace brevik;

namespace {

// Passes every command on and keeps its text, as the shell will see it.
class RecordingRunner : public Runner {
public:
    explicit RecordingRunner(std::shared_ptr<SimulatedMacRunner> inner) : m_inner(std::move(inner))
    {
    }

    ShellResult run(const QString &command, double timeout) override
    {
        const QString mapped = m_inner->mapPaths(command);
        {
            QMutexLocker lock(&m_mutex);
            m_commands << mapped;
        }
        return m_inner->run(command, timeout);
    }

    QStringList commands() const
    {
        QMutexLocker lock(&m_mutex);
        return m_commands;
    }

private:
    std::shared_ptr<SimulatedMacRunner> m_inner;
    mutable QMutex m_mutex;
    QStringList m_commands;
};

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void scan()
{
    DiagnosticsRun run(ScanPace::sequential);
    run.ctx = DiagnosticsRun::buildContext();
    for (const ScanStep &step : run.steps())
        step.run();
}

// The scan in the sequential order, its commands apart: the snapshot's, then each step's.
std::vector<QStringList> scanByStep(const RecordingRunner &recorder)
{
    std::vector<QStringList> parts;
    qsizetype taken = 0;
    const auto cut = [&] {
        const QStringList all = recorder.commands();
        parts.push_back(all.mid(taken));
        taken = all.size();
    };
    DiagnosticsRun run(ScanPace::sequential);
    run.ctx = DiagnosticsRun::buildContext();
    cut();
    for (const ScanStep &step : run.steps()) {
        step.run();
        cut();
    }
    return parts;
}

// The commands in the order the scan runs them: a step is one command, or the AI check's
// services side by side, each service's probes one after another.
struct Step {
    QByteArray command;
    std::vector<std::vector<QByteArray>> sideBySide;
};

std::vector<Step> plan(const QStringList &commands)
{
    // The AI probes: curl with -m 6, one URL per service.
    static const QRegularExpression aiProbe(
        QStringLiteral("^curl -s -o /dev/null -m 6 .* '(https://[^']+)'$"));
    std::vector<Step> steps;
    QStringList urls;
    std::optional<size_t> aiStep;
    for (const QString &command : commands) {
        const auto match = aiProbe.match(command);
        if (!match.hasMatch()) {
            steps.push_back({command.toUtf8(), {}});
            continue;
        }
        if (!aiStep) {
            aiStep = steps.size();
            steps.push_back({});
        }
        const QString url = match.captured(1);
        if (!urls.contains(url)) {
            urls << url;
            steps[*aiStep].sideBySide.emplace_back();
        }
        steps[*aiStep].sideBySide[urls.indexOf(url)].push_back(command.toUtf8());
    }
    return steps;
}

void replay(const std::vector<Step> &steps, const SpawnEnvironment &env)
{
    for (const Step &step : steps) {
        if (step.sideBySide.empty()) {
            spawnAndDrain(step.command, env);
            continue;
        }
        std::vector<std::thread> services;
        for (const auto &probes : step.sideBySide)
            services.emplace_back([&probes, &env] {
                for (const QByteArray &probe : probes)
                    spawnAndDrain(probe, env);
            });
        for (auto &service : services)
            service.join();
    }
}

// The same plan as a bash script: side-by-side services as background subshells.
QStringList script(const std::vector<Step> &steps)
{
    const auto line = [](const QByteArray &command) {
        return QStringLiteral("/bin/bash -c ") + shellQuote(QString::fromUtf8(command)) +
               QStringLiteral(" >/dev/null 2>&1");
    };
    QStringList lines;
    for (const Step &step : steps) {
        if (step.sideBySide.empty()) {
            lines << line(step.command);
            continue;
        }
        for (const auto &probes : step.sideBySide) {
            QStringList group;
            for (const QByteArray &probe : probes)
                group << line(probe);
            lines << QStringLiteral("( ") + group.join(QStringLiteral("; ")) +
                         QStringLiteral(" ) &");
        }
        lines << QStringLiteral("wait");
    }
    return lines;
}

// `brevik --scan` as a script: the snapshot, then each step as a group of its own, the
// groups side by side.
QStringList scanScript(const std::vector<QStringList> &parts)
{
    QStringList lines = script(plan(parts.front()));
    for (size_t i = 1; i < parts.size(); ++i) {
        // Two steps judge the snapshot alone, and bash takes no empty group.
        if (parts.at(i).isEmpty())
            continue;
        lines << QStringLiteral("(");
        lines += script(plan(parts.at(i)));
        lines << QStringLiteral(") &");
    }
    lines << QStringLiteral("wait");
    return lines;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 9;
    QTemporaryDir root;
    const auto mac = openInstantHealthyMac(root);
    if (!mac)
        return 1;
    qputenv("HOME", mac->home().toUtf8());
    const auto runner = mac->makeRunner();

    // What the runner gives each command, for the replay and the script alike.
    QStringList settings{QStringLiteral("PATH=") + mac->binDir() + QLatin1Char(':') +
                             QString::fromLatin1(kCommandPath),
                         QStringLiteral("LC_ALL=") + QString::fromLatin1(kCommandLocale)};
    for (const auto &[key, value] : runner->setting().environment)
        settings << key + QLatin1Char('=') + value;
    const SpawnEnvironment commandEnv(environmentWith(settings));

    auto recorder = std::make_shared<RecordingRunner>(runner);
    std::vector<QStringList> parts;
    {
        ScopedRunner scope(recorder);
        parts = scanByStep(*recorder);
    }
    const std::vector<Step> scanSteps = plan(recorder->commands());
    std::printf("bench_scan: healthy simulated Mac, %lld commands per scan\n",
                static_cast<long long>(recorder->commands().size()));

    {
        ScopedRunner scope(runner);
        const PairedRuns runs = runPaired(
            pairs,
            [] {
                QElapsedTimer timer;
                timer.start();
                scan();
                return msSince(timer);
            },
            [&] {
                QElapsedTimer timer;
                timer.start();
                replay(scanSteps, commandEnv);
                return msSince(timer);
            });
        std::printf("in one process\n");
        printPaired("scan", "replay of its commands (posix_spawn)", "ms", runs, "median <= 1.10");
    }

    const QString brevik =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/brevik");
    const ScriptFile baseline(scanScript(parts));
    const QStringList brevikEnv = healthyMacEnvironment(root.path());
    const QStringList scriptEnv = environmentWith(settings);
    const ProcessPairs measured =
        pairProcesses(pairs, {brevik, QStringLiteral("--scan"), QStringLiteral("--json")},
                      brevikEnv, baseline.path(), scriptEnv);
    std::printf("as whole processes\n");
    printPaired("brevik --scan --json", "bash script of the same commands", "ms", measured.runs,
                "median <= 1.15");
    if (!measured.ok) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    return 0;
}
