#pragma once

#include "repair/changelock.h"
#include "repair/journal.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// Taking one journal entry back: its settings return to the values recorded before it ran,
// its edited files to their backups. The undo is itself an entry, so it can be taken back too.
// Every operation of an undo is built from the values the entry recorded, never from text.
namespace Undo {

// What taking an entry back involves, found by reading each of its settings and files as
// they are now.
struct Plan {
    JournalEntry entry;
    QList<RecordedSetting> now;  // each recorded setting as read now (`before`), none if unread
    QList<RepairOp> operations;  // restore what the entry changed and nobody changed since
    QStringList restoring;       // those settings and files, as the user reads them
    QList<RepairOp> overwrites;  // restore what somebody else changed since: only when forced
    QStringList changedSince;    // those settings and files, as the user reads them
    QStringList cannotUndo;      // named, never skipped: one-time actions, lost values, …
    QStringList refusals;        // stop the undo even when forced: a backup gone or changed
};

enum class Status {
    restored,        // the commands ran and the settings read back as recorded
    alreadyAsBefore, // nothing differs from the recorded values
    alreadyUndone,   // another undo took the entry back already
    nothingToUndo,   // the entry changed nothing that can be restored
    refused,         // changed since and not confirmed, a backup not to be trusted, …
    cancelled,       // the password prompt was cancelled: nothing changed
    failed,
};

struct Result {
    Status status = Status::failed;
    QString text; // the user-facing outcome; first character is the status sign
    QStringList changedSince;
    qint64 undoEntry = 0; // the journal entry of the undo; 0 when none was written
    qint64 target = 0;    // the entry it was about
};

// Ids of the entries whose changes a later successful undo took back (and no undo of that
// undo put in force again).
QSet<qint64> undoneIds(const QList<JournalEntry> &entries);

// True when the entry can be taken back at all: it is readable, no undo, and it may have
// changed something (a prompt cancelled before anything ran changed nothing).
bool undoable(const JournalEntry &entry);

// Whether the history lists the entry: a guardian's repair that changed nothing (it keeps
// trying while a setting is locked) is written ahead like any other, but is no event.
bool listed(const JournalEntry &entry);

// The entry "undo the last repair" means: the newest undoable one not taken back yet.
std::optional<JournalEntry> latest(const QList<JournalEntry> &entries);

std::optional<JournalEntry> find(const QList<JournalEntry> &entries, qint64 id);

// Reads the current value of every setting and file of `entry`, one query each.
Plan plan(const JournalEntry &entry);

// Carries the plan out behind at most one password prompt, written ahead into `journal`.
// Settings changed since are overwritten only when `force` is set; a backup that is gone or
// changed since it was made is never restored.
Result run(const Plan &plan, bool force, RepairOrigin origin, const Journal &journal);

// The whole of one undo for a caller that holds the change lock: reads the journal, finds
// entry `id` (the latest undoable one when none), makes sure it was not taken back meanwhile,
// plans and runs.
Result takeBack(const Journal &journal, std::optional<qint64> id, bool force, RepairOrigin origin);

// An entry with no outcome whose process holds the change lock right now is still running;
// without one it was interrupted.
bool running(const JournalEntry &entry, const std::optional<ChangeLock::Holder> &holder);

// How the entry went: ✅ ❌, ⚠️ for a cancelled prompt, an interruption or an unreadable
// record, ⏳ while it runs.
QString sign(const JournalEntry &entry, bool isRunning = false);

// One line of the history, as the command line shows it.
QString summaryLine(const JournalEntry &entry, bool undone, bool isRunning = false);

} // namespace Undo

} // namespace brevik
