#include "diagnostics/decisions.h"
#include "tests/diagnostics/findingcheck.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

const QString kEthernet = QStringLiteral("USB 10/100/1000 LAN");

// A wired Mac behind a router, its Wi-Fi device idle.
NetContext wiredMac()
{
    NetContext ctx;
    ctx.iface = QStringLiteral("en7");
    ctx.service = kEthernet;
    ctx.wifiPort = QStringLiteral("en0");
    ctx.gateway = QStringLiteral("192.168.1.1");
    return ctx;
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

} // namespace

class TestCheckSystem : public QObject {
    Q_OBJECT

private slots:
    void mtu_data();
    void mtu();
    void sections_data();
    void sections();
};

void TestCheckSystem::mtu_data()
{
    QTest::addColumn<QString>("route"); // "wired", or "none" (no gateway)
    QTest::addColumn<int>("mtu");
    QTest::addColumn<bool>("largePasses");
    QTest::addColumn<qint64>("downloaded"); // -1: not measured
    QTest::addColumn<bool>("mediumPasses");
    QTest::addColumn<QString>("finding"); // empty: no MTU section
    QTest::addColumn<QString>("shown");

    // An offline Mac must not read as "网络阻塞严重".
    QTest::newRow("no route: no section")
        << u"none"_s << 1500 << false << qint64(0) << false << u""_s << u""_s;
    QTest::newRow("1420 is reduced, whatever the pings")
        << u"wired"_s << 1420 << false << qint64(-1) << false << u"mtu-tuned/info -"_s
        << u"MTU 已设为 1420（适配当前线路）\n当前接口 MTU 为 1420，"_s;
    QTest::newRow("large packet passes")
        << u"wired"_s << 1500 << true << qint64(-1) << false << u"mtu-ok/ok -"_s << u""_s;
    QTest::newRow("a real download proves the path")
        << u"wired"_s << 1421 << false << qint64(400001) << false << u"mtu-filtered/info -"_s
        << u"实测 400KB 数据下载正常（400 KB）"_s;
    QTest::newRow("299999 bytes prove nothing")
        << u"wired"_s << 1500 << false << qint64(299999) << true
        << u"mtu-issue/warn fix-mtu admin"_s << u""_s;
    QTest::newRow("everything blocked")
        << u"wired"_s << 1500 << false << qint64(0) << false << u"mtu-broken/warn -"_s << u""_s;
}

void TestCheckSystem::mtu()
{
    QFETCH(QString, route);
    QFETCH(int, mtu);
    QFETCH(bool, largePasses);
    QFETCH(qint64, downloaded);
    QFETCH(bool, mediumPasses);
    QFETCH(QString, finding);
    QFETCH(QString, shown);
    NetContext ctx = wiredMac();
    if (route == QLatin1String("none"))
        ctx.gateway.reset();
    SystemObservation seen;
    seen.mtu = MtuObservation{mtu, largePasses, std::nullopt, mediumPasses};
    if (downloaded >= 0)
        seen.mtu->downloaded = downloaded;
    const QList<Finding> findings = decideSystem(ctx, seen);

    QCOMPARE(outline(findings).join(QLatin1Char(',')), finding);
    if (!findings.isEmpty())
        VERIFY_SHOWN(findings.first(), shown);
}

void TestCheckSystem::sections_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("ipv6"); // curl's status over IPv6; null: no global address
    QTest::addColumn<QString>("wifi"); // a file under tests/data/wifi; null: not asked
    QTest::addColumn<QStringList>("tunnels");
    QTest::addColumn<QStringList>("vpns");
    QTest::addColumn<QStringList>("order"); // the snapshot's service order, "NAME@DEVICE"
    QTest::addColumn<QString>("firewall");  // socketfilterfw's answer
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<QString>("shown"); // in the last finding

    const QStringList none;
    const QString office =
        QStringLiteral("* (Disconnected)   6B3C2A10 PPP --> L2TP  \"Office VPN\"  [PPP:L2TP]");
    const QStringList listing{"USB 10/100/1000 LAN@en7", "Wi-Fi@en0",
                              "*Thunderbolt Bridge@bridge0"};
    const QString mtuOk = QStringLiteral("mtu-ok/ok -");
    QTest::newRow("404 still proves the IPv6 way out")
        << kEthernet << u"404"_s << QString() << none << none << none << u""_s
        << QStringList{mtuOk, "ipv6-ok/ok -"} << u""_s;
    QTest::newRow("IPv6 without an answer")
        << kEthernet << u"000"_s << QString() << none << none << none << u""_s
        << QStringList{mtuOk, "ipv6-unreachable/info fix-ipv6-off admin"} << u""_s;
    QTest::newRow("-73 dBm is weak, the report below")
        << u"Wi-Fi"_s << QString() << u"weak.txt"_s << none << none << none << u""_s
        << QStringList{mtuOk, "wifi-weak/warn -"}
        << u"Wi-Fi 信号偏弱（-73 dBm）\n信号强度 -73 dBm（低于 -72 dBm 属于弱信号），容易出现丢包、掉线。\n"_s
           "PHY Mode: 802.11ac\n";
    QTest::newRow("strong signal")
        << u"Wi-Fi"_s << QString() << u"strong.txt"_s << none << none << none << u""_s
        << QStringList{mtuOk, "wifi-ok/ok -"} << u"信号强度 -47 dBm"_s;
    QTest::newRow("no signal line") << u"Wi-Fi"_s << QString() << u"no-signal.txt"_s << none << none
                                    << none << u""_s << QStringList{mtuOk} << u""_s;
    QTest::newRow("tunnels and VPN services, one line apart")
        << kEthernet << QString() << QString() << QStringList{"utun3", "utun4"}
        << QStringList{office, "second"} << none << u""_s
        << QStringList{mtuOk, "vpn-leftover/info -"}
        << u"存在虚拟接口：utun3, utun4\nVPN 配置：\n"_s + office + "\nsecond\n\n提示";
    QTest::newRow("wired port ahead of the Wi-Fi in use")
        << u"Wi-Fi"_s << QString() << QString() << none << none << listing << u""_s
        << QStringList{mtuOk, "service-order/info -"}
        << u"当前使用「Wi-Fi」，但服务顺序里排在最前的是「USB 10/100/1000 LAN」。"_s;
    // Both adapters' ports are "USB 10/100/1000 LAN": only the service names tell them apart.
    QTest::newRow("second adapter of one kind in use, the first ahead")
        << u"USB 10/100/1000 LAN 2"_s << QString() << QString() << none << none
        << QStringList{"USB 10/100/1000 LAN@en7", "USB 10/100/1000 LAN 2@en11"} << u""_s
        << QStringList{mtuOk, "service-order/info -"} << u"排在最前的是「USB 10/100/1000 LAN」"_s;
    QTest::newRow("current service first after a switched-off one and a VPN")
        << kEthernet << QString() << QString() << none << none
        << QStringList{"*Thunderbolt Bridge@bridge0", "Office VPN@", "USB 10/100/1000 LAN@en7"}
        << u""_s << QStringList{mtuOk} << u""_s;
    QTest::newRow("current service not listed")
        << u"iPhone USB"_s << QString() << QString() << none << none << listing << u""_s
        << QStringList{mtuOk} << u""_s;
    QTest::newRow("every section, in order")
        << u"Wi-Fi"_s << u"200"_s << u"strong.txt"_s << QStringList{"utun0"} << none << listing
        << u"Firewall is enabled. (State = 1)"_s
        << QStringList{mtuOk,
                       "ipv6-ok/ok -",
                       "wifi-ok/ok -",
                       "vpn-leftover/info -",
                       "service-order/info -",
                       "firewall/info -"}
        << u"Firewall is enabled. (State = 1)\n\n提示"_s;
}

void TestCheckSystem::sections()
{
    QFETCH(QString, service);
    QFETCH(QString, ipv6);
    QFETCH(QString, wifi);
    QFETCH(QStringList, tunnels);
    QFETCH(QStringList, vpns);
    QFETCH(QStringList, order);
    QFETCH(QString, firewall);
    QFETCH(QString, shown);
    NetContext ctx = wiredMac();
    ctx.service = service;
    ctx.hasIPv6 = !ipv6.isNull();
    ctx.utunIfaces = tunnels;
    ctx.vpnConfigured = vpns;
    ctx.serviceOrder = serviceOrder(order);
    SystemObservation seen;
    seen.mtu = MtuObservation{1500, true, std::nullopt, false};
    if (!ipv6.isNull())
        seen.ipv6Code = ipv6;
    if (!wifi.isNull())
        seen.wifiReport = testData("wifi/" + wifi).trimmed();
    seen.firewallState = firewall;
    const QList<Finding> findings = decideSystem(ctx, seen);

    QTEST(outline(findings), "findings");
    VERIFY_SHOWN(findings.last(), shown);
    for (const Finding &f : findings)
        QCOMPARE(f.category, CheckCategory::system);
}

QTEST_GUILESS_MAIN(TestCheckSystem)
#include "tst_checksystem.moc"
