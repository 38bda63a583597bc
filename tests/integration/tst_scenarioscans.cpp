#include "exec/shell.h"
#include "model/netconfig.h"
#include "repair/fixengine.h"
#include "tests/integration/scanonsim.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <QTemporaryDir>
#include <QTest>

class TestScenarioScans : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void scenarioGivesItsFinding_data();
    void scenarioGivesItsFinding();
    void hostsFileAsItIs_data();
    void hostsFileAsItIs();
    void healthyMacHasNoProblem();
    void dnsRepairAddressesTheAdapterInUse();
    void residualProxyRepairCoversEveryService();
    void aiProbesRunSideBySide();
    void hostileValuesNeverRun();

private:
    QTemporaryDir m_root;
};

void TestScenarioScans::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    // Pings and transfers keep their printed times but wait a tenth as long.
    qputenv("BREVIK_SIM_TIME_SCALE", "0.1");
}

void TestScenarioScans::scenarioGivesItsFinding_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QStringList>("expected"); // "!id": that finding must not appear
    QTest::newRow("residual proxy") << "residual-proxy" << QStringList{"proxy-dead-crash"};
    QTest::newRow("offline") << "offline" << QStringList{"no-interface", "no-gateway"};
    QTest::newRow("dns poisoned") << "dns-poisoned" << QStringList{"dns-poisoned"};
    QTest::newRow("captive portal") << "captive-portal" << QStringList{"captive-portal"};
    QTest::newRow("clock skew") << "clock-skew" << QStringList{"clock-skew"};
    QTest::newRow("hosts hijack") << "hosts-hijack" << QStringList{"hosts-hijack"};
    QTest::newRow("hosts blocklist") << "hosts-blocklist" << QStringList{"hosts-hijack"};
    QTest::newRow("stale shell proxy") << "stale-shell-proxy" << QStringList{"shell-proxy-stale"};
    QTest::newRow("mtu issue") << "mtu-issue" << QStringList{"mtu-issue"};
    QTest::newRow("weak wifi") << "weak-wifi" << QStringList{"wifi-weak"};
    QTest::newRow("ipv6 broken") << "ipv6-broken" << QStringList{"ipv6-unreachable"};
    QTest::newRow("vpn leftover") << "vpn-leftover" << QStringList{"vpn-leftover"};
    QTest::newRow("self-assigned ip") << "self-assigned-ip" << QStringList{"self-assigned-ip"};
    QTest::newRow("gateway filters icmp")
        << "gateway-icmp-filtered" << QStringList{"gateway-icmp-filtered"};
    QTest::newRow("direct only") << "direct-only"
                                 << QStringList{"proxy-off", "ai-direct-only", "web-access"};
    QTest::newRow("client without system proxy")
        << "client-no-system-proxy" << QStringList{"proxy-off-but-running"};
    QTest::newRow("proxy port dead") << "proxy-port-dead" << QStringList{"proxy-port-dead"};
    QTest::newRow("working socks-only proxy")
        << "socks-only-proxy" << QStringList{"proxy-ok", "ai-ok"};
    QTest::newRow("working https-only proxy")
        << "https-only-proxy" << QStringList{"proxy-ok", "ai-ok"};
    QTest::newRow("local pac answers") << "pac-local" << QStringList{"proxy-ok"};
    QTest::newRow("local pac, nothing listens") << "pac-dead" << QStringList{"proxy-dead-crash"};
    QTest::newRow("office proxy out of reach")
        << "company-proxy-dead" << QStringList{"proxy-remote-dead", "web-access"};
    QTest::newRow("residual proxy, client's helper still runs")
        << "residual-proxy-helper" << QStringList{"proxy-dead-crash"};
    QTest::newRow("custom bypass list")
        << "custom-bypass" << QStringList{"proxy-ok", "proxy-bypass"};
    QTest::newRow("proxy left on a switched-off service")
        << "idle-service-proxy" << QStringList{"proxy-off"};
    QTest::newRow("hung router, its arp entry incomplete")
        << "dead-router" << QStringList{"gateway-down", "internet-down", "!gateway-icmp-filtered"};
    // The router under the tunnel is probed, and the tunnel's MTU is the one measured.
    QTest::newRow("ipsec vpn holds the default route")
        << "ipsec-vpn" << QStringList{"iface-ok", "gateway-ok", "mtu-tuned", "!no-gateway"};
    QTest::newRow("second usb adapter in use")
        << "two-usb-adapters" << QStringList{"dns-resolve-fail", "service-order"};
}

void TestScenarioScans::scenarioGivesItsFinding()
{
    QFETCH(QString, scenario);
    QFETCH(QStringList, expected);
    QString error;
    const auto mac = SimulatedMac::open(scenario, true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome outcome = scanOn(*mac);
    const QStringList ids = outcome.ids();
    for (const QString &id : expected) {
        const bool absent = id.startsWith(QLatin1Char('!'));
        QVERIFY2(ids.contains(id.mid(absent ? 1 : 0)) != absent,
                 qPrintable(scenario + ": " + id + " against " + ids.join(", ")));
    }
}

void TestScenarioScans::hostsFileAsItIs_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QByteArray>("hosts"); // written over the scenario's file when not empty
    QTest::addColumn<int>("listed");       // suspicious lines in the finding
    const QByteArray hijack = "0.0.0.0 api.openai.com\n";
    QTest::newRow("a NUL byte before the hijack")
        << "healthy" << QByteArray("10.0.0.2 nas.lan\0 nas\n", 22) + hijack << 1;
    QTest::newRow("bytes that are not UTF-8 before the hijack")
        << "healthy"
        << "10.0.0.2 nas-\xff\xfe.lan\n" + hijack << 1;
    QTest::newRow("100,000 blocked names") << "hosts-blocklist" << QByteArray() << 100000;
}

void TestScenarioScans::hostsFileAsItIs()
{
    QFETCH(QString, scenario);
    QFETCH(QByteArray, hosts);
    QFETCH(int, listed);
    QString error;
    const auto mac = SimulatedMac::open(scenario, true, &error);
    QVERIFY2(mac, qPrintable(error));
    if (!hosts.isEmpty()) {
        QFile file(mac->hostsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(hosts);
    }
    OnSimulatedMac on(*mac);
    DiagnosticsRun run;
    const QList<Finding> findings = run.checkHosts();
    QCOMPARE(findings.first().id, QStringLiteral("hosts-hijack"));
    // The detail: one line of text, then the suspicious lines.
    QCOMPARE(findings.first().detail.count(QLatin1Char('\n')), listed);
}

void TestScenarioScans::healthyMacHasNoProblem()
{
    QString error;
    const auto mac = SimulatedMac::open(QStringLiteral("healthy"), true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome outcome = scanOn(*mac);
    QStringList problems;
    for (const Finding &finding : outcome.findings) {
        if (finding.isProblem())
            problems << finding.id + ": " + finding.title;
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    // Ten steps ran: the scan ends with the end-to-end verdict.
    QCOMPARE(outcome.findings.last().id, QStringLiteral("web-access"));
    QVERIFY(outcome.ids().contains(QStringLiteral("proxy-ok")));
    QVERIFY(outcome.ids().contains(QStringLiteral("ai-ok")));
}

void TestScenarioScans::dnsRepairAddressesTheAdapterInUse()
{
    // Both adapters' services share the hardware port "USB 10/100/1000 LAN"; the DNS repair
    // must rewrite the one in use, "… 2", and leave the idle one alone.
    QString error;
    const auto mac = SimulatedMac::open(QStringLiteral("two-usb-adapters"), true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome before = scanOn(*mac);
    const auto failed = before.find(QStringLiteral("dns-resolve-fail"));
    QVERIFY(failed && failed->fix);
    QVERIFY2(failed->fix->commands.contains(QStringLiteral(
                 "networksetup -setdnsservers 'USB 10/100/1000 LAN 2' 223.5.5.5 119.29.29.29")),
             qPrintable(failed->fix->commands.join(" | ")));
    {
        OnSimulatedMac on(*mac);
        const FixResult result = FixEngine::apply(*failed->fix);
        QVERIFY2(result.ok, qPrintable(result.log));
    }
    QVERIFY(scanOn(*mac).ids().contains(QStringLiteral("dns-resolve-ok")));
    const QJsonObject services = mac->state().value("services").toObject();
    QCOMPARE(services.value("USB 10/100/1000 LAN").toObject().value("dns").toArray(), QJsonArray());
}

void TestScenarioScans::residualProxyRepairCoversEveryService()
{
    QString error;
    const auto mac = SimulatedMac::open(QStringLiteral("residual-proxy"), true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome outcome = scanOn(*mac);
    const auto crash = outcome.find(QStringLiteral("proxy-dead-crash"));
    QVERIFY(crash && crash->fix);
    QCOMPARE(crash->fix->id, QStringLiteral("fix-proxy-off-all"));
    QVERIFY2(outcome.ctx.allServices.size() >= 2, "a realistic Mac has more than one service");
    // The switched-off Thunderbolt Bridge holds the proxy too, and is switched off as well.
    QCOMPARE(outcome.ctx.proxyServices + outcome.ctx.idleProxyServices, outcome.ctx.allServices);
    QStringList expected;
    for (const QString &service : outcome.ctx.allServices)
        expected += NetConfig::disableProxyCommands(service);
    QCOMPARE(crash->fix->commands, expected);
}

void TestScenarioScans::aiProbesRunSideBySide()
{
    // Every AI endpoint answers (none fails, as some do on this Mac), but only once all six
    // direct probes are under way, or the probe's own limit passes: run one after another,
    // none would get its answer.
    QTemporaryDir dir;
    QJsonObject remote;
    for (const QString host :
         {"api.deepseek.com", "api.anthropic.com", "api.openai.com", "open.bigmodel.cn",
          "generativelanguage.googleapis.com", "huggingface.co"})
        remote.insert(
            host, QJsonObject{{"direct", QJsonObject{
                                             {"error", QJsonValue::Null},
                                             {"meet", QJsonObject{{"group", "ai"}, {"count", 6}}},
                                         }}});
    const QString path =
        writeScenario(dir, QStringLiteral("meeting-ai"),
                      {{"extends", "direct-only"}, {"timeScale", 1}, {"remote", remote}});
    const QByteArray oldScale = qgetenv("BREVIK_SIM_TIME_SCALE");
    qunsetenv("BREVIK_SIM_TIME_SCALE");
    QString error;
    const auto mac = SimulatedMac::open(path, true, &error);
    QVERIFY2(mac, qPrintable(error));
    {
        OnSimulatedMac on(*mac);
        DiagnosticsRun run;
        run.ctx = DiagnosticsRun::buildContext();
        run.checkAI();
    }
    qputenv("BREVIK_SIM_TIME_SCALE", oldScale);

    QList<SimCall> probes;
    for (const SimCall &call : mac->calls()) {
        if (call.tool == QLatin1String("curl") && call.args.contains(QStringLiteral("--noproxy")) &&
            call.args.contains(QStringLiteral("6")))
            probes << call;
    }
    QCOMPARE(probes.size(), 6);
    qint64 lastStart = 0;
    qint64 firstEnd = std::numeric_limits<qint64>::max();
    for (const SimCall &call : probes) {
        QVERIFY2(call.exitCode == 0, "a direct AI probe waited for the others in vain");
        lastStart = std::max(lastStart, call.startMs);
        firstEnd = std::min(firstEnd, call.endMs);
    }
    QVERIFY2(lastStart <= firstEnd, "a direct AI probe ended before another one began");
}

void TestScenarioScans::hostileValuesNeverRun()
{
    // Any program can write the network settings: a service name, a proxy host and a
    // gateway that carry shell syntax must reach the tools as plain words.
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("pwned"));
    const QString service = QStringLiteral("Wi-Fi '$(touch %1)'").arg(marker);
    const QJsonObject proxy{{"enabled", true},
                            {"server", QStringLiteral("127.0.0.1;touch %1").arg(marker)},
                            {"port", 7890}};
    QJsonObject wifi{
        {"hardwarePort", "Wi-Fi"},
        {"device", "en0"},
        {"enabled", true},
        {"ipv6", "automatic"},
        {"proxies", QJsonObject{{"web", proxy}, {"secureweb", proxy}, {"socks", proxy}}},
        {"bypass", QJsonArray{"localhost"}},
        {"dns", QJsonArray{}}};
    const QString path = writeScenario(
        dir, QStringLiteral("hostile"),
        {{"extends", "residual-proxy"},
         {"serviceOrder", QJsonArray{service, "USB 10/100/1000 LAN", "Thunderbolt Bridge"}},
         {"services", QJsonObject{{"Wi-Fi", QJsonValue::Null}, {service, wifi}}},
         {"route", QJsonObject{{"gateway", QStringLiteral("192.168.1.1`touch %1`").arg(marker)},
                               {"interface", "en0"}}}});
    QString error;
    const auto mac = SimulatedMac::open(path, true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome outcome = scanOn(*mac);
    QVERIFY2(outcome.ctx.allServices.contains(service),
             qPrintable(outcome.ctx.allServices.join(" | ")));
    QVERIFY(outcome.ctx.proxyHost.contains(QStringLiteral("touch")));
    QVERIFY2(!QFile::exists(marker), "a value from the network settings ran as a command");
    // The repairs built from those values run safely too. Such a host is no loopback name,
    // so the dead proxy reads as one on another host.
    const auto crash = outcome.find(QStringLiteral("proxy-remote-dead"));
    QVERIFY(crash && crash->fix);
    {
        OnSimulatedMac on(*mac);
        for (const QString &command : crash->fix->commands)
            shell(command);
    }
    QVERIFY2(!QFile::exists(marker), "a repair command ran an injected command");
}

QTEST_GUILESS_MAIN(TestScenarioScans)
#include "tst_scenarioscans.moc"
