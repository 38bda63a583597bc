#include "guardian/proxyguardian.h"

#include <QTextStream>

#include <cstdio>

namespace {

const QString kAgentPrefix = QStringLiteral("[守护] ");
const QString kStampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// The agent starts every 5 s; this leaves room for one slow or skipped start and no more, so
// an observation from an earlier episode never counts.
constexpr qint64 kCarryWindowSeconds = 15;

// The verdict the previous agent run logged, when the log's last entry is one and was written
// at most kCarryWindowSeconds before `now`; empty otherwise. Entries look like
// "2026-12-06 12:00:00  [守护] ⚠️ 发现残留代理
// 127.0.0.1:7890（无人监听）——确认中…".
QString recentAgentText(const QStringList &lastEntry, const QDateTime &now)
{
    if (lastEntry.isEmpty())
        return {};
    const QString &entry = lastEntry.constLast();
    const qsizetype stampLength = kStampFormat.size();
    const QString separator = QStringLiteral("  ");
    if (entry.mid(stampLength, separator.size()) != separator)
        return {};
    const QDateTime stamp = QDateTime::fromString(entry.left(stampLength), kStampFormat);
    if (!stamp.isValid())
        return {};
    // A stamp ahead of now (clock turned back) proves nothing about the previous run.
    const qint64 age = stamp.secsTo(now);
    if (age < 0 || age > kCarryWindowSeconds)
        return {};
    const QString message = entry.mid(stampLength + separator.size());
    return message.startsWith(kAgentPrefix) ? message.mid(kAgentPrefix.size()) : QString();
}

bool isNotable(const ProxyGuardian::Status &status)
{
    return status.didFix || status.text.startsWith(QStringLiteral("⚠️")) ||
           status.text.startsWith(QStringLiteral("❌")) ||
           status.text.startsWith(QStringLiteral("✅"));
}

} // namespace

void ProxyGuardian::runCLIOnce()
{
    QTextStream out(stdout);
    runCLIOnce(shared(), out, QDateTime::currentDateTime());
}

void ProxyGuardian::runCLIOnce(ProxyGuardian &guardian, QTextStream &out, const QDateTime &now)
{
    const Status status = guardian.check(true, recentAgentText(guardian.logTail(1), now));
    // Healthy and undecided states leave no trace, so the log keeps only what mattered.
    if (!isNotable(status))
        return;
    guardian.appendLog(kAgentPrefix + status.text);
    out << status.text << '\n';
    out.flush();
}
