#include "guardian/guardlog.h"

#include "guardian/logfile.h"

#include <QDir>
#include <QFileInfo>

namespace brevik {

GuardLog::GuardLog(QString path, Clock clock) : m_path(std::move(path)), m_clock(std::move(clock))
{
}

void GuardLog::append(const QString &message) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const QString entry = m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                          QStringLiteral("  ") + message + QLatin1Char('\n');
    LogFile::cutIfOversized(m_path);
    LogFile::append(m_path, entry.toUtf8());
}

QStringList GuardLog::tail(int n) const
{
    return LogFile::tail(m_path, n);
}

} // namespace brevik
