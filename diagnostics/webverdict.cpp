#include "diagnostics/webverdict.h"

namespace brevik {

namespace DirectOnly {

std::optional<FixAction> restoringRepair(const QList<Finding> &findings)
{
    for (const Finding &finding : findings) {
        if (finding.category == CheckCategory::proxy && finding.severity == Severity::error &&
            finding.fix)
            return finding.fix;
    }
    return std::nullopt;
}

QString remedy(const QList<Finding> &findings)
{
    if (const std::optional<FixAction> repair = restoringRepair(findings))
        return QStringLiteral("点「") + repair->title + QStringLiteral("」即可恢复它们。");
    return QStringLiteral("关闭系统代理，或让代理软件恢复工作（重新打开它、换一个可用的节点）"
                          "即可恢复它们。");
}

} // namespace DirectOnly

} // namespace brevik
