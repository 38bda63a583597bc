#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace brevik {

// One administrator script for several repairs that still tells how each of them went.
//
// Behind the password prompt, `do shell script` hands back the script's standard output only
// when the script exits 0; otherwise osascript prints "0:123: execution error: … (N)" and the
// output is lost. So the script keeps going past failing commands, as a plain "; " join would,
// records the first failure of each group, prints one status line per group and always ends
// with status 0.
namespace AdminScript {

// How one group of commands (one repair) ended inside the script.
struct GroupOutcome {
    bool reported = false;  // the script reached the end of the group and printed its status
    int code = 0;           // exit code of the group's first failing command; 0 when none failed
    int failedCommand = -1; // index of that command within the group
    QString output;         // what the group's commands printed, standard error included
};

// The script text for `groups`, run in order, each group's commands in order. Before each
// command the script makes sure that `parent` (this process) still runs, and stops if not.
QString build(const QList<QStringList> &groups);
QString build(const QList<QStringList> &groups, qint64 parent);

// Splits the script's output into one outcome per group. Groups the script never reported on
// (a cancelled prompt, a script cut short) come back with `reported` false.
QList<GroupOutcome> parse(const QString &output, qsizetype groupCount);

} // namespace AdminScript

} // namespace brevik
