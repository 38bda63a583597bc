#include "exec/childprocess.h"

#include "exec/childgroups.h"
#include "exec/childplatform.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace brevik {

namespace ChildProcess {
namespace {

// After the deadline the child gets SIGTERM; whatever still holds a pipe or refuses to die
// this long afterwards gets SIGKILL, so no command outlives its limit by much more.
constexpr auto kGraceAfterTerm = std::chrono::milliseconds(1000);

// The deadline's stop policy, the one place it is written: SIGTERM first, SIGKILL if the
// child (or its group) is still there, or still holds a pipe, after the grace.
struct Stop {
    pid_t target = 0; // the child, or minus its group
    std::optional<Clock::time_point> deadline;
    bool terminated = false;

    // Milliseconds until the deadline, for poll: -1 without one.
    int msLeft() const
    {
        if (!deadline)
            return -1;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
        return left.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), 1 << 30));
    }

    // Called when the deadline has passed. False once SIGKILL went: waiting is over.
    bool escalate()
    {
        if (terminated) {
            kill(target, SIGKILL);
            return false;
        }
        kill(target, SIGTERM);
        terminated = true;
        deadline = Clock::now() + kGraceAfterTerm;
        return true;
    }
};

struct Spawned {
    pid_t pid = 0;
    int pipes[2] = {-1, -1}; // read ends: stdout (or both), stderr
    int count = 0;
};

// Starts the program with default signals and none blocked (the program may block signals
// in its own threads, to take them on one thread). Returns 0 or the error that kept it
// from starting.
int spawn(const Request &request, Spawned *child)
{
    QList<QByteArray> argStore = request.argv;
    std::vector<char *> argv;
    for (QByteArray &arg : argStore)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> envStore = request.environment;
    std::vector<char *> envp;
    for (QByteArray &entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const int wanted = request.streams == Streams::apart    ? 2
                       : request.streams == Streams::merged ? 1
                                                            : 0;
    int writeEnds[2] = {-1, -1};
    for (int i = 0; i < wanted; ++i) {
        int fds[2];
        if (!ChildPlatform::openPipe(fds)) {
            const int error = errno;
            for (int j = 0; j < i; ++j) {
                close(child->pipes[j]);
                close(writeEnds[j]);
            }
            return error;
        }
        child->pipes[i] = fds[0];
        writeEnds[i] = fds[1];
    }
    child->count = wanted;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (wanted > 0) {
        posix_spawn_file_actions_adddup2(&actions, writeEnds[0], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, writeEnds[wanted - 1], STDERR_FILENO);
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    if (request.ownGroup)
        flags |= POSIX_SPAWN_SETPGROUP;
    ChildPlatform::prepareSpawn(&actions, &flags, request.streams == Streams::inherited);
    posix_spawnattr_setflags(&attr, flags);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGQUIT})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    sigset_t noMask;
    sigemptyset(&noMask);
    posix_spawnattr_setsigmask(&attr, &noMask);

    const int spawned =
        posix_spawn(&child->pid, argv.front(), &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    for (int i = 0; i < wanted; ++i)
        close(writeEnds[i]);
    if (spawned != 0) {
        for (int i = 0; i < wanted; ++i)
            close(child->pipes[i]);
        child->count = 0;
    }
    return spawned;
}

// Reads every pipe until end of file, or until the stop policy gives up on a pipe that a
// grandchild ignoring SIGTERM still holds. Past the limit a pipe is still drained, so the
// child is never blocked on it, but one runaway line costs megabytes, not gigabytes.
void collect(const Spawned &child, Stop &stop, qsizetype limit, Outcome &outcome)
{
    pollfd fds[2] = {{child.pipes[0], POLLIN, 0}, {child.pipes[1], POLLIN, 0}};
    QByteArray *sinks[2] = {&outcome.out, &outcome.err};
    int open = child.count;
    char buffer[16384];
    while (open > 0) {
        const int ready = poll(fds, nfds_t(child.count), stop.msLeft());
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready == 0) {
            if (stop.escalate())
                continue;
            break;
        }
        for (int i = 0; i < child.count; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                const qsizetype room = limit - sinks[i]->size();
                sinks[i]->append(buffer, std::min<qsizetype>(n, room));
                outcome.truncated = outcome.truncated || n > room;
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// Kernels older than pidfds (Linux 5.3): ask without waiting, with short naps that start
// at microseconds (a child usually exits right after closing its output) and back off.
bool napUntilExit(pid_t pid, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto nap = std::chrono::microseconds(20);
    for (;;) {
        siginfo_t info{};
        if (waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(nap);
        nap = std::min<std::chrono::microseconds>(nap * 2, std::chrono::milliseconds(5));
    }
}

bool exitsWithin(pid_t pid, int timeoutMs)
{
    switch (ChildPlatform::waitForExit(pid, timeoutMs)) {
    case ChildPlatform::ExitWait::exited:
        return true;
    case ChildPlatform::ExitWait::timedOut:
        return false;
    case ChildPlatform::ExitWait::unavailable:
        break;
    }
    return napUntilExit(pid, timeoutMs);
}

// Waits for the child and returns its wait status (-1: lost). A child that closed its output
// early may still run: it is held to the same deadline as the read.
int reap(pid_t pid, bool ownGroup, Stop &stop)
{
    while (stop.deadline && !exitsWithin(pid, stop.msLeft())) {
        if (!stop.escalate())
            break;
    }
    if (ownGroup) {
        // An interrupted program leaves nothing of the command behind, not even a grandchild
        // that ignored SIGTERM. Forgotten before it is reaped: until then its group id cannot
        // be reused, so an interrupt that still finds it signals nobody else.
        if (ChildGroups::stopping())
            kill(-pid, SIGKILL);
        ChildGroups::remove(pid);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return status;
}

} // namespace

std::vector<QByteArray> environmentWith(const QList<QByteArray> &set)
{
    std::vector<QByteArray> env(set.cbegin(), set.cend());
    QList<QByteArray> names;
    for (const QByteArray &entry : set)
        names << entry.left(entry.indexOf('=') + 1);
    for (char **entry = environ; entry && *entry; ++entry) {
        const QByteArray kv(*entry);
        if (!names.contains(kv.left(kv.indexOf('=') + 1)))
            env.push_back(kv);
    }
    return env;
}

Outcome run(const Request &request)
{
    Outcome outcome;
    // An interrupted program starts nothing new: a repair stops where it was interrupted.
    if (ChildGroups::stopping()) {
        outcome.error = ECANCELED;
    } else {
        Spawned child;
        outcome.error = spawn(request, &child);
        if (outcome.error == 0) {
            if (request.ownGroup && !ChildGroups::add(child.pid))
                kill(-child.pid, SIGTERM);
            Stop stop{request.ownGroup ? -child.pid : child.pid, request.deadline};
            collect(child, stop, request.outputLimit, outcome);
            for (int i = 0; i < child.count; ++i)
                close(child.pipes[i]);
            const int status = reap(child.pid, request.ownGroup, stop);
            // A child the deadline signalled has timed out, whatever status it then ended with.
            if (status < 0) {
                outcome.end = ProcessEnd::failedToStart;
                outcome.code = -1;
            } else if (WIFSIGNALED(status)) {
                outcome.end = stop.terminated ? ProcessEnd::timedOut : ProcessEnd::signalled;
                outcome.code = WTERMSIG(status);
            } else {
                outcome.end = stop.terminated ? ProcessEnd::timedOut : ProcessEnd::exited;
                outcome.code = WEXITSTATUS(status);
            }
            return outcome;
        }
    }
    outcome.end = ProcessEnd::failedToStart;
    outcome.code = -1;
    return outcome;
}

} // namespace ChildProcess

} // namespace brevik
