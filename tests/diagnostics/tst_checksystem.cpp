#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

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
    ctx.gateway = QStringLiteral("192.168.1.1");
    return ctx;
}

// Answers for the sections that always run; an empty answer yields no finding.
void scriptQuietSections(ScriptedRunner &runner, const QString &iface, const QString &firewall = {})
{
    runner.on(mtuQuery(iface), 0, QStringLiteral("1500\n"));
    runner.on(kLargePing, 0);
    runner.on(kFirewall, 0, firewall);
}

QList<Finding> runCheck(const NetContext &ctx)
{
    DiagnosticsRun run;
    run.ctx = ctx;
    return run.checkSystem();
}

// The service order from "NAME@DEVICE" words; a leading "*" marks a switched-off service.
QList<ServiceOrderEntry> serviceOrder(const QStringList &words)
{
    QList<ServiceOrderEntry> order;
    for (const QString &word : words) {
        ServiceOrderEntry entry;
        entry.enabled = !word.startsWith(QLatin1Char('*'));
        entry.name = word.section(QLatin1Char('@'), 0, 0).remove(QLatin1Char('*'));
        entry.device = word.section(QLatin1Char('@'), 1);
        order << entry;
    }
    return order;
}

const QStringList kServiceListing{"USB 10/100/1000 LAN@en7", "Wi-Fi@en0",
                                  "*Thunderbolt Bridge@bridge0"};

} // namespace

class TestCheckSystem : public QObject {
    Q_OBJECT

private slots:
    void mtu_data();
    void mtu();
    void ipv6_data();
    void ipv6();
    void wifiSignal_data();
    void wifiSignal();
    void optionalSections_data();
    void optionalSections();
    void sectionsInOrder();
};

void TestCheckSystem::mtu_data()
{
    QTest::addColumn<QString>("mtuOutput");
    QTest::addColumn<int>("largeCode");
    QTest::addColumn<QStringList>("downloads"); // one answer per endpoint expected to be asked
    QTest::addColumn<int>("mediumCode");        // -1: the medium ping must not run
    QTest::addColumn<QString>("finding");       // empty: no MTU section
    QTest::addColumn<QString>("shown");

    // An offline Mac must not read as "网络阻塞严重": no probe without interface and route.
    QTest::newRow("no interface: no section")
        << QString() << 2 << QStringList{} << -1 << u""_s << u""_s;
    QTest::newRow("no route: no section") << u""_s << 2 << QStringList{} << -1 << u""_s << u""_s;
    QTest::newRow("1420 is reduced, whatever the pings")
        << u"1420\n"_s << 2 << QStringList{} << -1 << u"mtu-tuned/info"_s
        << u"MTU 已设为 1420（适配当前线路）\n当前接口 MTU 为 1420，"_s;
    QTest::newRow("silent ifconfig means 1500")
        << u""_s << 0 << QStringList{} << -1 << u"mtu-ok/ok"_s << u""_s;
    QTest::newRow("first endpoint proves the path")
        << u"1421"_s << 2 << QStringList{"400001"} << 0 << u"mtu-filtered/info"_s
        << u"实测 400KB 数据下载正常（400 KB）"_s;
    QTest::newRow("second endpoint after a silent first")
        << u"1500"_s << 2 << QStringList{"", "350999"} << 2 << u"mtu-filtered/info"_s
        << u"（350 KB）"_s;
    QTest::newRow("299999 bytes prove nothing")
        << u"1500"_s << 2 << QStringList{"299999", "garbage"} << 0 << u"mtu-issue/warn"_s << u""_s;
    QTest::newRow("everything blocked")
        << u"1500"_s << 2 << QStringList{"0", ""} << 2 << u"mtu-broken/warn"_s << u""_s;
}

void TestCheckSystem::mtu()
{
    QFETCH(QString, mtuOutput);
    QFETCH(int, largeCode);
    QFETCH(QStringList, downloads);
    QFETCH(int, mediumCode);
    QFETCH(QString, shown);

    QFETCH(QString, finding);
    NetContext ctx = wiredContext();
    if (finding.isEmpty())
        mtuOutput.isNull() ? ctx.iface.clear() : ctx.gateway.reset();
    auto runner = std::make_shared<ScriptedRunner>();
    QStringList expected;
    if (!finding.isEmpty()) {
        expected << mtuQuery("en7") << kLargePing;
        runner->on(mtuQuery("en7"), 0, mtuOutput);
        runner->on(kLargePing, largeCode);
    }
    for (qsizetype i = 0; i < downloads.size(); ++i) {
        runner->on(kDownloads.at(i), downloads.at(i).isEmpty() ? 28 : 0, downloads.at(i));
        expected << kDownloads.at(i);
    }
    if (mediumCode >= 0) {
        runner->on(kMediumPing, mediumCode);
        expected << kMediumPing;
    }
    runner->on(kFirewall, 0);
    ScopedRunner scope(runner);
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    // The firewall section runs beside the MTU probes, which follow one another.
    QStringList mtuProbes = runner->commands();
    QCOMPARE(mtuProbes.removeAll(kFirewall), 1);
    QCOMPARE(mtuProbes, expected);

    QCOMPARE(outline(findings).join(QLatin1Char(',')), finding);
    if (findings.isEmpty())
        return;
    const Finding &f = findings.first();
    VERIFY_SHOWN(f, shown);
    QCOMPARE(fixShape(f), f.id == QLatin1String("mtu-issue") ? QStringLiteral("fix-mtu admin")
                                                             : QStringLiteral("-"));
}

void TestCheckSystem::ipv6_data()
{
    QTest::addColumn<bool>("hasIPv6");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("finding"); // empty: no IPv6 finding and no probe

    QTest::newRow("404 still proves the way out") << true << u"404"_s << u"ipv6-ok/ok"_s;
    QTest::newRow("no answer") << true << u"000"_s << u"ipv6-unreachable/info"_s;
    QTest::newRow("no global IPv6 address") << false << u""_s << u""_s;
}

void TestCheckSystem::ipv6()
{
    QFETCH(bool, hasIPv6);
    QFETCH(QString, answer);
    QFETCH(QString, finding);

    auto runner = std::make_shared<ScriptedRunner>();
    scriptQuietSections(*runner, "en7");
    if (hasIPv6)
        runner->on(kIPv6Probe, answer.isEmpty() ? 7 : 0, answer);
    ScopedRunner scope(runner);
    NetContext ctx = wiredContext();
    ctx.hasIPv6 = hasIPv6;
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);

    QCOMPARE(outline(findings).mid(1).join(QString()), finding);
    if (finding.startsWith(QLatin1String("ipv6-unreachable"))) {
        QCOMPARE(fixShape(findings[1]), QStringLiteral("fix-ipv6-off admin"));
        QCOMPARE(fixCommands(findings[1]),
                 QStringList{QStringLiteral("networksetup -setv6off 'USB 10/100/1000 LAN'")});
    }
}

void TestCheckSystem::wifiSignal_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QString>("report");  // null: the signal must not be asked
    QTest::addColumn<QString>("finding"); // empty: no Wi-Fi finding
    QTest::addColumn<QString>("shown");

    // What the awk filter keeps of system_profiler: the current network's lines only.
    const QString weak = QStringLiteral("              PHY Mode: 802.11ac\n"
                                        "              Signal / Noise: -73 dBm / -92 dBm\n");
    QTest::newRow("-72 dBm is good")
        << u"Wi-Fi"_s << u"en0"_s << u"en0"_s << u"Signal / Noise: -72 dBm / -94 dBm"_s
        << u"wifi-ok/ok"_s << u"信号强度 -72 dBm"_s;
    QTest::newRow("-73 dBm is weak, report trimmed below")
        << u"Wi-Fi"_s << u"en0"_s << u"en0"_s << weak << u"wifi-weak/warn"_s
        << u"Wi-Fi 信号偏弱（-73 dBm）\n信号强度 -73 dBm（低于 -72 dBm 属于弱信号），容易出现丢包、"_s
           "掉线。\nPHY Mode: 802.11ac\n              Signal / Noise: -73 dBm / -92 dBm";
    QTest::newRow("Wi-Fi device under another service name")
        << u"Home"_s << u"en0"_s << u"en0"_s << u"Signal / Noise: -40 dBm / -94 dBm"_s
        << u"wifi-ok/ok"_s << u"信号强度 -40 dBm"_s;
    QTest::newRow("no signal line")
        << u"Wi-Fi"_s << u"en0"_s << u"en0"_s << u"PHY Mode: 802.11ax"_s << u""_s << u""_s;
    QTest::newRow("wired primary, Wi-Fi elsewhere")
        << kEthernet << u"en7"_s << u"en0"_s << QString() << u""_s << u""_s;
    QTest::newRow("no interface and no Wi-Fi port: looked at")
        << u""_s << u""_s << u""_s << u""_s << u""_s << u""_s;
}

void TestCheckSystem::wifiSignal()
{
    QFETCH(QString, service);
    QFETCH(QString, iface);
    QFETCH(QString, wifiPort);
    QFETCH(QString, report);
    QFETCH(QString, finding);
    QFETCH(QString, shown);

    auto runner = std::make_shared<ScriptedRunner>();
    scriptQuietSections(*runner, iface);
    if (!report.isNull())
        runner->on(kSignalQuery, 0, report);
    ScopedRunner scope(runner);
    NetContext ctx;
    ctx.service = service;
    ctx.iface = iface;
    ctx.wifiPort = wifiPort;
    ctx.gateway = QStringLiteral("192.168.1.1");
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->count(kSignalQuery), report.isNull() ? 0 : 1);
    // Without an interface the MTU section is skipped.
    const qsizetype wifiAt = iface.isEmpty() ? 0 : 1;
    QCOMPARE(outline(findings).mid(wifiAt).join(QString()), finding);
    if (!finding.isEmpty())
        VERIFY_SHOWN(findings[wifiAt], shown);
}

void TestCheckSystem::optionalSections_data()
{
    QTest::addColumn<QStringList>("tunnels");
    QTest::addColumn<QStringList>("vpns");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QStringList>("order"); // the snapshot's service order, "NAME@DEVICE"
    QTest::addColumn<QString>("firewall");  // socketfilterfw's answer
    QTest::addColumn<QString>("finding");   // empty: no optional finding
    QTest::addColumn<QString>("shown");

    const QString office =
        QStringLiteral("* (Disconnected)   6B3C2A10 PPP --> L2TP  \"Office VPN\"  [PPP:L2TP]");
    const QStringList none;
    QTest::newRow("tunnel interfaces only")
        << QStringList{"utun3", "utun4"} << none << kEthernet << none << u""_s
        << u"vpn-leftover/info"_s << u"\n存在虚拟接口：utun3, utun4\n\n提示"_s;
    QTest::newRow("VPN services only")
        << none << QStringList{office, "second"} << kEthernet << none << u""_s
        << u"vpn-leftover/info"_s << u"\nVPN 配置：\n"_s + office + "\nsecond\n\n";
    QTest::newRow("wired port ahead of the Wi-Fi in use")
        << none << none << u"Wi-Fi"_s << kServiceListing << u""_s << u"service-order/info"_s
        << u"当前使用「Wi-Fi」，但服务顺序里排在最前的是「USB 10/100/1000 LAN」。"_s;
    // Both adapters' ports are "USB 10/100/1000 LAN": only the service names tell them apart.
    QTest::newRow("second adapter of one kind in use, the first ahead")
        << none << none << u"USB 10/100/1000 LAN 2"_s
        << QStringList{"USB 10/100/1000 LAN@en7", "USB 10/100/1000 LAN 2@en11"} << u""_s
        << u"service-order/info"_s
        << u"当前使用「USB 10/100/1000 LAN 2」，但服务顺序里排在最前的是「USB 10/100/1000 LAN」。"_s;
    QTest::newRow("current service first after a switched-off one and a VPN")
        << none << none << kEthernet
        << QStringList{"*Thunderbolt Bridge@bridge0", "Office VPN@", "USB 10/100/1000 LAN@en7",
                       "Wi-Fi@en0"}
        << u""_s << u""_s << u""_s;
    QTest::newRow("current service not listed")
        << none << none << u"iPhone USB"_s << kServiceListing << u""_s << u""_s << u""_s;
    QTest::newRow("firewall reported whatever its state")
        << none << none << kEthernet << none
        << u"Firewall is blocking all non-essential incoming connections. (State = 2)\n"_s
        << u"firewall/info"_s
        << u"\nFirewall is blocking all non-essential incoming connections. (State = 2)\n\n提示"_s;
}

void TestCheckSystem::optionalSections()
{
    QFETCH(QStringList, tunnels);
    QFETCH(QStringList, vpns);
    QFETCH(QString, service);
    QFETCH(QStringList, order);
    QFETCH(QString, firewall);
    QFETCH(QString, finding);
    QFETCH(QString, shown);

    auto runner = std::make_shared<ScriptedRunner>();
    scriptQuietSections(*runner, "en7", firewall);
    runner->on(kSignalQuery, 0);
    ScopedRunner scope(runner);
    NetContext ctx = wiredContext();
    ctx.service = service;
    ctx.serviceOrder = serviceOrder(order);
    ctx.utunIfaces = tunnels;
    ctx.vpnConfigured = vpns;
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(outline(findings).mid(1).join(QString()), finding);
    if (!finding.isEmpty())
        VERIFY_SHOWN(findings[1], shown);
}

void TestCheckSystem::sectionsInOrder()
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(mtuQuery("en0"), 0, "1500")
        .on(kLargePing, 0)
        .on(kIPv6Probe, 0, "200")
        .on(kSignalQuery, 0, "Signal / Noise: -50 dBm / -94 dBm")
        .on(kFirewall, 0, "Firewall is enabled. (State = 1)");
    ScopedRunner scope(runner);
    NetContext ctx;
    ctx.iface = QStringLiteral("en0");
    ctx.service = QStringLiteral("Wi-Fi");
    ctx.serviceOrder = serviceOrder(kServiceListing);
    ctx.wifiPort = QStringLiteral("en0");
    ctx.gateway = QStringLiteral("192.168.1.1");
    ctx.hasIPv6 = true;
    ctx.utunIfaces = {QStringLiteral("utun0")};
    const QList<Finding> findings = runCheck(ctx);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(outline(findings),
             (QStringList{"mtu-ok/ok", "ipv6-ok/ok", "wifi-ok/ok", "vpn-leftover/info",
                          "service-order/info", "firewall/info"}));
    for (const Finding &f : findings)
        QCOMPARE(f.category, CheckCategory::system);
}

QTEST_GUILESS_MAIN(TestCheckSystem)
#include "tst_checksystem.moc"
