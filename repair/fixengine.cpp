#include "repair/fixengine.h"

#include "exec/shell.h"
#include "repair/adminscript.h"
#include "repair/effectcheck.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(FixEngine)
};

QString nothingToRun()
{
    return Texts::tr("❌ 没有可执行的修复命令");
}

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
        return Texts::tr("❌ 执行失败（被信号 %1 终止）").arg(result.code);
    case ProcessEnd::timedOut:
        return Texts::tr("❌ 执行失败（超时，命令已被终止）");
    case ProcessEnd::failedToStart:
        return Texts::tr("❌ 执行失败（无法启动）");
    }
    return Texts::tr("❌ 执行失败（退出码 %1）").arg(result.code);
}

// How one repair's commands went: how the run ended and its output, which formatLog reads,
// and what still does not hold although every command exited 0.
struct RepairRun {
    ShellResult result;
    QStringList unmet;
    bool ranAny = false;

    bool ok() const { return result.succeeded() && unmet.isEmpty(); }
};

// The output of a failed run, led by the command that failed so the user knows where to look.
QString namingFailure(const QString &command, const QString &output)
{
    const QString text = output.trimmed();
    const QString named = Texts::tr("失败的命令：%1").arg(command);
    return text.isEmpty() ? named : named + QLatin1Char('\n') + text;
}

// Reads the settings back once the commands reported success.
RepairRun confirmed(const QList<RepairOp> &ops, const ShellResult &result)
{
    RepairRun run{result, {}, true};
    if (result.succeeded())
        run.unmet = EffectCheck::unmet(ops);
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

RepairRun runDirectNamingFailure(const QList<RepairOp> &ops)
{
    const QStringList commands = renderCommands(ops);
    const DirectRun run = runUntilFailure(commands);
    QStringList pieces = run.outputs;
    if (run.failed >= 0)
        pieces << namingFailure(commands.at(run.failed), run.failedOutput);
    return confirmed(ops, {run.last.code, pieces.join(QLatin1Char('\n')), run.last.end});
}

// Runs every group behind one prompt; one run per group, in the order given.
QList<RepairRun> runAsAdminByGroup(const QList<QList<RepairOp>> &opGroups)
{
    QList<QStringList> groups;
    for (const QList<RepairOp> &ops : opGroups)
        groups << renderCommands(ops);
    const ShellResult whole = runAsAdmin({AdminScript::build(groups)});
    const QList<AdminScript::GroupOutcome> outcomes =
        AdminScript::parse(whole.output, groups.size());
    QList<RepairRun> runs;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const AdminScript::GroupOutcome &outcome = outcomes.at(g);
        if (!outcome.reported) {
            // Cancelled, or the script never got this far: the prompt's own end and text tell
            // why. A prompt that succeeded without a report still is no success.
            // A cancelled prompt ran nothing; a script that started may have run some.
            const bool started = whole.succeeded() || !reportsCancel(whole, whole.output);
            if (whole.succeeded())
                runs << RepairRun{
                    {-1, Texts::tr("管理员脚本没有报告这项修复的结果") + QLatin1Char('\n') +
                             outcome.output},
                    {},
                    started};
            else
                runs << RepairRun{whole, {}, started};
            continue;
        }
        if (outcome.code != 0) {
            runs << RepairRun{
                {outcome.code,
                 namingFailure(groups.at(g).value(outcome.failedCommand), outcome.output)},
                {},
                true};
            continue;
        }
        runs << confirmed(opGroups.at(g), {0, outcome.output});
    }
    return runs;
}

// The log of a run whose commands all exited 0 but whose settings did not take.
QString unmetLog(const QStringList &unmet)
{
    return Texts::tr("❌ 修复未生效：命令已执行，但设置没有改变") + QLatin1Char('\n') +
           unmet.join(QLatin1Char('\n'));
}

QString logOf(const std::optional<FixAction> &action, const RepairRun &run)
{
    if (run.result.succeeded() && !run.unmet.isEmpty())
        return unmetLog(run.unmet);
    return FixEngine::formatLog(action, run.result);
}

FixEnd endOf(const RepairRun &run)
{
    if (run.ok())
        return FixEnd::succeeded;
    return reportsCancel(run.result, run.result.output.trimmed()) ? FixEnd::cancelled
                                                                   : FixEnd::failed;
}

FixResult resultOf(const std::optional<FixAction> &action, const RepairRun &run,
                   bool ranBefore = false)
{
    return {run.ok(), logOf(action, run), endOf(run), ranBefore || run.ranAny, true};
}

} // namespace

namespace FixEngine {

QString cancelledLog()
{
    return Texts::tr("⚠️ 已取消授权，未做任何修改。");
}

ShellResult runDirect(const QStringList &commands)
{
    const DirectRun run = runUntilFailure(commands);
    return {run.last.code, run.pieces().join(QLatin1Char('\n')), run.last.end};
}

QString formatLog(const std::optional<FixAction> &action, const ShellResult &result)
{
    const QString text = result.output.trimmed();
    if (result.succeeded()) {
        QString log = action ? Texts::tr("✅ 修复成功：%1").arg(action->successHint)
                             : Texts::tr("✅ 修复成功");
        if (!text.isEmpty())
            log += QLatin1Char('\n') + text;
        return log;
    }
    if (reportsCancel(result, text))
        return cancelledLog();
    QString log = failureHeading(result);
    if (!text.isEmpty())
        log += QLatin1Char('\n') + text;
    return log;
}

FixResult apply(const FixAction &action)
{
    // Without commands nothing would run and the code would stay 0: that must not read as
    // "repaired" (a proxy repair built from an empty service list looks like this).
    if (action.operations.isEmpty())
        return {false, nothingToRun(), FixEnd::failed, false, true};

    if (action.needsAdmin)
        return resultOf(action, runAsAdminByGroup({action.operations}).first());
    const RepairRun direct = runDirectNamingFailure(action.operations);
    if (direct.ok() || !action.fallbackAdmin)
        return resultOf(action, direct);
    const RepairRun admin = runAsAdminByGroup({action.operations}).first();
    if (admin.ok())
        return {true,
                formatLog(action, {0, Texts::tr("（免密码方式未生效，已通过管理员权限完成）") +
                                          QLatin1Char('\n') + admin.result.output}),
                FixEnd::succeeded, true, true};
    return resultOf(action, admin, true);
}

QMap<QString, FixResult> applyAll(const QList<Finding> &findings,
                                  const std::function<void(const QString &)> &progress)
{
    const auto report = [&progress](const QString &text) {
        if (progress)
            progress(text);
    };

    QMap<QString, FixResult> results;
    QList<QList<RepairOp>> adminGroups;
    QStringList adminIds;
    QList<bool> ranBefore; // the direct part of a fallback repair ran before the prompt
    for (const Finding &finding : findings) {
        if (!finding.fix)
            continue;
        const FixAction &action = *finding.fix;
        // An empty repair would otherwise add nothing to the prompt yet share its success.
        if (action.operations.isEmpty()) {
            results.insert(finding.id, {false, nothingToRun(), FixEnd::failed, false, true});
            continue;
        }
        if (action.needsAdmin) {
            report(Texts::tr("准备修复：%1").arg(finding.title));
            adminGroups << action.operations;
            adminIds << finding.id;
            ranBefore << false;
            results.insert(finding.id, {false, Texts::tr("⏳ 等待管理员授权…")});
            continue;
        }
        report(Texts::tr("正在修复：%1").arg(finding.title));
        const RepairRun run = runDirectNamingFailure(action.operations);
        if (!run.ok() && action.fallbackAdmin) {
            adminGroups << action.operations;
            adminIds << finding.id;
            ranBefore << true;
            results.insert(finding.id,
                           {false, Texts::tr("⏳ 免密码方式未生效，等待管理员授权…")});
        } else {
            results.insert(finding.id, resultOf(action, run));
        }
    }
    if (adminGroups.isEmpty())
        return results;

    report(Texts::tr("正在执行需要管理员权限的修复（1/1 授权）…"));
    // One prompt for all, yet each finding ends with the outcome of its own commands.
    const QList<RepairRun> runs = runAsAdminByGroup(adminGroups);
    for (qsizetype i = 0; i < adminIds.size(); ++i) {
        FixResult result = resultOf(std::nullopt, runs.at(i), ranBefore.at(i));
        if (!result.ok)
            result.log = Texts::tr("❌ 批量修复失败：") + QLatin1Char('\n') + result.log;
        results.insert(adminIds.at(i), result);
    }
    return results;
}

} // namespace FixEngine

} // namespace brevik
