#include "appmodel/batchreport.h"

#include <QCoreApplication>

#include <algorithm>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(BatchReport)
};

} // namespace

BatchReport batchReportOf(const QList<Finding> &targets, const QMap<QString, FixResult> &results)
{
    BatchReport report;
    int succeeded = 0;
    int failed = 0;
    for (const Finding &finding : targets) {
        // A target the engine left without an outcome ran nothing that could have succeeded.
        const FixResult result = results.value(
            finding.id, FixResult{false, Texts::tr("❌ 没有执行（修复程序没有给出结果）")});
        report.lines << BatchReport::Line{finding.title, result.log, result.end,
                                          result.ok || result.ranAny};
        succeeded += result.end == FixEnd::succeeded;
        failed += result.end == FixEnd::failed || result.end == FixEnd::notFixed;
    }
    if (succeeded == report.lines.size())
        report.outcome = RepairOutcome::succeeded;
    else if (succeeded > 0)
        report.outcome = RepairOutcome::partly;
    else
        report.outcome = failed > 0 ? RepairOutcome::failed : RepairOutcome::cancelled;
    return report;
}

QString BatchReport::headline() const
{
    switch (outcome) {
    case RepairOutcome::succeeded:
        return Texts::tr("批量修复完成");
    case RepairOutcome::partly:
        return Texts::tr("批量修复部分完成");
    case RepairOutcome::failed:
        return Texts::tr("批量修复失败");
    case RepairOutcome::cancelled:
        return Texts::tr("批量修复已取消");
    }
    return {};
}

QString BatchReport::explanation() const
{
    const qsizetype done = std::count_if(lines.cbegin(), lines.cend(), [](const Line &line) {
        return line.end == FixEnd::succeeded;
    });
    const bool anyChanged = std::any_of(lines.cbegin(), lines.cend(),
                                        [](const Line &line) { return line.changedSomething; });
    switch (outcome) {
    case RepairOutcome::succeeded:
        return Texts::tr("%n 项修复全部成功。", nullptr, int(done));
    case RepairOutcome::partly:
        return Texts::tr("%n 项修复中 %1 项成功，其余没有成功，原因见下。", nullptr,
                         int(lines.size()))
            .arg(done);
    case RepairOutcome::failed:
        return Texts::tr("没有一项修复成功，原因见下。");
    case RepairOutcome::cancelled:
        // What ran before the prompt (a repair tried without a password first) may stay.
        return anyChanged ? Texts::tr("没有输入管理员密码；不需要密码的部分已经执行，"
                                      "它做的改动仍然有效，见下。")
                          : Texts::tr("没有输入管理员密码，修复没有执行，设置没有任何改动。");
    }
    return {};
}

} // namespace brevik
