#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/endpoints.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/netverify.h"

namespace brevik {

NetVerifyResult DiagnosticsRun::observeWebAccess() const
{
    return NetVerify::bingSearch(12, probesFor(StepPlace::web));
}

QList<Finding> decideWebAccess(const NetContext &, const NetVerifyResult &result)
{
    // The earlier checks explain; this one states the outcome, so the list ends with a verdict.
    Finding finding;
    finding.category = CheckCategory::connectivity;
    if (result.ok) {
        finding.id = QStringLiteral("web-access");
        finding.title = QStringLiteral("可以正常上网（端到端实测通过）");
        finding.severity = Severity::ok;
        finding.detail =
            result.summary + QStringLiteral("\n浏览器、Velden Studio 等应用现在都能正常访问网络。");
        return {finding};
    }
    // No repair of its own: the findings of the earlier checks carry those.
    finding.id = QStringLiteral("web-access-fail");
    finding.title =
        QStringLiteral("上网实测未通过（") + Endpoints::kSearchHost + QStringLiteral(" 访问失败）");
    finding.severity = Severity::warn;
    finding.detail = result.summary;
    finding.fixHint =
        QStringLiteral("若上面的连接 / 代理检查报了故障，请先修复它们；修复完成后会自动复测。");
    finding.manualSteps = {QStringLiteral("确认 Wi-Fi 或网线已连接且能 ping 通网关"),
                           QStringLiteral("确认系统代理指向正在运行的代理软件，或直接关闭系统代理"),
                           QStringLiteral("点击本工具顶部的「重新测试」按钮复测")};
    return {finding};
}

} // namespace brevik
