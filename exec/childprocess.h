#pragma once

#include "exec/shellresult.h"

#include <QByteArray>
#include <QList>

#include <chrono>
#include <optional>
#include <vector>

namespace brevik {

// The one way this system starts a program and waits for it: the process runner's commands
// and the simulated Mac's stand-ins both come here.
namespace ChildProcess {

using Clock = std::chrono::steady_clock;

enum class Streams {
    merged,    // stdout and stderr on one pipe, in write order
    apart,     // stdout and stderr on a pipe each
    inherited, // the child writes where its parent does
};

struct Request {
    QList<QByteArray> argv;              // the first is the executable's path
    std::vector<QByteArray> environment; // KEY=value, the child's whole environment
    Streams streams = Streams::merged;
    // A group of its own is what the deadline and an interrupt of the program end as a whole;
    // a child that stays in its parent's group is ended with that group instead.
    bool ownGroup = true;
    std::optional<Clock::time_point> deadline; // none: wait for the end
    qsizetype outputLimit = 8 * 1024 * 1024;   // kept of each pipe; the rest is drained
};

struct Outcome {
    ProcessEnd end = ProcessEnd::exited;
    int code = 0;   // as ShellResult::code
    int error = 0;  // why it failed to start (errno)
    QByteArray out; // both streams when merged
    QByteArray err; // only when apart
    bool truncated = false;
};

// The parent's environment with `set` (KEY=value each) in place of the variables they name.
std::vector<QByteArray> environmentWith(const QList<QByteArray> &set);

// Starts the program, reads what it prints and reaps it. At the deadline the child (or its
// group) gets SIGTERM, and SIGKILL if it is still there, or still holds a pipe, after a grace.
Outcome run(const Request &request);

} // namespace ChildProcess

} // namespace brevik
