#include "repair/fixengine.h"

#include "exec/shell.h"

namespace {

const QString kCancelled = QStringLiteral("⚠️ 已取消授权，未做任何修改。");
const QString kNothingToRun = QStringLiteral("❌ 没有可执行的修复命令");
const QString kAdminFallbackNote = QStringLiteral("（免密码方式未生效，已通过管理员权限完成）\n");

// A dismissed password dialog makes osascript print "0:56: execution error: User canceled.
// (-128)" and exit 1; the raw status 1280 counts as a cancel too, whatever the output.
constexpr int kCancelledWaitStatus = 1280;

bool reportsCancel(const QString &text)
{
    return text.contains(QLatin1String("User canceled")) || text.contains(QLatin1String("(-128)"));
}

} // namespace

namespace FixEngine {

ShellResult runDirect(const QStringList &commands)
{
    ShellResult result;
    QStringList pieces;
    for (const QString &command : commands) {
        const ShellResult step = shell(command, 25.0);
        const QString text = step.output.trimmed();
        if (!text.isEmpty())
            pieces << text;
        result.code = step.code;
        if (step.code != 0)
            break;
    }
    result.output = pieces.join(QLatin1Char('\n'));
    return result;
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

    ShellResult result;
    if (action.needsAdmin) {
        result = runAsAdmin(action.commands);
    } else {
        result = runDirect(action.commands);
        if (result.code != 0 && action.fallbackAdmin) {
            const ShellResult admin = runAsAdmin(action.commands);
            if (admin.code == 0)
                return {true, formatLog(action, 0, kAdminFallbackNote + admin.output)};
            result = admin;
        }
    }
    return {result.code == 0, formatLog(action, result.code, result.output)};
}

QMap<QString, QString> applyAll(const QList<Finding> &findings,
                                const std::function<void(const QString &)> &progress)
{
    const auto report = [&progress](const QString &text) {
        if (progress)
            progress(text);
    };

    QMap<QString, QString> logs;
    QStringList adminCommands;
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
            adminCommands << action.commands;
            adminIds << finding.id;
            logs.insert(finding.id, QStringLiteral("⏳ 等待管理员授权…"));
            continue;
        }
        report(QStringLiteral("正在修复：") + finding.title);
        const ShellResult result = runDirect(action.commands);
        if (result.code != 0 && action.fallbackAdmin) {
            adminCommands << action.commands;
            adminIds << finding.id;
            logs.insert(finding.id, QStringLiteral("⏳ 免密码方式未生效，等待管理员授权…"));
        } else {
            logs.insert(finding.id, formatLog(action, result.code, result.output));
        }
    }
    if (adminCommands.isEmpty())
        return logs;

    report(QStringLiteral("正在执行需要管理员权限的修复（1/1 授权）…"));
    const ShellResult result = runAsAdmin(adminCommands);
    const QString log = formatLog(std::nullopt, result.code, result.output);
    for (const QString &id : adminIds)
        logs.insert(id, result.code == 0 ? log : QStringLiteral("❌ 批量修复失败：\n") + log);
    return logs;
}

} // namespace FixEngine
