#pragma once

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

// One setting as a repair found it and as its commands were to leave it.
struct RecordedSetting {
    SettingKey key;
    std::optional<QJsonValue> before; // none: it could not be read
    QJsonValue after;                 // what the commands write over `before`
};

// One file a repair edited, and the copy it made of it first.
struct RecordedFile {
    QString pathWord; // the path as the repair's command has it (one shell word)
    QString path;     // the path itself
    QString backup;   // the copy of the file before the edit; empty when none was made
    QString checksum; // "cksum" of the file right after the repair; empty when unread
};

// One repair (or one undo) as the journal keeps it.
struct JournalEntry {
    qint64 id = 0; // given when appended: one more than the last entry's; never reused
    QDateTime time;
    QString findingId;
    QString repairId;
    QString title;
    RepairOrigin origin = RepairOrigin::window;
    QStringList commands;
    bool needsAdmin = false;
    QList<RecordedSetting> settings;
    QList<RecordedFile> files;
    QStringList oneTime;    // what the repair did that cannot be taken back
    QStringList unrecorded; // commands whose effect is unknown to the journal
    bool ok = false;
    QString log;                  // the outcome as the user read it
    std::optional<qint64> undoes; // for an undo: the entry it took back

    QJsonObject toJson() const;
    static std::optional<JournalEntry> fromJson(const QJsonObject &object);
};

QString originLabel(RepairOrigin origin);

// The repair journal: one JSON object a line in a file that several processes append to
// (the app, the command line, the launch agent's runs), kept below a size limit.
class Journal {
public:
    // Beyond this many bytes the oldest entries go, down to half of it.
    static constexpr qint64 kSizeLimit = 1000000;

    explicit Journal(QString path);

    // ~/Library/Application Support/Brevik/journal.jsonl of the home folder `home`.
    static QString pathIn(const QString &home);
    // The journal of the current user (QDir::homePath()).
    static Journal forCurrentUser();

    QString path() const { return m_path; }

    // Appends `entry` under the journal's lock with the next id and returns that id; 0 when
    // it could not be written. The entry goes in with one write, so a reader never sees half
    // of it.
    qint64 append(JournalEntry entry) const;

    // All readable entries, oldest first. Lines that do not parse are passed over.
    QList<JournalEntry> entries() const;

private:
    QString m_path;
};

} // namespace brevik
