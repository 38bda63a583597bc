#include "guardian/proxyguardian.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 kLogSizeLimit = 200000;
constexpr int kLinesKeptOnCut = 400;

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

} // namespace

void ProxyGuardian::appendLog(const QString &message)
{
    QDir().mkpath(logDir());
    const QString entry =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
        QStringLiteral("  ") + message + QLatin1Char('\n');

    const QFileInfo info(m_logPath);
    if (info.exists() && info.size() > kLogSizeLimit) {
        const QString kept = logTail(kLinesKeptOnCut).join(QLatin1Char('\n')) + QLatin1Char('\n');
        writeAtomically(m_logPath, kept.toUtf8());
    }

    // Append mode, so that the app and an agent run writing at the same moment both land.
    QFile file(m_logPath);
    if (file.exists()) {
        // An existing log we may not write is left as it is rather than replaced by one entry.
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(entry.toUtf8());
        return;
    }
    writeAtomically(m_logPath, entry.toUtf8());
}

QStringList ProxyGuardian::logTail(int n) const
{
    QFile file(m_logPath);
    if (n <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(std::max<qsizetype>(0, lines.size() - n));
}
