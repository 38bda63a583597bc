#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/makefinding.h"
#include "diagnostics/repaircommands.h"
#include "diagnostics/textparse.h"
#include "exec/shell.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckInternet)
};

} // namespace

InternetObservation DiagnosticsRun::observeInternet() const
{
    // Addresses, not names: resolution must play no part here. Both always run; two hosts,
    // so side by side.
    const StepProbes probes = probesFor(StepPlace::internet);
    const auto ping = [&](const QString &address) {
        return readPing(probes.run(ProbeKind::timed, QStringLiteral("ping -c 5 -t 4 ") + address));
    };
    const auto [ali, cloudflare] =
        probes.together([&] { return ping(QStringLiteral("223.5.5.5")); },
                        [&] { return ping(QStringLiteral("1.1.1.1")); });
    return InternetObservation{ali, cloudflare};
}

QList<Finding> decideInternet(const NetContext &ctx, const InternetObservation &seen)
{
    const double lossA = seen.ali.loss;
    const double lossB = seen.cloudflare.loss;

    // BSD ping exits 0 as soon as one reply came, 2 when none did.
    if (seen.ali.code != 0 && seen.cloudflare.code != 0) {
        Finding f =
            makeFinding(QStringLiteral("internet-down"), Severity::error,
                        CheckCategory::connectivity, Texts::tr("无法访问互联网（公网 IP 不通）"),
                        Texts::tr("本地网络可达，但 ping 公网 IP "
                                  "全部失败。问题在路由器、光猫、宽带线路或运营商侧。"));
        f.fixHint =
            Texts::tr("先续订 DHCP + 重置网络接口；若无效请重启光猫/路由器，检查宽带是否欠费。");
        f.manualSteps = {Texts::tr("重启光猫与路由器（断电 30 秒）"),
                         Texts::tr("检查宽带账号是否欠费"), Texts::tr("拨打运营商客服报障")};
        // Offered only with a device to renew; then the Wi-Fi restart follows, if any.
        const QList<RepairOp> renew = dhcpRenewOps(ctx);
        if (!renew.isEmpty()) {
            f.fix = makeRepair(QStringLiteral("fix-internet"), Texts::tr("续订 DHCP + 重置接口"),
                               renew + wifiRestartOps(ctx), RepairRights::admin,
                               Texts::tr("网络配置已刷新"));
        }
        return {f};
    }

    const double best = lossB < lossA ? lossB : lossA;
    if (best >= 20.0) {
        Finding f = makeFinding(
            QStringLiteral("internet-loss"), Severity::warn, CheckCategory::connectivity,
            Texts::tr("公网丢包率偏高（%1%）").arg(TextParse::wholePercent(best)),
            Texts::tr("网络时通时断，音视频会议会卡顿。常见原因：Wi-Fi "
                      "信号弱、路由器过热、线路质量差。"));
        f.fixHint = Texts::tr("重启网络接口；持续存在请用网线直连测试，必要时找运营商检修线路。");
        f.fix = makeRepair(QStringLiteral("fix-internet-loss"), Texts::tr("重置网络接口"),
                           wifiRestartOps(ctx), RepairRights::userThenAdmin,
                           Texts::tr("网络接口已重置"));
        return {f};
    }
    return {makeFinding(QStringLiteral("internet-ok"), Severity::ok, CheckCategory::connectivity,
                        Texts::tr("外网连通正常"),
                        Texts::tr("223.5.5.5 丢包 %1%，1.1.1.1 丢包 %2%")
                            .arg(TextParse::wholePercent(lossA), TextParse::wholePercent(lossB)))};
}

} // namespace brevik
