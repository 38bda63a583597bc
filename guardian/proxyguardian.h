#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

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
    // The same run on `guardian`, printing to `out`, with `now` as the time against which the
    // previous agent run's log entry is judged.
    static void runCLIOnce(ProxyGuardian &guardian, QTextStream &out, const QDateTime &now);

    int consecutiveFailures() const { return m_consecutiveFailures; }
    int fixedCount() const { return m_fixedCount; }
    std::optional<QDateTime> lastFix() const { return m_lastFix; }
    QString logPath() const { return m_logPath; }

    // Appends one timestamped entry; cuts the log back first once it has grown too large.
    // Never reports failure: the log is advisory.
    void appendLog(const QString &message);
    // The last `n` non-empty lines of the log, oldest first; empty when it cannot be read.
    QStringList logTail(int n = 8) const;

    QString agentPath() const;
    // True when the property list exists and launchd lists the label.
    bool isAgentInstalled() const;
    // Writes the property list for the running executable and (re)loads it.
    AgentResult installAgent();
    // The same for a given executable path (empty: the path could not be found).
    AgentResult installAgent(const QString &executablePath);
    // Unloads and deletes the agent; always succeeds.
    AgentResult uninstallAgent();

    // The launch agent's property list for executable `executablePath` writing its output
    // into `logDir`.
    static QString agentPlist(const QString &executablePath, const QString &logDir);

private:
    // `previousAgentText`: the verdict a previous agent run logged moments ago, if any; it
    // stands in for the first dead observation that this fresh process did not see.
    Status check(bool autoFix, const QString &previousAgentText);
    QString logDir() const;

    QString m_home;
    QString m_logPath;
    int m_consecutiveFailures = 0;
    int m_fixedCount = 0;
    std::optional<QDateTime> m_lastFix;
};
