#include "diagnostics/diagnosticsrun.h"

#include "diagnostics/aistatusstore.h"
#include "diagnostics/decisions.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(DiagnosticsRun)
};

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
    // The full-width parentheses are part of the interface text.
    return {
        {Texts::tr("检查网络接口与 IP 地址"), [this] { return checkInterface(); }},
        {Texts::tr("检查网关（路由器）连通性"), [this] { return checkGateway(); }},
        {Texts::tr("检查外网连通与丢包"), [this] { return checkInternet(); }},
        {Texts::tr("检查 DNS 配置与域名解析"), [this] { return checkDNS(); }},
        {Texts::tr("检查 HTTPS / 证书 / 系统时间"), [this] { return checkHTTPS(); }},
        {Texts::tr("检查系统代理与 ClashX 状态"), [this] { return checkProxy(); }},
        {Texts::tr("测试 AI 服务连通性（Claude / DeepSeek / GLM 等）"),
         [this] { return checkAI(); }},
        {Texts::tr("检查 hosts 与代理环境变量"), [this] { return checkHosts(); }},
        {Texts::tr("检查 MTU / IPv6 / Wi-Fi / 系统环境"), [this] { return checkSystem(); }},
        {Texts::tr("实测能否上网（Bing 搜索）"), [this] { return checkWebAccess(); }},
    };
}

} // namespace brevik
