#pragma once

#include <QString>

#include <optional>

namespace brevik {

// What a repair needs to know of a file it edits, read with one command each: through the
// runner, like every command, so the simulated Mac answers for its own files, and with the
// path as one quoted word.
namespace FileState {

// A file about to be edited: its checksum (what "cksum" prints: "CRC SIZE"), empty when it
// cannot be read; and the name its backup will get, as the suffix after the path
// (".brevik.bak" for the first one, then ".brevik.bak.N").
struct BeforeEdit {
    QString checksum;
    QString backupSuffix;
};
BeforeEdit beforeEdit(const QString &path);

// A file and its backup as an undo finds them.
struct WithBackup {
    QString checksum; // of the file; empty when unreadable
    enum class Backup { present, missing, unreadable } backup = Backup::missing;
    QString backupChecksum; // when present
};
WithBackup withBackup(const QString &path, const QString &backup);

// The file's checksum; empty when it cannot be read.
QString checksum(const QString &path);

} // namespace FileState

} // namespace brevik
