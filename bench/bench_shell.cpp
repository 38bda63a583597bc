// shell("true") against a bare posix_spawn of the same command with what the runner must
// do at least (own process group, default signals, one pipe read to its end, a blocking
// waitpid), paired call by call in random order.
//
//   bench_shell [PAIRS] [--busy]    --busy: one spinning thread per core during the run,
//                                   so both sides meet a machine with no idle core.
#include "bench/benchsupport.h"
#include "exec/shell.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

using namespace brevik;

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(const std::function<void()> &call)
{
    const auto start = Clock::now();
    call();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int pairs = 2000;
    bool busy = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--busy") == 0)
            busy = true;
        else
            pairs = std::atoi(argv[i]);
    }
    // The same environment shell gives its child: this one with PATH and LC_ALL set.
    const SpawnEnvironment env(
        environmentWith({QStringLiteral("PATH=") + QString::fromLatin1(kCommandPath),
                         QStringLiteral("LC_ALL=") + QString::fromLatin1(kCommandLocale)}));

    std::atomic<bool> spinning{busy};
    std::vector<std::thread> spinners;
    for (unsigned i = 0; busy && i < std::max(1u, std::thread::hardware_concurrency()); ++i)
        spinners.emplace_back([&spinning] {
            while (spinning.load(std::memory_order_relaxed)) {
            }
        });

    // Warm both paths (page cache, dynamic loader) before anything counts.
    for (int i = 0; i < 20; ++i) {
        shell(QStringLiteral("true"));
        spawnAndDrain("true", env);
    }
    const PairedRuns runs = runPaired(
        pairs, [] { return microseconds([] { shell(QStringLiteral("true")); }); },
        [&env] { return microseconds([&env] { spawnAndDrain("true", env); }); });
    spinning = false;
    for (auto &thread : spinners)
        thread.join();

    std::printf("bench_shell%s: one command, /bin/bash -c true\n", busy ? " --busy" : "");
    printPaired("shell(\"true\")", "bare posix_spawn + pipe + waitpid", "us", runs,
                "median <= 1.05");
    return 0;
}
