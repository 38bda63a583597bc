#include "diagnostics/diagnosticsrun.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

#include <optional>

namespace {

QString mtuQuery(const QString &iface)
{
    return QStringLiteral("ifconfig ") + iface +
           QStringLiteral(" 2>/dev/null | grep -o 'mtu [0-9]*' | head -1 | awk '{print $2}'");
}

const QString kLargePing = QStringLiteral("ping -c 1 -t 4 -D -s 1472 223.5.5.5");
const QString kMediumPing = QStringLiteral("ping -c 1 -t 4 -D -s 1372 223.5.5.5");
const QStringList kDownloads{
    "curl -s -m 15 -o /dev/null -w '%{size_download}' -r 0-400000 "
    "'https://mirrors.aliyun.com/ubuntu/ls-lR.gz' 2>/dev/null",
    "curl -s -m 15 -o /dev/null -w '%{size_download}' -r 0-400000 "
    "'https://speed.cloudflare.com/__down?bytes=400000' 2>/dev/null",
};
const QString kIPv6Probe = QStringLiteral(
    "curl -6 -s -m 8 -o /dev/null -w '%{http_code}' https://ipv6.google.com 2>/dev/null");
const QString kSignalQuery = QStringLiteral(
    "system_profiler SPAirPortDataType 2>/dev/null | awk '/Current Network Information:/{f=1} "
    "f&&/Signal \\/ Noise|PHY Mode|Channel:/{print}' | head -6");
const QString kServiceOrder = QStringLiteral("networksetup -listnetworkserviceorder 2>/dev/null");
const QString kFirewall =
    QStringLiteral("/usr/libexec/ApplicationFirewall/socketfilterfw --getglobalstate 2>/dev/null");

const QString kEthernet = QStringLiteral("USB 10/100/1000 LAN");

// A wired Mac with nothing but the MTU section to look at.
NetContext wiredContext()
{
    NetContext ctx;
    ctx.iface = QStringLiteral("en7");
    ctx.service = kEthernet;
    ctx.wifiPort = QStringLiteral("en0");
    return ctx;
}

// Answers for the sections that always run; an empty answer yields no finding.
void scriptQuietSections(ScriptedRunner &runner, const QString &iface)
{
    runner.on(mtuQuery(iface), 0, QStringLiteral("1500\n"));
    runner.on(kLargePing, 0);
    runner.on(kServiceOrder, 0);
    runner.on(kFirewall, 0);
}

std::optional<Finding> findingWithId(const QList<Finding> &findings, const QString &prefix)
{
    for (const Finding &finding : findings) {
        if (finding.id.startsWith(prefix))
            return finding;
    }
    return std::nullopt;
}

QList<Finding> runCheck(const NetContext &ctx)
{
    DiagnosticsRun run;
    run.ctx = ctx;
    return run.checkSystem();
}

const QString kServiceListing = QStringLiteral(
    "An asterisk (*) denotes that a network service is disabled.\n"
    "(1) USB 10/100/1000 LAN\n(Hardware Port: USB 10/100/1000 LAN, Device: en7)\n\n"
    "(2) Wi-Fi\n(Hardware Port: Wi-Fi, Device: en0)\n\n"
    "(*) Thunderbolt Bridge\n(Hardware Port: Thunderbolt Bridge, Device: bridge0)\n");

} // namespace

class TestCheckSystem : public QObject {
    Q_OBJECT

private slots:
    void mtu_data();
    void mtu();
    void interfaceNameIsOneWord();
    void ipv6_data();
    void ipv6();
    void wifiSignal_data();
    void wifiSignal();
    void vpnLeftovers_data();
    void vpnLeftovers();
    void serviceOrder_data();
    void serviceOrder();
    void firewall_data();
    void firewall();
    void sectionsInOrder();
};

void TestCheckSystem::mtu_data()
{
    QTest::addColumn<QString>("mtuOutput");
    QTest::addColumn<int>("largeCode");
    QTest::addColumn<QStringList>("downloads"); // one answer per endpoint expected to be asked
    QTest::addColumn<int>("mediumCode");        // -1: the medium ping must not run
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("detail");

    const QString tuned =
        QStringLiteral("，已低于 1500，属于兼容大包问题的常见取值。部分网络会过滤大 ICMP "
                       "包，这不影响实际使用。");
    const QString filtered =
        QStringLiteral("1500 字节的 ping 包被网络丢弃，但实测 400KB 数据下载正常（");
    const QString filteredEnd = QStringLiteral(" KB），说明实际 MTU 没有问题，无需处理。");
    const QString issue = QStringLiteral(
        "1500 字节的数据包无法通过，1400 字节可以。典型表现：能 ping 通但网页卡住、下载中断、SSH "
        "卡死。常见于 PPPoE 宽带、VPN、部分路由器。");

    QTest::newRow("reduced MTU, whatever the pings")
        << "1400\n"
        << 2 << QStringList{} << -1 << "mtu-tuned"
        << QStringLiteral("MTU 已设为 1400（适配当前线路）")
        << QStringLiteral("当前接口 MTU 为 1400") + tuned;
    QTest::newRow("1420 still counts as reduced")
        << "1420" << 0 << QStringList{} << -1 << "mtu-tuned"
        << QStringLiteral("MTU 已设为 1420（适配当前线路）")
        << QStringLiteral("当前接口 MTU 为 1420") + tuned;
    QTest::newRow("silent ifconfig means 1500")
        << "" << 0 << QStringList{} << -1 << "mtu-ok" << QStringLiteral("MTU 正常")
        << QStringLiteral("1500 字节数据包可正常通过");
    QTest::newRow("first endpoint proves the path")
        << "1421" << 2 << QStringList{"400001"} << 0 << "mtu-filtered"
        << QStringLiteral("网络过滤了大 ICMP 包（不影响使用）") << filtered + "400" + filteredEnd;
    QTest::newRow("second endpoint after a silent first")
        << "1500" << 2 << QStringList{"", "350999"} << 2 << "mtu-filtered"
        << QStringLiteral("网络过滤了大 ICMP 包（不影响使用）") << filtered + "350" + filteredEnd;
    QTest::newRow("299999 bytes prove nothing")
        << "1500" << 2 << QStringList{"299999", "garbage"} << 0 << "mtu-issue"
        << QStringLiteral("MTU 过大导致大包丢失（部分网站打不开）") << issue;
    QTest::newRow("everything blocked")
        << "1500" << 2 << QStringList{"0", ""} << 2 << "mtu-broken"
        << QStringLiteral("网络阻塞严重（连 1400 字节包也不通）")
        << QStringLiteral("大小数据包都不通，说明当前网络质量很差或存在链路故障。");
}

void TestCheckSystem::mtu()
{
    QFETCH(QString, mtuOutput);
    QFETCH(int, largeCode);
    QFETCH(QStringList, downloads);
    QFETCH(int, mediumCode);
    QFETCH(QString, id);
    QFETCH(QString, title);
    QFETCH(QString, detail);

    auto runner = std::make_shared<ScriptedRunner>();
    QStringList expected{mtuQuery("en7"), kLargePing};
    runner->on(mtuQuery("en7"), 0, mtuOutput);
    runner->on(kLargePing, largeCode);
    for (qsizetype i = 0; i < downloads.size(); ++i) {
        runner->on(kDownloads.at(i), downloads.at(i).isEmpty() ? 28 : 0, downloads.at(i));
        expected << kDownloads.at(i);
    }
    if (mediumCode >= 0) {
        runner->on(kMediumPing, mediumCode);
        expected << kMediumPing;
    }
    runner->on(kServiceOrder, 0).on(kFirewall, 0);
    expected << kServiceOrder << kFirewall;
    ScopedRunner scope(runner);
    const QList<Finding> findings = runCheck(wiredContext());
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands(), expected);

    QCOMPARE(findings.size(), 1);
    const Finding &finding = findings.first();
    QCOMPARE(finding.id, id);
    QCOMPARE(finding.title, title);
    QCOMPARE(finding.detail, detail);
    QCOMPARE(finding.category, CheckCategory::system);
    if (id == QLatin1String("mtu-issue")) {
        QCOMPARE(finding.severity, Severity::warn);
        QCOMPARE(finding.fixHint,
                 QStringLiteral("把当前接口 MTU 调小到 1400（可随时改回 1500）。"));
        QVERIFY(finding.hasFix());
        QCOMPARE(finding.fix->id, QStringLiteral("fix-mtu"));
        QCOMPARE(finding.fix->title, QStringLiteral("调整 MTU 为 1400"));
        QCOMPARE(finding.fix->commands, QStringList{QStringLiteral("ifconfig en7 mtu 1400")});
        QVERIFY(finding.fix->needsAdmin);
        QVERIFY(!finding.fix->fallbackAdmin);
        QCOMPARE(finding.fix->successHint, QStringLiteral("MTU 已调整为 1400"));
        return;
    }
    QVERIFY(!finding.hasFix());
    QVERIFY(!finding.fixHint);
    if (id == QLatin1String("mtu-broken")) {
        QCOMPARE(finding.severity, Severity::warn);
        QCOMPARE(finding.manualSteps,
                 (QStringList{QStringLiteral("重启路由器"), QStringLiteral("改用网线测试"),
                              QStringLiteral("联系运营商检查线路")}));
    } else {
        QCOMPARE(finding.severity, id == QLatin1String("mtu-ok") ? Severity::ok : Severity::info);
        QVERIFY(finding.manualSteps.isEmpty());
    }
}

void TestCheckSystem::interfaceNameIsOneWord()
{
    // Interface names come from tool output; one with shell syntax must stay one word.
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(mtuQuery("'en7;reboot'"), 0, "1500")
        .on(kLargePing, 2)
        .on(kDownloads.at(0), 28)
        .on(kDownloads.at(1), 28)
        .on(kMediumPing, 0)
        .on(kServiceOrder, 0)
        .on(kFirewall, 0);
    ScopedRunner scope(runner);
    NetContext ctx = wiredContext();
    ctx.iface = QStringLiteral("en7;reboot");
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(findings.first().id, QStringLiteral("mtu-issue"));
    QCOMPARE(findings.first().fix->commands,
             QStringList{QStringLiteral("ifconfig 'en7;reboot' mtu 1400")});
}

void TestCheckSystem::ipv6_data()
{
    QTest::addColumn<bool>("hasIPv6");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("id"); // null: no IPv6 finding and no probe

    QTest::newRow("404 still proves the way out") << true << "404"
                                                  << "ipv6-ok";
    QTest::newRow("200") << true << "200\n"
                         << "ipv6-ok";
    QTest::newRow("no answer") << true << "000"
                               << "ipv6-unreachable";
    QTest::newRow("silent curl") << true << ""
                                 << "ipv6-unreachable";
    QTest::newRow("no global IPv6 address") << false << "" << QString();
}

void TestCheckSystem::ipv6()
{
    QFETCH(bool, hasIPv6);
    QFETCH(QString, answer);
    QFETCH(QString, id);

    auto runner = std::make_shared<ScriptedRunner>();
    scriptQuietSections(*runner, "en7");
    if (hasIPv6)
        runner->on(kIPv6Probe, answer.isEmpty() ? 7 : 0, answer);
    ScopedRunner scope(runner);
    NetContext ctx = wiredContext();
    ctx.hasIPv6 = hasIPv6;
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);

    const std::optional<Finding> finding = findingWithId(findings, "ipv6-");
    if (id.isNull()) {
        QVERIFY(!finding);
        return;
    }
    QVERIFY(finding);
    QCOMPARE(finding->id, id);
    QCOMPARE(findings.indexOf(*finding), 1);
    if (id == QLatin1String("ipv6-ok")) {
        QCOMPARE(finding->title, QStringLiteral("IPv6 正常"));
        QCOMPARE(finding->severity, Severity::ok);
        QCOMPARE(finding->detail, QStringLiteral("IPv6 出口实测可用"));
        QVERIFY(!finding->hasFix());
        return;
    }
    QCOMPARE(finding->title, QStringLiteral("IPv6 可能不可用（可选优化）"));
    QCOMPARE(finding->severity, Severity::info);
    QCOMPARE(finding->detail,
             QStringLiteral(
                 "本机有全局 IPv6 地址，但 IPv6 出口实测不通。极少数应用会优先尝试 IPv6，可能造成"
                 "「打开页面先卡一下」。若你上网正常，可忽略此项。"));
    QCOMPARE(finding->fixHint, QStringLiteral("如遇网页打开偏慢，可临时关闭当前服务的 IPv6。"));
    QCOMPARE(finding->fix->id, QStringLiteral("fix-ipv6-off"));
    QCOMPARE(finding->fix->title, QStringLiteral("关闭该服务的 IPv6"));
    QCOMPARE(finding->fix->commands,
             QStringList{QStringLiteral("networksetup -setv6off 'USB 10/100/1000 LAN'")});
    QVERIFY(finding->fix->needsAdmin);
    QVERIFY(!finding->fix->fallbackAdmin);
    QCOMPARE(finding->fix->successHint, QStringLiteral("已关闭 IPv6"));
}

void TestCheckSystem::wifiSignal_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QString>("report"); // null: the signal must not be asked
    QTest::addColumn<QString>("id");     // null: no Wi-Fi finding
    QTest::addColumn<QString>("detail");

    // What the awk filter keeps of system_profiler: the current network's lines only.
    const QString weak = QStringLiteral("              PHY Mode: 802.11ac\n"
                                        "              Channel: 6 (2GHz, 20MHz)\n"
                                        "              Signal / Noise: -73 dBm / -92 dBm\n");
    const QString weakTrimmed = QStringLiteral("PHY Mode: 802.11ac\n"
                                               "              Channel: 6 (2GHz, 20MHz)\n"
                                               "              Signal / Noise: -73 dBm / -92 dBm");
    QTest::newRow("-72 dBm is good") << "Wi-Fi"
                                     << "en0"
                                     << "en0"
                                     << "Signal / Noise: -72 dBm / -94 dBm"
                                     << "wifi-ok" << QStringLiteral("信号强度 -72 dBm");
    QTest::newRow("-73 dBm is weak")
        << "Wi-Fi"
        << "en0"
        << "en0" << weak << "wifi-weak"
        << QStringLiteral("信号强度 -73 dBm（低于 -72 dBm 属于弱信号），容易出现丢包、掉线。\n") +
               weakTrimmed;
    QTest::newRow("Wi-Fi device under another service name")
        << "Home"
        << "en0"
        << "en0"
        << "Signal / Noise: -40 dBm / -94 dBm"
        << "wifi-ok" << QStringLiteral("信号强度 -40 dBm");
    QTest::newRow("no signal line") << "Wi-Fi"
                                    << "en0"
                                    << "en0"
                                    << "PHY Mode: 802.11ax" << QString() << QString();
    QTest::newRow("wired primary, Wi-Fi elsewhere") << kEthernet << "en7"
                                                    << "en0" << QString() << QString() << QString();
    QTest::newRow("no interface and no Wi-Fi port: looked at") << ""
                                                               << ""
                                                               << ""
                                                               << "" << QString() << QString();
}

void TestCheckSystem::wifiSignal()
{
    QFETCH(QString, service);
    QFETCH(QString, iface);
    QFETCH(QString, wifiPort);
    QFETCH(QString, report);
    QFETCH(QString, id);
    QFETCH(QString, detail);

    auto runner = std::make_shared<ScriptedRunner>();
    scriptQuietSections(*runner, iface);
    if (!report.isNull())
        runner->on(kSignalQuery, 0, report);
    ScopedRunner scope(runner);
    NetContext ctx;
    ctx.service = service;
    ctx.iface = iface;
    ctx.wifiPort = wifiPort;
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->count(kSignalQuery), report.isNull() ? 0 : 1);

    const std::optional<Finding> finding = findingWithId(findings, "wifi-");
    if (id.isNull()) {
        QVERIFY(!finding);
        return;
    }
    QVERIFY(finding);
    QCOMPARE(finding->id, id);
    QCOMPARE(finding->detail, detail);
    if (id == QLatin1String("wifi-ok")) {
        QCOMPARE(finding->title, QStringLiteral("Wi-Fi 信号良好"));
        QCOMPARE(finding->severity, Severity::ok);
        QVERIFY(finding->manualSteps.isEmpty());
        return;
    }
    QCOMPARE(finding->title, QStringLiteral("Wi-Fi 信号偏弱（-73 dBm）"));
    QCOMPARE(finding->severity, Severity::warn);
    QCOMPARE(finding->manualSteps,
             (QStringList{QStringLiteral("靠近路由器，减少隔墙"),
                          QStringLiteral("改用 5GHz 频段（近距离更稳）"),
                          QStringLiteral("重启路由器或更换信道避免邻居干扰")}));
}

void TestCheckSystem::vpnLeftovers_data()
{
    QTest::addColumn<QStringList>("tunnels");
    QTest::addColumn<QStringList>("vpns");
    QTest::addColumn<QString>("text"); // null: no VPN finding

    const QString office =
        QStringLiteral("* (Disconnected)   6B3C2A10 PPP --> L2TP  \"Office VPN\"  [PPP/L2TP]");
    QTest::newRow("tunnel interfaces only")
        << QStringList{"utun3", "utun4"} << QStringList{} << "存在虚拟接口：utun3, utun4";
    QTest::newRow("VPN services only")
        << QStringList{} << QStringList{office, "second"} << "VPN 配置：\n" + office + "\nsecond";
    QTest::newRow("both") << QStringList{"utun3"} << QStringList{office}
                          << "存在虚拟接口：utun3\nVPN 配置：\n" + office;
    QTest::newRow("neither") << QStringList{} << QStringList{} << QString();
}

void TestCheckSystem::vpnLeftovers()
{
    QFETCH(QStringList, tunnels);
    QFETCH(QStringList, vpns);
    QFETCH(QString, text);

    auto runner = std::make_shared<ScriptedRunner>();
    scriptQuietSections(*runner, "en7");
    ScopedRunner scope(runner);
    NetContext ctx = wiredContext();
    ctx.utunIfaces = tunnels;
    ctx.vpnConfigured = vpns;
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);

    const std::optional<Finding> finding = findingWithId(findings, "vpn-");
    if (text.isNull()) {
        QVERIFY(!finding);
        return;
    }
    QVERIFY(finding);
    QCOMPARE(finding->id, QStringLiteral("vpn-leftover"));
    QCOMPARE(finding->title, QStringLiteral("虚拟网络接口 / VPN 配置"));
    QCOMPARE(finding->severity, Severity::info);
    QCOMPARE(finding->detail,
             text +
                 QStringLiteral(
                     "\n\n提示：若 VPN 已断开但仍残留配置，可能造成部分网站无法访问或 DNS 异常。"));
    QCOMPARE(finding->manualSteps,
             (QStringList{QStringLiteral("系统设置 → 网络 → VPN → 断开并删除不用的配置"),
                          QStringLiteral("重启电脑可清理残留的 utun 接口")}));
}

void TestCheckSystem::serviceOrder_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("first"); // null: no finding

    QTest::newRow("wired port ahead of the Wi-Fi in use")
        << kServiceListing << "Wi-Fi" << kEthernet;
    QTest::newRow("current service first") << kServiceListing << kEthernet << QString();
    QTest::newRow("current service not listed") << kServiceListing << "iPhone USB" << QString();
    QTest::newRow("no current service") << kServiceListing << "" << QString();
    QTest::newRow("silent tool") << ""
                                 << "Wi-Fi" << QString();
}

void TestCheckSystem::serviceOrder()
{
    QFETCH(QString, listing);
    QFETCH(QString, service);
    QFETCH(QString, first);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(mtuQuery("en7"), 0, "1500").on(kLargePing, 0).on(kFirewall, 0);
    runner->on(kServiceOrder, 0, listing).on(kSignalQuery, 0);
    ScopedRunner scope(runner);
    NetContext ctx = wiredContext();
    ctx.service = service;
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);

    const std::optional<Finding> finding = findingWithId(findings, "service-order");
    if (first.isNull()) {
        QVERIFY(!finding);
        return;
    }
    QVERIFY(finding);
    QCOMPARE(finding->title, QStringLiteral("网络服务顺序可能不是最优"));
    QCOMPARE(finding->severity, Severity::info);
    QCOMPARE(finding->detail,
             QStringLiteral("当前使用「") + service +
                 QStringLiteral("」，但服务顺序里排在最前的是「") + first +
                 QStringLiteral("」。\n服务顺序靠前的接口会优先被系统尝试，顺序不合理时可能"
                                "出现连上慢、偶发断网。"));
    QCOMPARE(finding->manualSteps,
             (QStringList{QStringLiteral("系统设置 → 网络 → 右下角「⋯」→ 设定服务顺序"),
                          QStringLiteral("把常用的网络（如 Wi-Fi）拖到最上面")}));
}

void TestCheckSystem::firewall_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("state"); // null: no finding

    QTest::newRow("on") << "Firewall is enabled. (State = 1)\n"
                        << "Firewall is enabled. (State = 1)";
    QTest::newRow("off") << "Firewall is disabled. (State = 0)"
                         << "Firewall is disabled. (State = 0)";
    QTest::newRow("silent tool") << "" << QString();
}

void TestCheckSystem::firewall()
{
    QFETCH(QString, output);
    QFETCH(QString, state);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(mtuQuery("en7"), 0, "1500").on(kLargePing, 0).on(kServiceOrder, 0);
    runner->on(kFirewall, 0, output);
    ScopedRunner scope(runner);
    const QList<Finding> findings = runCheck(wiredContext());
    VERIFY_ALL_SCRIPTED(*runner);

    const std::optional<Finding> finding = findingWithId(findings, "firewall");
    if (state.isNull()) {
        QVERIFY(!finding);
        return;
    }
    QVERIFY(finding);
    QCOMPARE(finding->title, QStringLiteral("系统防火墙状态"));
    QCOMPARE(finding->severity, Severity::info);
    QCOMPARE(
        finding->detail,
        state + QStringLiteral("\n\n提示：防火墙一般不会影响正常上网；若某些 App 完全无法联网，可在"
                               "「系统设置 → 网络 → 防火墙 → 选项」中检查该 App 是否被阻止。"));
}

void TestCheckSystem::sectionsInOrder()
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(mtuQuery("en0"), 0, "1500")
        .on(kLargePing, 0)
        .on(kIPv6Probe, 0, "200")
        .on(kSignalQuery, 0, "Signal / Noise: -50 dBm / -94 dBm")
        .on(kServiceOrder, 0, kServiceListing)
        .on(kFirewall, 0, "Firewall is enabled. (State = 1)");
    ScopedRunner scope(runner);
    NetContext ctx;
    ctx.iface = QStringLiteral("en0");
    ctx.service = QStringLiteral("Wi-Fi");
    ctx.wifiPort = QStringLiteral("en0");
    ctx.hasIPv6 = true;
    ctx.utunIfaces = {QStringLiteral("utun0")};
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, 25.0);

    QStringList ids;
    for (const Finding &finding : findings) {
        ids << finding.id;
        QCOMPARE(finding.category, CheckCategory::system);
    }
    QCOMPARE(ids, (QStringList{"mtu-ok", "ipv6-ok", "wifi-ok", "vpn-leftover", "service-order",
                               "firewall"}));
}

QTEST_GUILESS_MAIN(TestCheckSystem)
#include "tst_checksystem.moc"
