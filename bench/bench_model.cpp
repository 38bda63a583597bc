// How long the window's thread can be held up by the model: a 1 ms heartbeat on the main
// thread records its longest gap while a whole scan, a batch repair with its rescan and
// guardian checks every 100 ms run on a simulated Mac whose stand-ins answer at once. The
// baseline is the same heartbeat, in the same round, with the model at rest. The launchctl
// query of startGuardianIfNeeded blocks the main thread by design and is timed on its own.
#include "appmodel/appmodel.h"
#include "bench/benchsupport.h"
#include "bench/simbench.h"
#include "guardian/proxyguardian.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <time.h>

using namespace brevik;

using namespace std::chrono_literals;

namespace {

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The longest time between two turns of the main thread's event loop, and the most CPU time
// the main thread itself spent between two turns: the rest of a gap it was not running, on a
// busy machine mostly waiting for a core.
class Heartbeat {
public:
    struct Gaps {
        double wallMs = 0;
        double cpuMs = 0;
    };

    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { beat(); });
    }

    void start()
    {
        m_longest = {};
        m_clock.start();
        m_lastNs = 0;
        m_lastCpuNs = threadCpuNs();
        m_timer.start();
    }

    Gaps stop()
    {
        beat();
        m_timer.stop();
        return {double(m_longest.wallNs) / 1e6, double(m_longest.cpuNs) / 1e6};
    }

private:
    void beat()
    {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        m_longest.wallNs = std::max(m_longest.wallNs, now - m_lastNs);
        m_longest.cpuNs = std::max(m_longest.cpuNs, cpu - m_lastCpuNs);
        m_lastNs = now;
        m_lastCpuNs = cpu;
    }

    struct {
        qint64 wallNs = 0;
        qint64 cpuNs = 0;
    } m_longest;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_lastCpuNs = 0;
};

void runUntil(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

struct Round {
    double scanMs = 0;
    double busyGapMs = 0;
    double busyCpuMs = 0; // the main thread's own share of its longest stretch
    double idleGapMs = 0;
    double guardStartMs = 0; // startGuardianIfNeeded, launchctl included
};

// A scan, a batch repair of the hijacked hosts entry (behind the password prompt) and the
// rescan that follows it, with the guardian checking all along.
Round measureOnce(const QTemporaryDir &root)
{
    Round round;
    const auto mac = openInstantMac(root, QStringLiteral("hosts-hijack"));
    if (!mac)
        return round;
    mac->activate();
    ProxyGuardian guardian(mac->home());
    AppModel model(guardian, AppModel::Pacing{100ms, 1200ms});
    Heartbeat heartbeat;

    QElapsedTimer clock;
    clock.start();
    model.startGuardianIfNeeded();
    round.guardStartMs = double(clock.nsecsElapsed()) / 1e6;

    clock.restart();
    heartbeat.start();
    model.scan();
    runUntil([&] { return !model.scanning() && !model.netChecking(); });
    round.scanMs = model.scanSeconds() * 1000.0;
    bool rescanStarted = false;
    const auto watch = QObject::connect(&model, &AppModel::scanningChanged,
                                        [&] { rescanStarted = rescanStarted || model.scanning(); });
    model.fixAll();
    runUntil([&] { return rescanStarted && !model.scanning() && !model.netChecking(); });
    QObject::disconnect(watch);
    const Heartbeat::Gaps busy = heartbeat.stop();
    round.busyGapMs = busy.wallMs;
    round.busyCpuMs = busy.cpuMs;
    const qint64 busyMs = clock.elapsed();

    model.toggleGuardian();
    AppModel::waitForBackgroundWork(60s);
    heartbeat.start();
    QElapsedTimer idle;
    idle.start();
    runUntil([&] { return idle.elapsed() >= busyMs; });
    round.idleGapMs = heartbeat.stop().wallMs;
    return round;
}

std::vector<double> pick(const std::vector<Round> &rounds, double Round::*field)
{
    std::vector<double> values;
    for (const Round &round : rounds)
        values.push_back(round.*field);
    return values;
}

void report(const char *name, const std::vector<double> &values)
{
    std::printf("%-44s median %7.1f ms   min %7.1f   max %7.1f\n", name, median(values),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir root;
    std::vector<Round> results;
    for (int i = 0; i < rounds; ++i)
        results.push_back(measureOnce(root));

    const std::vector<double> busy = pick(results, &Round::busyGapMs);
    const std::vector<double> idle = pick(results, &Round::idleGapMs);
    std::printf("rounds                                       %d\n", rounds);
    report("whole scan (scanSeconds)", pick(results, &Round::scanMs));
    report("longest main-thread gap, model working", busy);
    report("main thread's own CPU in one stretch, working", pick(results, &Round::busyCpuMs));
    report("longest main-thread gap, model at rest", idle);
    report("startGuardianIfNeeded (main thread, by design)", pick(results, &Round::guardStartMs));
    std::printf("worst stall while working %.1f ms (goal < 16 ms), %.1fx the resting gap\n",
                *std::max_element(busy.begin(), busy.end()), median(busy) / median(idle));
    return 0;
}
