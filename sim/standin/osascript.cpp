// osascript -e 'do shell script "…" with administrator privileges': the password prompt.
// The scenario decides how the user answers it ("admin": {"prompt": …}); an accepted
// prompt runs the script with /bin/sh on the simulated Mac, with administrator rights.
// osascript -e 'display notification "…" with title "…"': shown to nobody; the call log
// keeps it like every call.

#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QRegularExpression>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// The AppleScript string literal's escapes: \" and \\ (also \n and \t).
QString unescape(const QString &literal)
{
    QString text;
    for (int i = 0; i < literal.size(); ++i) {
        if (literal.at(i) == QLatin1Char('\\') && i + 1 < literal.size()) {
            const QChar next = literal.at(++i);
            text += next == QLatin1Char('n')   ? QChar('\n')
                    : next == QLatin1Char('t') ? QChar('\t')
                                               : next;
        } else {
            text += literal.at(i);
        }
    }
    return text;
}

struct ScriptResult {
    int code = 0;
    QByteArray out;
    QByteArray err;
};

// Runs the script with /bin/sh, as do shell script does, keeping its standard output and error
// apart as osascript does.
ScriptResult runScript(const QString &script)
{
    ScriptResult result;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        result.code = 1;
        result.err = "cannot make a pipe";
        return result;
    }
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    std::vector<QByteArray> envStore{"BREVIK_SIM_ADMIN=1"};
    for (char **entry = environ; entry && *entry; ++entry) {
        if (!QByteArray(*entry).startsWith("BREVIK_SIM_ADMIN="))
            envStore.push_back(*entry);
    }
    std::vector<char *> envp;
    for (auto &entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    QByteArray scriptBytes = script.toUtf8();
    char sh[] = "/bin/sh";
    char dashC[] = "-c";
    char *argv[] = {sh, dashC, scriptBytes.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, sh, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        result.code = 1;
        result.err = "cannot start /bin/sh";
        return result;
    }
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    QByteArray *sinks[2] = {&result.out, &result.err};
    int open = 2;
    char buffer[8192];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, n);
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// How this prompt is answered; "cancel-once" cancels the first prompt only.
QString answerPrompt(Sim &sim)
{
    QString answer;
    sim.update([&](QJsonObject &state) {
        const QString prompt = at(state, {"admin", "prompt"}).toString(QStringLiteral("accept"));
        answer = prompt == QLatin1String("cancel-once") ? QStringLiteral("cancel") : prompt;
        setAt(state, {"admin", "prompts"}, at(state, {"admin", "prompts"}).toInt() + 1);
        if (prompt == QLatin1String("cancel-once"))
            setAt(state, {"admin", "prompt"}, QStringLiteral("accept"));
        return true;
    });
    return answer;
}

} // namespace

int osascriptMain(Sim &sim, const QStringList &args)
{
    const int e = args.indexOf(QStringLiteral("-e"));
    const QString source = e >= 0 ? args.value(e + 1) : QString();
    // A string literal: anything but a quote or a backslash, or an escaped character.
    static const QRegularExpression notification(QStringLiteral(
        "^\\s*display notification \"(?:[^\"\\\\]|\\\\.)*\"(?:\\s+with title "
        "\"(?:[^\"\\\\]|\\\\.)*\")?(?:\\s+subtitle \"(?:[^\"\\\\]|\\\\.)*\")?\\s*$"));
    if (notification.match(source).hasMatch())
        return 0;
    static const QRegularExpression adminScript(
        QStringLiteral("^\\s*do shell script \"((?:[^\"\\\\]|\\\\.)*)\"\\s+with administrator "
                       "privileges\\s*$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = adminScript.match(source);
    if (!match.hasMatch()) {
        err(QStringLiteral("osascript: only 'do shell script \"…\" with administrator privileges' "
                           "and 'display notification' are simulated\n"));
        return 1;
    }
    if (answerPrompt(sim) != QLatin1String("accept")) {
        err(QStringLiteral("0:56: execution error: User canceled. (-128)\n"));
        return 1;
    }
    const ScriptResult result = runScript(unescape(match.captured(1)));
    // do shell script returns the output without its last line end, and with carriage returns
    // for the line ends within it (unless asked "without altering line endings").
    QByteArray output = result.out;
    if (output.endsWith('\n'))
        output.chop(1);
    output.replace('\n', '\r');
    if (result.code != 0) {
        QString message = QString::fromUtf8(result.err).trimmed();
        if (message.isEmpty())
            message = QStringLiteral("The command exited with a non-zero status.");
        err(QStringLiteral("0:%1: execution error: %2 (%3)\n")
                .arg(source.size())
                .arg(message)
                .arg(result.code));
        return 1;
    }
    if (!output.isEmpty())
        out(QString::fromUtf8(output) + QLatin1Char('\n'));
    return 0;
}
