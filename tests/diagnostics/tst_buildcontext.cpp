#include "diagnostics/diagnosticsrun.h"
#include "tests/support/scriptedrunner.h"

#include <QMap>
#include <QTest>

namespace {

const QString kServices = QStringLiteral("networksetup -listallnetworkservices 2>/dev/null");
const QString kRoute = QStringLiteral("route -n get default 2>/dev/null");
const QString kHardwarePorts = QStringLiteral("networksetup -listallhardwareports 2>/dev/null");
const QString kPs = QStringLiteral(
    "ps -Ao pid=,comm= 2>/dev/null | grep -i -E "
    "'clash|mihomo|surge|stash|verge|quantumult|sing-box|v2ray|xray|trojan' | grep -v grep "
    "2>/dev/null");
const QString kLsof = QStringLiteral(
    "lsof -nP -iTCP -sTCP:LISTEN 2>/dev/null | awk '{print $9}' | grep -E ':[0-9]+$' | sed -E "
    "'s/.*:([0-9]+)$/\\1/' | sort -u | tr '\\n' ' '");
const QString kDns = QStringLiteral("scutil --dns | awk '/nameserver/ {print $3}' | sort -u");
const QString kTunnels = QStringLiteral(
    "ifconfig -l 2>/dev/null | tr ' ' '\\n' | grep -E '^utun|^ipsec|^ppp' | head -6");
const QString kVpn = QStringLiteral(
    "scutil --nc list 2>/dev/null | grep -E '\\(Connected\\)|\\(Disconnected\\)' | head -5");

QString ipconfig(const QString &ifaceWord)
{
    return QStringLiteral("ipconfig getifaddr ") + ifaceWord + QStringLiteral(" 2>/dev/null");
}

QString ipv6(const QString &ifaceWord)
{
    return QStringLiteral("ifconfig ") + ifaceWord +
           QStringLiteral(" 2>/dev/null | awk '/inet6/ {print $2}' | grep -v '^fe80' | grep -E "
                          "'^[23]' | head -1");
}

QString nc(const QString &hostWord, const QString &portWord)
{
    return QStringLiteral("nc -z -G 2 ") + hostWord + QLatin1Char(' ') + portWord +
           QStringLiteral(" 2>/dev/null");
}

const QStringList kProxyQueries{QStringLiteral("webproxy"), QStringLiteral("securewebproxy"),
                                QStringLiteral("socksfirewallproxy"),
                                QStringLiteral("autoproxyurl"),
                                QStringLiteral("proxybypassdomains")};

QString proxyQuery(const QString &kind, const QString &quotedService)
{
    return QStringLiteral("networksetup -get") + kind + QLatin1Char(' ') + quotedService +
           QStringLiteral(" 2>/dev/null");
}

QString proxyOn(const QString &host, const QString &port)
{
    return QStringLiteral("Enabled: Yes\nServer: %1\nPort: %2\nAuthenticated Proxy Enabled: 0\n")
        .arg(host, port);
}

const QString kProxyNeverSet =
    QStringLiteral("Enabled: No\nServer: \nPort: 0\nAuthenticated Proxy Enabled: 0\n");
const QString kAutoNeverSet = QStringLiteral("URL: (null)\nEnabled: No\n");
const QString kLocalBypass = QStringLiteral("127.0.0.1\nlocalhost\n*.local\n169.254/16\n");

struct Answer {
    int code = 0;
    QString output;
};

// Every command's answer, keyed by its exact text. The default is a typical Mac: Wi-Fi on en0
// behind 192.168.1.1, ClashX running and set as the system proxy on Wi-Fi.
using Mac = QMap<QString, Answer>;

void setProxies(Mac &mac, const QString &service, const QStringList &answers)
{
    for (qsizetype i = 0; i < kProxyQueries.size(); ++i)
        mac[proxyQuery(kProxyQueries.at(i), QLatin1Char('\'') + service + QLatin1Char('\''))] = {
            0, answers.value(i)};
}

void setProxiesOff(Mac &mac, const QString &service)
{
    setProxies(mac, service,
               {kProxyNeverSet, kProxyNeverSet, kProxyNeverSet, kAutoNeverSet,
                QStringLiteral("There aren't any bypass domains set on %1.\n").arg(service)});
}

// "route -n get default" on a Mac whose Wi-Fi (en0) is the primary interface.
const char kRouteOutput[] = R"(   route to: default
destination: default
       mask: default
    gateway: 192.168.1.1
  interface: en0
      flags: <UP,GATEWAY,DONE,STATIC,PRCLONING,GLOBAL>
 recvpipe  sendpipe  ssthresh  rtt,msec    rttvar  hopcount      mtu     expire
       0         0         0         0         0         0      1500         0
)";

const char kHardwarePortsOutput[] = R"(
Hardware Port: Ethernet Adapter (en4)
Device: en4
Ethernet Address: 6a:2c:1f:00:11:22

Hardware Port: Wi-Fi
Device: en0
Ethernet Address: a4:83:e7:12:34:56

Hardware Port: Thunderbolt Bridge
Device: bridge0
Ethernet Address: 36:21:4a:9b:01:c0

VLAN Configurations
===================
)";

const char kServicesOutput[] = R"(An asterisk (*) denotes that a network service is disabled.
USB 10/100/1000 LAN
Wi-Fi
*Thunderbolt Bridge
)";

const char kPsOutput[] = R"( 1234 /Applications/ClashX.app/Contents/MacOS/ClashX
 1240 /Applications/ClashX.app/Contents/MacOS/com.west2online.ClashX.ProxyConfigHelper
)";

const char kVpnLine[] =
    R"(* (Disconnected)   6B3C2A10-4F0E-4C53-9E21-0A1B2C3D4E5F PPP --> L2TP       "Office VPN"                     [PPP/L2TP])";

Mac typicalMac()
{
    Mac mac;
    mac[kServices] = {0, QString::fromUtf8(kServicesOutput)};
    mac[kRoute] = {0, QString::fromUtf8(kRouteOutput)};
    mac[ipconfig(QStringLiteral("en0"))] = {0, QStringLiteral("192.168.1.23\n")};
    mac[kHardwarePorts] = {0, QString::fromUtf8(kHardwarePortsOutput)};
    setProxiesOff(mac, QStringLiteral("USB 10/100/1000 LAN"));
    setProxies(mac, QStringLiteral("Wi-Fi"),
               {proxyOn("127.0.0.1", "7890"), proxyOn("127.0.0.1", "7890"),
                proxyOn("127.0.0.1", "7890"), kAutoNeverSet, kLocalBypass});
    setProxiesOff(mac, QStringLiteral("Thunderbolt Bridge"));
    mac[kPs] = {0, QString::fromUtf8(kPsOutput)};
    mac[kLsof] = {0, QStringLiteral("49152 7890 ")};
    mac[nc(QStringLiteral("127.0.0.1"), QStringLiteral("7890"))] = {0, QString()};
    mac[kDns] = {0, QStringLiteral("192.168.1.1\n223.5.5.5\n")};
    mac[ipv6(QStringLiteral("en0"))] = {0,
                                        QStringLiteral("240e:3b7:1234:5670:1c2d:3e4f:5a6b:7c8d\n")};
    mac[kTunnels] = {0, QStringLiteral("utun0\nutun1\nutun2\n")};
    mac[kVpn] = {0, QString::fromUtf8(kVpnLine) + QLatin1Char('\n')};
    return mac;
}

NetContext snapshot(const Mac &mac, std::shared_ptr<ScriptedRunner> &runner)
{
    runner = std::make_shared<ScriptedRunner>();
    for (auto it = mac.constBegin(); it != mac.constEnd(); ++it)
        runner->on(it.key(), it->code, it->output);
    ScopedRunner scope(runner);
    return DiagnosticsRun::buildContext();
}

} // namespace

class TestBuildContext : public QObject {
    Q_OBJECT

private slots:
    void typicalMacInOrder();
    void defaultRoute_data();
    void defaultRoute();
    void addressFallback_data();
    void addressFallback();
    void hardwarePorts_data();
    void hardwarePorts();
    void proxySettingsAcrossServices();
    void proxyTarget_data();
    void proxyTarget();
    void proxyClients_data();
    void proxyClients();
    void silentMacLeavesDefaults();
    void hostileValuesStayOneWord();
};

void TestBuildContext::typicalMacInOrder()
{
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(typicalMac(), runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QStringList expected{kServices, kRoute, ipconfig(QStringLiteral("en0")), kHardwarePorts};
    for (const QString &service :
         {QStringLiteral("'USB 10/100/1000 LAN'"), QStringLiteral("'Wi-Fi'"),
          QStringLiteral("'Thunderbolt Bridge'")}) {
        for (const QString &kind : kProxyQueries)
            expected << proxyQuery(kind, service);
    }
    expected << kPs << kLsof << nc(QStringLiteral("127.0.0.1"), QStringLiteral("7890")) << kDns
             << ipv6(QStringLiteral("en0")) << kTunnels << kVpn;
    QCOMPARE(runner->commands(), expected);
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, 25.0);

    QCOMPARE(ctx.iface, QStringLiteral("en0"));
    QCOMPARE(ctx.ip, QStringLiteral("192.168.1.23"));
    QCOMPARE(ctx.gateway, QStringLiteral("192.168.1.1"));
    QCOMPARE(ctx.service, QStringLiteral("Wi-Fi"));
    QCOMPARE(ctx.wifiPort, QStringLiteral("en0"));
    QCOMPARE(ctx.allServices, (QStringList{"USB 10/100/1000 LAN", "Wi-Fi", "Thunderbolt Bridge"}));
    QVERIFY(ctx.proxyEnabled);
    QCOMPARE(ctx.proxyHost, QStringLiteral("127.0.0.1"));
    QCOMPARE(ctx.proxyPort, QStringLiteral("7890"));
    QCOMPARE(ctx.proxyKinds, (QStringList{"HTTP", "HTTPS", "SOCKS"}));
    QCOMPARE(ctx.proxyServices, QStringList{"Wi-Fi"});
    QCOMPARE(ctx.bypassDomains, (QStringList{"127.0.0.1", "localhost", "*.local", "169.254/16"}));
    QVERIFY(ctx.clashRunning);
    QCOMPARE(ctx.clashApps, QStringList{"ClashX"});
    QCOMPARE(ctx.clashPorts, (QStringList{"49152", "7890"}));
    QVERIFY(ctx.proxyTargetAlive);
    QCOMPARE(ctx.dnsServers, (QStringList{"192.168.1.1", "223.5.5.5"}));
    QVERIFY(ctx.hasIPv6);
    QCOMPARE(ctx.utunIfaces, (QStringList{"utun0", "utun1", "utun2"}));
    QCOMPARE(ctx.vpnConfigured, QStringList{QString::fromUtf8(kVpnLine)});
}

void TestBuildContext::defaultRoute_data()
{
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("gateway"); // empty: absent

    QTest::newRow("gateway and interface") << "    gateway: 10.0.0.1\n  interface: en0\n"
                                           << "en0"
                                           << "10.0.0.1";
    QTest::newRow("a gateway of - is absent") << "    gateway: -\n  interface: en0\n"
                                              << "en0"
                                              << "";
    QTest::newRow("tunnel route without a gateway line")
        << "   route to: default\ndestination: default\n  interface: utun3\n"
        << "utun3"
        << "";
    QTest::newRow("later lines overwrite earlier ones")
        << "    gateway: 10.0.0.1\n    gateway: 10.0.0.254\n  interface: en0\n"
        << "en0"
        << "10.0.0.254";
}

void TestBuildContext::defaultRoute()
{
    QFETCH(QString, route);
    QFETCH(QString, iface);
    QFETCH(QString, gateway);
    Mac mac = typicalMac();
    mac[kRoute] = {0, route};
    mac[ipconfig(iface)] = {0, QStringLiteral("10.0.0.23\n")};
    mac[ipv6(iface)] = {0, QString()};
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(ctx.iface, iface);
    QCOMPARE(ctx.ip, QStringLiteral("10.0.0.23"));
    QCOMPARE(ctx.gateway.has_value(), !gateway.isEmpty());
    QCOMPARE(ctx.gateway.value_or(QString()), gateway);
}

void TestBuildContext::addressFallback_data()
{
    QTest::addColumn<QStringList>("answering"); // interfaces with an address, "name=ip"
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QStringList>("tried");

    const QString en0 = ipconfig(QStringLiteral("en0"));
    const QString en1 = ipconfig(QStringLiteral("en1"));
    const QString en2 = ipconfig(QStringLiteral("en2"));
    const QString en3 = ipconfig(QStringLiteral("en3"));
    QTest::newRow("only en1 has an address")
        << QStringList{"en1=192.168.5.7", "en2=10.1.1.1"} << "en1"
        << "192.168.5.7" << QStringList{en0, en1};
    QTest::newRow("no interface has an address") << QStringList{} << ""
                                                 << "" << QStringList{en0, en1, en2, en3};
}

void TestBuildContext::addressFallback()
{
    QFETCH(QStringList, answering);
    QFETCH(QString, iface);
    QFETCH(QString, ip);
    QFETCH(QStringList, tried);
    Mac mac = typicalMac();
    // "route: writing to routing socket: not in table" goes to stderr, hidden by 2>/dev/null.
    mac[kRoute] = {1, QString()};
    for (const char *name : {"en0", "en1", "en2", "en3"})
        mac[ipconfig(QLatin1String(name))] = {1, QString()};
    for (const QString &entry : answering) {
        const QStringList parts = entry.split(QLatin1Char('='));
        mac[ipconfig(parts.at(0))] = {0, parts.at(1) + QLatin1Char('\n')};
        mac[ipv6(parts.at(0))] = {0, QString()};
    }
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(ctx.iface, iface);
    QCOMPARE(ctx.ip, ip);
    QVERIFY(!ctx.gateway);
    QCOMPARE(runner->commands().mid(2, tried.size()), tried);
    QCOMPARE(runner->commands().value(2 + tried.size()), kHardwarePorts);
    // Without an interface the IPv6 question is not asked at all.
    QCOMPARE(runner->count(ipv6(QStringLiteral("en0"))), 0);
    QVERIFY(!ctx.hasIPv6);
}

void TestBuildContext::hardwarePorts_data()
{
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("ports");
    QTest::addColumn<QString>("services");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("wifiPort");

    const QString usbAndWifi =
        QStringLiteral("An asterisk (*) denotes that a network service is disabled.\nUSB "
                       "10/100/1000 LAN\nWi-Fi\n");
    const QString wifiOnEn1 = QStringLiteral(
        "\nHardware Port: Ethernet\nDevice: en0\nEthernet Address: 3c:07:54:aa:bb:cc\n\nHardware "
        "Port: Wi-Fi\nDevice: en1\nEthernet Address: a4:83:e7:12:34:56\n");

    QTest::newRow("wired primary names its port; wi-fi found elsewhere")
        << "  interface: en0\n"
        << wifiOnEn1 << usbAndWifi << "Ethernet"
        << "en1";
    QTest::newRow("wi-fi primary") << "  interface: en1\n"
                                   << wifiOnEn1 << usbAndWifi << "Wi-Fi"
                                   << "en1";
    QTest::newRow("older systems call it AirPort")
        << "  interface: en1\n"
        << "\nHardware Port: AirPort\nDevice: en1\nEthernet Address: 00:1f:5b:aa:bb:cc\n"
        << usbAndWifi << "AirPort"
        << "en1";
    QTest::newRow("unlisted primary falls back to the first service")
        << "  interface: utun3\n"
        << wifiOnEn1 << usbAndWifi << "USB 10/100/1000 LAN"
        << "en1";
    QTest::newRow("no services at all falls back to Wi-Fi") << "  interface: utun3\n"
                                                            << ""
                                                            << ""
                                                            << "Wi-Fi"
                                                            << "";
}

void TestBuildContext::hardwarePorts()
{
    QFETCH(QString, route);
    QFETCH(QString, ports);
    QFETCH(QString, services);
    Mac mac = typicalMac();
    mac[kRoute] = {0, route};
    mac[kHardwarePorts] = {0, ports};
    mac[kServices] = {services.isEmpty() ? 1 : 0, services};
    const QString iface = route.section(QLatin1Char(':'), 1).trimmed();
    mac[ipconfig(iface)] = {0, QStringLiteral("192.168.1.23\n")};
    mac[ipv6(iface)] = {0, QString()};
    setProxiesOff(mac, QStringLiteral("USB 10/100/1000 LAN"));
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QTEST(ctx.service, "service");
    QTEST(ctx.wifiPort, "wifiPort");
}

void TestBuildContext::proxySettingsAcrossServices()
{
    Mac mac = typicalMac();
    // The first service names a SOCKS server but prints no port; the second has both.
    mac[kServices] = {0, QStringLiteral("An asterisk (*) denotes that a network service is "
                                        "disabled.\nUSB 10/100/1000 LAN\nWi-Fi\nThunderbolt "
                                        "Bridge\n")};
    setProxies(mac, QStringLiteral("USB 10/100/1000 LAN"),
               {QString(), QString(),
                QStringLiteral("Enabled: Yes\nServer: 10.0.0.8\nAuthenticated Proxy Enabled: 0\n"),
                QString(),
                QStringLiteral("There aren't any bypass domains set on USB 10/100/1000 LAN.\n")});
    setProxies(mac, QStringLiteral("Wi-Fi"),
               {proxyOn("127.0.0.1", "7890"), proxyOn("127.0.0.1", "7890"),
                proxyOn("127.0.0.1", "7890"), kAutoNeverSet, kLocalBypass});
    setProxies(mac, QStringLiteral("Thunderbolt Bridge"),
               {kProxyNeverSet, kProxyNeverSet, kProxyNeverSet,
                QStringLiteral("URL: http://127.0.0.1:7890/proxy.pac\nEnabled: Yes\n"),
                QStringLiteral("*.local\n")});
    mac[nc(QStringLiteral("10.0.0.8"), QStringLiteral("7890"))] = {1, QString()};
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QVERIFY(ctx.proxyEnabled);
    QCOMPARE(ctx.proxyHost, QStringLiteral("10.0.0.8"));
    QCOMPARE(ctx.proxyPort, QStringLiteral("7890"));
    QCOMPARE(ctx.proxyServices,
             (QStringList{"USB 10/100/1000 LAN", "Wi-Fi", "Thunderbolt Bridge"}));
    // Without repeats and in text order: "自动代理(PAC)" sorts after the Latin labels.
    QCOMPARE(ctx.proxyKinds, (QStringList{"HTTP", "HTTPS", "SOCKS", "自动代理(PAC)"}));
    // The tool's sentence for "no list" is a non-empty list, so the first service's wins.
    QCOMPARE(ctx.bypassDomains,
             QStringList{"There aren't any bypass domains set on USB 10/100/1000 LAN."});
    QVERIFY(!ctx.proxyTargetAlive);
}

void TestBuildContext::proxyTarget_data()
{
    QTest::addColumn<QString>("wifiProxy"); // what -getwebproxy prints for Wi-Fi
    QTest::addColumn<QString>("probe");     // empty: no probe expected
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("alive");

    QTest::newRow("listening") << proxyOn("127.0.0.1", "7890") << nc("127.0.0.1", "7890") << 0
                               << true;
    QTest::newRow("refused") << proxyOn("127.0.0.1", "7890") << nc("127.0.0.1", "7890") << 1
                             << false;
    QTest::newRow("no host is probed on 127.0.0.1")
        << "Enabled: Yes\nServer: \nPort: 1080\nAuthenticated Proxy Enabled: 0\n"
        << nc("127.0.0.1", "1080") << 0 << true;
    QTest::newRow("no port: no probe")
        << "Enabled: Yes\nServer: 127.0.0.1\nAuthenticated Proxy Enabled: 0\n"
        << "" << 0 << false;
}

void TestBuildContext::proxyTarget()
{
    QFETCH(QString, wifiProxy);
    QFETCH(QString, probe);
    QFETCH(int, code);
    Mac mac = typicalMac();
    // Only the web proxy answers; the other kinds print nothing.
    setProxies(mac, QStringLiteral("Wi-Fi"),
               {wifiProxy, QString(), QString(), QString(), kLocalBypass});
    mac.remove(nc(QStringLiteral("127.0.0.1"), QStringLiteral("7890")));
    if (!probe.isEmpty())
        mac[probe] = {code, QString()};
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QVERIFY(ctx.proxyEnabled);
    QTEST(ctx.proxyTargetAlive, "alive");
    int probes = 0;
    for (const QString &command : runner->commands())
        probes += command.startsWith(QLatin1String("nc ")) ? 1 : 0;
    QCOMPARE(probes, probe.isEmpty() ? 0 : 1);
}

void TestBuildContext::proxyClients_data()
{
    QTest::addColumn<QString>("ps");
    QTest::addColumn<QStringList>("apps");

    QTest::newRow("helper processes in any case are skipped")
        << " 1240 "
           "/Applications/ClashX.app/Contents/MacOS/com.west2online.ClashX.ProxyConfigHelper\n"
           " 1241 /Library/PrivilegedHelperTools/com.clash.HELPER\n"
        << QStringList{};
    QTest::newRow("service processes are skipped")
        << " 2300 "
           "/Library/PrivilegedHelperTools/io.github.clash-verge-rev.clash-verge-rev.service\n"
        << QStringList{};
    QTest::newRow("a Core process is listed as ClashX, once")
        << " 1301 /Applications/ClashX.app/Contents/Resources/ClashCore\n"
           " 1234 /Applications/ClashX.app/Contents/MacOS/ClashX\n"
        << QStringList{"ClashX"};
    QTest::newRow("a path with a blank gives its first word")
        << " 2210 /Applications/Clash Verge.app/Contents/MacOS/verge-mihomo\n"
        << QStringList{"Clash"};
    QTest::newRow("order of discovery, no repeats")
        << " 3001 /opt/homebrew/bin/mihomo\n 3002 /usr/local/bin/sing-box\n 3003 "
           "/opt/homebrew/bin/mihomo\n"
        << QStringList{"mihomo", "sing-box"};
    QTest::newRow("a line without a path is skipped") << " 4001\n" << QStringList{};
}

void TestBuildContext::proxyClients()
{
    QFETCH(QString, ps);
    QFETCH(QStringList, apps);
    Mac mac = typicalMac();
    mac[kPs] = {0, ps};
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    QCOMPARE(ctx.clashApps, apps);
    QCOMPARE(ctx.clashRunning, !apps.isEmpty());
}

void TestBuildContext::silentMacLeavesDefaults()
{
    // Every tool missing: bash prints "command not found" on stderr and exits 127, but the
    // 2>/dev/null of most commands leaves nothing.
    auto runner = std::make_shared<ScriptedRunner>();
    const QStringList commands{kServices,       kRoute,
                               ipconfig("en0"), ipconfig("en1"),
                               ipconfig("en2"), ipconfig("en3"),
                               kHardwarePorts,  kPs,
                               kLsof,           kDns,
                               kTunnels,        kVpn};
    for (const QString &command : commands)
        runner->on(command, 127);
    ScopedRunner scope(runner);
    const NetContext ctx = DiagnosticsRun::buildContext();

    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands(), commands);
    QVERIFY(ctx.iface.isEmpty() && ctx.ip.isEmpty() && ctx.wifiPort.isEmpty());
    QCOMPARE(ctx.service, QStringLiteral("Wi-Fi"));
    QVERIFY(!ctx.gateway && !ctx.proxyEnabled && !ctx.clashRunning && !ctx.proxyTargetAlive);
    QVERIFY(ctx.allServices.isEmpty() && ctx.clashPorts.isEmpty() && ctx.dnsServers.isEmpty());
    QVERIFY(ctx.utunIfaces.isEmpty() && ctx.vpnConfigured.isEmpty() && !ctx.hasIPv6);
}

void TestBuildContext::hostileValuesStayOneWord()
{
    Mac mac = typicalMac();
    mac[kRoute] = {
        0, QStringLiteral("    gateway: 192.168.1.1\n  interface: en0; touch /tmp/pwned\n")};
    mac[ipconfig(QStringLiteral("'en0; touch /tmp/pwned'"))] = {0,
                                                                QStringLiteral("192.168.1.23\n")};
    mac[ipv6(QStringLiteral("'en0; touch /tmp/pwned'"))] = {0, QString()};
    // Any program may write the proxy settings.
    setProxies(mac, QStringLiteral("Wi-Fi"),
               {proxyOn(QStringLiteral("127.0.0.1$(reboot)"), QStringLiteral("7890`id`")),
                QString(), QString(), QString(), kLocalBypass});
    mac.remove(nc(QStringLiteral("127.0.0.1"), QStringLiteral("7890")));
    mac[nc(QStringLiteral("'127.0.0.1$(reboot)'"), QStringLiteral("'7890`id`'"))] = {1, QString()};
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(ctx.iface, QStringLiteral("en0; touch /tmp/pwned"));
    QCOMPARE(ctx.proxyHost, QStringLiteral("127.0.0.1$(reboot)"));
    QCOMPARE(ctx.proxyPort, QStringLiteral("7890`id`"));
}

QTEST_GUILESS_MAIN(TestBuildContext)
#include "tst_buildcontext.moc"
