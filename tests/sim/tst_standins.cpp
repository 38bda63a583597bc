// The stand-ins' output goes through the project's own parsers: what a check would read on a
// real Mac, it reads on the simulated one.

#include "diagnostics/endpoints.h"
#include "exec/probes.h"
#include "exec/runner.h"
#include "exec/shell.h"
#include "model/netconfig.h"
#include "sim/simulatedmac.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Opens a scenario afresh with waits shortened tenfold.
std::optional<SimulatedMac> openFast(const QString &name)
{
    QString error;
    std::optional<SimulatedMac> mac = SimulatedMac::open(name, true, &error);
    if (!mac) {
        qWarning("%s", qPrintable(error));
        return mac;
    }
    mac->updateState([](QJsonObject &state) {
        state.insert("timeScale", 0.1);
        return true;
    });
    return mac;
}

} // namespace

class TestStandins : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void servicesAndProxyState();
    void setterIsSeenByTheNextQuery();
    void unknownServiceIsAnError();
    void pingSummaries_data();
    void pingSummaries();
    void httpProbes_data();
    void httpProbes();
    void slowUrlIsCutAtCurlsLimit();
    void curlForms_data();
    void curlForms();
    void snapshotPipelines_data();
    void snapshotPipelines();
    void clockDifferenceFromTheDateHeader_data();
    void clockDifferenceFromTheDateHeader();
    void adminPrompt_data();
    void adminPrompt();
    void launchAgentLoadAndUnload();
    void killallChangesOnlyTheScenario();

private:
    QTemporaryDir m_root;
};

void TestStandins::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", QFile::encodeName(m_root.path()));
}

void TestStandins::servicesAndProxyState()
{
    const auto mac = openFast("healthy");
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    QCOMPARE(NetConfig::allServices(),
             (QStringList{"Wi-Fi", "USB 10/100/1000 LAN", "Thunderbolt Bridge"}));
    const ProxyState wifi = NetConfig::proxyState("Wi-Fi");
    QVERIFY(wifi.enabled);
    QCOMPARE(wifi.kinds, (QStringList{"HTTP", "HTTPS", "SOCKS"}));
    QCOMPARE(wifi.host, QString("127.0.0.1"));
    QCOMPARE(wifi.port, QString("7890"));
    QVERIFY(!NetConfig::defaultBypassNeeded(wifi.bypass));

    // A never-configured service: "Server: " empty, "Port: 0", and the no-list sentence.
    const ProxyState bridge = NetConfig::proxyState("Thunderbolt Bridge");
    QVERIFY(!bridge.enabled);
    QCOMPARE(bridge.port, QString("0"));
    QCOMPARE(bridge.bypass,
             QStringList{"There aren't any bypass domains set on Thunderbolt Bridge."});
}

void TestStandins::setterIsSeenByTheNextQuery()
{
    const auto mac = openFast("healthy");
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    QCOMPARE(shell("networksetup -setwebproxystate 'Wi-Fi' off").code, 0);
    const QString proxy = shell("scutil --proxy").output;
    QVERIFY(proxy.contains("HTTPEnable : 0"));
    QVERIFY(proxy.contains("HTTPSEnable : 1"));
    QVERIFY(proxy.contains("HTTPProxy : 127.0.0.1")); // host and port stay after "off"

    for (const QString &command : NetConfig::disableProxyCommands("USB 10/100/1000 LAN"))
        QCOMPARE(shell(command).code, 0);
    QVERIFY(!NetConfig::proxyState("USB 10/100/1000 LAN").enabled);

    for (const QString &command :
         NetConfig::enableProxyCommands("Thunderbolt Bridge", "127.0.0.1", "7891"))
        QCOMPARE(shell(command).code, 0);
    const ProxyState bridge = NetConfig::proxyState("Thunderbolt Bridge");
    QCOMPARE(bridge.kinds, (QStringList{"HTTP", "HTTPS", "SOCKS"}));
    QCOMPARE(bridge.port, QString("7891"));
    QCOMPARE(bridge.bypass, (QStringList{"127.0.0.1", "localhost", "*.local", "10.0.0.0/8",
                                         "172.16.0.0/12", "192.168.0.0/16"}));

    QCOMPARE(shell("networksetup -setdnsservers 'Wi-Fi' 223.5.5.5 119.29.29.29").code, 0);
    QCOMPARE(shell("scutil --dns | awk '/nameserver/ {print $3}' | sort -u").output,
             QString("119.29.29.29\n223.5.5.5\n"));
    QCOMPARE(shell("networksetup -setv6off 'Wi-Fi'").code, 0);
    QCOMPARE(shell("ifconfig en0 2>/dev/null | awk '/inet6/ {print $2}' | grep -v '^fe80' | "
                   "grep -E '^[23]' | head -1")
                 .output,
             QString());
    QCOMPARE(shell("networksetup -setairportpower en0 off").code, 0);
    QCOMPARE(shell("route -n get default 2>/dev/null").code, 1);
    QCOMPARE(shell("ipconfig getifaddr en0").code, 1);
}

void TestStandins::unknownServiceIsAnError()
{
    const auto mac = openFast("healthy");
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const ShellResult result = shell("networksetup -setwebproxystate 'Ethernet 2' off");
    QVERIFY(result.code != 0);
    QVERIFY(result.output.contains("Ethernet 2 is not a recognized network service."));
    QVERIFY(!NetConfig::proxyState("Ethernet 2").enabled);
}

void TestStandins::pingSummaries_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("loss");
    QTest::addColumn<bool>("hasRtt");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("public resolver answers")
        << "healthy"
        << "ping -c 5 -t 4 223.5.5.5" << 0 << 0.0 << true << "5 packets received";
    QTest::newRow("gateway drops ping")
        << "gateway-icmp-filtered"
        << "ping -c 3 -t 4 192.168.1.1" << 2 << 100.0 << false << "Request timeout";
    QTest::newRow("no route") << "offline"
                              << "ping -c 2 -t 4 1.1.1.1" << 2 << 100.0 << false
                              << "No route to host";
    QTest::newRow("portal drops ping")
        << "captive-portal"
        << "ping -c 1 -t 3 223.5.5.5" << 2 << 100.0 << false << "0 packets received";
    QTest::newRow("unknown host") << "healthy"
                                  << "ping -c 1 -t 3 no-such.invalid" << 68 << 100.0 << false
                                  << "Unknown host";
    QTest::newRow("1500-byte packet over a 1400 path")
        << "mtu-issue"
        << "ping -c 1 -t 4 -D -s 1472 223.5.5.5" << 2 << 100.0 << false
        << "ping: sendto: Message too long";
    QTest::newRow("1400-byte packet over a 1400 path")
        << "mtu-issue"
        << "ping -c 1 -t 4 -D -s 1372 223.5.5.5" << 0 << 0.0 << true << "1380 bytes from 223.5.5.5";
}

void TestStandins::pingSummaries()
{
    QFETCH(QString, scenario);
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(double, loss);
    QFETCH(bool, hasRtt);
    QFETCH(QString, mentions);
    const auto mac = openFast(scenario);
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const ShellResult result = shell(command);
    QCOMPARE(result.code, code);
    QCOMPARE(packetLoss(result.output), loss);
    QCOMPARE(avgRTT(result.output) != QLatin1String("-"), hasRtt);
    QVERIFY2(result.output.contains(mentions), qPrintable(result.output));
}

void TestStandins::httpProbes_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("proxy");
    QTest::addColumn<QString>("code");

    QTest::newRow("anonymous API call answers 401")
        << "healthy" << Endpoints::kAnthropicUrl << QString() << "401";
    QTest::newRow("through the live proxy")
        << "healthy" << Endpoints::kOpenAIUrl << "127.0.0.1:7890"
        << "401";
    QTest::newRow("blocked directly")
        << "direct-only" << Endpoints::kAnthropicUrl << QString() << "000";
    QTest::newRow("dead proxy port")
        << "residual-proxy" << Endpoints::kDeepSeekUrl << "127.0.0.1:7890"
        << "000";
    QTest::newRow("direct beside a dead proxy")
        << "residual-proxy" << Endpoints::kDeepSeekUrl << QString() << "404";
    QTest::newRow("poisoned DNS") << "dns-poisoned" << Endpoints::kAnthropicUrl << QString()
                                  << "000";
    QTest::newRow("poisoned DNS, proxy resolves remotely")
        << "dns-poisoned" << Endpoints::kAnthropicUrl << "127.0.0.1:7890"
        << "401";
    QTest::newRow("hosts file pin")
        << "hosts-hijack" << Endpoints::kOpenAIUrl << QString() << "000";
    QTest::newRow("portal breaks TLS")
        << "captive-portal" << Endpoints::kHttpsTestUrl << QString() << "000";
    QTest::newRow("offline") << "offline" << Endpoints::kHttpsTestUrl << QString() << "000";
}

void TestStandins::httpProbes()
{
    QFETCH(QString, scenario);
    QFETCH(QString, url);
    QFETCH(QString, proxy);
    QFETCH(QString, code);
    const auto mac = openFast(scenario);
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const HttpProbeResult result =
        httpProbe(url, proxy.isEmpty() ? std::nullopt : std::optional<QString>(proxy), 6);
    QCOMPARE(result.code, code);
    QCOMPARE(result.ok, code != QLatin1String("000"));
}

void TestStandins::slowUrlIsCutAtCurlsLimit()
{
    const auto mac = openFast("healthy");
    QVERIFY(mac);
    mac->updateState([](QJsonObject &state) {
        QJsonObject remote = state.value("remote").toObject();
        QJsonObject site = remote.value("api.deepseek.com").toObject();
        site.insert("direct", QJsonObject{{"status", 200}, {"time", 0.2}, {"slow", 10}});
        remote.insert("api.deepseek.com", site);
        state.insert("remote", remote);
        return true;
    });
    ScopedRunner scope(mac->makeRunner());
    const ShellResult result =
        shell(httpProbeCommand(Endpoints::kDeepSeekUrl, std::nullopt, 6), 10);
    QCOMPARE(result.code, 28);
    QVERIFY2(result.output.startsWith("000 6.00"), qPrintable(result.output));
    const HttpProbeResult probe = httpProbe(Endpoints::kDeepSeekUrl, std::nullopt, 6);
    QCOMPARE(probe.code, QString("000"));
    QVERIFY(probe.ms >= 6000);
}

void TestStandins::curlForms_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("pattern"); // a regular expression the output must match

    QTest::newRow("headers with CR LF and a date")
        << "healthy"
        << "curl -sI -m 8 https://www.apple.com" << 0
        << "^HTTP/2 200 \\r\\ndate: \\w{3}, \\d{2} \\w{3} \\d{4} \\d{2}:\\d{2}:\\d{2} GMT\\r\\n";
    QTest::newRow("headers through the proxy")
        << "healthy"
        << "curl -sI -m 8 -x http://127.0.0.1:7890 https://www.apple.com" << 0
        << "^HTTP/1.1 200 Connection established\\r\\n\\r\\nHTTP/2 200";
    QTest::newRow("range of a download")
        << "healthy"
        << "curl -s -m 15 -o /dev/null -w '%{size_download}' -r 0-400000 "
           "'https://mirrors.aliyun.com/ubuntu/ls-lR.gz'"
        << 0 << "^400001$";
    QTest::newRow("download stalls behind a path-MTU black hole")
        << "mtu-issue"
        << "curl -s -m 15 -o /dev/null -w '%{size_download}' -r 0-400000 "
           "'https://speed.cloudflare.com/__down?bytes=400000'"
        << 28 << "^\\d{1,4}$";
    QTest::newRow("IPv6 works") << "healthy"
                                << "curl -6 -s -m 8 -o /dev/null -w '%{http_code}' "
                                   "https://ipv6.google.com"
                                << 0 << "^200$";
    QTest::newRow("IPv6 broken") << "ipv6-broken"
                                 << "curl -6 -s -m 8 -o /dev/null -w '%{http_code}' "
                                    "https://ipv6.google.com"
                                 << 28 << "^000$";
    QTest::newRow("IPv6-only host over IPv4")
        << "healthy"
        << "curl -s -o /dev/null -w '%{http_code}' https://ipv6.google.com" << 6 << "^000$";
    QTest::newRow("unknown proxy host")
        << "healthy"
        << "curl -s -o /dev/null -w '%{http_code}' -x http://proxy.invalid:8080 "
           "https://www.apple.com"
        << 5 << "^000$";
    QTest::newRow("portal page instead of Success")
        << "captive-portal"
        << "curl -s -m 6 -L http://captive.apple.com/hotspot-detect.html | head -5" << 0 << "Login";
    QTest::newRow("search page followed and timed")
        << "healthy"
        << "curl -sL -o /dev/null -m 12 -w '%{http_code} %{time_total}' -A 'Mozilla/5.0 "
           "(Macintosh)' "
           "--noproxy '*' 'https://www.bing.com/search?q=internet+connection+test'"
        << 0 << "^200 0\\.\\d{6}$";
    QTest::newRow("error shown without -s")
        << "offline"
        << "curl -m 3 https://www.apple.com" << 6 << "curl: \\(6\\) Could not resolve host";
}

void TestStandins::curlForms()
{
    QFETCH(QString, scenario);
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(QString, pattern);
    const auto mac = openFast(scenario);
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const ShellResult result = shell(command);
    // A pipeline's code is that of its last command.
    if (!command.contains('|'))
        QCOMPARE(result.code, code);
    QVERIFY2(QRegularExpression(pattern).match(result.output).hasMatch(),
             qPrintable(result.output));
}

void TestStandins::snapshotPipelines_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("output");

    const QString ports = "lsof -nP -iTCP -sTCP:LISTEN 2>/dev/null | awk '{print $9}' | grep -E "
                          "':[0-9]+$' | sed -E 's/.*:([0-9]+)$/\\1/' | sort -u | tr '\\n' ' '";
    const QString clients =
        "ps -Ao pid=,comm= 2>/dev/null | grep -i -E "
        "'clash|mihomo|surge|stash|verge|quantumult|sing-box|v2ray|xray|trojan' "
        "| grep -v grep 2>/dev/null";
    const QString tunnels =
        "ifconfig -l 2>/dev/null | tr ' ' '\\n' | grep -E '^utun|^ipsec|^ppp' | "
        "head -6";
    const QString vpns =
        "scutil --nc list 2>/dev/null | grep -E '\\(Connected\\)|\\(Disconnected\\)' "
        "| head -5";
    QTest::newRow("listening ports") << "healthy" << ports << "49152 5000 7000 7890 7891 9090 ";
    QTest::newRow("proxy core dead") << "proxy-port-dead" << ports << "49152 5000 7000 9090 ";
    QTest::newRow("proxy clients")
        << "healthy" << clients
        << " 1234 /Applications/ClashX.app/Contents/MacOS/ClashX\n"
           " 1240 "
           "/Applications/ClashX.app/Contents/MacOS/com.west2online.ClashX.ProxyConfigHelper\n";
    QTest::newRow("no tunnels") << "healthy" << tunnels << "";
    QTest::newRow("tunnels") << "vpn-leftover" << tunnels << "utun0\nutun1\nutun2\nutun3\n";
    QTest::newRow("disconnected VPN") << "vpn-leftover" << vpns + " | grep -c Disconnected"
                                      << "2\n";
    QTest::newRow("no address, no route")
        << "offline"
        << "route -n get default 2>/dev/null; ipconfig getifaddr en0 2>/dev/null"
        << "";
    QTest::newRow("self-assigned address") << "self-assigned-ip"
                                           << "ipconfig getifaddr en0 2>/dev/null"
                                           << "169.254.23.45\n";
    QTest::newRow("primary service")
        << "healthy"
        << "networksetup -listallhardwareports 2>/dev/null | grep -A1 'Hardware Port: Wi-Fi'"
        << "Hardware Port: Wi-Fi\nDevice: en0\n";
    QTest::newRow("gateway ARP") << "gateway-icmp-filtered"
                                 << "arp -n 192.168.1.1 2>/dev/null | grep -c ' at '"
                                 << "1\n";
    QTest::newRow("poisoned answer")
        << "dns-poisoned"
        << "dig +short +time=3 +tries=1 api.anthropic.com 2>/dev/null | head -3"
        << "0.0.0.0\n";
    QTest::newRow("Wi-Fi signal")
        << "weak-wifi"
        << "system_profiler SPAirPortDataType 2>/dev/null | awk '/Current Network "
           "Information:/{f=1} f&&/Signal \\/ Noise|PHY Mode|Channel:/{print}' | head -6 | head -3"
        << "              PHY Mode: 802.11n\n              Channel: 11 (2GHz, 20MHz)\n"
           "              Signal / Noise: -80 dBm / -90 dBm\n";
}

void TestStandins::snapshotPipelines()
{
    QFETCH(QString, scenario);
    QFETCH(QString, command);
    QFETCH(QString, output);
    const auto mac = openFast(scenario);
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    QCOMPARE(shell(command).output, output);
}

void TestStandins::clockDifferenceFromTheDateHeader_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("skew");
    QTest::newRow("clock right") << "healthy" << 0;
    QTest::newRow("clock an hour ahead") << "clock-skew" << 3600;
}

void TestStandins::clockDifferenceFromTheDateHeader()
{
    QFETCH(QString, scenario);
    QFETCH(int, skew);
    const auto mac = openFast(scenario);
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const QString header =
        shell("curl -sI -m 8 " + Endpoints::kHttpsTestUrl +
              " 2>/dev/null | awk -F': ' 'tolower($1)==\"date\"{print $2}' | tr -d '\\r'")
            .output.trimmed();
    QVERIFY(header.endsWith(" GMT"));
    const QString difference =
        shell("srv=$(date -j -u -f '%a, %d %b %Y %T GMT' " + shellQuote(header) +
              " +%s 2>/dev/null); now=$(date -u +%s); echo $(( now - srv ))")
            .output.trimmed();
    bool ok = false;
    const int seconds = difference.toInt(&ok);
    QVERIFY2(ok, qPrintable(difference));
    // The header and "now" are read a moment apart and may straddle a second.
    QVERIFY2(seconds >= skew && seconds <= skew + 2, qPrintable(difference));

    const ShellResult bad = shell("date -j -u -f '%a, %d %b %Y %T GMT' 'yesterday' +%s");
    QCOMPARE(bad.code, 1);
    QVERIFY(bad.output.contains("date: illegal time format"));
}

void TestStandins::adminPrompt_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("output");

    QTest::newRow("accepted") << "healthy"
                              << QStringList{"echo \"quoted\\\\path\"",
                                             "networksetup -setv6off 'Wi-Fi'"}
                              << 0 << "quoted\\path";
    QTest::newRow("script fails") << "healthy" << QStringList{"ls /no/such/dir"} << 1
                                  << "execution error:";
    QTest::newRow("cancelled") << "admin-cancel" << QStringList{"networksetup -setv6off 'Wi-Fi'"}
                               << 1 << "0:56: execution error: User canceled. (-128)";
}

void TestStandins::adminPrompt()
{
    QFETCH(QString, scenario);
    QFETCH(QStringList, commands);
    QFETCH(int, code);
    QFETCH(QString, output);
    const auto mac = openFast(scenario);
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const ShellResult result = runAsAdmin(commands);
    QCOMPARE(result.code, code);
    QVERIFY2(result.output.contains(output), qPrintable(result.output));
    const QJsonObject state = mac->state();
    const QString ipv6 =
        state.value("services").toObject().value("Wi-Fi").toObject().value("ipv6").toString();
    QCOMPARE(ipv6 == "off", code == 0);
    QCOMPARE(state.value("admin").toObject().value("prompts").toInt(), 1);
}

void TestStandins::launchAgentLoadAndUnload()
{
    const auto mac = openFast("healthy");
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const QString plist = mac->home() + "/Library/LaunchAgents/com.example.test.plist";
    QVERIFY(QDir().mkpath(QFileInfo(plist).absolutePath()));
    QFile file(plist);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
               "    <key>Label</key><string>com.example.test</string>\n</dict>\n</plist>");
    file.close();
    const QString listed = "launchctl list 2>/dev/null | grep -c 'com.example.test'";
    QCOMPARE(shell(listed).code, 1);
    QCOMPARE(shell("launchctl load -w " + shellQuote(plist) + " 2>&1").code, 0);
    QCOMPARE(shell(listed).code, 0);
    QCOMPARE(shell("launchctl unload -w " + shellQuote(plist) + " 2>/dev/null").code, 0);
    QCOMPARE(shell(listed).code, 1);

    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not a property list");
    file.close();
    const ShellResult bad = shell("launchctl load -w " + shellQuote(plist) + " 2>&1");
    QCOMPARE(bad.code, 5);
    QCOMPARE(bad.output, QString("Load failed: 5: Input/output error\n"));
}

void TestStandins::killallChangesOnlyTheScenario()
{
    const auto mac = openFast("healthy");
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const QString client = "ps -Ao comm= 2>/dev/null | grep -i -E 'clash' | grep -v grep | head -1";
    QVERIFY(!shell(client).output.trimmed().isEmpty());
    QCOMPARE(shell("nc -z -G 1 127.0.0.1 7890 2>/dev/null").code, 0);

    // mDNSResponder is not the user's: only an administrator may signal it.
    QCOMPARE(shell("killall -HUP mDNSResponder").code, 1);
    QCOMPARE(runAsAdmin({"killall -HUP mDNSResponder"}).code, 0);

    QCOMPARE(shell("killall ClashX").code, 0);
    QCOMPARE(shell("nc -z -G 1 127.0.0.1 7890 2>/dev/null").code, 1);
    QVERIFY(shell("ps -Ao pid=,comm=").output.contains("ProxyConfigHelper")); // root's helper
    QCOMPARE(shell("killall ClashX").code, 1);
}

QTEST_GUILESS_MAIN(TestStandins)
#include "tst_standins.moc"
