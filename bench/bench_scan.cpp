// A whole scan of the healthy simulated Mac, whose stand-ins answer at once, against a
// plain bash script running the same commands in the same arrangement (one after another,
// the AI probes of the six services side by side as the scan runs them). What the scan
// costs beyond its commands is the difference.
#include "bench/benchsupport.h"
#include "bench/simbench.h"
#include "diagnostics/diagnosticsrun.h"
#include "exec/runner.h"
#include "exec/shell.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <map>

namespace {

// Passes every command on and keeps its text, as the shell will see it.
class RecordingRunner : public Runner {
public:
    explicit RecordingRunner(std::shared_ptr<ProcessRunner> inner) : m_inner(std::move(inner)) {}

    ShellResult run(const QString &command, double timeout) override
    {
        QString mapped = command;
        for (const auto &[from, to] : m_inner->options().pathMap)
            mapped.replace(from, to);
        {
            QMutexLocker lock(&m_mutex);
            m_commands << mapped;
        }
        return m_inner->run(command, timeout);
    }

    QStringList commands() const
    {
        QMutexLocker lock(&m_mutex);
        return m_commands;
    }

private:
    std::shared_ptr<ProcessRunner> m_inner;
    mutable QMutex m_mutex;
    QStringList m_commands;
};

double scanOnce()
{
    QElapsedTimer timer;
    timer.start();
    DiagnosticsRun run;
    run.ctx = DiagnosticsRun::buildContext();
    for (const ScanStep &step : run.steps())
        step.run();
    return double(timer.nsecsElapsed()) / 1e6;
}

QString line(const QString &command)
{
    return QStringLiteral("/bin/bash -c ") + shellQuote(command) +
           QStringLiteral(" >/dev/null 2>&1");
}

// The recorded commands as a script: the AI probes (curl with -m 6, one URL per service)
// grouped per service, the groups run in parallel, everything else in order.
QStringList scriptFor(const QStringList &commands)
{
    static const QRegularExpression aiProbe(
        QStringLiteral("^curl -s -o /dev/null -m 6 .* '(https://[^']+)'$"));
    QStringList lines;
    std::map<QString, QStringList> rows;
    QStringList rowOrder;
    bool aiDone = false;
    for (const QString &command : commands) {
        const auto match = aiProbe.match(command);
        if (match.hasMatch()) {
            const QString url = match.captured(1);
            if (!rows.count(url))
                rowOrder << url;
            rows[url] << line(command);
            continue;
        }
        if (!rows.empty() && !aiDone) {
            for (const QString &url : rowOrder)
                lines << QStringLiteral("( ") + rows[url].join(QStringLiteral("; ")) +
                             QStringLiteral(" ) &");
            lines << QStringLiteral("wait");
            aiDone = true;
        }
        lines << line(command);
    }
    return lines;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
    QTemporaryDir root;
    const auto mac = openInstantHealthyMac(root);
    if (!mac)
        return 1;
    qputenv("HOME", mac->home().toUtf8());
    const auto inner = mac->makeRunner();
    auto recorder = std::make_shared<RecordingRunner>(inner);
    QStringList commands;
    {
        ScopedRunner scope(recorder);
        scanOnce();
        commands = recorder->commands();
    }
    const ScriptFile baseline(scriptFor(commands));
    // The script's environment is the one the runner gives each command.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto &[key, value] : inner->options().extraEnv)
        environment.insert(key, value);
    environment.insert(QStringLiteral("PATH"),
                       mac->binDir() + QLatin1Char(':') + QString::fromLatin1(kCommandPath));
    environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(kCommandLocale));
    const QStringList env = environment.toStringList();

    ScopedRunner scope(inner);
    std::vector<double> scanMs, scriptMs;
    for (int i = 0; i < rounds; ++i) {
        scanMs.push_back(scanOnce());
        scriptMs.push_back(runChild({QStringLiteral("/bin/bash"), baseline.path()}, env).ms);
    }
    const double s = median(scanMs), b = median(scriptMs);
    std::printf("commands per scan         %lld\n", static_cast<long long>(commands.size()));
    std::printf("whole scan                median %.1f ms\n", s);
    std::printf("bash, same commands       median %.1f ms\n", b);
    std::printf("scan overhead             %+.1f %% (goal < 10 %%)\n", (s - b) / b * 100.0);
    return 0;
}
