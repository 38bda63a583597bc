#include "diagnostics/recheck.h"

#include <QCoreApplication>
#include <QHash>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Recheck)
};

// Which check gives which finding. A test runs every scenario of the simulated Mac and holds
// each finding it meets to this table.
const QHash<QString, StepPlace> &places()
{
    static const QHash<QString, StepPlace> table = [] {
        QHash<QString, StepPlace> ids;
        const QList<std::pair<StepPlace, QStringList>> steps{
            {StepPlace::interface, {"iface-ok", "no-interface", "no-ip", "self-assigned-ip"}},
            {StepPlace::gateway,
             {"gateway-down", "gateway-icmp-filtered", "gateway-loss", "gateway-ok",
              "gateway-vpn", "no-gateway"}},
            {StepPlace::internet, {"internet-down", "internet-loss", "internet-ok"}},
            {StepPlace::dns,
             {"dns-config-ok", "dns-poisoned", "dns-resolve-fail", "dns-resolve-ok",
              "dns-vpn-only", "no-dns"}},
            {StepPlace::https, {"captive-portal", "clock-ok", "clock-skew", "https-fail", "https-ok"}},
            {StepPlace::proxy,
             {"proxy-bypass", "proxy-dead-crash", "proxy-off", "proxy-off-but-running", "proxy-ok",
              "proxy-pac-unreachable", "proxy-port-dead", "proxy-remote-dead"}},
            {StepPlace::ai, {"ai-all-fail", "ai-direct-only", "ai-need-proxy", "ai-ok"}},
            {StepPlace::hosts,
             {"hosts-custom", "hosts-hijack", "hosts-ok", "shell-proxy-ok", "shell-proxy-stale"}},
            {StepPlace::system,
             {"firewall", "ipv6-ok", "ipv6-unreachable", "mtu-broken", "mtu-filtered", "mtu-issue",
              "mtu-ok", "mtu-tuned", "service-order", "vpn-leftover", "wifi-ok", "wifi-weak"}},
            {StepPlace::web, {"web-access", "web-access-direct-only", "web-access-fail"}},
        };
        for (const auto &[place, list] : steps) {
            for (const QString &id : list)
                ids.insert(id, place);
        }
        return ids;
    }();
    return table;
}

// The places are numbered in the steps' order.
QList<Finding> runStep(DiagnosticsRun &run, StepPlace place)
{
    return run.steps().at(qsizetype(place)).run();
}

} // namespace

namespace Recheck {

std::optional<StepPlace> placeOf(const QString &findingId)
{
    const auto place = places().constFind(findingId);
    if (place == places().cend())
        return std::nullopt;
    return *place;
}

QList<Verdict> run(const QStringList &findingIds, const Clock &clock)
{
    QList<StepPlace> steps;
    for (const QString &id : findingIds) {
        const std::optional<StepPlace> place = placeOf(id);
        if (place && !steps.contains(*place))
            steps << *place;
    }
    if (steps.isEmpty())
        return {};
    DiagnosticsRun run;
    run.clock = clock;
    run.ctx = DiagnosticsRun::buildContext();
    QHash<StepPlace, QList<Finding>> found;
    std::sort(steps.begin(), steps.end());
    for (const StepPlace place : steps)
        found.insert(place, runStep(run, place));
    const QDateTime at = clock();

    QList<Verdict> verdicts;
    for (const QString &id : findingIds) {
        const std::optional<StepPlace> place = placeOf(id);
        if (!place)
            continue;
        Verdict verdict{id, true, std::nullopt, at};
        for (const Finding &finding : found.value(*place)) {
            if (finding.id == id && finding.isProblem()) {
                verdict.fixed = false;
                verdict.still = finding;
            }
        }
        verdicts << verdict;
    }
    return verdicts;
}

QString line(const Verdict &verdict)
{
    const QString time = verdict.at.toString(QStringLiteral("HH:mm:ss"));
    if (verdict.fixed)
        return Texts::tr("复查：已不再发现这个问题（%1）").arg(time);
    const QString cause = verdict.still->detail.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (cause.isEmpty())
        return Texts::tr("复查仍发现：%1（%2）").arg(verdict.still->title, time);
    return Texts::tr("复查仍发现：%1\n%2（%3）").arg(verdict.still->title, cause, time);
}

} // namespace Recheck

} // namespace brevik
