#include "app/interrupts.h"

#include "exec/childgroups.h"

#include <chrono>
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace brevik {

namespace {

using namespace std::chrono_literals;

// Commands get SIGTERM first, as at their deadline; what still runs this long afterwards
// gets SIGKILL.
constexpr auto kGrace = 1000ms;

sigset_t interruptSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, sig);
    return set;
}

[[noreturn]] void endCommandsThenExit(int sig)
{
    ChildGroups::stop(SIGTERM);
    const auto until = std::chrono::steady_clock::now() + kGrace;
    while (ChildGroups::live() > 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(10ms);
    ChildGroups::signalAll(SIGKILL);
    // Die of the signal itself, so that a shell sees 130 for Ctrl-C, as for any program.
    std::signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(sig);
    _exit(128 + sig);
}

} // namespace

namespace Interrupts {

void install()
{
    const sigset_t set = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        int sig = 0;
        while (sigwait(&set, &sig) != 0) {
        }
        endCommandsThenExit(sig);
    }).detach();
}

void awaitIfInterrupted()
{
    while (interrupted())
        std::this_thread::sleep_for(1h);
}

bool interrupted()
{
    return ChildGroups::stopping();
}

} // namespace Interrupts

} // namespace brevik
