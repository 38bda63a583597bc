#include "diagnostics/stepschedule.h"

namespace brevik {

StepSchedule::StepSchedule(DiagnosticsRun &run) : m_steps(run.steps())
{
    // A deferred step runs on the caller's thread when its findings are asked for.
    const std::launch launch =
        run.pace() == ScanPace::overlapped ? std::launch::async : std::launch::deferred;
    m_results.reserve(m_steps.size());
    for (const ScanStep &step : m_steps)
        m_results.push_back(std::async(launch, step.run));
}

QList<Finding> StepSchedule::findings(qsizetype step)
{
    return m_results.at(step).get();
}

} // namespace brevik
