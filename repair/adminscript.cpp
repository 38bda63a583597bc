#include "repair/adminscript.h"

#include <QRegularExpression>

#include <unistd.h>

namespace brevik {

namespace {

const QString kMarker = QStringLiteral("@@brevik-status");

} // namespace

namespace AdminScript {

QString build(const QList<QStringList> &groups)
{
    return build(groups, qint64(::getpid()));
}

QString build(const QList<QStringList> &groups, qint64 parent)
{
    // A script behind a password prompt outlives a killed parent: with nobody left to record
    // what it does, it stops before its next command.
    const QString parentAlive = QStringLiteral("kill -0 %1 2>/dev/null || exit 1; ").arg(parent);
    QStringList parts;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        // "-" until a command fails, then "INDEX CODE" of the first one that did.
        parts << QStringLiteral("brevik_failed=-");
        const QStringList &commands = groups.at(g);
        for (qsizetype i = 0; i < commands.size(); ++i) {
            // The line break before "}" keeps a command that ends oddly (a trailing comment, a
            // lone "&") from swallowing the brace. Standard error joins the output, which
            // osascript would otherwise drop on success.
            parts << parentAlive + QStringLiteral("{ ") + commands.at(i) +
                         QStringLiteral("\n} 2>&1 || { brevik_s=$?; [ \"$brevik_failed\" != - ] "
                                        "|| brevik_failed=\"%1 $brevik_s\"; }")
                             .arg(i);
        }
        // The leading line break puts the status on a line of its own even after output that
        // did not end with one.
        parts << QStringLiteral("printf '\\n%s %s %s\\n' '") + kMarker +
                     QStringLiteral("' %1 \"$brevik_failed\"").arg(g);
    }
    return parts.join(QStringLiteral("; "));
}

QList<GroupOutcome> parse(const QString &output, qsizetype groupCount)
{
    static const QRegularExpression status(QStringLiteral("^") + kMarker +
                                           QStringLiteral(" (\\d+) (?:-|(\\d+) (\\d+))$"));
    QList<GroupOutcome> outcomes(groupCount);
    // do shell script hands its result back with carriage returns for line ends.
    QString text = output;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList pending;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = status.match(line.trimmed());
        const qsizetype group = match.hasMatch() ? match.captured(1).toLongLong() : -1;
        if (group < 0 || group >= groupCount || outcomes.at(group).reported) {
            pending << line;
            continue;
        }
        GroupOutcome &outcome = outcomes[group];
        outcome.reported = true;
        outcome.output = pending.join(QLatin1Char('\n')).trimmed();
        pending.clear();
        if (!match.captured(2).isEmpty()) {
            outcome.failedCommand = match.captured(2).toInt();
            outcome.code = match.captured(3).toInt();
        }
    }
    // What a script cut short printed belongs to the group it was running.
    for (GroupOutcome &outcome : outcomes) {
        if (!outcome.reported) {
            outcome.output = pending.join(QLatin1Char('\n')).trimmed();
            break;
        }
    }
    return outcomes;
}

} // namespace AdminScript

} // namespace brevik
