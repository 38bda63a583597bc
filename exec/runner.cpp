#include "exec/runner.h"

#include "exec/childprocess.h"
#include "exec/shell.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStringDecoder>

#include <cstring>
#include <mutex>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Runner)
};

std::mutex g_runnerMutex;
std::shared_ptr<Runner> g_runner;

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

QString decoded(const QByteArray &bytes, bool lenient)
{
    if (lenient)
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        text.clear();
    return text;
}

ShellResult runBash(const QString &command, double timeoutSeconds, bool lenient)
{
    ChildProcess::Request request;
    request.argv = {"/bin/bash", "-c", command.toUtf8()};
    request.environment = ChildProcess::environmentWith(
        {QByteArray("PATH=") + kCommandPath, QByteArray("LC_ALL=") + kCommandLocale});
    request.outputLimit = ProcessRunner::kOutputLimit;
    const auto timeout = std::chrono::duration<double>(std::max(0.0, timeoutSeconds));
    request.deadline = ChildProcess::Clock::now() +
                       std::chrono::duration_cast<ChildProcess::Clock::duration>(timeout);

    ChildProcess::Outcome outcome = ChildProcess::run(request);
    if (outcome.end == ProcessEnd::failedToStart && outcome.error != 0)
        return {
            -1,
            Texts::tr("无法启动命令: %1").arg(QString::fromLocal8Bit(std::strerror(outcome.error))),
            ProcessEnd::failedToStart};
    if (outcome.truncated)
        cutAtLineEnd(outcome.out);
    return {outcome.code, decoded(outcome.out, lenient), outcome.end};
}

} // namespace

ShellResult Runner::runText(const QString &command, double timeoutSeconds)
{
    return run(command, timeoutSeconds);
}

ShellResult ProcessRunner::run(const QString &command, double timeoutSeconds)
{
    return runBash(command, timeoutSeconds, false);
}

ShellResult ProcessRunner::runText(const QString &command, double timeoutSeconds)
{
    return runBash(command, timeoutSeconds, true);
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

} // namespace brevik
