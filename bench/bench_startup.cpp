// How soon the application shows something: it starts `brevik` with its window on the
// simulated Mac (offscreen) and times, from the start of the process, the window's first
// paint and the first finding the model publishes; the window's start-up trace
// (BREVIK_TRACE_STARTUP=1) reports both on standard error and then quits. Paired with each
// start, in random order, the baseline: the same executable's `--guard-status` from start to
// end, a start that loads no window and makes one guardian check.
//
//   bench_startup [PAIRS]
#include "bench/benchsupport.h"
#include "bench/simbench.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace brevik;

namespace {

using Clock = std::chrono::steady_clock;

struct Start {
    int code = -1;
    double firstPaintMs = -1;
    double firstFindingMs = -1;
    double endMs = 0;
};

double since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Starts `argv` with `env`, reads its standard error line by line as it comes and notes
// when the trace lines arrive; standard output is discarded.
Start startTraced(const QStringList &argv, const SpawnEnvironment &env)
{
    std::vector<QByteArray> store;
    std::vector<char *> args;
    for (const QString &a : argv)
        store.push_back(a.toUtf8());
    for (QByteArray &a : store)
        args.push_back(a.data());
    args.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    Start run;
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.envp());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return run;
    }
    QByteArray pending;
    char buffer[4096];
    for (;;) {
        pollfd readable{fds[0], POLLIN, 0};
        if (poll(&readable, 1, 60000) <= 0)
            break;
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        pending.append(buffer, got);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line.startsWith("brevik-startup: first paint"))
                run.firstPaintMs = since(start);
            else if (line.startsWith("brevik-startup: first finding"))
                run.firstFindingMs = since(start);
        }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.endMs = since(start);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QTemporaryDir root;
    if (!openInstantHealthyMac(root))
        return 1;
    const QString brevik =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/brevik");
    QStringList entries = healthyMacEnvironment(root.path());
    entries << QStringLiteral("QT_QPA_PLATFORM=offscreen")
            << QStringLiteral("BREVIK_TRACE_STARTUP=1");
    const SpawnEnvironment env(entries);

    bool ok = true;
    std::vector<double> finding;
    const PairedRuns paint = runPaired(
        pairs,
        [&] {
            const Start shown = startTraced({brevik}, env);
            ok = ok && shown.code == 0 && shown.firstPaintMs >= 0 && shown.firstFindingMs >= 0;
            finding.push_back(shown.firstFindingMs);
            return shown.firstPaintMs;
        },
        [&] {
            const Start checked = startTraced({brevik, QStringLiteral("--guard-status")}, env);
            ok = ok && checked.code == 0;
            return checked.endMs;
        });
    if (!ok) {
        std::fprintf(stderr, "a start failed\n");
        return 1;
    }
    PairedRuns found{finding, paint.baseline, {}};
    for (size_t i = 0; i < finding.size(); ++i)
        found.ratio.push_back(finding[i] / paint.baseline[i]);

    std::printf("bench_startup: from process start, on an instant simulated healthy Mac, "
                "offscreen; the baseline is the same executable's --guard-status, start to end\n");
    printPaired("window: first paint", "brevik --guard-status", "ms", paint,
                "none; a window start against a start without one");
    printPaired("window: first finding", "brevik --guard-status", "ms", found,
                "none; the scan's snapshot and first check included");
    return 0;
}
