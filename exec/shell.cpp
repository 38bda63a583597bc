#include "exec/shell.h"

#include "exec/runner.h"

#include <QRegularExpression>

namespace brevik {

ShellResult shell(const QString &command, double timeout)
{
    return currentRunner()->run(command, timeout);
}

ShellResult shellText(const QString &command, double timeout)
{
    return currentRunner()->runText(command, timeout);
}

QString shellQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString shellWord(const QString &value)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9.:_%-]*$"));
    return safe.match(value).hasMatch() ? value : shellQuote(value);
}

QString adminCommandLine(const QStringList &commands)
{
    QString script = commands.join(QLatin1String("; "));
    // Backslashes first, so the ones added for quotes are not doubled again.
    script.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    script.replace(QLatin1String("\""), QLatin1String("\\\""));
    const QString source = QStringLiteral("do shell script \"") + script +
                           QStringLiteral("\" with administrator privileges");
    return QStringLiteral("osascript -e ") + shellQuote(source);
}

ShellResult runAsAdmin(const QStringList &commands)
{
    return shell(adminCommandLine(commands), 300.0);
}

} // namespace brevik
