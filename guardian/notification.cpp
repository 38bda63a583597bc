#include "guardian/notification.h"

#include "exec/shell.h"

namespace brevik {

namespace {

// An AppleScript string literal: backslashes and quotes escaped, line breaks made blanks
// (a notification shows one paragraph anyway).
QString appleScriptString(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""))
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

namespace Notification {

QString command(const QString &title, const QString &text)
{
    return QStringLiteral("osascript -e ") +
           shellQuote(QStringLiteral("display notification ") + appleScriptString(text) +
                      QStringLiteral(" with title ") + appleScriptString(title));
}

} // namespace Notification

} // namespace brevik
