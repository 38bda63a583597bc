#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/diagnostics/pingoutput.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kGateway = QStringLiteral("192.168.1.1");
const QString kPing5 = QStringLiteral("ping -c 5 -t 4 192.168.1.1");
const QString kPing3 = QStringLiteral("ping -c 3 -t 4 192.168.1.1");
const QString kArp = QStringLiteral("arp -n 192.168.1.1 2>/dev/null");
const QString kTcp = QStringLiteral("nc -z -G 3 192.168.1.1 80 >/dev/null 2>&1 || nc -z -G 3 "
                                    "192.168.1.1 443 >/dev/null 2>&1");

const QStringList kWifiRestart{QStringLiteral("networksetup -setairportpower en0 off"),
                               QStringLiteral("sleep 2"),
                               QStringLiteral("networksetup -setairportpower en0 on")};
const QStringList kRenewEn0{QStringLiteral("ipconfig set en0 BOOTP"), QStringLiteral("sleep 1"),
                            QStringLiteral("ipconfig set en0 DHCP")};
const QStringList kIfconfigEn0{QStringLiteral("ifconfig en0 down"), QStringLiteral("sleep 2"),
                               QStringLiteral("ifconfig en0 up")};

DiagnosticsRun wifiMachine()
{
    DiagnosticsRun run;
    run.ctx.iface = QStringLiteral("en0");
    run.ctx.service = QStringLiteral("Wi-Fi");
    run.ctx.ip = QStringLiteral("192.168.1.23");
    run.ctx.gateway = kGateway;
    run.ctx.wifiPort = QStringLiteral("en0");
    return run;
}

} // namespace

class TestCheckInterface : public QObject {
    Q_OBJECT

private slots:
    void interfaceDecision_data();
    void interfaceDecision();
    void gatewayDecision_data();
    void gatewayDecision();
    void renewalDevice_data();
    void renewalDevice();
    void commandBuilders_data();
    void commandBuilders();
};

void TestCheckInterface::interfaceDecision_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("hasGateway");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("fix");
    QTest::addColumn<QStringList>("commands");

    QTest::newRow("no interface wins over address and gateway")
        << u""_s << u"192.168.1.23"_s << true << u"en1"_s << u"no-interface/error"_s << u""_s
        << u"fix-wifi-on fallback"_s << QStringList{"networksetup -setairportpower en1 on"};
    QTest::newRow("no wi-fi port leaves the power repair empty")
        << u""_s << u""_s << false << u""_s << u"no-interface/error"_s << u""_s
        << u"fix-wifi-on fallback"_s << QStringList{};
    QTest::newRow("interface without address")
        << u"en0"_s << u""_s << true << u"en0"_s << u"no-ip/error"_s
        << u"接口 en0 已连接但没有 IP 地址"_s << u"fix-renew-dhcp admin"_s << kRenewEn0;
    QTest::newRow("link-local address")
        << u"en0"_s << u"169.254.12.3"_s << true << u"en0"_s << u"self-assigned-ip/error"_s
        << u"当前 IP：169.254.12.3。"_s << u"fix-self-assigned admin"_s << kRenewEn0;
    QTest::newRow("169.254. further on is an ordinary address, no gateway line")
        << u"en0"_s << u"10.169.254.7"_s << false << u"en0"_s << u"iface-ok/ok"_s
        << u"活动接口：en0（Wi-Fi）\n本机 IP：10.169.254.7"_s << u"-"_s << QStringList{};
    QTest::newRow("ok with gateway adds a third line")
        << u"en0"_s << u"192.168.1.23"_s << true << u"en0"_s << u"iface-ok/ok"_s
        << u"活动接口：en0（Wi-Fi）\n本机 IP：192.168.1.23\n网关：192.168.1.1"_s << u"-"_s
        << QStringList{};
}

void TestCheckInterface::interfaceDecision()
{
    QFETCH(QString, iface);
    QFETCH(QString, ip);
    QFETCH(bool, hasGateway);
    QFETCH(QString, wifiPort);
    QFETCH(QString, shown);
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);
    DiagnosticsRun run = wifiMachine();
    run.ctx.iface = iface;
    run.ctx.ip = ip;
    run.ctx.wifiPort = wifiPort;
    if (!hasGateway)
        run.ctx.gateway.reset();
    const QList<Finding> findings = run.checkInterface();

    QVERIFY(runner->commands().isEmpty());
    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    const Finding &f = findings.first();
    VERIFY_SHOWN(f, shown);
    if (f.id == QLatin1String("iface-ok"))
        QCOMPARE(f.detail.count(QLatin1Char('\n')), hasGateway ? 2 : 1);
    QTEST(fixShape(f), "fix");
    QTEST(fixCommands(f), "commands");
    QCOMPARE(f.category, CheckCategory::connectivity);
}

void TestCheckInterface::gatewayDecision_data()
{
    QTest::addColumn<int>("ping1Code");
    QTest::addColumn<QString>("ping1Out");
    QTest::addColumn<QString>("arpOut");
    QTest::addColumn<int>("tcpCode");
    QTest::addColumn<int>("ping2Code");
    QTest::addColumn<QString>("ping2Out");
    QTest::addColumn<QStringList>("ran");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("shown");

    const QString none = pingOutput(kGateway, 5, 0);
    const QString none3 = pingOutput(kGateway, 3, 0);
    const QStringList firstOnly{kPing5};
    const QStringList fallback{kPing5, kArp, kTcp};
    const QStringList fallbackAndSecond{kPing5, kArp, kTcp, kPing3};
    const QString filtered = QStringLiteral("网关 192.168.1.1 （ARP/TCP 探测确认路由器在线）。");
    const QString incomplete = u"? (192.168.1.1) at (incomplete) on en0 ifscope [ethernet]\n"_s;
    const QString resolved = u"? (192.168.1.1) at 8c:53:c3:aa:bb:cc on en0 ifscope [ethernet]\n"_s;

    QTest::newRow("one of five lost is still ok")
        << 0 << pingOutput(kGateway, 5, 4, "3.1/4.25/6.0/1.0") << u""_s << 1 << 2 << none3
        << firstOnly << u"gateway-ok/ok"_s << u"丢包 20%，平均延迟 4.25 ms"_s;
    // -c 5 cannot lose exactly a quarter; a four-packet summary pins the boundary.
    QTest::newRow("exactly 25 percent is already loss")
        << 0 << pingOutput(kGateway, 4, 3) << u""_s << 1 << 2 << none3 << firstOnly
        << u"gateway-loss/warn"_s
        << u"到路由器的丢包率偏高（25%）\n网关 192.168.1.1 可达，平均延迟 8.477 ms，但丢包 25%"_s;
    QTest::newRow("no reply, arp entry incomplete, ports closed")
        << 2 << none << incomplete << 1 << 0 << pingOutput(kGateway, 3, 3) << fallback
        << u"gateway-down/error"_s << u"无法连通路由器（网关 192.168.1.1）"_s;
    QTest::newRow("exit 0 without a summary counts as no reply")
        << 0 << u"PING 192.168.1.1 (192.168.1.1): 56 data bytes\n"_s << u""_s << 1 << 2 << none3
        << fallback << u"gateway-down/error"_s << u""_s;
    QTest::newRow("a neighbour never asked is no hit")
        << 2 << none << u"192.168.1.1 (192.168.1.1) -- no entry\n"_s << 1 << 0
        << pingOutput(kGateway, 3, 3) << fallback << u"gateway-down/error"_s << u""_s;
    QTest::newRow("arp hit, second ping answers: its loss, the first ping's latency")
        << 2 << none << resolved << 1 << 0 << pingOutput(kGateway, 3, 3) << fallbackAndSecond
        << u"gateway-ok/ok"_s << u"丢包 0%，平均延迟 -"_s;
    QTest::newRow("second ping 1 of 3: 66.7 shows as 66")
        << 2 << none << resolved << 1 << 0 << pingOutput(kGateway, 3, 1) << fallbackAndSecond
        << u"gateway-loss/warn"_s << u"（66%）"_s;
    QTest::newRow("port open, second ping silent")
        << 2 << none << incomplete << 0 << 2 << none3 << fallbackAndSecond
        << u"gateway-icmp-filtered/ok"_s << filtered;
    QTest::newRow("a hardware address printed without leading zeros is a hit")
        << 2 << none << u"? (192.168.1.1) at 0:1b:63:4:5:e6 on en0 ifscope [ethernet]\n"_s << 1 << 2
        << none3 << fallbackAndSecond << u"gateway-icmp-filtered/ok"_s << filtered;
}

void TestCheckInterface::gatewayDecision()
{
    QFETCH(int, ping1Code);
    QFETCH(QString, ping1Out);
    QFETCH(QString, arpOut);
    QFETCH(int, tcpCode);
    QFETCH(int, ping2Code);
    QFETCH(QString, ping2Out);
    QFETCH(QString, shown);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kPing5, ping1Code, ping1Out)
        .on(kArp, 0, arpOut)
        .on(kTcp, tcpCode)
        .on(kPing3, ping2Code, ping2Out);
    ScopedRunner scope(runner);

    DiagnosticsRun run = wifiMachine();
    const QList<Finding> findings = run.checkGateway();

    QTEST(runner->commands(), "ran");
    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    const Finding &f = findings.first();
    VERIFY_SHOWN(f, shown);
    // Loss restarts Wi-Fi; a dead router resets Wi-Fi and then the interface.
    if (f.id == QLatin1String("gateway-loss")) {
        QCOMPARE(fixShape(f), QStringLiteral("fix-wifi-restart fallback"));
        QCOMPARE(fixCommands(f), kWifiRestart);
    } else if (f.id == QLatin1String("gateway-down")) {
        QCOMPARE(fixShape(f), QStringLiteral("fix-reset-iface admin"));
        QCOMPARE(fixCommands(f), kWifiRestart + kIfconfigEn0);
    } else {
        QVERIFY(!f.fix);
    }
}

void TestCheckInterface::renewalDevice_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("vpnIface"); // a tunnel holding the route with no router under it
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QStringList>("noGateway");    // the "fix-no-gateway" commands; none: no fix
    QTest::addColumn<QStringList>("internetDown"); // the "fix-internet" commands

    QTest::newRow("route missing, interface known")
        << u"en0"_s << u""_s << u"en0"_s << kRenewEn0 << kRenewEn0 + kWifiRestart;
    QTest::newRow("no interface: the Wi-Fi device is renewed")
        << u""_s << u""_s << u"en1"_s
        << QStringList{"ipconfig set en1 BOOTP", "sleep 1", "ipconfig set en1 DHCP"}
        << QStringList{"ipconfig set en1 BOOTP",
                       "sleep 1",
                       "ipconfig set en1 DHCP",
                       "networksetup -setairportpower en1 off",
                       "sleep 2",
                       "networksetup -setairportpower en1 on"};
    QTest::newRow("neither known: nothing offered")
        << u""_s << u""_s << u""_s << QStringList{} << QStringList{};
    QTest::newRow("a VPN route is no missing gateway, and its tunnel is never renewed")
        << u"utun3"_s << u"utun3"_s << u"en0"_s << QStringList{} << kRenewEn0 + kWifiRestart;
}

void TestCheckInterface::renewalDevice()
{
    QFETCH(QString, iface);
    QFETCH(QString, vpnIface);
    QFETCH(QString, wifiPort);
    QFETCH(QStringList, noGateway);
    QFETCH(QStringList, internetDown);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on("ping -c 5 -t 4 223.5.5.5", 2).on("ping -c 5 -t 4 1.1.1.1", 2);
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    run.ctx.iface = iface;
    run.ctx.vpnIface = vpnIface;
    run.ctx.wifiPort = wifiPort;
    // Without an interface a gateway in the snapshot changes nothing.
    if (iface.isEmpty())
        run.ctx.gateway = kGateway;
    const Finding gateway = run.checkGateway().first();
    QVERIFY(runner->commands().isEmpty()); // without a gateway nothing is probed
    const Finding internet = run.checkInternet().first();
    QCOMPARE(outline({gateway, internet}),
             (QStringList{vpnIface.isEmpty() ? "no-gateway/error" : "gateway-vpn/info",
                          "internet-down/error"}));
    QCOMPARE(fixShape(gateway), noGateway.isEmpty() ? u"-"_s : u"fix-no-gateway admin"_s);
    QCOMPARE(fixCommands(gateway), noGateway);
    QCOMPARE(fixShape(internet), internetDown.isEmpty() ? u"-"_s : u"fix-internet admin"_s);
    QCOMPARE(fixCommands(internet), internetDown);
}

void TestCheckInterface::commandBuilders_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QStringList>("wifiRestart");
    QTest::addColumn<QStringList>("resetIface");
    QTest::addColumn<QStringList>("dhcpRenew");

    QTest::newRow("no wi-fi port")
        << u"en0"_s << u""_s << QStringList{} << kIfconfigEn0 << kRenewEn0;
    QTest::newRow("hostile names are quoted as one word")
        << u"en0; touch /tmp/pwned"_s << u"en1$(reboot)"_s
        << QStringList{"networksetup -setairportpower 'en1$(reboot)' off", "sleep 2",
                       "networksetup -setairportpower 'en1$(reboot)' on"}
        << QStringList{"networksetup -setairportpower 'en1$(reboot)' off",
                       "sleep 2",
                       "networksetup -setairportpower 'en1$(reboot)' on",
                       "ifconfig 'en0; touch /tmp/pwned' down",
                       "sleep 2",
                       "ifconfig 'en0; touch /tmp/pwned' up"}
        << QStringList{"ipconfig set 'en0; touch /tmp/pwned' BOOTP", "sleep 1",
                       "ipconfig set 'en0; touch /tmp/pwned' DHCP"};
}

void TestCheckInterface::commandBuilders()
{
    QFETCH(QString, iface);
    QFETCH(QString, wifiPort);
    DiagnosticsRun run;
    run.ctx.iface = iface;
    run.ctx.wifiPort = wifiPort;
    QTEST(run.wifiRestartCommands(), "wifiRestart");
    QTEST(run.resetIfaceCommands(), "resetIface");
    QTEST(run.dhcpRenewCommands(), "dhcpRenew");
}

QTEST_GUILESS_MAIN(TestCheckInterface)
#include "tst_checkinterface.moc"
