#pragma once

#include <QString>

namespace brevik {

// How a command came to its end. The exit status alone cannot say it: a command ended by
// its deadline reports the signal that ended it (15), which `exit 15` reports too.
enum class ProcessEnd {
    exited,        // ran to its end; `code` is its exit status
    signalled,     // a signal ended it that its deadline did not send; `code` is the signal
    timedOut,      // its deadline ended it; `code` is the signal that did (or its late exit)
    failedToStart, // never ran; `code` is -1
};

// What one command gave back: how it ended and everything it printed.
struct ShellResult {
    int code = 0;   // exit status; the signal number for a killed child; -1: could not start
    QString output; // stdout and stderr merged in write order, UTF-8, untrimmed
    ProcessEnd end = ProcessEnd::exited;

    bool succeeded() const { return end == ProcessEnd::exited && code == 0; }
};

} // namespace brevik
