#include "appmodel/batchreport.h"

#include <algorithm>

namespace brevik {

namespace {

enum class Ending { succeeded, cancelled, failed };

Ending endingOf(const QString &log)
{
    if (log.startsWith(QStringLiteral("✅")))
        return Ending::succeeded;
    const QStringList lines = log.split(QLatin1Char('\n'));
    const bool cancelled = std::any_of(lines.cbegin(), lines.cend(), [](const QString &line) {
        return line.trimmed().startsWith(QStringLiteral("⚠️"));
    });
    return cancelled ? Ending::cancelled : Ending::failed;
}

} // namespace

RepairOutcome outcomeOf(const QStringList &logs)
{
    int succeeded = 0;
    int failed = 0;
    for (const QString &log : logs) {
        const Ending ending = endingOf(log);
        succeeded += ending == Ending::succeeded;
        failed += ending == Ending::failed;
    }
    if (succeeded == logs.size())
        return RepairOutcome::succeeded;
    if (succeeded > 0)
        return RepairOutcome::partly;
    return failed > 0 ? RepairOutcome::failed : RepairOutcome::cancelled;
}

BatchReport batchReportOf(const QList<Finding> &targets, const QMap<QString, QString> &logs)
{
    BatchReport report;
    QStringList texts;
    for (const Finding &finding : targets) {
        // A target the engine left without a log ran nothing that could have succeeded.
        const QString log =
            logs.value(finding.id, QStringLiteral("❌ 没有执行（修复程序没有给出结果）"));
        report.lines << BatchReport::Line{finding.title, log};
        texts << log;
    }
    report.outcome = outcomeOf(texts);
    return report;
}

QString BatchReport::headline() const
{
    switch (outcome) {
    case RepairOutcome::succeeded:
        return QStringLiteral("批量修复完成");
    case RepairOutcome::partly:
        return QStringLiteral("批量修复部分完成");
    case RepairOutcome::failed:
        return QStringLiteral("批量修复失败");
    case RepairOutcome::cancelled:
        return QStringLiteral("批量修复已取消");
    }
    return {};
}

QString BatchReport::explanation() const
{
    const qsizetype done = std::count_if(lines.cbegin(), lines.cend(), [](const Line &line) {
        return endingOf(line.log) == Ending::succeeded;
    });
    switch (outcome) {
    case RepairOutcome::succeeded:
        return QStringLiteral("%1 项修复全部成功。").arg(done);
    case RepairOutcome::partly:
        return QStringLiteral("%1 项修复中 %2 项成功，其余没有成功，原因见下。")
            .arg(lines.size())
            .arg(done);
    case RepairOutcome::failed:
        return QStringLiteral("没有一项修复成功，原因见下。");
    case RepairOutcome::cancelled:
        return QStringLiteral("没有输入管理员密码，修复没有执行，设置没有任何改动。");
    }
    return {};
}

} // namespace brevik
