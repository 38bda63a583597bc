#pragma once

#include "guardian/guardstate.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QTextStream;

// Watches for a system proxy left pointing at a local port after its client quit, and
// switches it off once a second consecutive check confirms it. Also keeps the guardian log
// and installs the launch agent that runs the same check every 5 seconds.
//
// No locks: each process runs at most one check at a time (the app's busy flag, or one
// check per agent process).
class ProxyGuardian {
public:
    // The verdict of one check.
    struct Status {
        bool proxyEnabled = false;
        QString proxyHost = QStringLiteral("127.0.0.1");
        QString proxyPort;
        bool portAlive = false;
        bool clientRunning = false;
        bool didFix = false;
        QString text = QStringLiteral("尚未检测");
    };

    // Outcome of installing or removing the launch agent.
    struct AgentResult {
        bool ok = false;
        QString msg;
    };

    // What launchd holds of the agent, as far as the user needs to act on it.
    enum class AgentState {
        notInstalled,    // no property list
        installed,       // the property list names this executable and launchd lists the job
        notLoaded,       // the property list is there, launchd does not list the job
        staleExecutable, // the property list names a program that is gone or is not this one
    };

    // Where the time comes from: the log's stamps, the last repair, the agent's state.
    using Clock = std::function<QDateTime()>;

    static constexpr char agentLabel[] = "com.ostrand.brevik.guard";

    // The process-wide instance, created on first use for the user's home folder.
    static ProxyGuardian &shared();

    // A guardian whose log and agent file live under `homeDir`; the shared one uses
    // QDir::homePath(). Separate instances serve tests and nothing else.
    explicit ProxyGuardian(const QString &homeDir);
    ProxyGuardian(const ProxyGuardian &) = delete;
    ProxyGuardian &operator=(const ProxyGuardian &) = delete;

    // One check: reads the proxy, tests its port and looks for a proxy client; repairs when
    // `autoFix` is set and this is the second consecutive dead observation. Blocks for up to
    // about 18 s, longer when it repairs.
    Status checkOnce(bool autoFix);

    // The whole `--guard` run: one check with repair on the shared instance; a notable
    // verdict is logged and printed to standard output.
    static void runCLIOnce();
    // The same run on `guardian`, printing to `out`, with `now` as the time of this run's
    // observation: the previous run's observation is judged against it and this run's is
    // stored with it. Also keeps the guardian log and the agent's output files bounded.
    static void runCLIOnce(ProxyGuardian &guardian, QTextStream &out, const QDateTime &now);

    int consecutiveFailures() const { return m_consecutiveFailures; }
    int fixedCount() const { return m_fixedCount; }
    std::optional<QDateTime> lastFix() const { return m_lastFix; }
    QString logPath() const { return m_logPath; }
    // Where agent runs keep their observation for the next run, in order of preference: a
    // folder of its own, so that a log folder left unwritable (say, by a run under sudo)
    // cannot stop the agent from repairing, then the temporary folder.
    QStringList statePaths() const;

    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Appends one timestamped entry; cuts the log back first once it has grown too large.
    // Entries of processes appending at the same moment all land, each whole. Never reports
    // failure: the log is advisory.
    void appendLog(const QString &message);
    // The last `n` non-empty lines of the log, oldest first, read from its end; empty when it
    // cannot be read.
    QStringList logTail(int n = 8) const;

    QString agentPath() const;
    // True when the property list names this executable and launchd lists the label.
    bool isAgentInstalled() const;
    AgentState agentState() const;
    // The same, judged for the executable at `executablePath` (empty: not known, only its
    // existence is checked).
    AgentState agentState(const QString &executablePath) const;
    // What the user should do about the agent, one line; empty when nothing (installed, or
    // never installed).
    QString agentAdvice() const;
    // Writes the property list for the running executable and (re)loads it.
    AgentResult installAgent();
    // The same for a given executable path (empty: the path could not be found).
    AgentResult installAgent(const QString &executablePath);
    // Unloads and deletes the agent; always succeeds.
    AgentResult uninstallAgent();

    // The launch agent's property list for executable `executablePath` writing its output
    // into `logDir`. Both paths must pass plistCanHold.
    static QString agentPlist(const QString &executablePath, const QString &logDir);
    // False for text that XML 1.0 cannot carry even escaped (control characters other than
    // tab and line ends), which no property list can hold.
    static bool plistCanHold(const QString &text);

private:
    // `agentCarry`: in an agent run, what the previous run observed (an empty one when it
    // left nothing usable); the count of dead observations continues from it for the same
    // proxy and starts afresh otherwise. The app's own checks pass none and keep their count
    // in memory.
    Status check(bool autoFix, const std::optional<GuardObservation> &agentCarry);
    QString logDir() const;

    QString m_home;
    QString m_logPath;
    Clock m_clock = [] { return QDateTime::currentDateTime(); };
    int m_consecutiveFailures = 0;
    int m_fixedCount = 0;
    std::optional<QDateTime> m_lastFix;
};
