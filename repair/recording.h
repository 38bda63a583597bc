#pragma once

#include "model/clock.h"
#include "model/finding.h"
#include "repair/fixengine.h"
#include "repair/journal.h"

#include <QMap>
#include <QString>

#include <functional>

namespace brevik {

// Writing repairs into the journal ahead of them: what their operations will change is read
// and written down before the first command runs, and the outcome is added once it is known.
// A repair runs even when the journal cannot hold it (a user cut off wants the network back);
// its log then says that it cannot be undone.
namespace Recording {

// The entry for a repair about to run: every setting its operations change, with its current
// value (one query per setting), each file it will edit with its checksum and the backup it
// will get, what it does once and cannot take back. Settings in `known` were read a moment
// ago: their `before` is taken as it is, without a query. Stamped with `clock`'s time.
JournalEntry before(const QString &findingId, const FixAction &action, RepairOrigin origin,
                    const QList<RecordedSetting> &known = {}, const Clock &clock = systemClock());

// Completes the entry with the outcome of `result`. A repair that did not succeed is read back
// to tell whether it changed anything; a prompt cancelled after the direct part of a repair
// had already changed settings gets a log that names them, in `result` too.
void finish(JournalEntry &entry, FixResult &result);

// FixEngine::apply, written ahead.
FixResult apply(const Finding &finding, RepairOrigin origin, const Journal &journal);

// FixEngine::applyAll, written ahead: every repair's entry is on disk before the first one
// runs, and each repair gets its own entry.
QMap<QString, FixResult> applyAll(const QList<Finding> &findings,
                                  const std::function<void(const QString &)> &progress,
                                  RepairOrigin origin, const Journal &journal);

// What a log gets when its repair could not be written into the journal.
QString notRecordedNote(const QString &reason);

} // namespace Recording

} // namespace brevik
