#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/repaircommands.h"
#include "diagnostics/textparse.h"
#include "exec/shell.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckGateway)
};

PingReading ping(const StepProbes &probes, const QString &gatewayWord, int count)
{
    return readPing(probes.run(ProbeKind::timed, QStringLiteral("ping -c ") +
                                                     QString::number(count) +
                                                     QStringLiteral(" -t 4 ") + gatewayWord));
}

bool arpHit(const StepProbes &probes, const QString &gatewayWord)
{
    return arpAnswered(probes
                           .run(ProbeKind::local, QStringLiteral("arp -n ") + gatewayWord +
                                                      QStringLiteral(" 2>/dev/null"))
                           .output);
}

} // namespace

GatewayObservation DiagnosticsRun::observeGateway() const
{
    GatewayObservation seen;
    if (!ctx.gateway || ctx.iface.isEmpty())
        return seen;
    const StepProbes probes = probesFor(StepPlace::gateway);
    const QString gatewayWord = shellWord(*ctx.gateway);
    seen.first = ping(probes, gatewayWord, 5);
    if (seen.first->replied())
        return seen;
    // Many routers (and some proxy clients' tunnel modes) drop ICMP. An ARP answer or an open
    // web port shows the router is there all the same.
    seen.arpHit = arpHit(probes, gatewayWord);
    seen.tcpHit =
        probes
            .run(ProbeKind::light, QStringLiteral("nc -z -G 3 ") + gatewayWord +
                                       QStringLiteral(" 80 >/dev/null 2>&1 || nc -z -G 3 ") +
                                       gatewayWord + QStringLiteral(" 443 >/dev/null 2>&1"))
            .succeeded();
    if (seen.arpHit || seen.tcpHit)
        seen.second = ping(probes, gatewayWord, 3);
    return seen;
}

QList<Finding> decideGateway(const NetContext &ctx, const GatewayObservation &seen)
{
    // A VPN holding the default route names no gateway of its own; it is no missing route.
    if (!ctx.gateway && !ctx.vpnIface.isEmpty()) {
        return {
            makeFinding(QStringLiteral("gateway-vpn"), Severity::info, CheckCategory::connectivity,
                        Texts::tr("默认路由走 VPN（%1）").arg(ctx.vpnIface),
                        Texts::tr("系统默认路由经由 VPN 隧道 %1，路由表里找不到它下面的本地路由器，"
                                  "因此没有探测路由器；外网能否连通见下一项检查。")
                            .arg(ctx.vpnIface))};
    }
    if (!ctx.gateway || ctx.iface.isEmpty()) {
        Finding f = makeFinding(QStringLiteral("no-gateway"), Severity::error,
                                CheckCategory::connectivity, Texts::tr("没有默认网关"),
                                Texts::tr("系统路由表缺少默认网关，无法与局域网外通信。"));
        f.fixHint = Texts::tr("续订 DHCP 重新获取路由配置；若无效请重启路由器。");
        f.fix =
            dhcpRenewFix(ctx, QStringLiteral("fix-no-gateway"), Texts::tr("已重新获取网络配置"));
        return {f};
    }

    const QString gateway = *ctx.gateway;
    // Under a VPN the router probed is the one underneath the tunnel; the finding says so.
    const auto withRoute = [&ctx](Finding finding) {
        if (!ctx.vpnIface.isEmpty())
            finding.detail += QLatin1Char('\n') +
                              Texts::tr("默认路由走 VPN 隧道 %1；这里探测的是 %2 上的本地路由器。")
                                  .arg(ctx.vpnIface, ctx.iface);
        return QList<Finding>{finding};
    };

    Finding down = makeFinding(
        QStringLiteral("gateway-down"), Severity::error, CheckCategory::connectivity,
        Texts::tr("无法连通路由器（网关 %1）").arg(gateway),
        Texts::tr("网关完全无响应，丢包 100%。可能是路由器故障、网线松动或 Wi-Fi 信号太弱。"));
    down.fixHint = Texts::tr("重置网络接口（相当于重插网线）；若仍不通请重启路由器与光猫。");
    down.manualSteps = {Texts::tr("重启路由器 / 光猫，等待 1 分钟"),
                        Texts::tr("靠近路由器或改用网线后重新扫描")};
    down.fix = makeRepair(QStringLiteral("fix-reset-iface"), Texts::tr("重置网络接口"),
                          resetIfaceOps(ctx), RepairRights::admin, Texts::tr("网络接口已重置"));

    const PingReading first = seen.first.value_or(PingReading{});
    double loss = first.loss;
    if (!first.replied()) {
        if (!seen.arpHit && !seen.tcpHit)
            return withRoute(down);
        const PingReading second = seen.second.value_or(PingReading{});
        if (!second.replied()) {
            return withRoute(
                makeFinding(QStringLiteral("gateway-icmp-filtered"), Severity::ok,
                            CheckCategory::connectivity, Texts::tr("路由器可达（仅 ICMP 被过滤）"),
                            Texts::tr("网关 %1 （ARP/TCP 探测确认路由器在线）。"
                                      "路由器或代理软件屏蔽了 ping 包，这不影响正常上网。")
                                .arg(gateway)));
        }
        // The latency shown stays that of the first ping.
        loss = second.loss;
    }

    const QString lossText = TextParse::wholePercent(loss);
    if (loss >= 100.0)
        return withRoute(down);
    if (loss >= 25.0) {
        Finding f =
            makeFinding(QStringLiteral("gateway-loss"), Severity::warn, CheckCategory::connectivity,
                        Texts::tr("到路由器的丢包率偏高（%1%）").arg(lossText),
                        Texts::tr("网关 %1 可达，平均延迟 %2，但丢包 %3%——"
                                  "Wi-Fi 信号弱、干扰或路由器负载高。")
                            .arg(gateway, first.rtt, lossText));
        f.fixHint = Texts::tr("重启 Wi-Fi 接口；长期如此建议改用 5GHz 频段或网线。");
        f.manualSteps = {Texts::tr("靠近路由器；避开微波炉、蓝牙设备"),
                         Texts::tr("在「系统设置 → Wi-Fi → 高级」中切换 5GHz")};
        f.fix = makeRepair(QStringLiteral("fix-wifi-restart"), Texts::tr("重启 Wi-Fi 接口"),
                           wifiRestartOps(ctx), RepairRights::userThenAdmin,
                           Texts::tr("Wi-Fi 接口已重启"));
        return withRoute(f);
    }
    return withRoute(makeFinding(
        QStringLiteral("gateway-ok"), Severity::ok, CheckCategory::connectivity,
        Texts::tr("路由器连通正常"),
        Texts::tr("网关 %1 可达，丢包 %2%，平均延迟 %3").arg(gateway, lossText, first.rtt)));
}

} // namespace brevik
