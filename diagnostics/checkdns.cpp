#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/endpoints.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/textparse.h"
#include "exec/shell.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckDns)
};

QString listSeparator()
{
    return Texts::tr("；", "between the items of a list");
}

RepairOp publicDns(const QString &service)
{
    return RepairOps::DnsServers{service,
                                 {QStringLiteral("223.5.5.5"), QStringLiteral("119.29.29.29")}};
}

// Flush the cache, restart the resolver daemon, then point the service at public servers.
QList<RepairOp> flushAndPublicDns(const QString &service)
{
    return {RepairOps::FlushDnsCache{}, RepairOps::ReloadResolver{}, publicDns(service)};
}

// Blocking and pollution answer with addresses that lead nowhere. "::1" and "0.0.0.1" are
// not among them; CNAME lines ("api.example.com.") are fine.
bool invalidAnswer(const QString &line)
{
    return line.startsWith(QLatin1String("0.0.0.0")) || line.startsWith(QLatin1String("127.")) ||
           line == QLatin1String("::");
}

// Each pollution host's answer lines that lead nowhere, as "host → answer".
QStringList pollutedAnswers(const QStringList &answers)
{
    QStringList bad;
    for (qsizetype i = 0; i < answers.size() && i < Endpoints::kPollutionHosts.size(); ++i) {
        // No answer, no dig or a time-out says nothing about pollution.
        for (const QString &line : TextParse::trimmedLines(answers.at(i))) {
            if (invalidAnswer(line))
                bad << Endpoints::kPollutionHosts.at(i) + QStringLiteral(" → ") + line;
        }
    }
    return bad;
}

// "corp.example → 10.8.0.1（utun4）" for a split domain; a VPN's resolver without a domain
// sees every name before the default one does.
QString supplementalLine(const DnsResolver &resolver)
{
    QString servers = resolver.nameservers.join(QStringLiteral(", "));
    if (!resolver.iface.isEmpty())
        servers = Texts::tr("%1（%2）", "servers (interface)").arg(servers, resolver.iface);
    if (resolver.domain.isEmpty())
        return Texts::tr("所有域名先问 %1").arg(servers);
    return resolver.domain + QStringLiteral(" → ") + servers;
}

QString configuredDetail(const NetContext &ctx)
{
    QString detail = Texts::tr("DNS 服务器：%1").arg(ctx.dnsServers.join(QStringLiteral(", ")));
    QStringList split;
    for (const DnsResolver &resolver : supplementalResolvers(ctx.dns))
        split << supplementalLine(resolver);
    if (!split.isEmpty())
        detail += QLatin1Char('\n') + Texts::tr("分流解析：%1").arg(split.join(listSeparator()));
    return detail;
}

Finding noDnsFinding(const NetContext &ctx)
{
    Finding f =
        makeFinding(QStringLiteral("no-dns"), Severity::error, CheckCategory::dns,
                    Texts::tr("系统未配置 DNS 服务器"),
                    Texts::tr("没有 DNS 就无法把域名翻译成 IP，浏览器会提示「找不到服务器」。"));
    f.fixHint = Texts::tr("为当前服务设置公共 DNS（阿里 223.5.5.5 / 腾讯 119.29.29.29）。");
    f.fix = makeRepair(QStringLiteral("fix-no-dns"), Texts::tr("设置公共 DNS"),
                       {publicDns(ctx.service)}, RepairRights::userThenAdmin,
                       Texts::tr("已设置公共 DNS"));
    return f;
}

// The Mac's own resolver has no server and a VPN's answers in its place: names resolve now and
// stop the moment the VPN drops. The repair is the one for no DNS at all: servers of the Mac's
// own, which stay when the VPN goes.
Finding vpnOnlyFinding(const NetContext &ctx, const QStringList &tunnels)
{
    QStringList servers;
    for (const QString &tunnel : tunnels)
        servers << Texts::tr("%1（%2）", "servers (interface)")
                       .arg(serversOn(ctx.dns, tunnel).join(QStringLiteral(", ")), tunnel);
    Finding f = noDnsFinding(ctx);
    f.id = QStringLiteral("dns-vpn-only");
    f.severity = Severity::warn;
    f.title = Texts::tr("只有 VPN 提供 DNS（%1）").arg(tunnels.join(QStringLiteral(", ")));
    f.detail = Texts::tr("系统自己的默认解析器没有 DNS 服务器，域名现在全靠 VPN 的 DNS 解析：%1。\n"
                         "VPN 一断开，所有域名都会解析失败，浏览器会提示「找不到服务器」。")
                   .arg(servers.join(listSeparator()));
    f.fixHint = Texts::tr("为当前服务设置公共 DNS（阿里 223.5.5.5 / 腾讯 119.29.29.29），"
                          "VPN 断开后也能解析域名。");
    return f;
}

} // namespace

DnsObservation DiagnosticsRun::observeDNS() const
{
    // Three lookups of three names, none waiting for another.
    const StepProbes probes = probesFor(StepPlace::dns);
    const auto [resolved, pollution] = probes.together(
        [&] {
            // The system resolver's answer, as applications get it; the first IPv4 address or
            // nothing.
            return probes
                .run(ProbeKind::light,
                     QStringLiteral("dscacheutil -q host -a name ") + Endpoints::kDnsTestHost +
                         QStringLiteral(" | grep 'ip_address' | head -1 | awk '{print $2}'"))
                .output.trimmed();
        },
        [&] {
            return probes.each(Endpoints::kPollutionHosts, [&](const QString &host) {
                return probes
                    .run(ProbeKind::light, QStringLiteral("dig +short +time=3 +tries=1 ") + host +
                                               QStringLiteral(" 2>/dev/null | head -3"))
                    .output.trimmed();
            });
        });
    return DnsObservation{resolved, pollution};
}

QList<Finding> decideDNS(const NetContext &ctx, const DnsObservation &seen)
{
    QList<Finding> findings;
    const QString servers = ctx.dnsServers.join(QStringLiteral(", "));

    const QStringList vpnOnly = vpnOnlyDnsInterfaces(ctx.dns);
    if (!vpnOnly.isEmpty()) {
        findings << vpnOnlyFinding(ctx, vpnOnly);
    } else if (ctx.dnsServers.isEmpty()) {
        findings << noDnsFinding(ctx);
    } else {
        findings << makeFinding(QStringLiteral("dns-config-ok"), Severity::ok, CheckCategory::dns,
                                Texts::tr("DNS 配置正常"), configuredDetail(ctx));
    }

    const QString &address = seen.resolved;
    if (address.isEmpty()) {
        Finding f =
            makeFinding(QStringLiteral("dns-resolve-fail"), Severity::error, CheckCategory::dns,
                        Texts::tr("域名解析失败（%1）").arg(Endpoints::kDnsTestHost),
                        Texts::tr("DNS 查询没有返回结果。当前 DNS：%1")
                            .arg(servers.isEmpty() ? Texts::tr("无", "no DNS servers") : servers));
        f.fixHint = Texts::tr(
            "刷新 DNS 缓存并改用公共 DNS，可解决绝大多数「网页打不开但能 ping 通」的问题。");
        f.fix = makeRepair(QStringLiteral("fix-dns-flush"), Texts::tr("刷新缓存 + 改用公共 DNS"),
                           flushAndPublicDns(ctx.service), RepairRights::admin,
                           Texts::tr("DNS 缓存已刷新并设置公共 DNS"));
        findings << f;
    } else {
        findings << makeFinding(QStringLiteral("dns-resolve-ok"), Severity::ok, CheckCategory::dns,
                                Texts::tr("域名解析正常"),
                                Endpoints::kDnsTestHost + QStringLiteral(" → ") + address);
    }

    const QStringList bad = pollutedAnswers(seen.pollutionAnswers);
    if (!bad.isEmpty()) {
        Finding f = makeFinding(
            QStringLiteral("dns-poisoned"), Severity::warn, CheckCategory::dns,
            Texts::tr("检测到 DNS 污染 / 屏蔽"),
            Texts::tr("以下 AI 域名被解析到无效地址：\n%1").arg(bad.join(QLatin1Char('\n'))));
        f.fixHint = Texts::tr("改用加密或公共 DNS，并确保通过 ClashX 等代理访问 AI 服务。");
        f.fix = makeRepair(QStringLiteral("fix-dns-poison"), Texts::tr("改用公共 DNS + 刷新缓存"),
                           flushAndPublicDns(ctx.service), RepairRights::admin,
                           Texts::tr("已切换公共 DNS 并刷新缓存"));
        findings << f;
    }
    return findings;
}

} // namespace brevik
