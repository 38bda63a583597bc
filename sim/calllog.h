#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace brevik {

// One run of a stand-in, as the simulated Mac recorded it.
struct SimCall {
    QString tool;       // the name it was called by: "curl", "networksetup", …
    QStringList args;   // its arguments, after the shell removed the quoting
    qint64 startMs = 0; // ms since the epoch
    qint64 endMs = 0;
    int exitCode = 0;
};

// The call log: one JSON object a line. Stand-ins append whole lines under a lock, so
// lines of calls that end at the same moment never interleave.
namespace CallLog {

QString file(const QString &folder);
bool append(const QString &folder, const SimCall &call);
QList<SimCall> read(const QString &path);

} // namespace CallLog

} // namespace brevik
