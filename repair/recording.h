#pragma once

#include "model/clock.h"
#include "model/finding.h"
#include "repair/fixengine.h"
#include "repair/journal.h"

#include <QMap>
#include <QString>

#include <functional>

namespace brevik {

// Writing repairs into the journal: what their commands will change is read before they run,
// and the entry is appended once the outcome is known.
namespace Recording {

// The entry for a repair about to run: every setting its commands change, with its current
// value (one query per setting and nothing else), the files it will edit, what it does once
// and cannot take back, and the commands whose effect is unknown. Settings in `known` were
// read a moment ago: their `before` is taken as it is, without a query. The entry is stamped
// with `clock`'s time.
JournalEntry before(const QString &findingId, const FixAction &action, RepairOrigin origin,
                    const QList<RecordedSetting> &known = {}, const Clock &clock = systemClock());

// Completes the entry with the outcome: the log, and for each edited file the backup the
// repair names in its output and the file's checksum as the repair left it.
void finish(JournalEntry &entry, bool ok, const QString &log);

// FixEngine::apply, recorded.
FixResult apply(const Finding &finding, RepairOrigin origin, const Journal &journal);

// FixEngine::applyAll, recorded: the settings of every repair are read before the first one
// runs, and each repair gets its own entry.
QMap<QString, QString> applyAll(const QList<Finding> &findings,
                                const std::function<void(const QString &)> &progress,
                                RepairOrigin origin, const Journal &journal);

} // namespace Recording

} // namespace brevik
