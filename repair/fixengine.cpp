#include "repair/fixengine.h"

#include "exec/shell.h"
#include "repair/adminscript.h"
#include "repair/effectcheck.h"

namespace brevik {

namespace {

const QString kCancelled = QStringLiteral("⚠️ 已取消授权，未做任何修改。");
const QString kNothingToRun = QStringLiteral("❌ 没有可执行的修复命令");
const QString kAdminFallbackNote = QStringLiteral("（免密码方式未生效，已通过管理员权限完成）\n");
const QString kBatchFailed = QStringLiteral("❌ 批量修复失败：\n");

// A dismissed password dialog makes osascript print "0:56: execution error: User canceled.
// (-128)" and exit 1.
bool reportsCancel(const ShellResult &result, const QString &text)
{
    return result.end == ProcessEnd::exited && result.code != 0 &&
           (text.contains(QLatin1String("User canceled")) ||
            text.contains(QLatin1String("(-128)")));
}

// Why a command failed, in the words of the log's first line.
QString failureHeading(const ShellResult &result)
{
    switch (result.end) {
    case ProcessEnd::exited:
        break;
    case ProcessEnd::signalled:
        return QStringLiteral("❌ 执行失败（被信号 ") + QString::number(result.code) +
               QStringLiteral(" 终止）");
    case ProcessEnd::timedOut:
        return QStringLiteral("❌ 执行失败（超时，命令已被终止）");
    case ProcessEnd::failedToStart:
        return QStringLiteral("❌ 执行失败（无法启动）");
    }
    return QStringLiteral("❌ 执行失败（退出码 ") + QString::number(result.code) +
           QStringLiteral("）");
}

// How one repair's commands went: how the run ended and its output, which formatLog reads,
// and what still does not hold although every command exited 0.
struct RepairRun {
    ShellResult result;
    QStringList unmet;

    bool ok() const { return result.succeeded() && unmet.isEmpty(); }
};

// The output of a failed run, led by the command that failed so the user knows where to look.
QString namingFailure(const QString &command, const QString &output)
{
    const QString text = output.trimmed();
    return QStringLiteral("失败的命令：") + command + (text.isEmpty() ? QString() : "\n" + text);
}

// Reads the settings back once the commands reported success.
RepairRun confirmed(const QStringList &commands, const ShellResult &result)
{
    RepairRun run{result, {}};
    if (result.succeeded())
        run.unmet = EffectCheck::unmet(commands);
    return run;
}

// Commands run one by one until the first that fails.
struct DirectRun {
    ShellResult last;      // how the last command run ended; its output is not kept here
    QStringList outputs;   // trimmed, non-empty outputs of the commands that succeeded
    qsizetype failed = -1; // the command that failed
    QString failedOutput;

    QStringList pieces() const
    {
        return failedOutput.isEmpty() ? outputs : outputs + QStringList{failedOutput};
    }
};

DirectRun runUntilFailure(const QStringList &commands)
{
    DirectRun run;
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const ShellResult step = shell(commands.at(i), 25.0);
        const QString text = step.output.trimmed();
        run.last = {step.code, {}, step.end};
        if (!step.succeeded()) {
            run.failed = i;
            run.failedOutput = text;
            break;
        }
        if (!text.isEmpty())
            run.outputs << text;
    }
    return run;
}

RepairRun runDirectNamingFailure(const QStringList &commands)
{
    const DirectRun run = runUntilFailure(commands);
    QStringList pieces = run.outputs;
    if (run.failed >= 0)
        pieces << namingFailure(commands.at(run.failed), run.failedOutput);
    return confirmed(commands, {run.last.code, pieces.join(QLatin1Char('\n')), run.last.end});
}

// Runs every group behind one prompt; one run per group, in the order given.
QList<RepairRun> runAsAdminByGroup(const QList<QStringList> &groups)
{
    const ShellResult whole = runAsAdmin({AdminScript::build(groups)});
    const QList<AdminScript::GroupOutcome> outcomes =
        AdminScript::parse(whole.output, groups.size());
    QList<RepairRun> runs;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const AdminScript::GroupOutcome &outcome = outcomes.at(g);
        if (!outcome.reported) {
            // Cancelled, or the script never got this far: the prompt's own end and text tell
            // why. A prompt that succeeded without a report still is no success.
            if (whole.succeeded())
                runs << RepairRun{
                    {-1, QStringLiteral("管理员脚本没有报告这项修复的结果\n") + outcome.output},
                    {}};
            else
                runs << RepairRun{whole, {}};
            continue;
        }
        if (outcome.code != 0) {
            runs << RepairRun{
                {outcome.code,
                 namingFailure(groups.at(g).value(outcome.failedCommand), outcome.output)},
                {}};
            continue;
        }
        runs << confirmed(groups.at(g), {0, outcome.output});
    }
    return runs;
}

// The log of a run whose commands all exited 0 but whose settings did not take.
QString unmetLog(const QStringList &unmet)
{
    return QStringLiteral("❌ 修复未生效：命令已执行，但设置没有改变\n") +
           unmet.join(QLatin1Char('\n'));
}

QString logOf(const std::optional<FixAction> &action, const RepairRun &run)
{
    if (run.result.succeeded() && !run.unmet.isEmpty())
        return unmetLog(run.unmet);
    return FixEngine::formatLog(action, run.result);
}

} // namespace

namespace FixEngine {

ShellResult runDirect(const QStringList &commands)
{
    const DirectRun run = runUntilFailure(commands);
    return {run.last.code, run.pieces().join(QLatin1Char('\n')), run.last.end};
}

QString formatLog(const std::optional<FixAction> &action, const ShellResult &result)
{
    const QString text = result.output.trimmed();
    if (result.succeeded()) {
        QString log = QStringLiteral("✅ 修复成功");
        if (action)
            log += QStringLiteral("：") + action->successHint;
        if (!text.isEmpty())
            log += QLatin1Char('\n') + text;
        return log;
    }
    if (reportsCancel(result, text))
        return kCancelled;
    QString log = failureHeading(result);
    if (!text.isEmpty())
        log += QLatin1Char('\n') + text;
    return log;
}

FixResult apply(const FixAction &action)
{
    // Without commands nothing would run and the code would stay 0: that must not read as
    // "repaired" (a proxy repair built from an empty service list looks like this).
    if (action.commands.isEmpty())
        return {false, kNothingToRun};

    RepairRun run;
    if (action.needsAdmin) {
        run = runAsAdminByGroup({action.commands}).first();
    } else {
        run = runDirectNamingFailure(action.commands);
        if (!run.ok() && action.fallbackAdmin) {
            const RepairRun admin = runAsAdminByGroup({action.commands}).first();
            if (admin.ok())
                return {true, formatLog(action, {0, kAdminFallbackNote + admin.result.output})};
            run = admin;
        }
    }
    return {run.ok(), logOf(action, run)};
}

QMap<QString, QString> applyAll(const QList<Finding> &findings,
                                const std::function<void(const QString &)> &progress)
{
    const auto report = [&progress](const QString &text) {
        if (progress)
            progress(text);
    };

    QMap<QString, QString> logs;
    QList<QStringList> adminGroups;
    QStringList adminIds;
    for (const Finding &finding : findings) {
        if (!finding.fix)
            continue;
        const FixAction &action = *finding.fix;
        // An empty repair would otherwise add nothing to the prompt yet share its success.
        if (action.commands.isEmpty()) {
            logs.insert(finding.id, kNothingToRun);
            continue;
        }
        if (action.needsAdmin) {
            report(QStringLiteral("准备修复：") + finding.title);
            adminGroups << action.commands;
            adminIds << finding.id;
            logs.insert(finding.id, QStringLiteral("⏳ 等待管理员授权…"));
            continue;
        }
        report(QStringLiteral("正在修复：") + finding.title);
        const RepairRun run = runDirectNamingFailure(action.commands);
        if (!run.ok() && action.fallbackAdmin) {
            adminGroups << action.commands;
            adminIds << finding.id;
            logs.insert(finding.id, QStringLiteral("⏳ 免密码方式未生效，等待管理员授权…"));
        } else {
            logs.insert(finding.id, logOf(action, run));
        }
    }
    if (adminGroups.isEmpty())
        return logs;

    report(QStringLiteral("正在执行需要管理员权限的修复（1/1 授权）…"));
    // One prompt for all, yet each finding ends with the outcome of its own commands.
    const QList<RepairRun> runs = runAsAdminByGroup(adminGroups);
    for (qsizetype i = 0; i < adminIds.size(); ++i) {
        const QString log = logOf(std::nullopt, runs.at(i));
        logs.insert(adminIds.at(i), runs.at(i).ok() ? log : kBatchFailed + log);
    }
    return logs;
}

} // namespace FixEngine

} // namespace brevik
