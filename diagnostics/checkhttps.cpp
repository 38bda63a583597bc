#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/endpoints.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/textparse.h"
#include "exec/probes.h"
#include "exec/shell.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckHttps)
};

// A clock off by up to five minutes still validates certificates.
constexpr quint64 kClockToleranceSeconds = 300;

Finding httpsFinding(const HttpProbeResult &probe)
{
    if (probe.ok) {
        return makeFinding(QStringLiteral("https-ok"), Severity::ok, CheckCategory::system,
                           Texts::tr("HTTPS 访问正常"),
                           Texts::tr("%1 响应正常（%2 ms）")
                               .arg(Endpoints::kHttpsTestUrl, QString::number(probe.ms)));
    }
    Finding f = makeFinding(QStringLiteral("https-fail"), Severity::warn, CheckCategory::system,
                            Texts::tr("HTTPS 访问失败（curl 无响应）"),
                            Texts::tr("底层网络可达，但访问 %1 失败。常见原因：代理残留、VPN 异常、"
                                      "系统时间错误导致证书校验失败。")
                                .arg(Endpoints::kHttpsTestUrl));
    f.fixHint = Texts::tr("检查系统代理是否指向已关闭的代理软件；确认时间自动同步。");
    f.manualSteps = {Texts::tr("系统设置 → 通用 → 日期与时间 → 打开「自动设置」"),
                     Texts::tr("检查是否有残留代理：本工具「代理 / 科学上网」一栏")};
    return f;
}

struct ServerClock {
    QString date;
    QString difference;
};

// The web server's "Date" header and how far this Mac's clock is from it.
ServerClock serverClock(const StepProbes &probes)
{
    // curl -sI prints CR LF line ends: "date: Sun, 06 Dec 2026 12:00:00 GMT\r".
    ServerClock clock;
    clock.date = probes
                     .run(ProbeKind::light,
                          QStringLiteral("curl -sI -m 8 ") + Endpoints::kHttpsTestUrl +
                              QStringLiteral(" 2>/dev/null | awk -F': ' "
                                             "'tolower($1)==\"date\"{print $2}' | tr -d '\\r'"))
                     .output.trimmed();
    if (clock.date.isEmpty())
        return clock;
    // BSD date: -j parses without setting the clock; a positive result means we run ahead.
    clock.difference =
        probes
            .run(ProbeKind::local,
                 QStringLiteral("srv=$(date -j -u -f '%a, %d %b %Y %T GMT' ") +
                     shellQuote(clock.date) +
                     QStringLiteral(" +%s 2>/dev/null); now=$(date -u +%s); echo $(( now - srv ))"))
            .output.trimmed();
    return clock;
}

// The web server's "Date" header is the reference time; nothing when no header came back.
std::optional<Finding> clockFinding(const HttpsObservation &seen)
{
    if (seen.serverDate.isEmpty())
        return std::nullopt;
    const QString &difference = seen.clockDifference;

    Finding ok = makeFinding(QStringLiteral("clock-ok"), Severity::ok, CheckCategory::system,
                             Texts::tr("系统时间正确"), Texts::tr("与网络时间偏差在允许范围内"));
    // A header that date could not parse leaves bash an arithmetic error, not a number.
    const std::optional<qint64> seconds = TextParse::integer(difference);
    if (!seconds)
        return ok;
    const qint64 signedValue = *seconds;
    const quint64 absolute =
        signedValue < 0 ? quint64(0) - quint64(signedValue) : quint64(signedValue);
    if (absolute <= kClockToleranceSeconds)
        return ok;

    Finding f =
        makeFinding(QStringLiteral("clock-skew"), Severity::error, CheckCategory::system,
                    Texts::tr("系统时间偏差 %1 秒（会打断 HTTPS）").arg(absolute),
                    Texts::tr("本机时间与网络时间相差 %1 秒。时间错误会导致 TLS 证书验证失败，"
                              "表现为「所有 HTTPS 网站都打不开」。")
                        .arg(signedValue));
    f.fixHint = Texts::tr("打开网络时间自动同步：%1")
                    .arg(QStringLiteral("sudo systemsetup -setusingnetworktime on"));
    f.fix = makeRepair(QStringLiteral("fix-clock"), Texts::tr("开启网络时间同步"),
                       {RepairOps::NetworkTime{true}, RepairOps::SyncClock{Endpoints::kTimeServer}},
                       RepairRights::admin, Texts::tr("已开启网络时间自动同步"));
    return f;
}

// Hotel and airport networks answer every request with their login page until the user signs
// in, and let nothing else through: the detection page lacks "Success" and a public address
// does not answer ping.
std::optional<Finding> captivePortalFinding(const HttpsObservation &seen)
{
    const QString &page = seen.portalPage;
    // No page at all means no network, which other checks report.
    const bool suspicious = !page.contains(QLatin1String("Success")) && !page.isEmpty();
    if (!suspicious || seen.portalPingCode == 0)
        return std::nullopt;

    Finding f =
        makeFinding(QStringLiteral("captive-portal"), Severity::warn, CheckCategory::connectivity,
                    Texts::tr("疑似需要网页认证的 Wi-Fi（强制门户）"),
                    Texts::tr("检测到网络被强制门户拦截（常见于酒店、机场、商场 "
                              "Wi-Fi），需要先在浏览器中完成登录。"));
    f.manualSteps = {Texts::tr("打开浏览器访问任意网站"),
                     Texts::tr("在跳转的认证页面输入账号或勾选同意"),
                     Texts::tr("认证完成后回到本工具重新扫描")};
    return f;
}

} // namespace

// Three tests with nothing in common but the check: each runs beside the others. The portal's
// ping runs whatever its page shows, so the two run side by side as well.
HttpsObservation DiagnosticsRun::observeHTTPS() const
{
    const StepProbes probes = probesFor(StepPlace::https);
    const auto [https, clock, portal] = probes.together(
        [&] {
            // It times itself: the "ms" of "https-ok".
            return probes.gated(ProbeKind::timed, [] {
                return httpProbe(Endpoints::kHttpsTestUrl, std::nullopt, 10);
            });
        },
        [&] { return serverClock(probes); },
        [&] {
            return probes.together(
                [&] {
                    return probes
                        .run(ProbeKind::light, QStringLiteral("curl -s -m 6 -L ") +
                                                   Endpoints::kCaptivePortalUrl +
                                                   QStringLiteral(" 2>/dev/null | head -5"))
                        .output;
                },
                [&] {
                    return probes.run(ProbeKind::timed, QStringLiteral("ping -c 1 -t 3 223.5.5.5"))
                        .code;
                });
        });
    return HttpsObservation{https, clock.date, clock.difference, std::get<0>(portal),
                            std::get<1>(portal)};
}

QList<Finding> decideHTTPS(const NetContext &, const HttpsObservation &seen)
{
    QList<Finding> findings{httpsFinding(seen.https)};
    if (const std::optional<Finding> clock = clockFinding(seen))
        findings << *clock;
    if (const std::optional<Finding> portal = captivePortalFinding(seen))
        findings << *portal;
    return findings;
}

} // namespace brevik
