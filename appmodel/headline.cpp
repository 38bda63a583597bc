#include "appmodel/headline.h"

#include <QCoreApplication>

#include <algorithm>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Headline)
};

template <typename Keep> QList<Finding> filtered(const QList<Finding> &findings, Keep keep)
{
    QList<Finding> kept;
    std::copy_if(findings.cbegin(), findings.cend(), std::back_inserter(kept), keep);
    return kept;
}

// Nothing blocks and the last test got through: the problems left are optional.
bool usableWithoutBlockers(const QList<Finding> &findings, std::optional<WebVerdict> net)
{
    return net == WebVerdict::usable && Headline::blockingIssues(findings).isEmpty();
}

} // namespace

namespace Headline {

QList<Finding> problems(const QList<Finding> &findings)
{
    return filtered(findings, [](const Finding &f) { return f.isProblem(); });
}

QList<Finding> passes(const QList<Finding> &findings)
{
    return filtered(findings, [](const Finding &f) { return !f.isProblem(); });
}

QList<Finding> optionalItems(const QList<Finding> &findings)
{
    return filtered(findings, [](const Finding &f) {
        return f.severity == Severity::info || f.severity == Severity::warn;
    });
}

QList<Finding> blockingIssues(const QList<Finding> &findings)
{
    return filtered(findings, [](const Finding &f) { return f.severity == Severity::error; });
}

int fixableCount(const QList<Finding> &findings)
{
    return int(std::count_if(findings.cbegin(), findings.cend(),
                             [](const Finding &f) { return f.isProblem() && f.hasFix(); }));
}

Severity effectiveStatus(const QList<Finding> &findings, std::optional<WebVerdict> net)
{
    // No findings yet: a scan has started and its first step has not published.
    if (findings.isEmpty())
        return Severity::info;
    const QList<Finding> found = problems(findings);
    if (usableWithoutBlockers(findings, net))
        return found.isEmpty() ? Severity::ok : Severity::warn;
    Severity worst = Severity::ok;
    for (const Finding &finding : found)
        worst = std::max(worst, finding.severity);
    // A test run after the scan may have seen what the findings have not.
    if (net && net != WebVerdict::usable)
        worst = std::max(worst, Severity::warn);
    return worst;
}

QString statusLabel(const QList<Finding> &findings, std::optional<WebVerdict> net)
{
    if (usableWithoutBlockers(findings, net))
        return problems(findings).isEmpty() ? Texts::tr("正常") : Texts::tr("可用");
    return label(effectiveStatus(findings, net));
}

QString statusTitle(const QList<Finding> &findings, std::optional<WebVerdict> net)
{
    if (usableWithoutBlockers(findings, net)) {
        const qsizetype count = problems(findings).size();
        if (count == 0)
            return Texts::tr("网络正常，未发现问题");
        return Texts::tr("网络正常可用，%n 项可选优化（可先放一放）", nullptr, int(count));
    }
    switch (effectiveStatus(findings, net)) {
    case Severity::ok:
        return Texts::tr("网络状态良好，未发现问题");
    case Severity::info:
        return Texts::tr("正在诊断你的网络…");
    case Severity::warn:
        return Texts::tr("网络存在异常，可一键优化");
    case Severity::error:
        return Texts::tr("网络存在故障，建议立即修复");
    }
    return {};
}

} // namespace Headline

} // namespace brevik
