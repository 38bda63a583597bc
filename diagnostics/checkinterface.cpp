#include "diagnostics/decisions.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/repaircommands.h"
#include "exec/shell.h"

namespace brevik {

QList<Finding> decideInterface(const NetContext &ctx)
{
    if (ctx.iface.isEmpty()) {
        Finding f = makeFinding(
            QStringLiteral("no-interface"), Severity::error, CheckCategory::connectivity,
            QStringLiteral("未检测到任何活动的网络连接"),
            QStringLiteral("系统当前没有处于连接状态的网络接口：Wi-Fi 未连接、也没有插网线。"));
        f.fixHint = QStringLiteral("先打开 Wi-Fi 电源；若仍无法连接，请点击菜单栏 Wi-Fi "
                                   "图标选择你的网络，或插上网线后重新扫描。");
        f.manualSteps = {QStringLiteral("点击屏幕右上角 Wi-Fi 图标 → 打开 Wi-Fi"),
                         QStringLiteral("选择你的网络并输入密码")};
        QList<RepairOp> ops;
        if (!ctx.wifiPort.isEmpty())
            ops << RepairOps::WifiPower{ctx.wifiPort, true};
        f.fix =
            makeRepair(QStringLiteral("fix-wifi-on"), QStringLiteral("打开 Wi-Fi 电源"), ops,
                       RepairRights::userThenAdmin, QStringLiteral("Wi-Fi 电源已打开"));
        return {f};
    }

    if (ctx.ip.isEmpty()) {
        Finding f = makeFinding(
            QStringLiteral("no-ip"), Severity::error, CheckCategory::connectivity,
            QStringLiteral("接口 ") + ctx.iface + QStringLiteral(" 已连接但没有 IP 地址"),
            QStringLiteral("DHCP 没有拿到地址，通常表现为「已连接但无法上网」。"));
        f.fixHint = QStringLiteral("续订 DHCP 租约，重新向路由器申请 IP。若仍失败，请重启路由器。");
        f.fix = dhcpRenewFix(ctx, QStringLiteral("fix-renew-dhcp"),
                             QStringLiteral("已重新申请 IP 地址"));
        return {f};
    }

    // macOS gives itself a 169.254.x.x address when no DHCP server answered.
    if (ctx.ip.startsWith(QLatin1String("169.254."))) {
        Finding f = makeFinding(
            QStringLiteral("self-assigned-ip"), Severity::error, CheckCategory::connectivity,
            QStringLiteral("拿到的是自动私有地址 169.254.x.x"),
            QStringLiteral("当前 IP：") + ctx.ip +
                QStringLiteral("。这是 DHCP 失败后系统自己编的地址，无法上网。"));
        f.fixHint =
            QStringLiteral("续订 DHCP；若无效说明路由器 DHCP 异常或 Wi-Fi 密码/信号有问题。");
        f.fix = dhcpRenewFix(ctx, QStringLiteral("fix-self-assigned"),
                             QStringLiteral("已重新申请 IP 地址"));
        return {f};
    }

    QString detail = QStringLiteral("活动接口：") + ctx.iface + QStringLiteral("（") + ctx.service +
                     QStringLiteral("）\n本机 IP：") + ctx.ip;
    if (ctx.gateway)
        detail += QStringLiteral("\n网关：") + *ctx.gateway;
    return {makeFinding(QStringLiteral("iface-ok"), Severity::ok, CheckCategory::connectivity,
                        QStringLiteral("网络接口正常"), detail)};
}

} // namespace brevik
