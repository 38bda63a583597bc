// A batch repair of the residual-proxy Mac (stand-ins answering at once) with the repair
// journal and without it, paired run by run in random order. What recording costs is the
// difference; the commands it adds must be one query per setting the batch changes, and
// nothing else.
#include "bench/benchsupport.h"
#include "bench/simbench.h"
#include "diagnostics/diagnosticsrun.h"
#include "exec/runner.h"
#include "repair/opeffect.h"
#include "repair/recording.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>

using namespace brevik;

namespace {

class CountingRunner : public Runner {
public:
    explicit CountingRunner(std::shared_ptr<Runner> inner) : m_inner(std::move(inner)) {}
    ShellResult run(const QString &command, double timeout) override
    {
        ++m_count;
        return m_inner->run(command, timeout);
    }
    int count() const { return m_count; }

private:
    std::shared_ptr<Runner> m_inner;
    std::atomic<int> m_count{0};
};

struct Run {
    double ms = 0;
    int commands = 0;
};

// One batch repair on a fresh residual-proxy Mac.
Run batch(const QList<Finding> &targets, bool journaled)
{
    const auto mac = SimulatedMac::open(QStringLiteral("residual-proxy"), true);
    if (!mac)
        return {};
    qputenv("HOME", mac->home().toUtf8());
    auto counter = std::make_shared<CountingRunner>(mac->makeRunner());
    ScopedRunner scope(counter);
    const Journal journal(Journal::pathIn(mac->home()));
    QElapsedTimer timer;
    timer.start();
    if (journaled)
        Recording::applyAll(targets, {}, RepairOrigin::window, journal);
    else
        FixEngine::applyAll(targets, {});
    return {double(timer.nsecsElapsed()) / 1e6, counter->count()};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 15;
    QTemporaryDir root;
    const auto mac = openInstantMac(root, QStringLiteral("residual-proxy"));
    if (!mac)
        return 1;
    QList<Finding> targets;
    int changed = 0;
    {
        ScopedRunner scope(mac->makeRunner());
        DiagnosticsRun run;
        run.ctx = DiagnosticsRun::buildContext();
        for (const ScanStep &step : run.steps()) {
            for (const Finding &finding : step.run()) {
                if (finding.isProblem() && finding.fix) {
                    targets << finding;
                    changed += int(OpEffects::changedSettings(finding.fix->operations).size());
                }
            }
        }
    }

    Run plain, journaled;
    const PairedRuns runs = runPaired(
        pairs,
        [&] {
            journaled = batch(targets, true);
            return journaled.ms;
        },
        [&] {
            plain = batch(targets, false);
            return plain.ms;
        });
    const int added = journaled.commands - plain.commands;
    std::printf("repairs in the batch %lld, settings they change %d\n",
                static_cast<long long>(targets.size()), changed);
    std::printf("commands: %d without the journal, %d with it: %+d   (goal: +%d, one query per "
                "setting)\n",
                plain.commands, journaled.commands, added, changed);
    // Recording may cost what its queries cost, and little more.
    const QByteArray goal =
        QStringLiteral("median <= %1, the command count's ratio")
            .arg(double(journaled.commands) / std::max(1, plain.commands), 0, 'f', 2)
            .toUtf8();
    printPaired("batch repair with the journal", "the same batch without it", "ms", runs,
                goal.constData());
    return added == changed ? 0 : 1;
}
