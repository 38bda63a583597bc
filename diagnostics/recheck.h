#pragma once

#include "diagnostics/diagnosticsrun.h"
#include "model/clock.h"
#include "model/finding.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// After a repair: the check whose finding it repaired, run again on a fresh snapshot, says
// whether the finding is gone. Only the steps of the findings repaired run, not a scan.
namespace Recheck {

// The step a finding comes from; none for an id that no check gives.
std::optional<StepPlace> placeOf(const QString &findingId);

struct Verdict {
    QString findingId;
    bool fixed = false;            // the check no longer finds it
    std::optional<Finding> still;  // what the check finds in its place when it is not fixed
    QDateTime at;                  // when the check ran
};

// Takes a fresh snapshot and runs each step of `findingIds` once. A finding of no known step
// gets no verdict.
QList<Verdict> run(const QStringList &findingIds, const Clock &clock = systemClock());

// The verdict as a log line: "复查：已不再发现这个问题（10:32:05）", or "复查仍发现：TITLE" and
// the first line of what the check says of it.
QString line(const Verdict &verdict);

} // namespace Recheck

} // namespace brevik
