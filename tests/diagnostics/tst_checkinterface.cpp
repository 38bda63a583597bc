#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/repaircommands.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/toolanswers.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

// A ping as the observation reads it, from captured output ("" for none at all).
PingReading ping(int code, const QString &file)
{
    return readPing(ShellResult{code, file.isEmpty() ? QString() : testData("ping/" + file)});
}

NetContext wifiMac()
{
    NetContext ctx;
    ctx.iface = QStringLiteral("en0");
    ctx.service = QStringLiteral("Wi-Fi");
    ctx.ip = QStringLiteral("192.168.1.23");
    ctx.gateway = QStringLiteral("192.168.1.1");
    ctx.wifiPort = QStringLiteral("en0");
    return ctx;
}

} // namespace

class TestCheckInterface : public QObject {
    Q_OBJECT

private slots:
    void interfaceDecision_data();
    void interfaceDecision();
    void arpAnswer_data();
    void arpAnswer();
    void gatewayObservation_data();
    void gatewayObservation();
    void gatewayDecision_data();
    void gatewayDecision();
    void internetDecision_data();
    void internetDecision();
    void sharedRepairCommands_data();
    void sharedRepairCommands();
};

void TestCheckInterface::interfaceDecision_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("hasGateway");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("shown");

    QTest::newRow("no interface wins over address and gateway")
        << u""_s << u"192.168.1.23"_s << true << u"en1"_s
        << u"no-interface/error fix-wifi-on fallback"_s << u""_s;
    QTest::newRow("interface without address")
        << u"en0"_s << u""_s << true << u"en0"_s << u"no-ip/error fix-renew-dhcp admin"_s
        << u"接口 en0 已连接但没有 IP 地址"_s;
    QTest::newRow("link-local address")
        << u"en0"_s << u"169.254.12.3"_s << true << u"en0"_s
        << u"self-assigned-ip/error fix-self-assigned admin"_s << u"当前 IP：169.254.12.3。"_s;
    QTest::newRow("169.254. further on is an ordinary address, no gateway line")
        << u"en0"_s << u"10.169.254.7"_s << false << u"en0"_s << u"iface-ok/ok -"_s
        << u"活动接口：en0（Wi-Fi）\n本机 IP：10.169.254.7"_s;
    QTest::newRow("ok with gateway adds a third line")
        << u"en0"_s << u"192.168.1.23"_s << true << u"en0"_s << u"iface-ok/ok -"_s
        << u"活动接口：en0（Wi-Fi）\n本机 IP：192.168.1.23\n网关：192.168.1.1"_s;
}

void TestCheckInterface::interfaceDecision()
{
    QFETCH(QString, iface);
    QFETCH(QString, ip);
    QFETCH(bool, hasGateway);
    QFETCH(QString, wifiPort);
    QFETCH(QString, shown);
    NetContext ctx = wifiMac();
    ctx.iface = iface;
    ctx.ip = ip;
    ctx.wifiPort = wifiPort;
    if (!hasGateway)
        ctx.gateway.reset();
    const QList<Finding> findings = decideInterface(ctx);

    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    VERIFY_SHOWN(findings.first(), shown);
    if (findings.first().id == QLatin1String("iface-ok"))
        QCOMPARE(findings.first().detail.count(QLatin1Char('\n')), hasGateway ? 2 : 1);
}

void TestCheckInterface::arpAnswer_data()
{
    QTest::addColumn<QString>("arp"); // a file under tests/data/arp
    QTest::addColumn<bool>("answered");

    QTest::newRow("hardware address") << u"answered.txt"_s << true;
    QTest::newRow("macOS drops leading zeros") << u"leading-zeros.txt"_s << true;
    QTest::newRow("asked, never answered") << u"incomplete.txt"_s << false;
    QTest::newRow("never asked") << u"no-entry.txt"_s << false;
}

void TestCheckInterface::arpAnswer()
{
    QFETCH(QString, arp);
    QTEST(arpAnswered(testData("arp/" + arp)), "answered");
}

void TestCheckInterface::gatewayObservation_data()
{
    QTest::addColumn<QString>("first"); // the first ping's output under tests/data/ping
    QTest::addColumn<QString>("arp");   // under tests/data/arp
    QTest::addColumn<int>("portCode");
    QTest::addColumn<QStringList>("seen"); // replied, ARP, TCP, second ping replied ("-": none)

    QTest::newRow("a reply ends it")
        << u"all-answered.txt"_s << u"answered.txt"_s << 0 << QStringList{"yes", "no", "no", "-"};
    QTest::newRow("silent router, no other sign")
        << u"none-answered.txt"_s << u"incomplete.txt"_s << 1 << QStringList{"no", "no", "no", "-"};
    QTest::newRow("ARP answers: pinged again") << u"none-answered.txt"_s << u"answered.txt"_s << 1
                                               << QStringList{"no", "yes", "no", "yes"};
    QTest::newRow("a web port answers: pinged again") << u"none-answered.txt"_s << u"no-entry.txt"_s
                                                      << 0 << QStringList{"no", "no", "yes", "yes"};
}

void TestCheckInterface::gatewayObservation()
{
    QFETCH(QString, first);
    QFETCH(QString, arp);
    QFETCH(int, portCode);
    auto mac = std::make_shared<ToolAnswers>();
    mac->on("ping -c 5 -t 4 192.168.1.1", first == "all-answered.txt" ? 0 : 2,
            testData("ping/" + first))
        .on("arp -n 192.168.1.1", 0, testData("arp/" + arp))
        .on("nc -z -G 3 192.168.1.1 80", portCode)
        .on("ping -c 3 -t 4 192.168.1.1", 0, testData("ping/all-answered.txt"));
    ScopedRunner scope(mac);
    DiagnosticsRun run(ScanPace::sequential);
    run.ctx = wifiMac();
    const GatewayObservation seen = run.observeGateway();
    const auto yes = [](bool b) { return b ? u"yes"_s : u"no"_s; };
    QTEST((QStringList{yes(seen.first->replied()), yes(seen.arpHit), yes(seen.tcpHit),
                       seen.second ? yes(seen.second->replied()) : u"-"_s}),
          "seen");
}

void TestCheckInterface::gatewayDecision_data()
{
    QTest::addColumn<QString>("route"); // "wifi", "vpn" (a tunnel above en0), "vpn-only", "none"
    QTest::addColumn<PingReading>("first");
    QTest::addColumn<bool>("arpHit");
    QTest::addColumn<bool>("tcpHit");
    QTest::addColumn<PingReading>("second");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("shown");

    const PingReading none = ping(2, "none-answered.txt");
    const PingReading all = ping(0, "all-answered.txt");
    const QString filtered = QStringLiteral("网关 192.168.1.1 （ARP/TCP 探测确认路由器在线）。");
    QTest::newRow("one of five lost is still ok")
        << u"wifi"_s << ping(0, "four-of-five.txt") << false << false << none
        << u"gateway-ok/ok -"_s << u"丢包 20%，平均延迟 8.432 ms"_s;
    QTest::newRow("exactly 25 percent is already loss")
        << u"wifi"_s << ping(0, "three-of-four.txt") << false << false << none
        << u"gateway-loss/warn fix-wifi-restart fallback"_s
        << u"到路由器的丢包率偏高（25%）\n网关 192.168.1.1 可达，平均延迟 8.477 ms，但丢包 25%"_s;
    QTest::newRow("no reply and no other sign of the router")
        << u"wifi"_s << none << false << false << all
        << u"gateway-down/error fix-reset-iface admin"_s << u"无法连通路由器（网关 192.168.1.1）"_s;
    QTest::newRow("arp hit, second ping answers: its loss, the first ping's latency")
        << u"wifi"_s << none << true << false << all << u"gateway-ok/ok -"_s
        << u"丢包 0%，平均延迟 -"_s;
    QTest::newRow("second ping 1 of 3: 66.7 shows as 66")
        << u"wifi"_s << none << true << false << ping(0, "one-of-three.txt")
        << u"gateway-loss/warn fix-wifi-restart fallback"_s << u"（66%）"_s;
    QTest::newRow("port open, second ping silent") << u"wifi"_s << none << false << true << none
                                                   << u"gateway-icmp-filtered/ok -"_s << filtered;
    QTest::newRow("under a VPN the router below it is named")
        << u"vpn"_s << all << false << false << none << u"gateway-ok/ok -"_s
        << u"\n默认路由走 VPN 隧道 utun3；这里探测的是 en0 上的本地路由器。"_s;
    QTest::newRow("a VPN route with no router is no missing gateway")
        << u"vpn-only"_s << PingReading{} << false << false << PingReading{}
        << u"gateway-vpn/info -"_s << u"默认路由走 VPN（utun3）"_s;
    QTest::newRow("no route at all")
        << u"none"_s << PingReading{} << false << false << PingReading{}
        << u"no-gateway/error fix-no-gateway admin"_s << u""_s;
}

void TestCheckInterface::gatewayDecision()
{
    QFETCH(QString, route);
    QFETCH(PingReading, first);
    QFETCH(bool, arpHit);
    QFETCH(bool, tcpHit);
    QFETCH(PingReading, second);
    QFETCH(QString, shown);
    NetContext ctx = wifiMac();
    if (route != QLatin1String("wifi"))
        ctx.vpnIface = QStringLiteral("utun3");
    if (route == QLatin1String("vpn-only") || route == QLatin1String("none"))
        ctx.gateway.reset();
    if (route == QLatin1String("none"))
        ctx.vpnIface.clear();
    const QList<Finding> findings =
        decideGateway(ctx, GatewayObservation{first, arpHit, tcpHit, second});
    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    VERIFY_SHOWN(findings.first(), shown);
}

void TestCheckInterface::internetDecision_data()
{
    QTest::addColumn<PingReading>("ali");
    QTest::addColumn<PingReading>("cloudflare");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("shown");

    const PingReading none = ping(2, "none-answered.txt");
    QTest::newRow("one target answering fully is enough")
        << ping(0, "all-answered.txt") << none << u"internet-ok/ok -"_s
        << u"223.5.5.5 丢包 0%，1.1.1.1 丢包 100%"_s;
    QTest::newRow("the better target decides")
        << ping(0, "one-of-three.txt") << ping(0, "all-answered.txt") << u"internet-ok/ok -"_s
        << u"223.5.5.5 丢包 66%，1.1.1.1 丢包 0%"_s;
    QTest::newRow("best of the two is exactly 20 percent")
        << ping(0, "four-of-five.txt") << none << u"internet-loss/warn fix-internet-loss fallback"_s
        << u"公网丢包率偏高（20%）"_s;
    QTest::newRow("exit 0 without a summary counts as total loss")
        << ping(0, "no-summary.txt") << ping(0, "all-answered.txt") << u"internet-ok/ok -"_s
        << u"223.5.5.5 丢包 100%"_s;
    QTest::newRow("neither answers") << none << none << u"internet-down/error fix-internet admin"_s
                                     << u"无法访问互联网（公网 IP 不通）"_s;
    QTest::newRow("both failing decides down whatever the summaries say")
        << ping(68, "no-route.txt") << ping(2, "four-of-five.txt")
        << u"internet-down/error fix-internet admin"_s << u""_s;
}

void TestCheckInterface::internetDecision()
{
    QFETCH(PingReading, ali);
    QFETCH(PingReading, cloudflare);
    QFETCH(QString, shown);
    const QList<Finding> findings = decideInternet(wifiMac(), InternetObservation{ali, cloudflare});
    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    VERIFY_SHOWN(findings.first(), shown);
}

void TestCheckInterface::sharedRepairCommands_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QStringList>("wifiRestart");
    QTest::addColumn<QStringList>("resetIface");
    QTest::addColumn<QStringList>("dhcpRenew");

    const QStringList ifconfigEn0{"ifconfig en0 down", "sleep 2", "ifconfig en0 up"};
    const QStringList renewEn1{"ipconfig set en1 BOOTP", "sleep 1", "ipconfig set en1 DHCP"};
    const QStringList restartEn1{"networksetup -setairportpower en1 off", "sleep 2",
                                 "networksetup -setairportpower en1 on"};
    QTest::newRow("no wi-fi port")
        << u"en0"_s << u""_s << QStringList{} << ifconfigEn0
        << QStringList{"ipconfig set en0 BOOTP", "sleep 1", "ipconfig set en0 DHCP"};
    QTest::newRow("no interface: the Wi-Fi device is renewed")
        << u""_s << u"en1"_s << restartEn1 << restartEn1 << renewEn1;
    QTest::newRow("a tunnel is never renewed")
        << u"utun3"_s << u"en1"_s << restartEn1
        << restartEn1 + QStringList{"ifconfig utun3 down", "sleep 2", "ifconfig utun3 up"}
        << renewEn1;
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

void TestCheckInterface::sharedRepairCommands()
{
    QFETCH(QString, iface);
    QFETCH(QString, wifiPort);
    NetContext ctx;
    ctx.iface = iface;
    ctx.wifiPort = wifiPort;
    QTEST(renderCommands(wifiRestartOps(ctx)), "wifiRestart");
    QTEST(renderCommands(resetIfaceOps(ctx)), "resetIface");
    QTEST(renderCommands(dhcpRenewOps(ctx)), "dhcpRenew");
}

QTEST_GUILESS_MAIN(TestCheckInterface)
#include "tst_checkinterface.moc"
