#include "diagnostics/diagnosticsrun.h"

QList<ScanStep> DiagnosticsRun::steps()
{
    // The full-width parentheses are part of the interface text.
    return {
        {QStringLiteral("检查网络接口与 IP 地址"), [this] { return checkInterface(); }},
        {QStringLiteral("检查网关（路由器）连通性"), [this] { return checkGateway(); }},
        {QStringLiteral("检查外网连通与丢包"), [this] { return checkInternet(); }},
        {QStringLiteral("检查 DNS 配置与域名解析"), [this] { return checkDNS(); }},
        {QStringLiteral("检查 HTTPS / 证书 / 系统时间"), [this] { return checkHTTPS(); }},
        {QStringLiteral("检查系统代理与 ClashX 状态"), [this] { return checkProxy(); }},
        {QStringLiteral("测试 AI 服务连通性（Claude / DeepSeek / GLM 等）"),
         [this] { return checkAI(); }},
        {QStringLiteral("检查 hosts 与代理环境变量"), [this] { return checkHosts(); }},
        {QStringLiteral("检查 MTU / IPv6 / Wi-Fi / 系统环境"), [this] { return checkSystem(); }},
        {QStringLiteral("实测能否上网（Bing 搜索）"), [this] { return checkWebAccess(); }},
    };
}
