#pragma once

#include <spawn.h>
#include <sys/types.h>

namespace brevik {

// The few steps of running a command that Linux and macOS do differently; each platform
// has its own source file, chosen by the build.
namespace ChildPlatform {

// A pipe whose ends no other child inherits (a concurrent command must not hold it open).
bool openPipe(int fds[2]);

// Platform additions to the spawn settings shared by both. `inheritOutput`: the child
// writes to the parent's stdout and stderr.
void prepareSpawn(posix_spawn_file_actions_t *actions, short *flags, bool inheritOutput = false);

enum class ExitWait { exited, timedOut, unavailable };

// Blocks until the child has exited or `timeoutMs` has passed, without reaping it, so that
// its process group stays reserved until the caller reaps. `unavailable`: the system
// offers no way to wait for it with a time limit.
ExitWait waitForExit(pid_t pid, int timeoutMs);

} // namespace ChildPlatform

} // namespace brevik
