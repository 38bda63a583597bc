#include "repair/fixengine.h"

#include "exec/shell.h"
#include "repair/adminscript.h"
#include "repair/effectcheck.h"

namespace {

const QString kCancelled = QStringLiteral("⚠️ 已取消授权，未做任何修改。");
const QString kNothingToRun = QStringLiteral("❌ 没有可执行的修复命令");
const QString kAdminFallbackNote = QStringLiteral("（免密码方式未生效，已通过管理员权限完成）\n");
const QString kBatchFailed = QStringLiteral("❌ 批量修复失败：\n");

// A dismissed password dialog makes osascript print "0:56: execution error: User canceled.
// (-128)" and exit 1; the raw status 1280 counts as a cancel too, whatever the output.
constexpr int kCancelledWaitStatus = 1280;

bool reportsCancel(const QString &text)
{
    return text.contains(QLatin1String("User canceled")) || text.contains(QLatin1String("(-128)"));
}

// How one repair's commands went: the code and output formatLog reads, and what still does
// not hold although every command exited 0.
struct RepairRun {
    int code = 0;
    QString output;
    QStringList unmet;

    bool ok() const { return code == 0 && unmet.isEmpty(); }
};

// The output of a failed run, led by the command that failed so the user knows where to look.
QString namingFailure(const QString &command, const QString &output)
{
    const QString text = output.trimmed();
    return QStringLiteral("失败的命令：") + command + (text.isEmpty() ? QString() : "\n" + text);
}

// Reads the settings back once the commands reported success.
RepairRun confirmed(const QStringList &commands, int code, const QString &output)
{
    RepairRun run{code, output, {}};
    if (code == 0)
        run.unmet = EffectCheck::unmet(commands);
    return run;
}

// Commands run one by one until the first that fails.
struct DirectRun {
    int code = 0;
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
        run.code = step.code;
        if (step.code != 0) {
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
    return confirmed(commands, run.code, pieces.join(QLatin1Char('\n')));
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
            // Cancelled, or the script never got this far: the prompt's own code and text tell
            // why. A zero code without a report still is no success.
            runs << RepairRun{whole.code == 0 ? -1 : whole.code,
                              whole.code == 0
                                  ? QStringLiteral("管理员脚本没有报告这项修复的结果\n") +
                                        outcome.output
                                  : whole.output,
                              {}};
            continue;
        }
        if (outcome.code != 0) {
            runs << RepairRun{
                outcome.code,
                namingFailure(groups.at(g).value(outcome.failedCommand), outcome.output),
                {}};
            continue;
        }
        runs << confirmed(groups.at(g), 0, outcome.output);
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
    if (run.code == 0 && !run.unmet.isEmpty())
        return unmetLog(run.unmet);
    return FixEngine::formatLog(action, run.code, run.output);
}

} // namespace

namespace FixEngine {

ShellResult runDirect(const QStringList &commands)
{
    const DirectRun run = runUntilFailure(commands);
    return {run.code, run.pieces().join(QLatin1Char('\n'))};
}

QString formatLog(const std::optional<FixAction> &action, int code, const QString &output)
{
    const QString text = output.trimmed();
    if (code == kCancelledWaitStatus)
        return kCancelled;
    if (code == 0) {
        QString log = QStringLiteral("✅ 修复成功");
        if (action)
            log += QStringLiteral("：") + action->successHint;
        if (!text.isEmpty())
            log += QLatin1Char('\n') + text;
        return log;
    }
    if (reportsCancel(text))
        return kCancelled;
    QString log =
        QStringLiteral("❌ 执行失败（退出码 ") + QString::number(code) + QStringLiteral("）");
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
                return {true, formatLog(action, 0, kAdminFallbackNote + admin.output)};
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
