#include "diagnostics/decisions.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/repaircommands.h"
#include "model/netconfig.h"
#include "model/proxyendpoint.h"

#include <QCoreApplication>

#include <optional>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckProxy)
};

// The ports that ClashX and its relatives listen on out of the box, most likely first.
const QStringList kCommonProxyPorts{
    QStringLiteral("7890"), QStringLiteral("7891"),  QStringLiteral("7897"), QStringLiteral("1080"),
    QStringLiteral("8888"), QStringLiteral("10808"), QStringLiteral("7892"),
};

QString listSeparator()
{
    return Texts::tr("、", "between the items of a list");
}

QString appsText(const NetContext &ctx)
{
    return ctx.clashApps.isEmpty() ? Texts::tr("代理客户端") : ctx.clashApps.join(listSeparator());
}

QString address(const QString &host, const QString &port)
{
    return (host.isEmpty() ? QStringLiteral("127.0.0.1") : host) + QLatin1Char(':') +
           (port.isEmpty() ? QStringLiteral("?") : port);
}

QString targetText(const NetContext &ctx)
{
    return address(ctx.proxyHost, ctx.proxyPort);
}

// A proxy on this Mac belongs to a local client; one on another host (an office proxy) is
// somebody else's to run.
bool onThisMac(const NetContext &ctx, const QString &host)
{
    return isLoopbackHost(host) || (!ctx.ip.isEmpty() && host == ctx.ip);
}

// What a switched-on setting sends traffic to and nobody answers at: the proxy server, or
// the host the automatic proxy (PAC) file is fetched from.
struct DeadTarget {
    QString address; // host:port
    QString pacUrl;  // set when the automatic proxy points there
};

QString pointsAt(const DeadTarget &dead)
{
    return dead.pacUrl.isEmpty() ? Texts::tr("系统代理仍指向 %1").arg(dead.address)
                                 : Texts::tr("自动代理(PAC)仍指向 %1").arg(dead.pacUrl);
}

// The port a running client most likely serves: a well-known proxy port it listens on,
// else whatever the (switched-off) system proxy last pointed at.
QString clientPort(const NetContext &ctx)
{
    for (const QString &port : ctx.clashPorts) {
        if (kCommonProxyPorts.contains(port))
            return port;
    }
    return ctx.proxyPort;
}

QString listeningPortsText(const NetContext &ctx)
{
    if (ctx.clashPorts.isEmpty())
        return Texts::tr("（未发现常见代理端口）");
    return ctx.clashPorts.mid(0, 8).join(QStringLiteral(", "));
}

// Proxy repairs try without a password first: networksetup needs rights only on some
// macOS versions.
FixAction proxyFix(const QString &id, const QString &title, const QList<RepairOp> &ops,
                   const QString &successHint)
{
    return makeRepair(id, title, ops, RepairRights::userThenAdmin, successHint);
}

Finding proxyOff(const NetContext &ctx)
{
    QString detail =
        Texts::tr("系统代理已关闭，且未检测到 ClashX 等代理客户端在运行，当前为直连状态。");
    if (!ctx.proxyHost.isEmpty())
        detail += QLatin1Char('\n') + Texts::tr("（历史代理地址：%1）").arg(targetText(ctx));
    return makeFinding(QStringLiteral("proxy-off"), Severity::ok, CheckCategory::proxy,
                       Texts::tr("系统代理已关闭（直连）"), detail);
}

Finding proxyOffButRunning(const NetContext &ctx)
{
    Finding finding =
        makeFinding(QStringLiteral("proxy-off-but-running"), Severity::warn, CheckCategory::proxy,
                    Texts::tr("代理软件正在运行，但系统代理未开启"),
                    Texts::tr("检测到 %1 在运行，但系统代理是关闭的。\n"
                              "Claude、ChatGPT、Gemini 等服务的域名在直连下通常不可用，"
                              "会出现「连不上 / 一直转圈」。\n"
                              "已在监听的本地端口：%2")
                        .arg(appsText(ctx), listeningPortsText(ctx)));
    finding.manualSteps = {Texts::tr("ClashX 菜单栏图标 → 勾选「设置为系统代理」"),
                           Texts::tr("确认 ClashX 的端口（默认 7890）")};
    const QString port = clientPort(ctx);
    const QList<RepairOp> ops =
        port.isEmpty() ? QList<RepairOp>{}
                       : NetConfig::enableProxyOps(ctx.service, QStringLiteral("127.0.0.1"), port);
    if (ops.isEmpty()) {
        finding.fixHint = Texts::tr("请在 ClashX 菜单中手动勾选「设置为系统代理」。");
        return finding;
    }
    finding.fixHint = Texts::tr("一键让系统代理指向 ClashX，AI 工具即可正常访问。");
    finding.fix =
        proxyFix(QStringLiteral("fix-proxy-on"), Texts::tr("设置系统代理 → 127.0.0.1:%1").arg(port),
                 ops, Texts::tr("系统代理已指向本地代理客户端"));
    return finding;
}

FixAction switchOffAllFix(const QList<RepairOp> &disableAll)
{
    return proxyFix(QStringLiteral("fix-proxy-off-all"),
                    Texts::tr("一键关闭系统代理（立即恢复上网）"), disableAll,
                    Texts::tr("已关闭所有服务的系统代理，网络已恢复直连"));
}

QString servicesAndKinds(const NetContext &ctx)
{
    return Texts::tr("启用代理的服务：%1\n代理类型：%2")
        .arg(ctx.proxyServices.join(listSeparator()), ctx.proxyKinds.join(listSeparator()));
}

Finding proxyDeadCrash(const NetContext &ctx, const DeadTarget &dead, const QList<RepairOp> &disableAll)
{
    Finding finding =
        makeFinding(QStringLiteral("proxy-dead-crash"), Severity::error, CheckCategory::proxy,
                    Texts::tr("致命：系统代理指向已关闭的代理软件（整机断网）"),
                    Texts::tr("%1，但该端口没有任何程序在监听，代理软件也已退出。\n"
                              "这正是「关掉 ClashX 后所有 App 全部断网」的原因：浏览器 / Claude "
                              "客户端等都会把请求发给这个已经死掉的端口。\n%2")
                        .arg(pointsAt(dead), servicesAndKinds(ctx)));
    finding.fixHint = Texts::tr("一键关闭全部系统代理，网络立刻恢复（直连）。以后要用代理时先打开 "
                                "ClashX，再让本工具开启系统代理即可。");
    finding.fix = switchOffAllFix(disableAll);
    finding.manualSteps = {
        Texts::tr("系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭全部代理")};
    return finding;
}

Finding proxyPortDead(const NetContext &ctx, const DeadTarget &dead, const QList<RepairOp> &disableAll)
{
    const QString where =
        dead.pacUrl.isEmpty()
            ? Texts::tr("系统代理指向的 %1 端口", "where the dead port is").arg(dead.address)
            : Texts::tr("自动代理(PAC) %1 所在的 %2 端口", "where the dead port is")
                  .arg(dead.pacUrl, dead.address);
    Finding finding =
        makeFinding(QStringLiteral("proxy-port-dead"), Severity::error, CheckCategory::proxy,
                    Texts::tr("代理软件在运行，但端口 %1 无法连接").arg(dead.address),
                    Texts::tr("检测到 %1 正在运行，但%2拒绝连接或未监听。\n"
                              "这种情况同样会导致断网。可能是代理尚未启动完成、配置端口不一致、"
                              "或核心进程崩溃。")
                        .arg(appsText(ctx), where));
    finding.fixHint = Texts::tr("临时关闭系统代理恢复上网；然后重启 ClashX（或在 ClashX "
                                "菜单里重新点「设置为系统代理」）。");
    finding.fix = proxyFix(QStringLiteral("fix-proxy-off-2"), Texts::tr("关闭系统代理（恢复上网）"),
                           disableAll, Texts::tr("已关闭系统代理"));
    finding.manualSteps = {Texts::tr("退出并重新打开 ClashX"),
                           Texts::tr("ClashX 菜单 → 重新勾选「设置为系统代理」"),
                           Texts::tr("确认 ClashX 的 HTTP 端口与系统代理端口一致")};
    return finding;
}

// An office proxy that does not answer away from the office: the machine is cut off all the
// same, but switching it off is the user's decision, never the guardian's.
Finding proxyRemoteDead(const NetContext &ctx, const QList<RepairOp> &disableAll)
{
    const QString target = targetText(ctx);
    Finding finding =
        makeFinding(QStringLiteral("proxy-remote-dead"), Severity::error, CheckCategory::proxy,
                    Texts::tr("系统代理 %1 无法连接").arg(target),
                    Texts::tr("系统代理指向另一台主机 %1（例如公司的代理服务器），但现在连不上它，"
                              "所有走系统代理的 App 都无法上网。\n"
                              "离开公司网络或 VPN 断开时常见；它不是本机代理软件的残留，"
                              "后台守护不会自动关闭它。\n%2")
                        .arg(target, servicesAndKinds(ctx)));
    finding.fixHint = Texts::tr("暂时用不到这台代理服务器时，可一键关闭系统代理恢复直连；"
                                "回到公司网络后需在系统设置里重新开启。");
    finding.fix = switchOffAllFix(disableAll);
    finding.manualSteps = {
        Texts::tr("连上公司网络或 VPN 后重新扫描"),
        Texts::tr("系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭无法连接的代理")};
    return finding;
}

// Without its PAC file a Mac usually goes direct, so a remote one that does not answer is
// worth a warning, not a repair.
Finding proxyPacUnreachable(const NetContext &ctx, const ProxyEndpoint &pac)
{
    Finding finding =
        makeFinding(QStringLiteral("proxy-pac-unreachable"), Severity::warn, CheckCategory::proxy,
                    Texts::tr("自动代理(PAC)地址无法访问"),
                    Texts::tr("自动代理(PAC)指向 %1，但 %2 现在连不上。\n"
                              "它在另一台主机上（通常由公司或学校网络提供），离开该网络时常见；"
                              "取不到 PAC 文件时，部分 App 可能变慢、报错或改走直连。\n%3")
                        .arg(ctx.proxyPacUrl, address(pac.host, pac.port), servicesAndKinds(ctx)));
    finding.fixHint =
        Texts::tr("回到提供它的网络后会自动恢复；不再需要时，请在系统设置中关闭自动代理。");
    finding.manualSteps = {
        Texts::tr("系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭「自动代理配置」")};
    return finding;
}

Finding proxyOk(const NetContext &ctx)
{
    QStringList lines{Texts::tr("代理客户端：%1").arg(appsText(ctx))};
    if (!ctx.proxyServerKind.isEmpty() || ctx.proxyPacUrl.isEmpty())
        lines << Texts::tr("代理地址：%1（端口监听正常）").arg(targetText(ctx));
    if (!ctx.proxyPacUrl.isEmpty())
        lines << Texts::tr("自动代理(PAC)：%1（可以访问）").arg(ctx.proxyPacUrl);
    lines << Texts::tr("启用服务：%1").arg(ctx.proxyServices.join(listSeparator()));
    return makeFinding(QStringLiteral("proxy-ok"), Severity::ok, CheckCategory::proxy,
                       Texts::tr("系统代理链路正常"), lines.join(QLatin1Char('\n')));
}

Finding proxyBypass(const NetContext &ctx)
{
    const QString current = ctx.bypassDomains.isEmpty()
                                ? Texts::tr("（空）", "no bypass entries")
                                : ctx.bypassDomains.join(QStringLiteral(", "));
    Finding finding =
        makeFinding(QStringLiteral("proxy-bypass"), Severity::warn, CheckCategory::proxy,
                    Texts::tr("代理例外列表缺少本地地址"),
                    Texts::tr("代理未排除 127.0.0.1 / localhost，本地服务（Docker、本地开发服务器、"
                              "部分 AI 工具的回调）可能被错误代理导致连接失败。\n当前例外：%1")
                        .arg(current));
    finding.fixHint = Texts::tr("补全本地地址例外列表，不影响正常上网。");
    // The list judged is the judged service's; the user's own entries stay on it.
    const QString service = ctx.proxyService.isEmpty() ? ctx.service : ctx.proxyService;
    finding.fix = proxyFix(QStringLiteral("fix-proxy-bypass"), Texts::tr("补全代理例外列表"),
                           {NetConfig::completeBypassOp(service, ctx.bypassDomains)},
                           Texts::tr("已补全本地地址例外"));
    return finding;
}

// A proxy left on a switched-off service cuts nothing off today, but returns with the service.
void noteIdleServices(const NetContext &ctx, QList<Finding> &findings)
{
    if (ctx.idleProxyServices.isEmpty() || findings.isEmpty())
        return;
    findings.first().detail +=
        QLatin1Char('\n') + Texts::tr("提示：已停用的服务 %1 上仍开着代理；停用的服务不承载流量，"
                                      "重新启用它之前请先关闭它的代理。")
                                .arg(ctx.idleProxyServices.join(listSeparator()));
}

QList<Finding> judgeProxy(const NetContext &ctx, const QList<RepairOp> &disableAll)
{
    if (!ctx.proxyEnabled)
        return {ctx.clashRunning ? proxyOffButRunning(ctx) : proxyOff(ctx)};
    const bool serverDead = !ctx.proxyServerKind.isEmpty() && !ctx.proxyTargetAlive;
    const ProxyEndpoint pac = pacEndpoint(ctx.proxyPacUrl);
    const bool pacDead = !pac.port.isEmpty() && !ctx.pacTargetAlive;

    // A dead port on this Mac is a client's leftover, whichever setting points at it.
    std::optional<DeadTarget> leftover;
    if (serverDead && onThisMac(ctx, ctx.proxyHost))
        leftover = DeadTarget{targetText(ctx), QString()};
    else if (pacDead && onThisMac(ctx, pac.host))
        leftover = DeadTarget{address(pac.host, pac.port), ctx.proxyPacUrl};
    if (leftover) {
        return {ctx.clashRunning ? proxyPortDead(ctx, *leftover, disableAll)
                                 : proxyDeadCrash(ctx, *leftover, disableAll)};
    }
    if (serverDead)
        return {proxyRemoteDead(ctx, disableAll)};
    if (pacDead)
        return {proxyPacUnreachable(ctx, pac)};
    // Alive is fine even without a known client: some other program serves the port.
    QList<Finding> findings{proxyOk(ctx)};
    if (NetConfig::defaultBypassNeeded(ctx.bypassDomains))
        findings << proxyBypass(ctx);
    return findings;
}

} // namespace

QList<Finding> decideProxy(const NetContext &ctx)
{
    QList<Finding> findings = judgeProxy(ctx, disableAllProxyOps(ctx));
    noteIdleServices(ctx, findings);
    return findings;
}

} // namespace brevik
