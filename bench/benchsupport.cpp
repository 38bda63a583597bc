#include "bench/benchsupport.h"

#include "exec/childplatform.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryFile>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brevik {

ChildRun runChild(const QStringList &argv, const QStringList &env)
{
    std::vector<QByteArray> argStore, envStore;
    for (const QString &a : argv)
        argStore.push_back(a.toUtf8());
    for (const QString &e : env)
        envStore.push_back(e.toUtf8());
    std::vector<char *> args, envp;
    for (auto &a : argStore)
        args.push_back(a.data());
    args.push_back(nullptr);
    for (auto &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    ChildRun run;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.maxRssKb = usage.ru_maxrss;
    return run;
}

QStringList environmentWith(const QStringList &set)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : set) {
        const qsizetype at = entry.indexOf(QLatin1Char('='));
        environment.insert(entry.left(at), entry.mid(at + 1));
    }
    return environment.toStringList();
}

SpawnEnvironment::SpawnEnvironment(const QStringList &entries)
{
    for (const QString &entry : entries)
        m_entries.push_back(entry.toUtf8());
    for (QByteArray &entry : m_entries)
        m_pointers.push_back(entry.data());
    m_pointers.push_back(nullptr);
}

int spawnAndDrain(const QByteArray &command, const SpawnEnvironment &env)
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
    char bash[] = "/bin/bash";
    char dashC[] = "-c";
    char *argv[] = {bash, dashC, const_cast<char *>(command.constData()), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, bash, &actions, &attr, argv, env.envp());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return -1;
    }
    char buffer[16384];
    for (;;) {
        pollfd pfd{fds[0], POLLIN, 0};
        if (poll(&pfd, 1, -1) < 0 || read(fds[0], buffer, sizeof buffer) <= 0)
            break;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

PairedRuns runPaired(int pairs, const std::function<double()> &subject,
                     const std::function<double()> &baseline)
{
    std::mt19937 random(std::random_device{}());
    std::bernoulli_distribution subjectFirst(0.5);
    PairedRuns runs;
    for (int i = 0; i < pairs; ++i) {
        double s = 0;
        double b = 0;
        if (subjectFirst(random)) {
            s = subject();
            b = baseline();
        } else {
            b = baseline();
            s = subject();
        }
        runs.subject.push_back(s);
        runs.baseline.push_back(b);
        runs.ratio.push_back(b > 0 ? s / b : 0);
    }
    return runs;
}

ProcessPairs pairProcesses(int pairs, const QStringList &argv, const QStringList &env,
                           const QString &script, const QStringList &scriptEnv)
{
    ProcessPairs result;
    result.runs = runPaired(
        pairs,
        [&] {
            const ChildRun run = runChild(argv, env);
            result.ok = result.ok && run.code == 0;
            result.peakKb = std::max(result.peakKb, run.maxRssKb);
            return run.ms;
        },
        [&] {
            const ChildRun run = runChild({QStringLiteral("/bin/bash"), script}, scriptEnv);
            result.ok = result.ok && run.code == 0;
            return run.ms;
        });
    return result;
}

void printPaired(const char *subjectName, const char *baselineName, const char *unit,
                 const PairedRuns &runs, const char *goal)
{
    std::vector<double> ratio = runs.ratio;
    std::sort(ratio.begin(), ratio.end());
    std::printf("  %-38s median %10.1f %s\n", subjectName, median(runs.subject), unit);
    std::printf("  %-38s median %10.1f %s\n", baselineName, median(runs.baseline), unit);
    if (ratio.empty())
        return;
    std::printf("  ratio over %zu pairs: min %.3f  median %.3f  max %.3f   (goal: %s)\n",
                ratio.size(), ratio.front(), ratio[ratio.size() / 2], ratio.back(), goal);
}

ScriptFile::ScriptFile(const QStringList &lines)
{
    QTemporaryFile file;
    file.setAutoRemove(false);
    if (file.open()) {
        file.write(("#!/bin/bash\n" + lines.join(QLatin1Char('\n')) + "\n").toUtf8());
        m_path = file.fileName();
        file.close();
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

ScriptFile::~ScriptFile()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

} // namespace brevik
