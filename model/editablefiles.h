#pragma once

#include <QString>
#include <QStringList>

namespace brevik {

// The only files Brevik's repairs ever change: the hosts file and the user's shell start-up
// files. A path from anywhere else (a tampered record, say) is never edited or restored.
namespace EditableFiles {

inline const QString kHostsFile = QStringLiteral("/etc/hosts");

// The shell start-up files as the user writes them, "~/.zshrc" first.
const QStringList &shellStartupFiles();

// "~/.zshrc" in the home folder `home`.
QString inHome(const QString &file, const QString &home);

// True for the hosts file and for the start-up files in `home`, compared as written.
bool isEditable(const QString &path, const QString &home);

// True for PATH.brevik.bak and PATH.brevik.bak.N (N of one to nine digits, not starting 0).
bool isBackupOf(const QString &backup, const QString &path);

} // namespace EditableFiles

} // namespace brevik
