#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// Repairs that change a user's file: back up, then edit, or do nothing.
namespace FileEdit {

// One command line that copies the file at `pathWord` (a path as one shell word) to a backup
// beside it and, only when that copy is complete, runs `sed -E` with `expressions` on the
// file in place. The first backup is PATH.brevik.bak; an existing backup is never replaced,
// later ones are PATH.brevik.bak.1, .2, …, each created exclusively, so repairs running at
// once cannot overwrite each other's copy of the original. A path that is a symbolic link is
// edited where it leads, so the link stays a link. On success it prints the backup's path
// after kBackupNote.
QString backupThenSed(const QString &pathWord, const QStringList &expressions);

// The same backup, then the file's content replaced by that of `sourceWord` (a path as one
// shell word): how an edit is taken back, itself backed up so that it can be taken back too.
QString backupThenCopy(const QString &pathWord, const QString &sourceWord);

// The path word of the file that a command built above changes; none for any other command.
std::optional<QString> editedFile(const QString &command);

// What precedes the backup's path in the output of these commands.
inline const QString kBackupNote = QStringLiteral("原文件已备份为 ");

} // namespace FileEdit

} // namespace brevik
