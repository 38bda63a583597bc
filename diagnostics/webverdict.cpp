#include "diagnostics/webverdict.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(DirectOnly)
};

} // namespace

namespace DirectOnly {

QString title()
{
    return Texts::tr("只有直连能上网：走系统代理的应用仍断网");
}

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
        return Texts::tr("点「%1」即可恢复它们。").arg(repair->title);
    return Texts::tr("关闭系统代理，或让代理软件恢复工作（重新打开它、换一个可用的节点）"
                     "即可恢复它们。");
}

} // namespace DirectOnly

} // namespace brevik
