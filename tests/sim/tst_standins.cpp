// What the whole-scan tests cannot see of the stand-ins: a setter's change read by the next
// query, curl's time limit, the password prompt, launchctl and BSD date; and, for the tools
// whose output format the parsers depend on most, that the project's own parser reads it.

#include "diagnostics/endpoints.h"
#include "diagnostics/netverify.h"
#include "exec/probes.h"
#include "exec/runner.h"
#include "exec/shell.h"
#include "model/netconfig.h"
#include "sim/simulatedmac.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

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
    void proxySettingsThroughParsers();
    void setterIsSeenByTheNextQuery();
    void pingThroughParsers_data();
    void pingThroughParsers();
    void slowUrlIsCutAtCurlsLimit();
    void bsdDateReadsTheDateHeader();
    void adminPrompt_data();
    void adminPrompt();
    void launchAgentLoadAndUnload();

private:
    QTemporaryDir m_root;
};

void TestStandins::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", QFile::encodeName(m_root.path()));
}

void TestStandins::proxySettingsThroughParsers()
{
    const auto mac = openFast("healthy");
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    QCOMPARE(NetConfig::allServices(),
             (QStringList{"Wi-Fi", "USB 10/100/1000 LAN", "Thunderbolt Bridge"}));
    const ProxyState wifi = NetConfig::proxyState("Wi-Fi");
    QVERIFY(wifi.enabled);
    QCOMPARE(wifi.kinds, (QStringList{"HTTP", "HTTPS", "SOCKS"}));
    QCOMPARE(wifi.host + ":" + wifi.port, QString("127.0.0.1:7890"));

    // A never-configured service: "Server: " empty, "Port: 0", "URL: (null)" and the no-list
    // sentence; none of it names a proxy.
    const ProxyState bridge = NetConfig::proxyState("Thunderbolt Bridge");
    QVERIFY(!bridge.enabled);
    QCOMPARE(bridge.host + bridge.port + bridge.pacUrl, QString());
    QCOMPARE(bridge.bypass,
             QStringList{"There aren't any bypass domains set on Thunderbolt Bridge."});

    const NetVerify::SystemProxy system = NetVerify::systemProxy();
    QVERIFY(system.enabled);
    QCOMPARE(system.addr, QString("127.0.0.1:7890"));
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
    QVERIFY(!NetConfig::defaultBypassNeeded(bridge.bypass));

    QCOMPARE(shell("networksetup -setdnsservers 'Wi-Fi' 223.5.5.5 119.29.29.29").code, 0);
    QCOMPARE(shell("scutil --dns | awk '/nameserver/ {print $3}' | sort -u").output,
             QString("119.29.29.29\n223.5.5.5\n"));
    QCOMPARE(shell("networksetup -setairportpower en0 off").code, 0);
    QCOMPARE(shell("route -n get default 2>/dev/null").code, 1);

    const ShellResult unknown = shell("networksetup -setwebproxystate 'Ethernet 2' off");
    QVERIFY(unknown.code != 0);
    QVERIFY(unknown.output.contains("Ethernet 2 is not a recognized network service."));
}

void TestStandins::pingThroughParsers_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("loss");
    QTest::addColumn<bool>("hasRtt");

    QTest::newRow("answers") << u"healthy"_s << u"ping -c 5 -t 4 223.5.5.5"_s << 0 << 0.0 << true;
    QTest::newRow("timeouts") << u"gateway-icmp-filtered"_s << u"ping -c 3 -t 4 192.168.1.1"_s << 2
                              << 100.0 << false;
    QTest::newRow("unknown host") << u"healthy"_s << u"ping -c 1 -t 3 no-such.invalid"_s << 68
                                  << 100.0 << false;
}

void TestStandins::pingThroughParsers()
{
    QFETCH(QString, scenario);
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(double, loss);
    QFETCH(bool, hasRtt);
    const auto mac = openFast(scenario);
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const ShellResult result = shell(command);
    QCOMPARE(result.code, code);
    QCOMPARE(packetLoss(result.output), loss);
    QCOMPARE(avgRTT(result.output) != QLatin1String("-"), hasRtt);
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
}

void TestStandins::bsdDateReadsTheDateHeader()
{
    const auto mac = openFast("clock-skew");
    QVERIFY(mac);
    ScopedRunner scope(mac->makeRunner());
    const QString header =
        shell("curl -sI -m 8 " + Endpoints::kHttpsTestUrl +
              " 2>/dev/null | awk -F': ' 'tolower($1)==\"date\"{print $2}' | tr -d '\\r'")
            .output.trimmed();
    const QString difference =
        shell("srv=$(date -j -u -f '%a, %d %b %Y %T GMT' " + shellQuote(header) +
              " +%s 2>/dev/null); now=$(date -u +%s); echo $(( now - srv ))")
            .output.trimmed();
    bool ok = false;
    const int seconds = difference.toInt(&ok);
    QVERIFY2(ok, qPrintable(difference));
    // The scenario's clock is an hour ahead; header and "now" may straddle a second.
    QVERIFY2(seconds >= 3600 && seconds <= 3602, qPrintable(difference));

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

    QTest::newRow("accepted") << u"healthy"_s
                              << QStringList{"echo \"quoted\\\\path\"",
                                             "networksetup -setv6off 'Wi-Fi'"}
                              << 0 << u"quoted\\path"_s;
    QTest::newRow("script fails") << u"healthy"_s << QStringList{"ls /no/such/dir"} << 1
                                  << u"execution error:"_s;
    QTest::newRow("cancelled") << u"admin-cancel"_s << QStringList{"networksetup -setv6off 'Wi-Fi'"}
                               << 1 << u"0:56: execution error: User canceled. (-128)"_s;
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
               "    <key>Label</key><string>com.example.test</string>\n"
               "    <key>ProgramArguments</key><array><string>/bin/true</string></array>\n"
               "</dict>\n</plist>");
    file.close();
    const QString listed = "launchctl list 2>/dev/null | grep -c 'com.example.test'";
    QCOMPARE(shell(listed).code, 1);
    QCOMPARE(shell("launchctl load -w " + shellQuote(plist) + " 2>&1").code, 0);
    QCOMPARE(shell(listed).code, 0);
    QCOMPARE(shell("launchctl unload -w " + shellQuote(plist) + " 2>/dev/null").code, 0);
    QCOMPARE(shell(listed).code, 1);

    // Recent macOS refuses a file that is not well-formed and still exits 0.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("<plist version=\"1.0\"><dict><key>Label</key><string>com.example.test</string>"
               "<key>ProgramArguments</key><array><string>/a\x01b</string></array></dict></plist>");
    file.close();
    const ShellResult bad = shell("launchctl load -w " + shellQuote(plist) + " 2>&1");
    QCOMPARE(bad.code, 0);
    QCOMPARE(bad.output, QString("Load failed: 5: Input/output error\n"));
    QCOMPARE(shell(listed).code, 1);
}

QTEST_GUILESS_MAIN(TestStandins)
#include "tst_standins.moc"
