#pragma once

#include <QByteArray>
#include <QString>

namespace brevik {

// Replaces the file at `path` with `bytes` in one step: the old file stays as it was unless
// the whole new content was written. Every write is checked as it happens (Qt 6.4's
// QSaveFile::commit() reports success after a buffered write that failed on a full disk).
// On failure `error`, when given, receives the system's description.
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

} // namespace brevik
