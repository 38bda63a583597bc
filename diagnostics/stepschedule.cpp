#include "diagnostics/stepschedule.h"

#include <algorithm>

namespace brevik {

StepSchedule::StepSchedule(DiagnosticsRun &run) : StepSchedule(run.steps(), run.pace()) {}

StepSchedule::StepSchedule(const QList<ScanStep> &steps, ScanPace pace)
    : m_steps(steps),
      // A deferred step runs on the caller's thread when its findings are asked for.
      m_launch(pace == ScanPace::overlapped ? std::launch::async : std::launch::deferred)
{
    m_results.reserve(m_steps.size());
    for (const ScanStep &step : m_steps)
        m_results.push_back(std::async(m_launch, step.run));
}

bool StepSchedule::wait(qsizetype step, std::chrono::milliseconds limit) const
{
    // A deferred step answers "deferred" at once: it ends when it is asked for.
    return m_results.at(step).wait_for(limit) != std::future_status::timeout;
}

bool StepSchedule::hasEnded(qsizetype step) const
{
    // A taken step's future is spent and must not be asked again.
    if (step < m_taken)
        return true;
    return m_results.at(step).wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

QStringList StepSchedule::running(qsizetype from) const
{
    if (m_launch == std::launch::deferred) {
        const qsizetype next = std::max(from, m_taken);
        return next < size() ? QStringList{name(next)} : QStringList{};
    }
    QStringList names;
    for (qsizetype step = from; step < size(); ++step) {
        if (!hasEnded(step))
            names << name(step);
    }
    return names;
}

qsizetype StepSchedule::ended() const
{
    qsizetype count = 0;
    for (qsizetype step = 0; step < size(); ++step)
        count += hasEnded(step);
    return count;
}

QList<Finding> StepSchedule::findings(qsizetype step)
{
    QList<Finding> findings = m_results.at(step).get();
    m_taken = step + 1;
    return findings;
}

} // namespace brevik
