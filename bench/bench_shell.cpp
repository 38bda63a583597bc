// shell("true") against a bare posix_spawn + pipe + read + waitpid of the same command,
// interleaved in one run so that both sides see the same machine.
#include "exec/shell.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
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

int bareSpawn(const std::vector<std::string> &envStore)
{
    std::vector<char *> envp;
    for (const auto &e : envStore)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    char bash[] = "/bin/bash", c[] = "-c", cmd[] = "true";
    char *argv[] = {bash, c, cmd, nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, bash, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return -1;
    }
    char buf[4096];
    while (read(fds[0], buf, sizeof buf) > 0) {
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WEXITSTATUS(status);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 40;
    const int perRound = 25;
    const auto env = baselineEnvironment();
    std::vector<double> ours, bare;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = Clock::now();
        for (int i = 0; i < perRound; ++i)
            shell(QStringLiteral("true"));
        auto t1 = Clock::now();
        for (int i = 0; i < perRound; ++i)
            bareSpawn(env);
        auto t2 = Clock::now();
        ours.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count() / perRound);
        bare.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count() / perRound);
    }
    const double o = median(ours), b = median(bare);
    std::printf("shell(\"true\")           median %.1f us per call\n", o);
    std::printf("bare posix_spawn+pipe   median %.1f us per call\n", b);
    std::printf("ratio shell/bare        %.3f (goal <= 1.2)\n", o / b);
    return 0;
}
