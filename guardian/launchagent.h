#pragma once

#include "guardian/guardlog.h"

#include <QString>

namespace brevik {

// The launch agent that runs `--guard` every 5 seconds, even while the app is closed: its
// property list under ~/Library/LaunchAgents and the job launchd holds from it.
class LaunchAgent {
public:
    // What launchd holds of the agent, as far as the user needs to act on it.
    enum class State {
        notInstalled,    // no property list
        installed,       // the property list names this executable and launchd lists the job
        notLoaded,       // the property list is there, launchd does not list the job
        staleExecutable, // the property list names a program that is gone or is not this one
    };

    // Outcome of installing or removing the agent.
    struct Result {
        bool ok = false;
        QString msg;
    };

    static constexpr char label[] = "com.ostrand.brevik.guard";

    // The agent of the user whose home folder is `homeDir`; its output goes into `logDir`,
    // its installation and removal into `log`, which must outlive it.
    LaunchAgent(const QString &homeDir, QString logDir, const GuardLog &log);

    // The running executable; empty without an application object, which alone knows it.
    static QString runningExecutable();

    QString path() const;
    // Judged for the executable at `executablePath` (empty: not known, only its existence is
    // checked).
    State state(const QString &executablePath = runningExecutable()) const;
    bool isInstalled() const { return state() == State::installed; }
    // What the user should do about an agent in `state`, one line; empty when nothing
    // (installed, or never installed).
    static QString advice(State state);

    // Writes the property list for `executablePath` (empty: the path could not be found) and
    // (re)loads it.
    Result install(const QString &executablePath = runningExecutable()) const;
    // Unloads and deletes the agent; always succeeds.
    Result uninstall() const;

    // The property list for executable `executablePath` writing its output into `logDir`.
    // Both paths must pass canHold.
    static QString plist(const QString &executablePath, const QString &logDir);
    // False for text that XML 1.0 cannot carry even escaped (control characters other than
    // tab and line ends), which no property list can hold.
    static bool canHold(const QString &text);

private:
    QString m_home;
    QString m_logDir;
    const GuardLog &m_log;
};

} // namespace brevik
