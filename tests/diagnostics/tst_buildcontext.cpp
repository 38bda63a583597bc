#include "diagnostics/diagnosticsrun.h"
#include "tests/support/testdata.h"
#include "tests/support/toolanswers.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

const QStringList kProxyQueries{"webproxy", "securewebproxy", "socksfirewallproxy", "autoproxyurl",
                                "proxybypassdomains"};

QString setup(const QString &name)
{
    return testData("networksetup/" + name + ".txt");
}

void setProxies(ToolAnswers &mac, const QString &service, const QStringList &answers)
{
    for (qsizetype i = 0; i < kProxyQueries.size(); ++i)
        mac.on("networksetup -get" + kProxyQueries.at(i) + " '" + service + "'", 0,
               answers.value(i));
}

void setProxiesOff(ToolAnswers &mac, const QString &service)
{
    setProxies(mac, service,
               {setup("proxy-never-set"), setup("proxy-never-set"), setup("proxy-never-set"),
                setup("autoproxy-never-set"),
                QStringLiteral("There aren't any bypass domains set on %1.\n").arg(service)});
}

// Wi-Fi on en0 behind 192.168.1.1, ClashX running and set as the system proxy on Wi-Fi.
void typicalMac(ToolAnswers &mac)
{
    mac.on("networksetup -listallnetworkservices", 0, setup("services"))
        .on("networksetup -listnetworkserviceorder", 0, setup("service-order"))
        .on("route -n get default", 0, testData("route/default-en0.txt"))
        .on("ipconfig getifaddr en0", 0, "192.168.1.23\n")
        .on("networksetup -listallhardwareports", 0, setup("hardware-ports"))
        .on("ps -Ao pid=,comm=", 0, testData("ps/clashx.txt"))
        .on("lsof -nP -iTCP -sTCP:LISTEN", 0, "49152 7890 ")
        .on("nc -z -G 2 127.0.0.1 7890", 0, "")
        .on("scutil --dns", 0,
            "DNS configuration\n\nresolver #1\n  search domain[0] : lan\n"
            "  nameserver[0] : 192.168.1.1\n  nameserver[1] : 223.5.5.5\n"
            "  if_index : 6 (en0)\n  flags    : Request A records\n")
        .on("ifconfig en0", 0, "240e:3b7:1234:5670:1c2d:3e4f:5a6b:7c8d\n")
        .on("ifconfig -a", 0,
            testData("ifconfig/system-utuns-verbose.txt") + testData("ifconfig/ula-only-utun.txt"))
        .on("netstat -rn -f inet", 0, testData("netstat/no-tunnel.txt"))
        .on("scutil --nc list", 0, testData("scutil/nc-list.txt"));
    setProxiesOff(mac, QStringLiteral("USB 10/100/1000 LAN"));
    const QString on = setup("proxy-on-7890");
    setProxies(mac, QStringLiteral("Wi-Fi"),
               {on, on, on, setup("autoproxy-never-set"), setup("bypass-local")});
    setProxiesOff(mac, QStringLiteral("Thunderbolt Bridge"));
}

NetContext snapshot(const std::shared_ptr<ToolAnswers> &mac)
{
    ScopedRunner scope(mac);
    return DiagnosticsRun::buildContext();
}

} // namespace

class TestBuildContext : public QObject {
    Q_OBJECT

private slots:
    void typicalMacRead();
    void primaryInterface_data();
    void primaryInterface();
    void addressFallback();
    void proxySettingsAcrossServices();
    void proxyClients_data();
    void proxyClients();
    void silentMacLeavesDefaults();
};

void TestBuildContext::typicalMacRead()
{
    auto mac = std::make_shared<ToolAnswers>();
    typicalMac(*mac);
    const NetContext ctx = snapshot(mac);

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
    QCOMPARE(ctx.utunIfaces, QStringList{"utun10"}); // the system's utun4 and utun5 pass
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
    auto mac = std::make_shared<ToolAnswers>();
    typicalMac(*mac);
    mac->on("route -n get default", 0, route);
    if (!order.isNull())
        mac->on("networksetup -listnetworkserviceorder", 0, order);
    mac->on("networksetup -listallhardwareports", 0, ports);
    mac->on("route -n get -ifscope en7 default", 0, route);
    mac->on("route -n get -ifscope en0 default", 0, testData("route/scoped-en0.txt"));
    if (iface.startsWith(QLatin1String("ppp")))
        mac->on("ipconfig getifaddr en0", 1);
    mac->on("ipconfig getifaddr " + iface, 0, "10.0.0.23\n");
    mac->on("ifconfig " + iface, 0, "");
    const NetContext ctx = snapshot(mac);

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
    auto mac = std::make_shared<ToolAnswers>();
    typicalMac(*mac);
    mac->on("route -n get default", 1);
    mac->on("ipconfig getifaddr en0", 1);
    mac->on("ipconfig getifaddr en1", 0, "192.168.5.7\n");
    const NetContext ctx = snapshot(mac);

    QCOMPARE(ctx.iface, QStringLiteral("en1"));
    QCOMPARE(ctx.ip, QStringLiteral("192.168.5.7"));
    QVERIFY(!ctx.gateway);
    QCOMPARE(mac->asked().mid(3, 3),
             (QStringList{"ipconfig getifaddr en0", "ipconfig getifaddr en1",
                          "networksetup -listallhardwareports"}));
}

void TestBuildContext::proxySettingsAcrossServices()
{
    auto mac = std::make_shared<ToolAnswers>();
    typicalMac(*mac);
    // Listed first: a SOCKS server without a port, a PAC and its own bypass list.
    setProxies(*mac, QStringLiteral("USB 10/100/1000 LAN"),
               {setup("proxy-never-set"), setup("proxy-never-set"),
                QStringLiteral("Enabled: Yes\nServer: 10.0.0.8\n"),
                QStringLiteral("URL: http://10.0.0.5/x.pac\nEnabled: Yes\n"),
                QStringLiteral("*.corp.example\n")});
    // Switched off ("*Thunderbolt Bridge"): its proxy carries nothing.
    setProxies(*mac, QStringLiteral("Thunderbolt Bridge"),
               {setup("proxy-on-7890").replace("7890", "7891"), setup("proxy-never-set"),
                setup("proxy-never-set"), setup("autoproxy-never-set"), QString()});
    const NetContext ctx = snapshot(mac);

    // The primary Wi-Fi is judged whole: no host of one service with the port of another.
    QCOMPARE((QStringList{ctx.proxyService, ctx.proxyServerKind, ctx.proxyHost, ctx.proxyPort,
                          ctx.proxyPacUrl, ctx.bypassDomains.value(0)}),
             (QStringList{"Wi-Fi", "HTTP", "127.0.0.1", "7890", "", "127.0.0.1"}));
    QCOMPARE(ctx.proxyServices, (QStringList{"USB 10/100/1000 LAN", "Wi-Fi"}));
    QCOMPARE(ctx.idleProxyServices, QStringList{"Thunderbolt Bridge"});
    // Without repeats and in text order: "自动代理(PAC)" sorts after the Latin labels.
    QCOMPARE(ctx.proxyKinds, (QStringList{"HTTP", "HTTPS", "SOCKS", "自动代理(PAC)"}));
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
    auto mac = std::make_shared<ToolAnswers>();
    typicalMac(*mac);
    mac->on("ps -Ao pid=,comm=", 0, testData("ps/" + ps));
    const NetContext ctx = snapshot(mac);
    QCOMPARE(ctx.clashApps, apps);
    QCOMPARE(ctx.clashRunning, !apps.isEmpty());
}

void TestBuildContext::silentMacLeavesDefaults()
{
    // Every tool missing: nothing answers, and the defaults stay.
    auto mac = std::make_shared<ToolAnswers>();
    const NetContext ctx = snapshot(mac);

    QVERIFY(ctx.iface.isEmpty() && ctx.ip.isEmpty() && ctx.wifiPort.isEmpty());
    QCOMPARE(ctx.service, QStringLiteral("Wi-Fi"));
    QVERIFY(!ctx.gateway && !ctx.proxyEnabled && !ctx.clashRunning && !ctx.proxyTargetAlive);
    QVERIFY(ctx.allServices.isEmpty() && ctx.clashPorts.isEmpty() && ctx.dnsServers.isEmpty());
    QVERIFY(ctx.utunIfaces.isEmpty() && ctx.vpnConfigured.isEmpty() && !ctx.hasIPv6);
}

QTEST_GUILESS_MAIN(TestBuildContext)
#include "tst_buildcontext.moc"
