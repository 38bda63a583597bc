#pragma once

#include <sys/types.h>

namespace brevik {

// The process groups of the commands running right now. Every command runs in a group of
// its own, so a Ctrl-C on the terminal never reaches it; whoever ends the program asks
// this registry to end them, or they would run on, adopted by init, with no time limit.
//
// Every function here is async-signal-safe: lock-free atomics and kill(2) only.
namespace ChildGroups {

// Records a running group. False once the program is stopping: the caller then ends the
// group itself (whichever of the two comes second sees the other).
bool add(pid_t group);

// Forgets a group whose leader has been reaped.
void remove(pid_t group);

// True once stop() was called: no new command should start.
bool stopping();

// Refuses every later command and sends `signal` to every live group.
void stop(int signal);

// Sends `signal` to every live group (the SIGKILL after the grace).
void signalAll(int signal);

// How many groups are live.
int live();

} // namespace ChildGroups

} // namespace brevik
