#pragma once

#include <chrono>
#include <functional>

namespace brevik {

// Where the model's slow work runs, and how it comes back to the main thread.
//
// Every task blocks on child processes for seconds at a time, so the threads are meant for
// waiting, not sized to the CPU count: a 2-core Mac must still run a scan, a repair, an
// internet test and a guardian check side by side. Tasks are detached: nothing waits for
// them, and whoever starts one hands it only what it may use when its starter is gone.
namespace Background {

enum class Priority {
    userInitiated, // scans, repairs, internet tests: the user is waiting for them
    background,    // guardian checks: nobody is waiting, they yield to everything else
};

// Starts `task` on a thread of the given priority and returns at once. Call it on the main
// thread.
void start(Priority priority, std::function<void()> task);

// Runs `job` on the main thread and returns once it has run, so that what a task publishes
// arrives in the order it was published. On the main thread itself it runs `job` at once.
void onMainThreadAndWait(const std::function<void()> &job);

// Queues `job` for the main thread and returns without waiting. Jobs posted from one thread
// run in the order posted, and before any later onMainThreadAndWait of that thread.
void postToMainThread(std::function<void()> job);

// Runs the main thread's events until every task started here has ended, or `limit` has
// passed; true when all have ended. For the end of the process and for tests: a task may
// be waiting on a password prompt for minutes, so nothing else waits for tasks.
bool waitForIdle(std::chrono::milliseconds limit);

} // namespace Background

} // namespace brevik
