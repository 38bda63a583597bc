// shell("true") against a bare posix_spawn of the same command with what the runner must
// do at least (own process group, default signals, one pipe read to its end, a blocking
// waitpid), paired call by call in random order.
//
//   bench_shell [PAIRS] [--busy]    --busy: one spinning thread per core during the run,
//                                   so both sides meet a machine with no idle core.
#include "bench/benchsupport.h"
#include "exec/childplatform.h"
#include "exec/shell.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// The same environment shell gives its child: the current one with PATH and LC_ALL set.
std::vector<std::string> baselineEnvironment()
{
    std::vector<std::string> env{std::string("PATH=") + kCommandPath,
                                 std::string("LC_ALL=") + kCommandLocale};
    for (char **e = environ; *e; ++e) {
        if (std::strncmp(*e, "PATH=", 5) != 0 && std::strncmp(*e, "LC_ALL=", 7) != 0)
            env.emplace_back(*e);
    }
    return env;
}

int bareSpawn(std::vector<char *> &envp)
{
    int fds[2];
    if (!ChildPlatform::openPipe(fds))
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    ChildPlatform::prepareSpawn(&actions, &flags);
    posix_spawnattr_setflags(&attr, flags);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t set;
    sigemptyset(&set);
    posix_spawnattr_setsigmask(&attr, &set);
    sigaddset(&set, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &set);
    char bash[] = "/bin/bash", c[] = "-c", cmd[] = "true";
    char *argv[] = {bash, c, cmd, nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, bash, &actions, &attr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return -1;
    }
    char buf[4096];
    for (;;) {
        pollfd pfd{fds[0], POLLIN, 0};
        if (poll(&pfd, 1, -1) < 0 || read(fds[0], buf, sizeof buf) <= 0)
            break;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WEXITSTATUS(status);
}

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
    const auto envStore = baselineEnvironment();
    std::vector<char *> envp;
    for (const auto &e : envStore)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);

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
        bareSpawn(envp);
    }
    const PairedRuns runs = runPaired(
        pairs, [] { return microseconds([] { shell(QStringLiteral("true")); }); },
        [&envp] { return microseconds([&envp] { bareSpawn(envp); }); });
    spinning = false;
    for (auto &thread : spinners)
        thread.join();

    std::printf("bench_shell%s: one command, /bin/bash -c true\n", busy ? " --busy" : "");
    printPaired("shell(\"true\")", "bare posix_spawn + pipe + waitpid", "us", runs,
                "median <= 1.05");
    return 0;
}
