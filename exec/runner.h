#pragma once

#include "exec/shellresult.h"

#include <QString>

#include <memory>

namespace brevik {

// The one seam behind which every command of the system runs. The process-wide runner
// is a real process launcher by default; tests install a scripted one, and the simulated
// Mac wraps the launcher in one that leads each command to the tool stand-ins.
class Runner {
public:
    virtual ~Runner() = default;
    virtual ShellResult run(const QString &command, double timeoutSeconds) = 0;

    // Like run, for commands that print a file anyone can write into (/etc/hosts): bytes
    // that are not UTF-8 read as U+FFFD instead of costing the whole output. Runners whose
    // outputs are always text, such as a scripted one, keep this default.
    virtual ShellResult runText(const QString &command, double timeoutSeconds);
};

// Runs each command as `/bin/bash -c COMMAND` with a pipe for stdout+stderr, in a process
// group of its own that the deadline (and an interrupt of the program) ends as a whole.
// Keeps at most a few megabytes of output; the rest is drained and dropped.
class ProcessRunner : public Runner {
public:
    // The output kept of one command: far more than any listing a tool prints, and room
    // for a hosts file that blocks a few hundred thousand names.
    static constexpr qsizetype kOutputLimit = 8 * 1024 * 1024;

    ShellResult run(const QString &command, double timeoutSeconds) override;
    ShellResult runText(const QString &command, double timeoutSeconds) override;
};

// The runner in force; never null.
std::shared_ptr<Runner> currentRunner();

// Replaces the runner in force and returns the one it replaced. Passing null restores the
// default process runner.
std::shared_ptr<Runner> installRunner(std::shared_ptr<Runner> runner);

// Installs a runner for the lifetime of a scope, then puts the previous one back.
class ScopedRunner {
public:
    explicit ScopedRunner(std::shared_ptr<Runner> runner)
        : m_previous(installRunner(std::move(runner)))
    {
    }
    ~ScopedRunner() { installRunner(m_previous); }
    ScopedRunner(const ScopedRunner &) = delete;
    ScopedRunner &operator=(const ScopedRunner &) = delete;

private:
    std::shared_ptr<Runner> m_previous;
};

} // namespace brevik
