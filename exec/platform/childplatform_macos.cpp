// macOS: no pipe2, so the spawn closes every descriptor not handed over explicitly; a
// kqueue reports the child's exit (EVFILT_PROC, NOTE_EXIT) within a time limit.
#include "exec/childplatform.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/event.h>
#include <unistd.h>

namespace brevik {

namespace ChildPlatform {

bool openPipe(int fds[2])
{
    if (pipe(fds) != 0)
        return false;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    return true;
}

void prepareSpawn(posix_spawn_file_actions_t *actions, short *flags, bool inheritOutput)
{
    *flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
    posix_spawn_file_actions_addinherit_np(actions, STDIN_FILENO);
    if (inheritOutput) {
        posix_spawn_file_actions_addinherit_np(actions, STDOUT_FILENO);
        posix_spawn_file_actions_addinherit_np(actions, STDERR_FILENO);
    }
}

ExitWait waitForExit(pid_t pid, int timeoutMs)
{
    const int queue = kqueue();
    if (queue < 0)
        return ExitWait::unavailable;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    struct kevent change;
    EV_SET(&change, pid, EVFILT_PROC, EV_ADD | EV_ONESHOT, NOTE_EXIT, 0, nullptr);
    ExitWait result = ExitWait::unavailable;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const long ms = left.count() > 0 ? long(left.count()) : 0;
        const timespec limit{ms / 1000, (ms % 1000) * 1000000};
        struct kevent event;
        const int n = kevent(queue, &change, 1, &event, 1, &limit);
        if (n < 0 && errno == EINTR)
            continue;
        // A child that is already a zombie cannot be watched any more: it has exited.
        if ((n < 0 && errno == ESRCH) || (n > 0 && (event.flags & EV_ERROR) && event.data == ESRCH))
            result = ExitWait::exited;
        else if (n > 0 && !(event.flags & EV_ERROR))
            result = ExitWait::exited;
        else if (n == 0)
            result = ExitWait::timedOut;
        break;
    }
    close(queue);
    return result;
}

} // namespace ChildPlatform

} // namespace brevik
