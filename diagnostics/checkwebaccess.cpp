#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/endpoints.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/netverify.h"
#include "diagnostics/webverdict.h"

#include <QCoreApplication>

namespace brevik {

NetVerifyResult DiagnosticsRun::observeWebAccess() const
{
    return NetVerify::bingSearch(12, probesFor(StepPlace::web));
}

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckWebAccess)
};

// The page came, but only directly: the proxy check has said why the system proxy cannot be
// used, and its repair is what brings the apps behind it back.
Finding directOnly(const NetContext &ctx, const NetVerifyResult &result)
{
    const QList<Finding> proxyFindings = decideProxy(ctx);
    Finding finding;
    finding.category = CheckCategory::connectivity;
    finding.id = QStringLiteral("web-access-direct-only");
    finding.title = DirectOnly::title();
    finding.severity = Severity::warn;
    finding.detail = Texts::tr("%1\n浏览器、Velden Studio 等应用按系统设置把请求交给代理，"
                               "现在仍然打不开网页；只有不走代理的程序能上网。")
                         .arg(result.summary);
    finding.fixHint = Texts::tr("%1修复完成后会自动复测。").arg(DirectOnly::remedy(proxyFindings));
    finding.manualSteps = {Texts::tr("系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭全部代理"),
                           Texts::tr("或重新打开代理软件，确认它的端口与系统代理一致"),
                           Texts::tr("点击本工具顶部的「重新测试」按钮复测")};
    return finding;
}

} // namespace

QList<Finding> decideWebAccess(const NetContext &ctx, const NetVerifyResult &result)
{
    // The earlier checks explain; this one states the outcome, so the list ends with a verdict.
    if (result.verdict() == WebVerdict::directOnly)
        return {directOnly(ctx, result)};
    Finding finding;
    finding.category = CheckCategory::connectivity;
    if (result.ok) {
        finding.id = QStringLiteral("web-access");
        finding.title = Texts::tr("可以正常上网（端到端实测通过）");
        finding.severity = Severity::ok;
        finding.detail =
            Texts::tr("%1\n浏览器、Velden Studio 等应用现在都能正常访问网络。").arg(result.summary);
        return {finding};
    }
    // No repair of its own: the findings of the earlier checks carry those.
    finding.id = QStringLiteral("web-access-fail");
    finding.title = Texts::tr("上网实测未通过（%1 访问失败）").arg(Endpoints::kSearchHost);
    finding.severity = Severity::warn;
    finding.detail = result.summary;
    finding.fixHint =
        Texts::tr("若上面的连接 / 代理检查报了故障，请先修复它们；修复完成后会自动复测。");
    finding.manualSteps = {Texts::tr("确认 Wi-Fi 或网线已连接且能 ping 通网关"),
                           Texts::tr("确认系统代理指向正在运行的代理软件，或直接关闭系统代理"),
                           Texts::tr("点击本工具顶部的「重新测试」按钮复测")};
    return {finding};
}

} // namespace brevik
