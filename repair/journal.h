#pragma once

#include "repair/journalentry.h"

#include <QList>
#include <QString>

namespace brevik {

// The repair journal: JSON records, one a line, in a file that several processes append to
// (the app, the command line, the launch agent's runs). Every repair writes its entry before
// its first command runs and its outcome after, so a process killed at any point leaves an
// entry behind. Reads take the newest part of the file only, so they stay fast and small
// whatever the file has grown to; a line that does not parse is passed over and never hides
// or renumbers another.
class Journal {
public:
    // Beyond this many bytes the oldest entries go, down to half of it.
    static constexpr qint64 kSizeLimit = 1000000;
    // A line longer than this is no record of ours.
    static constexpr qint64 kRecordLimit = 256 * 1024;

    // The journal at `path`; the files its entries may name are those of the home `home`.
    explicit Journal(QString path, QString home = {});

    // ~/Library/Application Support/Brevik/journal.jsonl of the home folder `home`.
    static QString pathIn(const QString &home);
    // The journal of the current user (QDir::homePath()).
    static Journal forCurrentUser();

    QString path() const { return m_path; }
    QString home() const { return m_home; }

    // What a read found.
    struct Read {
        QList<JournalEntry> entries; // oldest first, each with its outcome when it has one
        bool more = false;           // older records were left unread
        bool missing = false;        // there is no journal yet
        QString error;               // why it could not be read; entries are then empty
    };
    // The newest `newest` entries (all the journal keeps when negative), read from the end:
    // what a read costs does not grow with the file.
    Read read(qsizetype newest = -1) const;
    // The entries of a read, empty when it failed.
    QList<JournalEntry> entries() const { return read().entries; }

    // Writes `entry` before its repair runs, flushed to the disk, with the next id, which it
    // is given. Returns the reason when it could not be written (entry.id stays 0).
    QString start(JournalEntry &entry) const;

    // Adds the outcome of an entry written by start(). Returns the reason when it could not.
    QString finish(const JournalEntry &entry) const;

private:
    QString m_path;
    QString m_home;
};

} // namespace brevik
