#include "guardian/proxyguardian.h"

#include "guardian/logfile.h"

#include <QDir>

void ProxyGuardian::appendLog(const QString &message)
{
    QDir().mkpath(logDir());
    const QString entry = m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                          QStringLiteral("  ") + message + QLatin1Char('\n');
    LogFile::cutIfOversized(m_logPath);
    LogFile::append(m_logPath, entry.toUtf8());
}

QStringList ProxyGuardian::logTail(int n) const
{
    return LogFile::tail(m_logPath, n);
}
