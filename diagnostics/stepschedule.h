#pragma once

#include "diagnostics/diagnosticsrun.h"

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
class StepSchedule {
public:
    // Starts the steps; `run` and its ctx must outlive the schedule and stay as they are.
    explicit StepSchedule(DiagnosticsRun &run);
    // Waits for the steps still running: a scan cannot be cancelled, and each of its commands
    // ends within its own limit.
    ~StepSchedule() = default;
    StepSchedule(const StepSchedule &) = delete;
    StepSchedule &operator=(const StepSchedule &) = delete;

    qsizetype size() const { return m_steps.size(); }
    QString name(qsizetype step) const { return m_steps.at(step).name; }

    // The step's findings, once it has ended; asked once per step.
    QList<Finding> findings(qsizetype step);

private:
    QList<ScanStep> m_steps;
    std::vector<std::future<QList<Finding>>> m_results;
};

} // namespace brevik
