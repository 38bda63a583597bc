#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/endpoints.h"
#include "diagnostics/makefinding.h"
#include "exec/shell.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckSystem)
};

constexpr int kDefaultMtu = 1500;
constexpr int kReducedMtu = 1420;       // at or below: someone already lowered it
constexpr int kRepairedMtu = 1400;      // what the repair sets: through PPPoE and most VPNs
constexpr qint64 kProvenBytes = 299999; // more than this downloaded: the path carries full packets
constexpr int kWeakSignalDbm = -73;     // at or below: weak

std::optional<qint64> readInteger(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// "ping -D" sets don't-fragment: a 1472-byte payload makes exactly a 1500-byte packet.
bool pingPayloadPasses(const StepProbes &probes, int payload)
{
    return probes
               .run(ProbeKind::timed, QStringLiteral("ping -c 1 -t 4 -D -s ") +
                                          QString::number(payload) + QStringLiteral(" 223.5.5.5"))
               .succeeded();
}

// Many networks drop large ICMP while real TCP traffic flows, so a real download decides
// whether the blocked ping means anything.
qint64 downloadedBytes(const StepProbes &probes)
{
    qint64 largest = 0;
    for (const QString &url : Endpoints::kDownloadUrls) {
        const std::optional<qint64> bytes =
            readInteger(probes
                            .run(ProbeKind::bulk,
                                 QStringLiteral("curl -s -m 15 -o /dev/null -w '%{size_download}' "
                                                "-r 0-400000 ") +
                                     shellQuote(url) + QStringLiteral(" 2>/dev/null"))
                            .output);
        if (!bytes)
            continue;
        largest = std::max(largest, *bytes);
        if (largest > kProvenBytes)
            break;
    }
    return largest;
}

MtuObservation observeMtu(const StepProbes &probes, const QString &routeIface)
{
    MtuObservation seen;
    // "en0: flags=8863<UP,BROADCAST,...> mtu 1500"
    seen.mtu = static_cast<int>(
        readInteger(probes
                        .run(ProbeKind::local,
                             QStringLiteral("ifconfig ") + shellWord(routeIface) +
                                 QStringLiteral(" 2>/dev/null | grep -o 'mtu [0-9]*' | head -1 | "
                                                "awk '{print $2}'"))
                        .output)
            .value_or(kDefaultMtu));
    seen.largePasses = pingPayloadPasses(probes, 1472);
    if (seen.mtu > kReducedMtu && !seen.largePasses) {
        seen.downloaded = downloadedBytes(probes);
        seen.mediumPasses = pingPayloadPasses(probes, 1372);
    }
    return seen;
}

Finding mtuFinding(const QString &routeIface, const MtuObservation &seen)
{
    const int mtu = seen.mtu;
    if (mtu <= kReducedMtu) {
        const QString value = QString::number(mtu);
        return makeFinding(
            QStringLiteral("mtu-tuned"), Severity::info, CheckCategory::system,
            Texts::tr("MTU 已设为 %1（适配当前线路）").arg(value),
            Texts::tr("当前接口 MTU 为 %1，已低于 1500，属于兼容大包问题的常见取值。部分网络会"
                      "过滤大 ICMP 包，这不影响实际使用。")
                .arg(value));
    }
    if (seen.largePasses) {
        return makeFinding(QStringLiteral("mtu-ok"), Severity::ok, CheckCategory::system,
                           Texts::tr("MTU 正常"), Texts::tr("1500 字节数据包可正常通过"));
    }

    const qint64 bytes = seen.downloaded.value_or(0);
    if (bytes > kProvenBytes) {
        return makeFinding(
            QStringLiteral("mtu-filtered"), Severity::info, CheckCategory::system,
            Texts::tr("网络过滤了大 ICMP 包（不影响使用）"),
            Texts::tr("1500 字节的 ping 包被网络丢弃，但实测 400KB 数据下载正常（%1 KB），"
                      "说明实际 MTU 没有问题，无需处理。")
                .arg(bytes / 1000));
    }
    if (seen.mediumPasses) {
        Finding finding = makeFinding(
            QStringLiteral("mtu-issue"), Severity::warn, CheckCategory::system,
            Texts::tr("MTU 过大导致大包丢失（部分网站打不开）"),
            Texts::tr("1500 字节的数据包无法通过，1400 字节可以。典型表现：能 ping "
                      "通但网页卡住、下载中断、SSH 卡死。常见于 PPPoE 宽带、VPN、部分路由器。"));
        finding.fixHint = Texts::tr("把当前接口 MTU 调小到 1400（可随时改回 1500）。");
        finding.fix = makeRepair(QStringLiteral("fix-mtu"), Texts::tr("调整 MTU 为 1400"),
                                 {RepairOps::Mtu{routeIface, kRepairedMtu}}, RepairRights::admin,
                                 Texts::tr("MTU 已调整为 1400"));
        return finding;
    }
    Finding finding =
        makeFinding(QStringLiteral("mtu-broken"), Severity::warn, CheckCategory::system,
                    Texts::tr("网络阻塞严重（连 1400 字节包也不通）"),
                    Texts::tr("大小数据包都不通，说明当前网络质量很差或存在链路故障。"));
    finding.manualSteps = {Texts::tr("重启路由器"), Texts::tr("改用网线测试"),
                           Texts::tr("联系运营商检查线路")};
    return finding;
}

Finding ipv6Finding(const NetContext &ctx, const QString &code)
{
    // Any status, 404 included, proves that IPv6 traffic leaves the machine.
    if (!code.isEmpty() && code != QLatin1String("000")) {
        return makeFinding(QStringLiteral("ipv6-ok"), Severity::ok, CheckCategory::system,
                           Texts::tr("IPv6 正常"), Texts::tr("IPv6 出口实测可用"));
    }
    Finding finding =
        makeFinding(QStringLiteral("ipv6-unreachable"), Severity::info, CheckCategory::system,
                    Texts::tr("IPv6 可能不可用（可选优化）"),
                    Texts::tr("本机有全局 IPv6 地址，但 IPv6 出口实测不通。极少数应用会优先尝试 "
                              "IPv6，可能造成「打开页面先卡一下」。若你上网正常，可忽略此项。"));
    finding.fixHint = Texts::tr("如遇网页打开偏慢，可临时关闭当前服务的 IPv6。");
    finding.fix = makeRepair(QStringLiteral("fix-ipv6-off"), Texts::tr("关闭该服务的 IPv6"),
                             {RepairOps::Ipv6{ctx.service, false}}, RepairRights::admin,
                             Texts::tr("已关闭 IPv6"));
    return finding;
}

std::optional<Finding> wifiFinding(const QString &report)
{
    static const QRegularExpression signalPattern(QStringLiteral("Signal / Noise: (-?[0-9]+) dBm"));
    const QRegularExpressionMatch match = signalPattern.match(report);
    if (!match.hasMatch())
        return std::nullopt;
    QString number = match.captured(0);
    number.remove(QStringLiteral("Signal / Noise: ")).remove(QStringLiteral(" dBm"));
    const std::optional<qint64> signal = readInteger(number);
    if (!signal)
        return std::nullopt;

    const QString dbm = QString::number(*signal);
    if (*signal <= kWeakSignalDbm) {
        Finding finding = makeFinding(
            QStringLiteral("wifi-weak"), Severity::warn, CheckCategory::system,
            Texts::tr("Wi-Fi 信号偏弱（%1 dBm）").arg(dbm),
            Texts::tr("信号强度 %1 dBm（低于 -72 dBm 属于弱信号），容易出现丢包、掉线。\n%2")
                .arg(dbm, report));
        finding.manualSteps = {Texts::tr("靠近路由器，减少隔墙"),
                               Texts::tr("改用 5GHz 频段（近距离更稳）"),
                               Texts::tr("重启路由器或更换信道避免邻居干扰")};
        return finding;
    }
    return makeFinding(QStringLiteral("wifi-ok"), Severity::ok, CheckCategory::system,
                       Texts::tr("Wi-Fi 信号良好"), Texts::tr("信号强度 %1 dBm").arg(dbm));
}

Finding vpnFinding(const NetContext &ctx)
{
    QString text;
    if (!ctx.utunIfaces.isEmpty())
        text = Texts::tr("存在虚拟接口：%1").arg(ctx.utunIfaces.join(QStringLiteral(", ")));
    if (!ctx.vpnConfigured.isEmpty()) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += Texts::tr("VPN 配置：\n%1").arg(ctx.vpnConfigured.join(QLatin1Char('\n')));
    }
    Finding finding = makeFinding(
        QStringLiteral("vpn-leftover"), Severity::info, CheckCategory::system,
        Texts::tr("虚拟网络接口 / VPN 配置"),
        Texts::tr("%1\n\n提示：若 VPN 已断开但仍残留配置，可能造成部分网站无法访问或 DNS 异常。")
            .arg(text));
    finding.manualSteps = {Texts::tr("系统设置 → 网络 → VPN → 断开并删除不用的配置"),
                           Texts::tr("重启电脑可清理残留的 utun 接口")};
    return finding;
}

std::optional<Finding> serviceOrderFinding(const NetContext &ctx)
{
    // Service names against the service in use, like with like: with two adapters of one kind
    // both ports share a name. A switched-off "(*)" service is never tried, and a VPN service
    // is bound to no interface, so neither counts as the one tried first.
    QStringList tried;
    for (const ServiceOrderEntry &entry : ctx.serviceOrder) {
        if (entry.enabled && !entry.device.isEmpty())
            tried << entry.name;
    }
    if (tried.isEmpty() || ctx.service.isEmpty() || tried.first() == ctx.service ||
        !tried.contains(ctx.service))
        return std::nullopt;
    Finding finding = makeFinding(
        QStringLiteral("service-order"), Severity::info, CheckCategory::system,
        Texts::tr("网络服务顺序可能不是最优"),
        Texts::tr("当前使用「%1」，但服务顺序里排在最前的是「%2」。\n"
                  "服务顺序靠前的接口会优先被系统尝试，顺序不合理时可能出现连上慢、偶发断网。")
            .arg(ctx.service, tried.first()));
    finding.manualSteps = {Texts::tr("系统设置 → 网络 → 右下角「⋯」→ 设定服务顺序"),
                           Texts::tr("把常用的网络（如 Wi-Fi）拖到最上面")};
    return finding;
}

std::optional<Finding> firewallFinding(const QString &state)
{
    // "Firewall is enabled. (State = 1)"; reported whatever the state.
    if (state.isEmpty())
        return std::nullopt;
    return makeFinding(QStringLiteral("firewall"), Severity::info, CheckCategory::system,
                       Texts::tr("系统防火墙状态"),
                       Texts::tr("%1\n\n提示：防火墙一般不会影响正常上网；若某些 App "
                                 "完全无法联网，可在「系统设置 → 网络 → 防火墙 → "
                                 "选项」中检查该 App 是否被阻止。")
                           .arg(state));
}

// Without an interface and a route the probe packets go nowhere, and an offline Mac would
// read as "网络阻塞严重". Under a VPN they leave through the tunnel, whose MTU then decides
// whether a 1500-byte packet passes, and is the one a repair would lower.
QString mtuRouteIface(const NetContext &ctx)
{
    const QString routeIface = ctx.vpnIface.isEmpty() ? ctx.iface : ctx.vpnIface;
    if (routeIface.isEmpty() || (!ctx.gateway && ctx.vpnIface.isEmpty()))
        return {};
    return routeIface;
}

bool onWifi(const NetContext &ctx)
{
    return ctx.service.contains(QLatin1String("Wi-Fi")) || ctx.wifiPort == ctx.iface;
}

} // namespace

// The sections ask different things of different tools; each runs beside the others.
SystemObservation DiagnosticsRun::observeSystem() const
{
    const StepProbes probes = probesFor(StepPlace::system);
    const QString routeIface = mtuRouteIface(ctx);
    auto [mtu, ipv6Code, wifiReport, firewallState] = probes.together(
        [&]() -> std::optional<MtuObservation> {
            if (routeIface.isEmpty())
                return std::nullopt;
            return observeMtu(probes, routeIface);
        },
        [&]() -> std::optional<QString> {
            if (!ctx.hasIPv6)
                return std::nullopt;
            return probes
                .run(ProbeKind::light,
                     QStringLiteral("curl -6 -s -m 8 -o /dev/null -w '%{http_code}' https://") +
                         Endpoints::kIPv6OnlyHost + QStringLiteral(" 2>/dev/null"))
                .output.trimmed();
        },
        [&]() -> std::optional<QString> {
            if (!onWifi(ctx))
                return std::nullopt;
            // Only the current network's lines; "Other Local Wi-Fi Networks" follow with their
            // own "Signal / Noise: -80 dBm / -92 dBm".
            return probes
                .run(ProbeKind::local,
                     QStringLiteral("system_profiler SPAirPortDataType 2>/dev/null | awk "
                                    "'/Current Network Information:/{f=1} f&&/Signal \\/ "
                                    "Noise|PHY Mode|Channel:/{print}' | head -6"))
                .output.trimmed();
        },
        [&] {
            return probes
                .run(ProbeKind::local,
                     QStringLiteral("/usr/libexec/ApplicationFirewall/socketfilterfw "
                                    "--getglobalstate 2>/dev/null"))
                .output.trimmed();
        });
    return SystemObservation{std::move(mtu), std::move(ipv6Code), std::move(wifiReport),
                             std::move(firewallState)};
}

QList<Finding> decideSystem(const NetContext &ctx, const SystemObservation &seen)
{
    QList<Finding> findings;
    const QString routeIface = mtuRouteIface(ctx);
    if (!routeIface.isEmpty() && seen.mtu)
        findings << mtuFinding(routeIface, *seen.mtu);
    if (ctx.hasIPv6 && seen.ipv6Code)
        findings << ipv6Finding(ctx, *seen.ipv6Code);
    if (onWifi(ctx) && seen.wifiReport) {
        if (const std::optional<Finding> wifi = wifiFinding(*seen.wifiReport))
            findings << *wifi;
    }
    if (!ctx.utunIfaces.isEmpty() || !ctx.vpnConfigured.isEmpty())
        findings << vpnFinding(ctx);
    if (const std::optional<Finding> order = serviceOrderFinding(ctx))
        findings << *order;
    if (const std::optional<Finding> firewall = firewallFinding(seen.firewallState))
        findings << *firewall;
    return findings;
}

} // namespace brevik
