#include "diagnostics/diagnosticsrun.h"
#include "tests/support/scriptedrunner.h"
#include "tests/support/testdata.h"

#include <QMap>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kServices = QStringLiteral("networksetup -listallnetworkservices 2>/dev/null");
const QString kServiceOrder = QStringLiteral("networksetup -listnetworkserviceorder 2>/dev/null");
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

QString scopedRoute(const QString &ifaceWord)
{
    return QStringLiteral("route -n get -ifscope ") + ifaceWord +
           QStringLiteral(" default 2>/dev/null");
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
    return testData("networksetup/proxy-on-7890.txt")
        .replace(QStringLiteral("127.0.0.1"), host)
        .replace(QStringLiteral("7890"), port);
}

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
    const QString never = testData("networksetup/proxy-never-set.txt");
    setProxies(mac, service,
               {never, never, never, testData("networksetup/autoproxy-never-set.txt"),
                QStringLiteral("There aren't any bypass domains set on %1.\n").arg(service)});
}

Mac typicalMac()
{
    Mac mac;
    mac[kServices] = {0, testData("networksetup/services.txt")};
    mac[kServiceOrder] = {0, testData("networksetup/service-order.txt")};
    mac[kRoute] = {0, testData("route/default-en0.txt")};
    mac[ipconfig(QStringLiteral("en0"))] = {0, QStringLiteral("192.168.1.23\n")};
    mac[kHardwarePorts] = {0, testData("networksetup/hardware-ports.txt")};
    setProxiesOff(mac, QStringLiteral("USB 10/100/1000 LAN"));
    const QString on = proxyOn("127.0.0.1", "7890");
    setProxies(mac, QStringLiteral("Wi-Fi"),
               {on, on, on, testData("networksetup/autoproxy-never-set.txt"),
                testData("networksetup/bypass-local.txt")});
    setProxiesOff(mac, QStringLiteral("Thunderbolt Bridge"));
    mac[kPs] = {0, testData("ps/clashx.txt")};
    mac[kLsof] = {0, QStringLiteral("49152 7890 ")};
    mac[nc(QStringLiteral("127.0.0.1"), QStringLiteral("7890"))] = {0, QString()};
    mac[kDns] = {0, QStringLiteral("192.168.1.1\n223.5.5.5\n")};
    mac[ipv6(QStringLiteral("en0"))] = {0,
                                        QStringLiteral("240e:3b7:1234:5670:1c2d:3e4f:5a6b:7c8d\n")};
    mac[kTunnels] = {0, QStringLiteral("utun0\nutun1\nutun2\n")};
    mac[kVpn] = {0, testData("scutil/nc-list.txt")};
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
    void primaryInterface_data();
    void primaryInterface();
    void addressFallback();
    void proxySettingsAcrossServices();
    void proxyTarget();
    void proxyClients_data();
    void proxyClients();
    void silentMacLeavesDefaults();
};

void TestBuildContext::typicalMacInOrder()
{
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(typicalMac(), runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QStringList expected{kServices, kServiceOrder, kRoute, ipconfig(QStringLiteral("en0")),
                         kHardwarePorts};
    for (const QString &service :
         {QStringLiteral("'USB 10/100/1000 LAN'"), QStringLiteral("'Wi-Fi'"),
          QStringLiteral("'Thunderbolt Bridge'")}) {
        for (const QString &kind : kProxyQueries)
            expected << proxyQuery(kind, service);
    }
    expected << kPs << kLsof << nc(QStringLiteral("127.0.0.1"), QStringLiteral("7890")) << kDns
             << ipv6(QStringLiteral("en0")) << kTunnels << kVpn;
    QCOMPARE(runner->commands(), expected);

    QCOMPARE(
        (QStringList{ctx.iface, ctx.ip, ctx.gateway.value_or("-"), ctx.service, ctx.wifiPort,
                     ctx.proxyHost, ctx.proxyPort}),
        (QStringList{"en0", "192.168.1.23", "192.168.1.1", "Wi-Fi", "en0", "127.0.0.1", "7890"}));
    QVERIFY(ctx.proxyEnabled && ctx.clashRunning && ctx.proxyTargetAlive && ctx.hasIPv6);
    QCOMPARE(ctx.allServices, (QStringList{"USB 10/100/1000 LAN", "Wi-Fi", "Thunderbolt Bridge"}));
    QCOMPARE(ctx.proxyKinds, (QStringList{"HTTP", "HTTPS", "SOCKS"}));
    QCOMPARE(ctx.proxyServices, QStringList{"Wi-Fi"});
    QCOMPARE(ctx.bypassDomains, (QStringList{"127.0.0.1", "localhost", "*.local", "169.254/16"}));
    QCOMPARE(ctx.clashApps, QStringList{"ClashX"});
    QCOMPARE(ctx.clashPorts, (QStringList{"49152", "7890"}));
    QCOMPARE(ctx.dnsServers, (QStringList{"192.168.1.1", "223.5.5.5"}));
    QCOMPARE(ctx.utunIfaces, (QStringList{"utun0", "utun1", "utun2"}));
    QCOMPARE(ctx.vpnConfigured, QStringList{testData("scutil/nc-list.txt").trimmed()});
}

void TestBuildContext::primaryInterface_data()
{
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("order"); // the service order listing; null: the typical one
    QTest::addColumn<QString>("ports");
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("gateway"); // empty: absent
    QTest::addColumn<QString>("vpnIface");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("wifiPort");

    const QString wifiOnEn1 = QStringLiteral("Hardware Port: Ethernet\nDevice: en0\n\n"
                                             "Hardware Port: Wi-Fi\nDevice: en1\n");
    const QString ethernetOnEn0 =
        QStringLiteral("(*) Ethernet Old\n(Hardware Port: Ethernet, Device: en0)\n"
                       "(1) Ethernet\n(Hardware Port: Ethernet, Device: en0)\n"
                       "(2) Wi-Fi\n(Hardware Port: Wi-Fi, Device: en1)\n");
    QTest::newRow("gateway - is absent; the switched-on service of the device, wi-fi elsewhere")
        << u"    gateway: -\n  interface: en0\n"_s << ethernetOnEn0 << wifiOnEn1 << u"en0"_s
        << u""_s << u""_s << u"Ethernet"_s << u"en1"_s;
    QTest::newRow("second adapter of one kind: its service, not its port's name")
        << u"    gateway: 10.0.0.1\n  interface: en11\n"_s
        << u"(1) USB 10/100/1000 LAN\n(Hardware Port: USB 10/100/1000 LAN, Device: en7)\n\n"
           "(2) USB 10/100/1000 LAN 2\n(Hardware Port: USB 10/100/1000 LAN, Device: en11)\n"_s
        << wifiOnEn1 << u"en11"_s << u"10.0.0.1"_s << u""_s << u"USB 10/100/1000 LAN 2"_s
        << u"en1"_s;
    // en7 answers with the unscoped route, as a lookup that ignored the scope would.
    QTest::newRow("tunnel without a gateway line: the router of the link under it")
        << testData("route/default-ipsec0.txt") << QString() << wifiOnEn1 << u"en0"_s
        << u"192.168.1.1"_s << u"ipsec0"_s << u"Wi-Fi"_s << u"en1"_s;
    QTest::newRow("tunnel with no router under it: the first port with an address")
        << u"  interface: utun3\n"_s
        << u"(1) USB 10/100/1000 LAN\n(Hardware Port: USB 10/100/1000 LAN, Device: en7)\n"_s
        << wifiOnEn1 << u"en0"_s << u""_s << u"utun3"_s << u"USB 10/100/1000 LAN"_s << u"en1"_s;
    QTest::newRow("tunnel over no port with an address: the tunnel itself")
        << u"  interface: ppp0\n"_s << u""_s << wifiOnEn1 << u"ppp0"_s << u""_s << u"ppp0"_s
        << u"USB 10/100/1000 LAN"_s << u"en1"_s;
    QTest::newRow("older systems call it AirPort")
        << u"    gateway: 10.0.0.1\n  interface: en1\n"_s
        << u"(1) AirPort\n(Hardware Port: AirPort, Device: en1)\n"_s
        << u"Hardware Port: AirPort\nDevice: en1\n"_s << u"en1"_s << u"10.0.0.1"_s << u""_s
        << u"AirPort"_s << u"en1"_s;
}

void TestBuildContext::primaryInterface()
{
    QFETCH(QString, route);
    QFETCH(QString, order);
    QFETCH(QString, ports);
    QFETCH(QString, iface);
    QFETCH(QString, gateway);
    Mac mac = typicalMac();
    mac[kRoute] = {0, route};
    if (!order.isNull())
        mac[kServiceOrder] = {0, order};
    mac[kHardwarePorts] = {0, ports};
    mac[scopedRoute(QStringLiteral("en7"))] = {0, route};
    mac[scopedRoute(QStringLiteral("en0"))] = {0, testData("route/scoped-en0.txt")};
    if (iface.startsWith(QLatin1String("ppp"))) {
        for (const char *name : {"en0", "en1", "en2", "en3"})
            mac[ipconfig(QLatin1String(name))] = {1, QString()};
    }
    mac[ipconfig(iface)] = {0, QStringLiteral("10.0.0.23\n")};
    mac[ipv6(iface)] = {0, QString()};
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(ctx.iface, iface);
    QCOMPARE(ctx.ip, QStringLiteral("10.0.0.23"));
    QCOMPARE(ctx.gateway.value_or(QString()), gateway);
    QCOMPARE(ctx.gateway.has_value(), !gateway.isEmpty());
    QTEST(ctx.vpnIface, "vpnIface");
    QTEST(ctx.service, "service");
    QTEST(ctx.wifiPort, "wifiPort");
}

void TestBuildContext::addressFallback()
{
    // No default route: the first of en0…en3 with an address is the interface.
    Mac mac = typicalMac();
    mac[kRoute] = {1, QString()};
    for (const char *name : {"en0", "en2", "en3"})
        mac[ipconfig(QLatin1String(name))] = {1, QString()};
    mac[ipconfig(QStringLiteral("en1"))] = {0, QStringLiteral("192.168.5.7\n")};
    mac[ipv6(QStringLiteral("en1"))] = {0, QString()};
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(ctx.iface, QStringLiteral("en1"));
    QCOMPARE(ctx.ip, QStringLiteral("192.168.5.7"));
    QVERIFY(!ctx.gateway);
    QCOMPARE(runner->commands().mid(3, 3),
             (QStringList{ipconfig("en0"), ipconfig("en1"), kHardwarePorts}));
}

void TestBuildContext::proxySettingsAcrossServices()
{
    Mac mac = typicalMac();
    // Listed first: a SOCKS server without a port, a PAC and its own bypass list.
    setProxies(mac, QStringLiteral("USB 10/100/1000 LAN"),
               {testData("networksetup/proxy-never-set.txt"),
                testData("networksetup/proxy-never-set.txt"),
                QStringLiteral("Enabled: Yes\nServer: 10.0.0.8\n"),
                QStringLiteral("URL: http://10.0.0.5/x.pac\nEnabled: Yes\n"),
                QStringLiteral("*.corp.example\n")});
    // Switched off ("*Thunderbolt Bridge"): its proxy carries nothing.
    setProxies(mac, QStringLiteral("Thunderbolt Bridge"),
               {proxyOn("127.0.0.1", "7891"), testData("networksetup/proxy-never-set.txt"),
                testData("networksetup/proxy-never-set.txt"),
                testData("networksetup/autoproxy-never-set.txt"), QString()});
    std::shared_ptr<ScriptedRunner> runner;
    const NetContext ctx = snapshot(mac, runner);

    // The primary Wi-Fi is judged whole: no host of one service with the port of another.
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE((QStringList{ctx.proxyService, ctx.proxyServerKind, ctx.proxyHost, ctx.proxyPort,
                          ctx.proxyPacUrl, ctx.bypassDomains.value(0)}),
             (QStringList{"Wi-Fi", "HTTP", "127.0.0.1", "7890", "", "127.0.0.1"}));
    QCOMPARE(ctx.proxyServices, (QStringList{"USB 10/100/1000 LAN", "Wi-Fi"}));
    QCOMPARE(ctx.idleProxyServices, QStringList{"Thunderbolt Bridge"});
    // Without repeats and in text order: "自动代理(PAC)" sorts after the Latin labels.
    QCOMPARE(ctx.proxyKinds, (QStringList{"HTTP", "HTTPS", "SOCKS", "自动代理(PAC)"}));
}

void TestBuildContext::proxyTarget()
{
    // No host is probed on 127.0.0.1; no port means no probe at all.
    for (const bool withPort : {true, false}) {
        Mac mac = typicalMac();
        setProxies(mac, QStringLiteral("Wi-Fi"),
                   {withPort ? QStringLiteral("Enabled: Yes\nServer: \nPort: 1080\n")
                             : QStringLiteral("Enabled: Yes\nServer: 127.0.0.1\n"),
                    QString(), QString(), QString(), testData("networksetup/bypass-local.txt")});
        mac.remove(nc(QStringLiteral("127.0.0.1"), QStringLiteral("7890")));
        if (withPort)
            mac[nc(QStringLiteral("127.0.0.1"), QStringLiteral("1080"))] = {0, QString()};
        std::shared_ptr<ScriptedRunner> runner;
        const NetContext ctx = snapshot(mac, runner);
        VERIFY_ALL_SCRIPTED(*runner);
        QCOMPARE(ctx.proxyTargetAlive, withPort);
        QCOMPARE(runner->commands().filter(QRegularExpression(QStringLiteral("^nc "))).size(),
                 withPort ? 1 : 0);
    }
}

void TestBuildContext::proxyClients_data()
{
    QTest::addColumn<QString>("ps"); // a file under tests/data/ps
    QTest::addColumn<QStringList>("apps");

    QTest::newRow("helper and service processes in any case are skipped")
        << u"helpers-only.txt"_s << QStringList{};
    QTest::newRow("a Core process is listed as ClashX, once")
        << u"core-and-app.txt"_s << QStringList{"ClashX"};
    QTest::newRow("a path with a blank gives its first word; a bare pid is skipped")
        << u"blank-in-path.txt"_s << QStringList{"Clash"};
    QTest::newRow("order of discovery, no repeats")
        << u"repeats.txt"_s << QStringList{"mihomo", "sing-box"};
}

void TestBuildContext::proxyClients()
{
    QFETCH(QString, ps);
    QFETCH(QStringList, apps);
    Mac mac = typicalMac();
    mac[kPs] = {0, testData("ps/" + ps)};
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
    const QStringList commands{kServices,
                               kServiceOrder,
                               kRoute,
                               ipconfig("en0"),
                               ipconfig("en1"),
                               ipconfig("en2"),
                               ipconfig("en3"),
                               kHardwarePorts,
                               kPs,
                               kLsof,
                               kDns,
                               kTunnels,
                               kVpn};
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

QTEST_GUILESS_MAIN(TestBuildContext)
#include "tst_buildcontext.moc"
