// Linux: pipe2 closes the pipe in other children atomically; a pidfd (Linux 5.3) turns the
// child's exit into a descriptor that poll can wait on with the deadline.
#include "exec/childplatform.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace brevik {

namespace ChildPlatform {

bool openPipe(int fds[2])
{
    return pipe2(fds, O_CLOEXEC) == 0;
}

void prepareSpawn(posix_spawn_file_actions_t *, short *, bool) {}

ExitWait waitForExit(pid_t pid, int timeoutMs)
{
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0)
        return ExitWait::unavailable;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int ready = 0;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd pfd{fd, POLLIN, 0};
        ready = poll(&pfd, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready >= 0 || errno != EINTR)
            break;
    }
    close(fd);
    if (ready < 0)
        return ExitWait::unavailable;
    return ready > 0 ? ExitWait::exited : ExitWait::timedOut;
}

} // namespace ChildPlatform

} // namespace brevik
