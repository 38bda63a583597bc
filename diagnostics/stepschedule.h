#pragma once

#include "diagnostics/diagnosticsrun.h"

#include <chrono>
#include <future>
#include <vector>

namespace brevik {

// Drives the steps of one run. With the run's pace overlapped, every step starts at once on a
// thread of its own (they wait on child processes, not on the CPU, so the threads are not
// sized to the cores); the run's gate decides which of their probes run side by side. One
// after another, each step runs when it is asked for.
//
// Either way the caller asks for the steps in order and gets each step's findings once that
// step has ended, so it publishes exactly as it would had the steps run one after another.
// Meanwhile it can tell which steps are still running and how many have ended, which side
// by side need not be the ones before the step it waits for.
class StepSchedule {
public:
    // Starts the steps; `run` and its ctx must outlive the schedule and stay as they are.
    explicit StepSchedule(DiagnosticsRun &run);
    // Starts `steps` at `pace`; whatever they use must outlive the schedule.
    StepSchedule(const QList<ScanStep> &steps, ScanPace pace);
    // Waits for the steps still running: a scan cannot be cancelled, and each of its commands
    // ends within its own limit.
    ~StepSchedule() = default;
    StepSchedule(const StepSchedule &) = delete;
    StepSchedule &operator=(const StepSchedule &) = delete;

    qsizetype size() const { return m_steps.size(); }
    QString name(qsizetype step) const { return m_steps.at(step).name; }

    // Waits up to `limit` for the step to end; true once it has, or at once when it runs
    // only when its findings are asked for. Not after those findings were taken.
    bool wait(qsizetype step, std::chrono::milliseconds limit) const;
    // The names of the steps from `from` on that are still running, in step order; one
    // after another, the step `from` alone.
    QStringList running(qsizetype from) const;
    // How many steps have ended.
    qsizetype ended() const;

    // The step's findings, once it has ended; asked once per step, in order.
    QList<Finding> findings(qsizetype step);

private:
    bool hasEnded(qsizetype step) const;

    QList<ScanStep> m_steps;
    std::launch m_launch;
    std::vector<std::future<QList<Finding>>> m_results;
    qsizetype m_taken = 0; // steps whose findings were taken, in order
};

} // namespace brevik
