#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/diagnostics/pingoutput.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

namespace {

const QString kGateway = QStringLiteral("192.168.1.1");
const QString kPing5 = QStringLiteral("ping -c 5 -t 4 192.168.1.1");
const QString kPing3 = QStringLiteral("ping -c 3 -t 4 192.168.1.1");
const QString kArp = QStringLiteral("arp -n 192.168.1.1 2>/dev/null | grep -c ' at '");
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
    void noGatewayRunsNothing();
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
        << ""
        << "192.168.1.23" << true << "en1"
        << "no-interface/error"
        << ""
        << "fix-wifi-on fallback" << QStringList{"networksetup -setairportpower en1 on"};
    QTest::newRow("no wi-fi port leaves the power repair empty")
        << ""
        << "" << false << ""
        << "no-interface/error"
        << ""
        << "fix-wifi-on fallback" << QStringList{};
    QTest::newRow("interface without address") << "en0"
                                               << "" << true << "en0"
                                               << "no-ip/error"
                                               << "接口 en0 已连接但没有 IP 地址"
                                               << "fix-renew-dhcp admin" << kRenewEn0;
    QTest::newRow("link-local address") << "en0"
                                        << "169.254.12.3" << true << "en0"
                                        << "self-assigned-ip/error"
                                        << "当前 IP：169.254.12.3。"
                                        << "fix-self-assigned admin" << kRenewEn0;
    QTest::newRow("169.254. further on is an ordinary address, no gateway line")
        << "en0"
        << "10.169.254.7" << false << "en0"
        << "iface-ok/ok"
        << "活动接口：en0（Wi-Fi）\n本机 IP：10.169.254.7"
        << "-" << QStringList{};
    QTest::newRow("ok with gateway adds a third line")
        << "en0"
        << "192.168.1.23" << true << "en0"
        << "iface-ok/ok"
        << "活动接口：en0（Wi-Fi）\n本机 IP：192.168.1.23\n网关：192.168.1.1"
        << "-" << QStringList{};
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

    QTest::newRow("one of five lost is still ok")
        << 0 << pingOutput(kGateway, 5, 4, "3.1/4.25/6.0/1.0") << "" << 1 << 2 << none3 << firstOnly
        << "gateway-ok/ok"
        << "丢包 20%，平均延迟 4.25 ms";
    // -c 5 cannot lose exactly a quarter; a four-packet summary pins the boundary.
    QTest::newRow("exactly 25 percent is already loss")
        << 0 << pingOutput(kGateway, 4, 3) << "" << 1 << 2 << none3 << firstOnly
        << "gateway-loss/warn"
        << "到路由器的丢包率偏高（25%）\n网关 192.168.1.1 可达，平均延迟 8.477 ms，但丢包 25%";
    QTest::newRow("no reply, no arp entry, ports closed")
        << 2 << none << "0\n"
        << 1 << 0 << pingOutput(kGateway, 3, 3) << fallback << "gateway-down/error"
        << "无法连通路由器（网关 192.168.1.1）";
    QTest::newRow("exit 0 without a summary counts as no reply")
        << 0 << "PING 192.168.1.1 (192.168.1.1): 56 data bytes\n"
        << "0\n"
        << 1 << 2 << none3 << fallback << "gateway-down/error"
        << "";
    QTest::newRow("arp output that is not a number is no hit")
        << 2 << none << "usage: arp [-n] [-i interface] hostname\n"
        << 1 << 0 << pingOutput(kGateway, 3, 3) << fallback << "gateway-down/error"
        << "";
    QTest::newRow("arp hit, second ping answers: its loss, the first ping's latency")
        << 2 << none << "1\n"
        << 1 << 0 << pingOutput(kGateway, 3, 3) << fallbackAndSecond << "gateway-ok/ok"
        << "丢包 0%，平均延迟 -";
    QTest::newRow("second ping 1 of 3: 66.7 shows as 66")
        << 2 << none << "1\n"
        << 1 << 0 << pingOutput(kGateway, 3, 1) << fallbackAndSecond << "gateway-loss/warn"
        << "（66%）";
    QTest::newRow("port open, second ping silent")
        << 2 << none << "0\n"
        << 0 << 2 << none3 << fallbackAndSecond << "gateway-icmp-filtered/ok" << filtered;
    QTest::newRow("arp count with blanks around it is a hit")
        << 2 << none << "  2 \n"
        << 1 << 2 << none3 << fallbackAndSecond << "gateway-icmp-filtered/ok" << filtered;
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

void TestCheckInterface::noGatewayRunsNothing()
{
    for (const bool noInterface : {false, true}) {
        auto runner = std::make_shared<ScriptedRunner>();
        ScopedRunner scope(runner);
        DiagnosticsRun run = wifiMachine();
        if (noInterface)
            run.ctx.iface.clear();
        else
            run.ctx.gateway.reset();
        const QList<Finding> findings = run.checkGateway();
        QVERIFY(runner->commands().isEmpty());
        QCOMPARE(outline(findings), QStringList{"no-gateway/error"});
        QCOMPARE(fixShape(findings.first()), QStringLiteral("fix-no-gateway admin"));
        QCOMPARE(fixCommands(findings.first()), run.dhcpRenewCommands());
    }
}

void TestCheckInterface::commandBuilders_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QStringList>("wifiRestart");
    QTest::addColumn<QStringList>("resetIface");
    QTest::addColumn<QStringList>("dhcpRenew");

    QTest::newRow("wired primary, wi-fi on en1")
        << "en4"
        << "en1"
        << QStringList{"networksetup -setairportpower en1 off", "sleep 2",
                       "networksetup -setairportpower en1 on"}
        << QStringList{"networksetup -setairportpower en1 off",
                       "sleep 2",
                       "networksetup -setairportpower en1 on",
                       "ifconfig en4 down",
                       "sleep 2",
                       "ifconfig en4 up"}
        << QStringList{"ipconfig set en4 BOOTP", "sleep 1", "ipconfig set en4 DHCP"};
    QTest::newRow("no wi-fi port") << "en0"
                                   << "" << QStringList{} << kIfconfigEn0 << kRenewEn0;
    QTest::newRow("hostile names are quoted as one word")
        << "en0; touch /tmp/pwned"
        << "en1$(reboot)"
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
