#include "diagnostics/decisions.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/repaircommands.h"
#include "exec/shell.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckInterface)
};

} // namespace

QList<Finding> decideInterface(const NetContext &ctx)
{
    if (ctx.iface.isEmpty()) {
        Finding f = makeFinding(
            QStringLiteral("no-interface"), Severity::error, CheckCategory::connectivity,
            Texts::tr("未检测到任何活动的网络连接"),
            Texts::tr("系统当前没有处于连接状态的网络接口：Wi-Fi 未连接、也没有插网线。"));
        f.fixHint = Texts::tr("先打开 Wi-Fi 电源；若仍无法连接，请点击菜单栏 Wi-Fi "
                              "图标选择你的网络，或插上网线后重新扫描。");
        f.manualSteps = {Texts::tr("点击屏幕右上角 Wi-Fi 图标 → 打开 Wi-Fi"),
                         Texts::tr("选择你的网络并输入密码")};
        QList<RepairOp> ops;
        if (!ctx.wifiPort.isEmpty())
            ops << RepairOps::WifiPower{ctx.wifiPort, true};
        f.fix = makeRepair(QStringLiteral("fix-wifi-on"), Texts::tr("打开 Wi-Fi 电源"), ops,
                           RepairRights::userThenAdmin, Texts::tr("Wi-Fi 电源已打开"));
        return {f};
    }

    if (ctx.ip.isEmpty()) {
        Finding f =
            makeFinding(QStringLiteral("no-ip"), Severity::error, CheckCategory::connectivity,
                        Texts::tr("接口 %1 已连接但没有 IP 地址").arg(ctx.iface),
                        Texts::tr("DHCP 没有拿到地址，通常表现为「已连接但无法上网」。"));
        f.fixHint = Texts::tr("续订 DHCP 租约，重新向路由器申请 IP。若仍失败，请重启路由器。");
        f.fix =
            dhcpRenewFix(ctx, QStringLiteral("fix-renew-dhcp"), Texts::tr("已重新申请 IP 地址"));
        return {f};
    }

    // macOS gives itself a 169.254.x.x address when no DHCP server answered.
    if (ctx.ip.startsWith(QLatin1String("169.254."))) {
        Finding f = makeFinding(
            QStringLiteral("self-assigned-ip"), Severity::error, CheckCategory::connectivity,
            Texts::tr("拿到的是自动私有地址 169.254.x.x"),
            Texts::tr("当前 IP：%1。这是 DHCP 失败后系统自己编的地址，无法上网。").arg(ctx.ip));
        f.fixHint = Texts::tr("续订 DHCP；若无效说明路由器 DHCP 异常或 Wi-Fi 密码/信号有问题。");
        f.fix =
            dhcpRenewFix(ctx, QStringLiteral("fix-self-assigned"), Texts::tr("已重新申请 IP 地址"));
        return {f};
    }

    QString detail =
        Texts::tr("活动接口：%1（%2）\n本机 IP：%3").arg(ctx.iface, ctx.service, ctx.ip);
    if (ctx.gateway)
        detail += QLatin1Char('\n') + Texts::tr("网关：%1").arg(*ctx.gateway);
    return {makeFinding(QStringLiteral("iface-ok"), Severity::ok, CheckCategory::connectivity,
                        Texts::tr("网络接口正常"), detail)};
}

} // namespace brevik
