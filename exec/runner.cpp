#include "exec/runner.h"

#include "exec/childgroups.h"
#include "exec/childplatform.h"
#include "exec/shell.h"

#include <QByteArray>
#include <QStringDecoder>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// After the deadline the group gets SIGTERM; whatever still holds the pipe or refuses to
// die this long afterwards gets SIGKILL, so no command outlives its limit by much more.
constexpr auto kGraceAfterTerm = std::chrono::milliseconds(1000);

std::mutex g_runnerMutex;
std::shared_ptr<Runner> g_runner;

int msUntil(Clock::time_point when)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), 1 << 30));
}

std::vector<QByteArray> childEnvironment(const ProcessRunner::Options &options)
{
    QStringList path = options.pathPrefix;
    path << QString::fromLatin1(kCommandPath);
    std::vector<QByteArray> env;
    env.push_back("PATH=" + path.join(QLatin1Char(':')).toUtf8());
    env.push_back(QByteArray("LC_ALL=") + kCommandLocale);
    QList<QByteArray> replaced{"PATH", "LC_ALL"};
    for (const auto &[key, value] : options.extraEnv) {
        env.push_back(key.toUtf8() + '=' + value.toUtf8());
        replaced << key.toUtf8();
    }
    for (char **entry = environ; entry && *entry; ++entry) {
        const QByteArray kv(*entry);
        const QByteArray key = kv.left(kv.indexOf('='));
        if (!replaced.contains(key))
            env.push_back(kv);
    }
    return env;
}

int terminationStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return WTERMSIG(status);
    return status;
}

ShellResult startFailure(int error)
{
    return {-1, QStringLiteral("无法启动命令: ") + QString::fromLocal8Bit(std::strerror(error))};
}

// Starts `/bin/bash -c COMMAND` in a process group of its own, stdout and stderr on one
// pipe. Returns 0 or the error that kept it from starting.
int spawnBash(const QByteArray &command, std::vector<QByteArray> &envStore, pid_t *pid, int *output)
{
    std::vector<char *> envp;
    envp.reserve(envStore.size() + 1);
    for (auto &entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    char bash[] = "/bin/bash";
    char dashC[] = "-c";
    std::vector<char *> argv{bash, dashC, const_cast<char *>(command.constData()), nullptr};

    int fds[2];
    if (!ChildPlatform::openPipe(fds))
        return errno;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    ChildPlatform::prepareSpawn(&actions, &flags);
    posix_spawnattr_setflags(&attr, flags);
    posix_spawnattr_setpgroup(&attr, 0); // own group: the deadline ends grandchildren too
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGQUIT})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    // The program may block signals in its own threads (to take them on one thread); a
    // command must start with none blocked.
    sigset_t noMask;
    sigemptyset(&noMask);
    posix_spawnattr_setsigmask(&attr, &noMask);

    const int spawned = posix_spawn(pid, bash, &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return spawned;
    }
    *output = fds[0];
    return 0;
}

// What a command printed, and how far its deadline got.
struct Collected {
    QByteArray bytes;
    bool truncated = false;
    bool terminated = false;
    Clock::time_point deadline;
};

// Reads the pipe until end of file. At the deadline the group gets SIGTERM; if the pipe is
// still open after the grace, SIGKILL, and reading stops.
Collected collectOutput(pid_t pid, int output, Clock::time_point deadline)
{
    Collected c;
    c.deadline = deadline;
    char buffer[16384];
    for (;;) {
        pollfd pfd{output, POLLIN, 0};
        const int ready = poll(&pfd, 1, msUntil(c.deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready == 0) {
            if (!c.terminated) {
                kill(-pid, SIGTERM);
                c.terminated = true;
                c.deadline = Clock::now() + kGraceAfterTerm;
                continue;
            }
            // A grandchild ignores SIGTERM and holds the pipe: stop waiting for it.
            kill(-pid, SIGKILL);
            break;
        }
        const ssize_t n = read(output, buffer, sizeof buffer);
        if (n > 0) {
            // Past the limit the pipe is still drained, so the command is never blocked on
            // it, but one runaway line costs megabytes, not gigabytes.
            const qsizetype room = ProcessRunner::kOutputLimit - c.bytes.size();
            c.bytes.append(buffer, std::min<qsizetype>(n, room));
            c.truncated = c.truncated || n > room;
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    return c;
}

// Past the limit only whole lines are kept, so that no parser reads a value cut in half; a
// single line longer than the limit is cut where a character ends.
void cutAtLineEnd(QByteArray &bytes)
{
    const qsizetype lineEnd = bytes.lastIndexOf('\n');
    if (lineEnd >= 0) {
        bytes.truncate(lineEnd + 1);
        return;
    }
    qsizetype lead = bytes.size();
    while (lead > 0 && bytes.size() - lead < 4 && (uchar(bytes.at(lead - 1)) & 0xC0) == 0x80)
        --lead;
    if (lead == 0)
        return;
    const uchar first = uchar(bytes.at(lead - 1));
    const qsizetype length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (bytes.size() - (lead - 1) < length)
        bytes.truncate(lead - 1);
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

// Waits for the child, blocking. A bash that closed its output early may still run: it is
// held to the same deadline as the read.
int reap(pid_t pid, Clock::time_point deadline, bool terminated)
{
    while (!exitsWithin(pid, msUntil(deadline))) {
        if (terminated) {
            kill(-pid, SIGKILL);
            break;
        }
        kill(-pid, SIGTERM);
        terminated = true;
        deadline = Clock::now() + kGraceAfterTerm;
    }
    // An interrupted program leaves nothing of the command behind, not even a grandchild
    // that ignored SIGTERM. Forgotten before it is reaped: until then its group id cannot
    // be reused, so an interrupt that still finds it signals nobody else.
    if (ChildGroups::stopping())
        kill(-pid, SIGKILL);
    ChildGroups::remove(pid);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return terminationStatus(status);
}

ShellResult runProcess(const ProcessRunner::Options &options, const QString &command,
                       double timeoutSeconds, bool lenient)
{
    QString text = command;
    for (const auto &[from, to] : options.pathMap)
        text.replace(from, to);
    // An interrupted program starts nothing new: a repair stops where it was interrupted.
    if (ChildGroups::stopping())
        return startFailure(ECANCELED);

    std::vector<QByteArray> envStore = childEnvironment(options);
    pid_t pid = 0;
    int output = -1;
    if (const int error = spawnBash(text.toUtf8(), envStore, &pid, &output))
        return startFailure(error);
    if (!ChildGroups::add(pid))
        kill(-pid, SIGTERM);

    const auto timeout = std::chrono::duration<double>(std::max(0.0, timeoutSeconds));
    Collected collected = collectOutput(
        pid, output, Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout));
    close(output);
    const int code = reap(pid, collected.deadline, collected.terminated);
    if (collected.truncated)
        cutAtLineEnd(collected.bytes);

    if (lenient)
        return {code, QString::fromUtf8(collected.bytes)};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(collected.bytes);
    if (decoder.hasError())
        decoded.clear();
    return {code, decoded};
}

} // namespace

ShellResult Runner::runText(const QString &command, double timeoutSeconds)
{
    return run(command, timeoutSeconds);
}

ProcessRunner::ProcessRunner(Options options) : m_options(std::move(options)) {}

ShellResult ProcessRunner::run(const QString &command, double timeoutSeconds)
{
    return runProcess(m_options, command, timeoutSeconds, false);
}

ShellResult ProcessRunner::runText(const QString &command, double timeoutSeconds)
{
    return runProcess(m_options, command, timeoutSeconds, true);
}

std::shared_ptr<Runner> currentRunner()
{
    std::lock_guard lock(g_runnerMutex);
    if (!g_runner)
        g_runner = std::make_shared<ProcessRunner>();
    return g_runner;
}

std::shared_ptr<Runner> installRunner(std::shared_ptr<Runner> runner)
{
    std::lock_guard lock(g_runnerMutex);
    auto previous = std::move(g_runner);
    g_runner = std::move(runner);
    return previous;
}
