#include "exec/childgroups.h"

#include <array>
#include <atomic>
#include <csignal>

namespace brevik {

namespace {

// Six AI probes, a guardian tick and a repair at once stay far below this; a command that
// finds no free slot still runs, it just cannot be ended by an interrupt.
constexpr int kSlots = 256;

std::array<std::atomic<pid_t>, kSlots> g_groups{};
std::atomic<bool> g_stopping{false};

static_assert(std::atomic<pid_t>::is_always_lock_free, "used from a signal context");

} // namespace

namespace ChildGroups {

bool add(pid_t group)
{
    for (auto &slot : g_groups) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, group))
            break;
    }
    return !g_stopping.load();
}

void remove(pid_t group)
{
    for (auto &slot : g_groups) {
        pid_t expected = group;
        if (slot.compare_exchange_strong(expected, 0))
            return;
    }
}

bool stopping()
{
    return g_stopping.load();
}

void stop(int signal)
{
    g_stopping.store(true);
    signalAll(signal);
}

void signalAll(int signal)
{
    for (auto &slot : g_groups) {
        const pid_t group = slot.load();
        if (group > 0)
            kill(-group, signal);
    }
}

int live()
{
    int count = 0;
    for (auto &slot : g_groups) {
        if (slot.load() > 0)
            ++count;
    }
    return count;
}

} // namespace ChildGroups

} // namespace brevik
