#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace brevik {

// The guardian's text logs (guard.log and the agent's standard output and error): appended
// to by several processes at once, read from the end, and kept small.
namespace LogFile {

// Beyond this many bytes a log is cut back to its last kLinesKept lines.
inline constexpr qint64 kSizeLimit = 200000;
inline constexpr int kLinesKept = 400;

// Appends `entry` (whole lines) with one write to a file opened for appending, creating it if
// need be, so that entries of processes writing at the same moment all land whole. A write
// cut short (a full disk) is taken back. Returns false when nothing was appended.
bool append(const QString &path, const QByteArray &entry);

// The last `n` non-empty lines, oldest first, read from the end of the file only; lines that
// do not fit into the last megabyte are left out. Empty when the file cannot be read.
QStringList tail(const QString &path, int n);

// Cuts a log larger than kSizeLimit back to its last kLinesKept lines, atomically, and never
// keeps more than kSizeLimit bytes of them (a log without a line end is emptied). Failures
// are ignored.
void cutIfOversized(const QString &path);

} // namespace LogFile

} // namespace brevik
