#pragma once

#include "guardian/guardbackoff.h"
#include "guardian/guardconfirmation.h"
#include "guardian/guardlog.h"
#include "guardian/launchagent.h"
#include "model/clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// Watches for a system proxy left pointing at a local port after its client quit, and
// switches it off once a second consecutive check confirms it. Owns the guardian's log and
// the launch agent that runs the same check every 5 seconds.
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
        QString text = QCoreApplication::translate("ProxyGuardian", "尚未检测");
        // The guardian rests from this proxy (see GuardBackoff): what it says of that, and
        // whether the rest began with this very check.
        QString rest;
        bool restBegins = false;
    };

    // The process-wide instance, created on first use for the user's home folder.
    static ProxyGuardian &shared();

    // A guardian whose log and agent file live under `homeDir`, reading the time from
    // `clock`; the shared one uses QDir::homePath(). Separate instances serve tests and
    // nothing else.
    explicit ProxyGuardian(const QString &homeDir, Clock clock = systemClock());
    ProxyGuardian(const ProxyGuardian &) = delete;
    ProxyGuardian &operator=(const ProxyGuardian &) = delete;

    // One check: reads the proxy, tests its port and looks for a proxy client; repairs when
    // `autoFix` is set and the sighting is confirmed. `carried`: in an agent run, what the
    // previous run left (each run is a process of its own); the app's own checks pass none
    // and keep their count in memory. Blocks for up to about 18 s, longer when it repairs.
    Status checkOnce(bool autoFix,
                     const std::optional<GuardConfirmation::State> &carried = std::nullopt);

    int consecutiveFailures() const { return m_state.count; }
    int fixedCount() const { return m_fixedCount; }
    std::optional<QDateTime> lastFix() const { return m_lastFix; }

    const GuardLog &log() const { return m_log; }
    const LaunchAgent &agent() const { return m_agent; }
    // Where the log and the agent's output files live.
    QString logDir() const;
    // Where agent runs keep their observation for the next run: the user's own Brevik folder
    // (not the log folder, which a run under sudo may have left unwritable).
    QStringList statePaths() const;
    // That folder, which also holds the change lock every guardian run takes.
    QString stateFolder() const;

    // Ends a rest from a proxy at the user's request: the next check acts again.
    void resume();

private:
    void repair(Status &status, const QString &target, const GuardBackoff::State &backoff);
    GuardBackoff::State loadBackoff() const;
    void saveBackoff(const GuardBackoff::State &state) const;

    QString m_home;
    Clock m_clock;
    GuardLog m_log;
    LaunchAgent m_agent;
    GuardConfirmation::State m_state;
    int m_fixedCount = 0;
    std::optional<QDateTime> m_lastFix;
};

} // namespace brevik
