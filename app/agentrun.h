#pragma once

#include <QDateTime>

class QTextStream;

namespace brevik {

class ProxyGuardian;

// What the launch agent starts every 5 seconds (`--guard`): one check with repair, its count
// carried from the previous run through a small state file.
namespace AgentRun {

// One run on `guardian`, printing a notable verdict to `out` and logging it, with `now` as
// the time of this run's observation: the previous run's observation is judged against it
// and this run's is stored with it. Also keeps the guardian log and the agent's output
// files bounded.
void once(ProxyGuardian &guardian, QTextStream &out, const QDateTime &now);

} // namespace AgentRun

} // namespace brevik
