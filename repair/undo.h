#pragma once

#include "repair/journal.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// Taking one journal entry back: its settings return to the values recorded before it ran,
// its edited files to their backups. The undo is itself an entry, so it can be taken back too.
namespace Undo {

// What taking an entry back involves, found by reading each of its settings as it is now.
struct Plan {
    JournalEntry entry;
    QList<RecordedSetting> now; // each recorded setting as read now (`before`), none if unread
    QStringList commands;       // restore what the entry changed and nobody changed since
    QStringList restoring;      // those settings and files, as the user reads them
    QStringList overwrites;     // restore what somebody else changed since: only when forced
    QStringList changedSince;   // those settings and files, as the user reads them
    QStringList cannotUndo;     // named, never skipped: one-time actions, lost values, …
    bool needsAdmin = false;
};

enum class Status {
    restored,        // the commands ran and the settings read back as recorded
    alreadyAsBefore, // nothing differs from the recorded values
    nothingToUndo,   // the entry changed nothing that can be restored
    refused,         // settings were changed since and overwriting them was not confirmed
    cancelled,       // the password prompt was cancelled: nothing changed
    failed,
};

struct Result {
    Status status = Status::failed;
    QString text; // the user-facing outcome; first character is the status sign
    QStringList changedSince;
    qint64 undoEntry = 0; // the journal entry of the undo; 0 when none was written
};

// Ids of the entries whose changes a later successful undo took back (and no undo of that
// undo put in force again).
QSet<qint64> undoneIds(const QList<JournalEntry> &entries);

// The entry "undo the last repair" means: the newest one that is no undo, was not cancelled
// and has not been taken back.
std::optional<JournalEntry> latest(const QList<JournalEntry> &entries);

std::optional<JournalEntry> find(const QList<JournalEntry> &entries, qint64 id);

// Reads the current value of every setting and file of `entry`, one query each.
Plan plan(const JournalEntry &entry);

// Carries the plan out behind at most one password prompt and journals it. Settings changed
// since are overwritten only when `force` is set; otherwise nothing runs and they are named.
Result run(const Plan &plan, bool force, RepairOrigin origin, const Journal &journal);

// How the entry went: ✅ ❌, or ⚠️ for a cancelled password prompt.
QString sign(const JournalEntry &entry);

// One line of the history, as the command line shows it.
QString summaryLine(const JournalEntry &entry, bool undone);

} // namespace Undo

} // namespace brevik
