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

DiagnosticsRun wiredOrWireless(const QString &wifiPort)
{
    DiagnosticsRun run;
    run.ctx.iface = QStringLiteral("en0");
    run.ctx.service = QStringLiteral("Wi-Fi");
    run.ctx.ip = QStringLiteral("192.168.1.23");
    run.ctx.gateway = kGateway;
    run.ctx.wifiPort = wifiPort;
    return run;
}

} // namespace

class TestCheckInterface : public QObject {
    Q_OBJECT

private slots:
    void interfaceDecision_data();
    void interfaceDecision();
    void interfaceRepairs_data();
    void interfaceRepairs();
    void gatewayDecision_data();
    void gatewayDecision();
    void noGatewayRunsNothing_data();
    void noGatewayRunsNothing();
    void gatewayRepairs_data();
    void gatewayRepairs();
    void commandBuilders_data();
    void commandBuilders();
    void hostileGatewayStaysOneWord();
};

void TestCheckInterface::interfaceDecision_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("hasGateway");
    QTest::addColumn<QString>("id");
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("detail");

    QTest::newRow("no interface wins over address and gateway")
        << ""
        << "192.168.1.23" << true << "no-interface" << Severity::error
        << "未检测到任何活动的网络连接"
        << "系统当前没有处于连接状态的网络接口：Wi-Fi 未连接、也没有插网线。";
    QTest::newRow("interface without address")
        << "en0"
        << "" << true << "no-ip" << Severity::error << "接口 en0 已连接但没有 IP 地址"
        << "DHCP 没有拿到地址，通常表现为「已连接但无法上网」。";
    QTest::newRow("link-local address")
        << "en0"
        << "169.254.12.3" << true << "self-assigned-ip" << Severity::error
        << "拿到的是自动私有地址 169.254.x.x"
        << "当前 IP：169.254.12.3。这是 DHCP 失败后系统自己编的地址，无法上网。";
    QTest::newRow("169.254. further on is an ordinary address")
        << "en0"
        << "10.169.254.7" << false << "iface-ok" << Severity::ok << "网络接口正常"
        << "活动接口：en0（Wi-Fi）\n本机 IP：10.169.254.7";
    QTest::newRow("ok with gateway adds a third line")
        << "en0"
        << "192.168.1.23" << true << "iface-ok" << Severity::ok << "网络接口正常"
        << "活动接口：en0（Wi-Fi）\n本机 IP：192.168.1.23\n网关：192.168.1.1";
}

void TestCheckInterface::interfaceDecision()
{
    QFETCH(QString, iface);
    QFETCH(QString, ip);
    QFETCH(bool, hasGateway);
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);

    DiagnosticsRun run = wiredOrWireless(QStringLiteral("en0"));
    run.ctx.iface = iface;
    run.ctx.ip = ip;
    if (!hasGateway)
        run.ctx.gateway.reset();
    const QList<Finding> findings = run.checkInterface();

    QCOMPARE(findings.size(), 1);
    const Finding &f = findings.first();
    QTEST(f.id, "id");
    QTEST(f.severity, "severity");
    QTEST(f.title, "title");
    QTEST(f.detail, "detail");
    QCOMPARE(f.category, CheckCategory::connectivity);
    QVERIFY(runner->commands().isEmpty());
}

void TestCheckInterface::interfaceRepairs_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<QString>("fixId");
    QTest::addColumn<QString>("fixTitle");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("needsAdmin");
    QTest::addColumn<bool>("fallbackAdmin");
    QTest::addColumn<QString>("successHint");
    QTest::addColumn<QString>("fixHint");
    QTest::addColumn<QStringList>("manualSteps");

    const QStringList wifiSteps{QStringLiteral("点击屏幕右上角 Wi-Fi 图标 → 打开 Wi-Fi"),
                                QStringLiteral("选择你的网络并输入密码")};
    const QString wifiHint = QStringLiteral("先打开 Wi-Fi 电源；若仍无法连接，请点击菜单栏 Wi-Fi "
                                            "图标选择你的网络，或插上网线后重新扫描。");
    QTest::newRow("wi-fi power on")
        << ""
        << ""
        << "en1"
        << "fix-wifi-on"
        << "打开 Wi-Fi 电源" << QStringList{"networksetup -setairportpower en1 on"} << false << true
        << "Wi-Fi 电源已打开" << wifiHint << wifiSteps;
    QTest::newRow("no wi-fi port leaves the power repair empty")
        << ""
        << ""
        << ""
        << "fix-wifi-on"
        << "打开 Wi-Fi 电源" << QStringList{} << false << true << "Wi-Fi 电源已打开" << wifiHint
        << wifiSteps;
    QTest::newRow("renew lease for a missing address")
        << "en0"
        << ""
        << "en0"
        << "fix-renew-dhcp"
        << "续订 DHCP 租约" << kRenewEn0 << true << false << "已重新申请 IP 地址"
        << "续订 DHCP 租约，重新向路由器申请 IP。若仍失败，请重启路由器。" << QStringList{};
    QTest::newRow("renew lease for a self-assigned address")
        << "en0"
        << "169.254.1.1"
        << "en0"
        << "fix-self-assigned"
        << "续订 DHCP 租约" << kRenewEn0 << true << false << "已重新申请 IP 地址"
        << "续订 DHCP；若无效说明路由器 DHCP 异常或 Wi-Fi 密码/信号有问题。" << QStringList{};
}

void TestCheckInterface::interfaceRepairs()
{
    QFETCH(QString, iface);
    QFETCH(QString, ip);
    QFETCH(QString, wifiPort);
    QFETCH(QString, fixId);
    QFETCH(QString, fixTitle);
    QFETCH(QStringList, commands);
    QFETCH(bool, needsAdmin);
    QFETCH(bool, fallbackAdmin);
    QFETCH(QString, successHint);
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);

    DiagnosticsRun run = wiredOrWireless(wifiPort);
    run.ctx.iface = iface;
    run.ctx.ip = ip;
    const Finding f = run.checkInterface().value(0);

    QTEST(f.fixHint.value_or(QString()), "fixHint");
    QTEST(f.manualSteps, "manualSteps");
    VERIFY_FIX(f, fixId, fixTitle, commands, needsAdmin, fallbackAdmin, successHint);
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
    QTest::addColumn<QString>("id");
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("detail");

    const QString none = pingOutput(kGateway, 5, 0);
    const QString none3 = pingOutput(kGateway, 3, 0);
    const QStringList firstOnly{kPing5};
    const QStringList fallback{kPing5, kArp, kTcp};
    const QStringList fallbackAndSecond{kPing5, kArp, kTcp, kPing3};
    const QString down = QStringLiteral("无法连通路由器（网关 192.168.1.1）");
    const QString downDetail =
        QStringLiteral("网关完全无响应，丢包 100%。可能是路由器故障、网线松动或 Wi-Fi 信号太弱。");

    QTest::newRow("all answered") << 0 << pingOutput(kGateway, 5, 5) << "" << 1 << 2 << none3
                                  << firstOnly << "gateway-ok" << Severity::ok << "路由器连通正常"
                                  << "网关 192.168.1.1 可达，丢包 0%，平均延迟 8.477 ms";
    QTest::newRow("one of five lost is still ok")
        << 0 << pingOutput(kGateway, 5, 4, "3.1/4.25/6.0/1.0") << "" << 1 << 2 << none3 << firstOnly
        << "gateway-ok" << Severity::ok << "路由器连通正常"
        << "网关 192.168.1.1 可达，丢包 20%，平均延迟 4.25 ms";
    QTest::newRow("two of five answered")
        << 0 << pingOutput(kGateway, 5, 2) << "" << 1 << 2 << none3 << firstOnly << "gateway-loss"
        << Severity::warn << "到路由器的丢包率偏高（60%）"
        << "网关 192.168.1.1 可达，平均延迟 8.477 ms，但丢包 60%——Wi-Fi "
           "信号弱、干扰或路由器负载高。";
    // -c 5 cannot lose exactly a quarter; a four-packet summary pins the boundary.
    QTest::newRow("exactly 25 percent is already loss")
        << 0 << pingOutput(kGateway, 4, 3) << "" << 1 << 2 << none3 << firstOnly << "gateway-loss"
        << Severity::warn << "到路由器的丢包率偏高（25%）"
        << "网关 192.168.1.1 可达，平均延迟 8.477 ms，但丢包 25%——Wi-Fi "
           "信号弱、干扰或路由器负载高。";
    QTest::newRow("no reply, no arp entry, ports closed")
        << 2 << none << "0\n"
        << 1 << 0 << pingOutput(kGateway, 3, 3) << fallback << "gateway-down" << Severity::error
        << down << downDetail;
    QTest::newRow("exit 0 without a summary counts as no reply")
        << 0 << QStringLiteral("PING 192.168.1.1 (192.168.1.1): 56 data bytes\n") << "0\n"
        << 1 << 2 << none3 << fallback << "gateway-down" << Severity::error << down << downDetail;
    QTest::newRow("arp hit and second ping answered: loss of the second, latency of the first")
        << 2 << none << "1\n"
        << 1 << 0 << pingOutput(kGateway, 3, 3) << fallbackAndSecond << "gateway-ok" << Severity::ok
        << "路由器连通正常"
        << "网关 192.168.1.1 可达，丢包 0%，平均延迟 -";
    QTest::newRow("second ping 1 of 3: 66.7 shows as 66")
        << 2 << none << "1\n"
        << 1 << 0 << pingOutput(kGateway, 3, 1) << fallbackAndSecond << "gateway-loss"
        << Severity::warn << "到路由器的丢包率偏高（66%）"
        << "网关 192.168.1.1 可达，平均延迟 -，但丢包 66%——Wi-Fi 信号弱、干扰或路由器负载高。";
    QTest::newRow("port 443 open, second ping silent")
        << 2 << none << "0\n"
        << 0 << 2 << none3 << fallbackAndSecond << "gateway-icmp-filtered" << Severity::ok
        << "路由器可达（仅 ICMP 被过滤）"
        << "网关 192.168.1.1 （ARP/TCP 探测确认路由器在线）。路由器或代理软件屏蔽了 ping "
           "包，这不影响正常上网。";
    QTest::newRow("arp count with blanks around it is a hit")
        << 2 << none << "  2 \n"
        << 1 << 2 << none3 << fallbackAndSecond << "gateway-icmp-filtered" << Severity::ok
        << "路由器可达（仅 ICMP 被过滤）"
        << "网关 192.168.1.1 （ARP/TCP 探测确认路由器在线）。路由器或代理软件屏蔽了 ping "
           "包，这不影响正常上网。";
    QTest::newRow("empty arp output is no hit")
        << 2 << none << "" << 1 << 0 << pingOutput(kGateway, 3, 3) << fallback << "gateway-down"
        << Severity::error << down << downDetail;
    QTest::newRow("arp output that is not a number is no hit")
        << 2 << none << "usage: arp [-n] [-i interface] hostname\n"
        << 1 << 0 << pingOutput(kGateway, 3, 3) << fallback << "gateway-down" << Severity::error
        << down << downDetail;
}

void TestCheckInterface::gatewayDecision()
{
    QFETCH(int, ping1Code);
    QFETCH(QString, ping1Out);
    QFETCH(QString, arpOut);
    QFETCH(int, tcpCode);
    QFETCH(int, ping2Code);
    QFETCH(QString, ping2Out);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kPing5, ping1Code, ping1Out)
        .on(kArp, 0, arpOut)
        .on(kTcp, tcpCode)
        .on(kPing3, ping2Code, ping2Out);
    ScopedRunner scope(runner);

    DiagnosticsRun run = wiredOrWireless(QStringLiteral("en0"));
    const QList<Finding> findings = run.checkGateway();

    QTEST(runner->commands(), "ran");
    QCOMPARE(findings.size(), 1);
    QTEST(findings.first().id, "id");
    QTEST(findings.first().severity, "severity");
    QTEST(findings.first().title, "title");
    QTEST(findings.first().detail, "detail");
    QCOMPARE(findings.first().category, CheckCategory::connectivity);
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, 25.0);
}

void TestCheckInterface::noGatewayRunsNothing_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<bool>("hasGateway");

    QTest::newRow("no default route") << "en0" << false;
    QTest::newRow("gateway but no active interface") << "" << true;
}

void TestCheckInterface::noGatewayRunsNothing()
{
    QFETCH(QString, iface);
    QFETCH(bool, hasGateway);
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);

    DiagnosticsRun run = wiredOrWireless(QStringLiteral("en0"));
    run.ctx.iface = iface;
    if (!hasGateway)
        run.ctx.gateway.reset();
    const QList<Finding> findings = run.checkGateway();

    QVERIFY(runner->commands().isEmpty());
    QCOMPARE(findings.size(), 1);
    const Finding &f = findings.first();
    QCOMPARE(f.id, QStringLiteral("no-gateway"));
    QCOMPARE(f.severity, Severity::error);
    QCOMPARE(f.title, QStringLiteral("没有默认网关"));
    QCOMPARE(f.detail, QStringLiteral("系统路由表缺少默认网关，无法与局域网外通信。"));
    QCOMPARE(f.fixHint, QStringLiteral("续订 DHCP 重新获取路由配置；若无效请重启路由器。"));
    QVERIFY(f.manualSteps.isEmpty());
    VERIFY_FIX(f, QStringLiteral("fix-no-gateway"), QStringLiteral("续订 DHCP 租约"),
               run.dhcpRenewCommands(), true, false, QStringLiteral("已重新获取网络配置"));
}

void TestCheckInterface::gatewayRepairs_data()
{
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<int>("received");
    QTest::addColumn<QString>("fixId");
    QTest::addColumn<QString>("fixTitle");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("needsAdmin");
    QTest::addColumn<bool>("fallbackAdmin");
    QTest::addColumn<QString>("successHint");
    QTest::addColumn<QString>("fixHint");
    QTest::addColumn<QStringList>("manualSteps");

    const QString lossHint = QStringLiteral("重启 Wi-Fi 接口；长期如此建议改用 5GHz 频段或网线。");
    const QStringList lossSteps{QStringLiteral("靠近路由器；避开微波炉、蓝牙设备"),
                                QStringLiteral("在「系统设置 → Wi-Fi → 高级」中切换 5GHz")};
    const QString downHint =
        QStringLiteral("重置网络接口（相当于重插网线）；若仍不通请重启路由器与光猫。");
    const QStringList downSteps{QStringLiteral("重启路由器 / 光猫，等待 1 分钟"),
                                QStringLiteral("靠近路由器或改用网线后重新扫描")};

    QTest::newRow("loss restarts wi-fi") << "en0" << 2 << "fix-wifi-restart"
                                         << "重启 Wi-Fi 接口" << kWifiRestart << false << true
                                         << "Wi-Fi 接口已重启" << lossHint << lossSteps;
    QTest::newRow("loss without wi-fi has no commands")
        << "" << 2 << "fix-wifi-restart"
        << "重启 Wi-Fi 接口" << QStringList{} << false << true << "Wi-Fi 接口已重启" << lossHint
        << lossSteps;
    QTest::newRow("down resets wi-fi first, then the interface")
        << "en0" << 0 << "fix-reset-iface"
        << "重置网络接口" << kWifiRestart + kIfconfigEn0 << true << false << "网络接口已重置"
        << downHint << downSteps;
    QTest::newRow("down without wi-fi resets the interface only")
        << "" << 0 << "fix-reset-iface"
        << "重置网络接口" << kIfconfigEn0 << true << false << "网络接口已重置" << downHint
        << downSteps;
}

void TestCheckInterface::gatewayRepairs()
{
    QFETCH(QString, wifiPort);
    QFETCH(int, received);
    QFETCH(QString, fixId);
    QFETCH(QString, fixTitle);
    QFETCH(QStringList, commands);
    QFETCH(bool, needsAdmin);
    QFETCH(bool, fallbackAdmin);
    QFETCH(QString, successHint);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kPing5, pingCode(received), pingOutput(kGateway, 5, received))
        .on(kArp, 0, QStringLiteral("0\n"))
        .on(kTcp, 1);
    ScopedRunner scope(runner);

    DiagnosticsRun run = wiredOrWireless(wifiPort);
    const Finding f = run.checkGateway().value(0);

    VERIFY_ALL_SCRIPTED(*runner);
    QTEST(f.fixHint.value_or(QString()), "fixHint");
    QTEST(f.manualSteps, "manualSteps");
    VERIFY_FIX(f, fixId, fixTitle, commands, needsAdmin, fallbackAdmin, successHint);
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

void TestCheckInterface::hostileGatewayStaysOneWord()
{
    const QString hostile = QStringLiteral("192.168.1.1; touch /tmp/pwned");
    const QString word = QStringLiteral("'192.168.1.1; touch /tmp/pwned'");
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(QStringLiteral("ping -c 5 -t 4 ") + word, 2, pingOutput(hostile, 5, 0))
        .on(QStringLiteral("arp -n ") + word + QStringLiteral(" 2>/dev/null | grep -c ' at '"), 1,
            QStringLiteral("0\n"))
        .on(QStringLiteral("nc -z -G 3 ") + word +
                QStringLiteral(" 80 >/dev/null 2>&1 || nc -z -G 3 ") + word +
                QStringLiteral(" 443 >/dev/null 2>&1"),
            1);
    ScopedRunner scope(runner);

    DiagnosticsRun run = wiredOrWireless(QStringLiteral("en0"));
    run.ctx.gateway = hostile;
    const QList<Finding> findings = run.checkGateway();

    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands().size(), 3);
    // Messages show the value as read; only command lines quote it.
    QCOMPARE(findings.value(0).title,
             QStringLiteral("无法连通路由器（网关 ") + hostile + QStringLiteral("）"));
}

QTEST_GUILESS_MAIN(TestCheckInterface)
#include "tst_checkinterface.moc"
