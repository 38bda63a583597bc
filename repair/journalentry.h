#pragma once

#include "model/repairop.h"
#include "repair/setting.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// Who started a repair.
enum class RepairOrigin { window, commandLine, guardian };

QString originLabel(RepairOrigin origin);

// One setting as a repair found it and as its operations were to leave it.
struct RecordedSetting {
    SettingKey key;
    std::optional<QJsonValue> before; // none: it could not be read
    QJsonValue after;                 // what the operations write over `before`
};

// One file a repair edits, and the copy it makes of it first.
struct RecordedFile {
    QString path;           // one of the files Brevik edits
    QString backup;         // the copy: as expected before the repair, as made after it
    QString backupChecksum; // "cksum" of the file before the edit, and so of its copy
    QString checksumAfter;  // "cksum" of the file as the repair left it; empty when unknown
};

// How a recorded repair ended. `none`: no outcome was added (yet): the repair is still
// running, or its process died before it could say. `notFixed`: its commands succeeded, but
// the check run again still found the problem.
enum class EntryEnd { none, succeeded, notFixed, failed, cancelled };

// One repair (or one undo) as the journal keeps it. Written in two records: the entry before
// the first command runs (what will run, what it will change, the values before), and its
// outcome once it ended.
struct JournalEntry {
    qint64 id = 0; // given when written: greater than every id before it
    QDateTime time;
    QString findingId;
    QString repairId;
    QString title;
    RepairOrigin origin = RepairOrigin::window;
    qint64 pid = 0; // the process that ran it
    QList<RepairOp> operations;
    bool needsAdmin = false;
    QList<RecordedSetting> settings;
    QList<RecordedFile> files;
    QStringList oneTime;          // what the repair does that cannot be taken back
    std::optional<qint64> undoes; // for an undo: the entry it takes back

    EntryEnd end = EntryEnd::none;
    bool changedNothing = false; // it ended having changed nothing (a prompt cancelled at once)
    QString log;                 // the outcome as the user read it
    QString verdict;             // what the check found after the repair, when it was re-run

    // Entries of earlier versions carried commands; those whose effect was unknown are named.
    QStringList unrecorded;
    // Why a value of the record cannot be trusted; such an entry is listed, never undone.
    QString unreadable;

    bool finished() const { return end != EntryEnd::none; }
    bool ok() const { return end == EntryEnd::succeeded; }

    // The first record: everything but the outcome.
    QJsonObject startRecord() const;
    // The second record: the id and the outcome.
    QJsonObject outcomeRecord() const;
};

namespace JournalRecords {

// The record's id, when it has a valid one (a whole number from 1 to 2^53 - 1).
std::optional<qint64> idOf(const QJsonObject &record);

// Reads a first record (or a whole entry of an earlier version). None when it is no entry
// at all; an entry with `unreadable` set when a value does not have its type. File paths are
// checked against the files Brevik edits in `home`.
std::optional<JournalEntry> entryFrom(const QJsonObject &record, const QString &home);

// True for an outcome record.
bool isOutcome(const QJsonObject &record);

// Adds an outcome record to its entry; marks the entry unreadable when the outcome's values
// do not have their types.
void addOutcome(JournalEntry &entry, const QJsonObject &record);

// The first line of a journal cut back: ids below this one were given before.
QJsonObject floorRecord(qint64 lastId);
std::optional<qint64> floorOf(const QJsonObject &record);

} // namespace JournalRecords

} // namespace brevik
