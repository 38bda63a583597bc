#pragma once

#include <QString>
#include <QStringList>

// Repairs that change a user's file: back up, then edit, or do nothing.
namespace FileEdit {

// One command line that copies the file at `pathWord` (a path as one shell word) to a backup
// beside it and, only when that copy is complete, runs `sed -E` with `expressions` on the
// file in place. The first backup is PATH.brevik.bak; an existing backup is never replaced,
// later ones are PATH.brevik.bak.1, .2, …, each created exclusively, so repairs running at
// once cannot overwrite each other's copy of the original. A path that is a symbolic link is
// edited where it leads, so the link stays a link. On success it prints the backup's path.
QString backupThenSed(const QString &pathWord, const QStringList &expressions);

} // namespace FileEdit
