#include "guardian/guardlog.h"

#include "guardian/logfile.h"
#include "repair/statefiles.h"

#include <QDir>
#include <QFileInfo>

#include <sys/file.h>

namespace brevik {

GuardLog::GuardLog(QString path, Clock clock) : m_path(std::move(path)), m_clock(std::move(clock))
{
}

void GuardLog::append(const QString &message) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const QString entry = m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                          QStringLiteral("  ") + message + QLatin1Char('\n');
    // The cut replaces the file: an entry appended to the old one meanwhile would be lost.
    // Appends and cuts of every process take turns; a log that cannot be locked is still
    // written, the log being advisory.
    StateFiles::Opened lock = StateFiles::openLockFile(m_path + QStringLiteral(".lock"));
    if (lock.file.isOpen())
        ::flock(lock.file.fd(), LOCK_EX);
    LogFile::cutIfOversized(m_path);
    LogFile::append(m_path, entry.toUtf8());
}

QStringList GuardLog::tail(int n) const
{
    return LogFile::tail(m_path, n);
}

} // namespace brevik
