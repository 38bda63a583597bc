#include "diagnostics/diagnosticsrun.h"

#include "diagnostics/aistatusstore.h"
#include "diagnostics/decisions.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(DiagnosticsRun)
};

// A free function: lupdate, which sees this file without the class's header, then still finds
// the texts' context.
QList<ScanStep> stepsOf(DiagnosticsRun &run)
{
    // The full-width parentheses are part of the interface text.
    return {
        {Texts::tr("检查网络接口与 IP 地址"), [&run] { return run.checkInterface(); }},
        {Texts::tr("检查网关（路由器）连通性"), [&run] { return run.checkGateway(); }},
        {Texts::tr("检查外网连通与丢包"), [&run] { return run.checkInternet(); }},
        {Texts::tr("检查 DNS 配置与域名解析"), [&run] { return run.checkDNS(); }},
        {Texts::tr("检查 HTTPS / 证书 / 系统时间"), [&run] { return run.checkHTTPS(); }},
        {Texts::tr("检查系统代理与 ClashX 状态"), [&run] { return run.checkProxy(); }},
        {Texts::tr("测试 AI 服务连通性（Claude / DeepSeek / GLM 等）"),
         [&run] { return run.checkAI(); }},
        {Texts::tr("检查 hosts 与代理环境变量"), [&run] { return run.checkHosts(); }},
        {Texts::tr("检查 MTU / IPv6 / Wi-Fi / 系统环境"), [&run] { return run.checkSystem(); }},
        {Texts::tr("实测能否上网（Bing 搜索）"), [&run] { return run.checkWebAccess(); }},
    };
}

} // namespace

QList<Finding> DiagnosticsRun::checkInterface()
{
    return decideInterface(ctx);
}

QList<Finding> DiagnosticsRun::checkGateway()
{
    return decideGateway(ctx, observeGateway());
}

QList<Finding> DiagnosticsRun::checkInternet()
{
    return decideInternet(ctx, observeInternet());
}

QList<Finding> DiagnosticsRun::checkDNS()
{
    return decideDNS(ctx, observeDNS());
}

QList<Finding> DiagnosticsRun::checkHTTPS()
{
    return decideHTTPS(ctx, observeHTTPS());
}

QList<Finding> DiagnosticsRun::checkProxy()
{
    return decideProxy(ctx);
}

QList<Finding> DiagnosticsRun::checkAI()
{
    const AIObservation seen = observeAI();
    AIStatusStore::shared().replace(aiStatuses(seen), seen.proxy.has_value(), clock());
    return decideAI(ctx, seen);
}

QList<Finding> DiagnosticsRun::checkHosts()
{
    return decideHosts(ctx, observeHosts());
}

QList<Finding> DiagnosticsRun::checkSystem()
{
    return decideSystem(ctx, observeSystem());
}

QList<Finding> DiagnosticsRun::checkWebAccess()
{
    m_webResult = observeWebAccess();
    return decideWebAccess(ctx, *m_webResult);
}

QList<ScanStep> DiagnosticsRun::steps()
{
    return stepsOf(*this);
}

} // namespace brevik
