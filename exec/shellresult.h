#pragma once

#include <QString>

// What one command gave back: its termination status and everything it printed.
struct ShellResult {
    int code = 0;   // exit status; the signal number for a killed child; -1: could not start
    QString output; // stdout and stderr merged in write order, UTF-8, untrimmed
};
