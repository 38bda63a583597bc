#include "diagnostics/decisions.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/repaircommands.h"
#include "model/netconfig.h"
#include "model/proxyendpoint.h"

#include <optional>

namespace brevik {

namespace {

// The ports that ClashX and its relatives listen on out of the box, most likely first.
const QStringList kCommonProxyPorts{
    QStringLiteral("7890"), QStringLiteral("7891"),  QStringLiteral("7897"), QStringLiteral("1080"),
    QStringLiteral("8888"), QStringLiteral("10808"), QStringLiteral("7892"),
};

const QString kIdeographicComma = QStringLiteral("、");

QString appsText(const NetContext &ctx)
{
    return ctx.clashApps.isEmpty() ? QStringLiteral("代理客户端")
                                   : ctx.clashApps.join(kIdeographicComma);
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
    return dead.pacUrl.isEmpty() ? QStringLiteral("系统代理仍指向 ") + dead.address
                                 : QStringLiteral("自动代理(PAC)仍指向 ") + dead.pacUrl;
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
        return QStringLiteral("（未发现常见代理端口）");
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
        QStringLiteral("系统代理已关闭，且未检测到 ClashX 等代理客户端在运行，当前为直连状态。");
    if (!ctx.proxyHost.isEmpty())
        detail += QStringLiteral("\n（历史代理地址：") + targetText(ctx) + QStringLiteral("）");
    return makeFinding(QStringLiteral("proxy-off"), Severity::ok, CheckCategory::proxy,
                       QStringLiteral("系统代理已关闭（直连）"), detail);
}

Finding proxyOffButRunning(const NetContext &ctx)
{
    Finding finding = makeFinding(
        QStringLiteral("proxy-off-but-running"), Severity::warn, CheckCategory::proxy,
        QStringLiteral("代理软件正在运行，但系统代理未开启"),
        QStringLiteral("检测到 ") + appsText(ctx) +
            QStringLiteral(" 在运行，但系统代理是关闭的。\n") +
            QStringLiteral("Claude、ChatGPT、Gemini "
                           "等服务的域名在直连下通常不可用，会出现「连不上 / 一直转圈」。\n") +
            QStringLiteral("已在监听的本地端口：") + listeningPortsText(ctx));
    finding.manualSteps = {QStringLiteral("ClashX 菜单栏图标 → 勾选「设置为系统代理」"),
                           QStringLiteral("确认 ClashX 的端口（默认 7890）")};
    const QString port = clientPort(ctx);
    const QList<RepairOp> ops =
        port.isEmpty() ? QList<RepairOp>{}
                       : NetConfig::enableProxyOps(ctx.service, QStringLiteral("127.0.0.1"), port);
    if (ops.isEmpty()) {
        finding.fixHint = QStringLiteral("请在 ClashX 菜单中手动勾选「设置为系统代理」。");
        return finding;
    }
    finding.fixHint = QStringLiteral("一键让系统代理指向 ClashX，AI 工具即可正常访问。");
    finding.fix =
        proxyFix(QStringLiteral("fix-proxy-on"), QStringLiteral("设置系统代理 → 127.0.0.1:") + port,
                 ops, QStringLiteral("系统代理已指向本地代理客户端"));
    return finding;
}

FixAction switchOffAllFix(const QList<RepairOp> &disableAll)
{
    return proxyFix(QStringLiteral("fix-proxy-off-all"),
                    QStringLiteral("一键关闭系统代理（立即恢复上网）"), disableAll,
                    QStringLiteral("已关闭所有服务的系统代理，网络已恢复直连"));
}

QString servicesAndKinds(const NetContext &ctx)
{
    return QStringLiteral("启用代理的服务：") + ctx.proxyServices.join(kIdeographicComma) +
           QStringLiteral("\n代理类型：") + ctx.proxyKinds.join(kIdeographicComma);
}

Finding proxyDeadCrash(const NetContext &ctx, const DeadTarget &dead, const QList<RepairOp> &disableAll)
{
    Finding finding = makeFinding(
        QStringLiteral("proxy-dead-crash"), Severity::error, CheckCategory::proxy,
        QStringLiteral("致命：系统代理指向已关闭的代理软件（整机断网）"),
        pointsAt(dead) + QStringLiteral("，但该端口没有任何程序在监听，代理软件也已退出。\n") +
            QStringLiteral("这正是「关掉 ClashX 后所有 App 全部断网」的原因：浏览器 / Claude "
                           "客户端等都会把请求发给这个已经死掉的端口。\n") +
            servicesAndKinds(ctx));
    finding.fixHint =
        QStringLiteral("一键关闭全部系统代理，网络立刻恢复（直连）。以后要用代理时先打开 "
                       "ClashX，再让本工具开启系统代理即可。");
    finding.fix = switchOffAllFix(disableAll);
    finding.manualSteps = {
        QStringLiteral("系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭全部代理")};
    return finding;
}

Finding proxyPortDead(const NetContext &ctx, const DeadTarget &dead, const QList<RepairOp> &disableAll)
{
    const QString pointing = dead.pacUrl.isEmpty() ? QStringLiteral("系统代理指向的 ")
                                                   : QStringLiteral("自动代理(PAC) ") +
                                                         dead.pacUrl + QStringLiteral(" 所在的 ");
    Finding finding = makeFinding(
        QStringLiteral("proxy-port-dead"), Severity::error, CheckCategory::proxy,
        QStringLiteral("代理软件在运行，但端口 ") + dead.address + QStringLiteral(" 无法连接"),
        QStringLiteral("检测到 ") + appsText(ctx) + QStringLiteral(" 正在运行，但") + pointing +
            dead.address + QStringLiteral(" 端口拒绝连接或未监听。\n") +
            QStringLiteral("这种情况同样会导致断网。可能是代理尚未启动完成、配置端口不一致、"
                           "或核心进程崩溃。"));
    finding.fixHint = QStringLiteral("临时关闭系统代理恢复上网；然后重启 ClashX（或在 ClashX "
                                     "菜单里重新点「设置为系统代理」）。");
    finding.fix =
        proxyFix(QStringLiteral("fix-proxy-off-2"), QStringLiteral("关闭系统代理（恢复上网）"),
                 disableAll, QStringLiteral("已关闭系统代理"));
    finding.manualSteps = {QStringLiteral("退出并重新打开 ClashX"),
                           QStringLiteral("ClashX 菜单 → 重新勾选「设置为系统代理」"),
                           QStringLiteral("确认 ClashX 的 HTTP 端口与系统代理端口一致")};
    return finding;
}

// An office proxy that does not answer away from the office: the machine is cut off all the
// same, but switching it off is the user's decision, never the guardian's.
Finding proxyRemoteDead(const NetContext &ctx, const QList<RepairOp> &disableAll)
{
    const QString target = targetText(ctx);
    Finding finding = makeFinding(
        QStringLiteral("proxy-remote-dead"), Severity::error, CheckCategory::proxy,
        QStringLiteral("系统代理 ") + target + QStringLiteral(" 无法连接"),
        QStringLiteral("系统代理指向另一台主机 ") + target +
            QStringLiteral("（例如公司的代理服务器），但现在连不上它，所有走系统代理的 App "
                           "都无法上网。\n") +
            QStringLiteral("离开公司网络或 VPN 断开时常见；它不是本机代理软件的残留，"
                           "后台守护不会自动关闭它。\n") +
            servicesAndKinds(ctx));
    finding.fixHint = QStringLiteral("暂时用不到这台代理服务器时，可一键关闭系统代理恢复直连；"
                                     "回到公司网络后需在系统设置里重新开启。");
    finding.fix = switchOffAllFix(disableAll);
    finding.manualSteps = {
        QStringLiteral("连上公司网络或 VPN 后重新扫描"),
        QStringLiteral("系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭无法连接的代理")};
    return finding;
}

// Without its PAC file a Mac usually goes direct, so a remote one that does not answer is
// worth a warning, not a repair.
Finding proxyPacUnreachable(const NetContext &ctx, const ProxyEndpoint &pac)
{
    Finding finding = makeFinding(
        QStringLiteral("proxy-pac-unreachable"), Severity::warn, CheckCategory::proxy,
        QStringLiteral("自动代理(PAC)地址无法访问"),
        QStringLiteral("自动代理(PAC)指向 ") + ctx.proxyPacUrl + QStringLiteral("，但 ") +
            address(pac.host, pac.port) + QStringLiteral(" 现在连不上。\n") +
            QStringLiteral("它在另一台主机上（通常由公司或学校网络提供），离开该网络时常见；"
                           "取不到 PAC 文件时，部分 App 可能变慢、报错或改走直连。\n") +
            servicesAndKinds(ctx));
    finding.fixHint =
        QStringLiteral("回到提供它的网络后会自动恢复；不再需要时，请在系统设置中关闭自动代理。");
    finding.manualSteps = {
        QStringLiteral("系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭「自动代理配置」")};
    return finding;
}

Finding proxyOk(const NetContext &ctx)
{
    QString detail = QStringLiteral("代理客户端：") + appsText(ctx);
    if (!ctx.proxyServerKind.isEmpty() || ctx.proxyPacUrl.isEmpty())
        detail +=
            QStringLiteral("\n代理地址：") + targetText(ctx) + QStringLiteral("（端口监听正常）");
    if (!ctx.proxyPacUrl.isEmpty())
        detail +=
            QStringLiteral("\n自动代理(PAC)：") + ctx.proxyPacUrl + QStringLiteral("（可以访问）");
    detail += QStringLiteral("\n启用服务：") + ctx.proxyServices.join(kIdeographicComma);
    return makeFinding(QStringLiteral("proxy-ok"), Severity::ok, CheckCategory::proxy,
                       QStringLiteral("系统代理链路正常"), detail);
}

Finding proxyBypass(const NetContext &ctx)
{
    const QString current = ctx.bypassDomains.isEmpty()
                                ? QStringLiteral("（空）")
                                : ctx.bypassDomains.join(QStringLiteral(", "));
    Finding finding = makeFinding(
        QStringLiteral("proxy-bypass"), Severity::warn, CheckCategory::proxy,
        QStringLiteral("代理例外列表缺少本地地址"),
        QStringLiteral("代理未排除 127.0.0.1 / localhost，本地服务（Docker、本地开发服务器、"
                       "部分 AI 工具的回调）可能被错误代理导致连接失败。\n当前例外：") +
            current);
    finding.fixHint = QStringLiteral("补全本地地址例外列表，不影响正常上网。");
    // The list judged is the judged service's; the user's own entries stay on it.
    const QString service = ctx.proxyService.isEmpty() ? ctx.service : ctx.proxyService;
    finding.fix = proxyFix(QStringLiteral("fix-proxy-bypass"), QStringLiteral("补全代理例外列表"),
                           {NetConfig::completeBypassOp(service, ctx.bypassDomains)},
                           QStringLiteral("已补全本地地址例外"));
    return finding;
}

// A proxy left on a switched-off service cuts nothing off today, but returns with the service.
void noteIdleServices(const NetContext &ctx, QList<Finding> &findings)
{
    if (ctx.idleProxyServices.isEmpty() || findings.isEmpty())
        return;
    findings.first().detail += QStringLiteral("\n提示：已停用的服务 ") +
                               ctx.idleProxyServices.join(kIdeographicComma) +
                               QStringLiteral(" 上仍开着代理；停用的服务不承载流量，"
                                              "重新启用它之前请先关闭它的代理。");
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
