#include "exec/runner.h"

#include "exec/shell.h"

#include <QByteArray>
#include <QStringDecoder>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
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

// Reaps the child. A bash that closed its output early may still run: it is held to the
// same deadline as the read.
int reap(pid_t pid, Clock::time_point deadline, bool terminated)
{
    int status = 0;
    // The child usually exits microseconds after closing its output: start with short
    // naps and back off, so the common case costs almost nothing and the rare one no CPU.
    auto nap = std::chrono::microseconds(20);
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return terminationStatus(status);
        if (r < 0 && errno != EINTR)
            return -1;
        if (r == 0) {
            if (Clock::now() >= deadline) {
                if (!terminated) {
                    kill(-pid, SIGTERM);
                    terminated = true;
                    deadline = Clock::now() + kGraceAfterTerm;
                } else {
                    kill(-pid, SIGKILL);
                    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                    }
                    return terminationStatus(status);
                }
            }
            std::this_thread::sleep_for(nap);
            nap = std::min<std::chrono::microseconds>(nap * 2, std::chrono::milliseconds(5));
        }
    }
}

ShellResult startFailure(int error)
{
    return {-1, QStringLiteral("无法启动命令: ") + QString::fromLocal8Bit(std::strerror(error))};
}

} // namespace

ProcessRunner::ProcessRunner(Options options) : m_options(std::move(options)) {}

ShellResult ProcessRunner::run(const QString &command, double timeoutSeconds)
{
    QString text = command;
    for (const auto &[from, to] : m_options.pathMap)
        text.replace(from, to);
    const QByteArray commandBytes = text.toUtf8();

    std::vector<QByteArray> envStore = childEnvironment(m_options);
    std::vector<char *> envp;
    envp.reserve(envStore.size() + 1);
    for (auto &entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    char bash[] = "/bin/bash";
    char dashC[] = "-c";
    std::vector<char *> argv{bash, dashC, const_cast<char *>(commandBytes.constData()), nullptr};

    int fds[2];
#ifdef __APPLE__
    if (pipe(fds) != 0)
        return startFailure(errno);
#else
    if (pipe2(fds, O_CLOEXEC) != 0)
        return startFailure(errno);
#endif

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
#ifdef __APPLE__
    // No pipe2 on macOS: close every descriptor in the child that is not handed over
    // explicitly, so a pipe of a concurrent call never leaks into this child.
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
    posix_spawn_file_actions_addinherit_np(&actions, STDIN_FILENO);
#endif
    posix_spawnattr_setflags(&attr, flags);
    posix_spawnattr_setpgroup(&attr, 0); // own group: the deadline ends grandchildren too
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGQUIT})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    sigset_t noMask;
    sigemptyset(&noMask);
    posix_spawnattr_setsigmask(&attr, &noMask);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, bash, &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return startFailure(spawned);
    }

    const auto timeout = std::chrono::duration<double>(std::max(0.0, timeoutSeconds));
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    bool terminated = false;
    QByteArray bytes;
    char buffer[16384];
    for (;;) {
        pollfd pfd{fds[0], POLLIN, 0};
        const int ready = poll(&pfd, 1, msUntil(deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready == 0) {
            if (!terminated) {
                kill(-pid, SIGTERM);
                terminated = true;
                deadline = Clock::now() + kGraceAfterTerm;
                continue;
            }
            // A grandchild ignores SIGTERM and holds the pipe: stop waiting for it.
            kill(-pid, SIGKILL);
            break;
        }
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0)
            bytes.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    const int code = reap(pid, deadline, terminated);

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString output = decoder.decode(bytes);
    if (decoder.hasError())
        output.clear();
    return {code, output};
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
