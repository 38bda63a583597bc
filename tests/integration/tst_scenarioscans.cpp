#include "exec/shell.h"
#include "diagnostics/recheck.h"
#include "tests/integration/scanonsim.h"
#include "tests/support/testdata.h"

#include <QTemporaryDir>
#include <QTest>

using namespace brevik;

namespace {

QStringList lines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A scenario under tests/data/scenarios written into `dir`, MARKER standing for `marker`.
QString scenarioFile(const QTemporaryDir &dir, const QString &name, const QString &marker = {})
{
    const QString path = dir.filePath(name + QStringLiteral(".json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(testData("scenarios/" + name + ".json").replace("MARKER", marker).toUtf8());
    return path;
}

} // namespace

class TestScenarioScans : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void scenarioGivesItsFinding_data();
    void scenarioGivesItsFinding();
    void webVerdict_data();
    void webVerdict();
    void healthyScanStepByStep();
    void repairsAsOffered_data();
    void repairsAsOffered();
    void hostsFileAsItIs_data();
    void hostsFileAsItIs();
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
    QTest::newRow("offline") << "offline" << QStringList{"no-interface", "web-access-fail"};
    QTest::newRow("captive portal") << "captive-portal" << QStringList{"captive-portal"};
    QTest::newRow("hosts blocklist") << "hosts-blocklist" << QStringList{"hosts-hijack"};
    QTest::newRow("stale shell proxy") << "stale-shell-proxy" << QStringList{"shell-proxy-stale"};
    QTest::newRow("mtu issue") << "mtu-issue" << QStringList{"mtu-issue"};
    QTest::newRow("weak wifi") << "weak-wifi" << QStringList{"wifi-weak"};
    QTest::newRow("vpn leftover") << "vpn-leftover" << QStringList{"vpn-leftover"};
    QTest::newRow("only the system's tunnels")
        << "system-tunnels" << QStringList{"firewall", "!vpn-leftover"};
    QTest::newRow("only the VPN resolves")
        << "vpn-dns-only" << QStringList{"dns-vpn-only", "dns-resolve-ok", "!no-dns"};
    QTest::newRow("split dns") << "split-dns" << QStringList{"dns-config-ok", "!dns-vpn-only"};
    QTest::newRow("gateway filters icmp")
        << "gateway-icmp-filtered" << QStringList{"gateway-icmp-filtered"};
    QTest::newRow("direct only") << "direct-only"
                                 << QStringList{"proxy-off", "ai-direct-only", "web-access"};
    QTest::newRow("working socks-only proxy")
        << "socks-only-proxy" << QStringList{"proxy-ok", "ai-ok"};
    QTest::newRow("working https-only proxy")
        << "https-only-proxy" << QStringList{"proxy-ok", "ai-ok"};
    QTest::newRow("local pac answers") << "pac-local" << QStringList{"proxy-ok"};
    QTest::newRow("local pac, nothing listens") << "pac-dead" << QStringList{"proxy-dead-crash"};
    QTest::newRow("office proxy out of reach")
        << "company-proxy-dead" << QStringList{"proxy-remote-dead", "web-access-direct-only"};
    QTest::newRow("residual proxy, client's helper still runs")
        << "residual-proxy-helper" << QStringList{"proxy-dead-crash"};
    QTest::newRow("proxy left on a switched-off service")
        << "idle-service-proxy" << QStringList{"proxy-off"};
    // The router under the tunnel is probed, and the tunnel's MTU is the one measured.
    QTest::newRow("ipsec vpn holds the default route")
        << "ipsec-vpn" << QStringList{"iface-ok", "gateway-ok", "mtu-tuned", "!no-gateway"};
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
    // A repair's re-check runs the step its finding came from: every finding is in its table.
    for (qsizetype step = 0; step < outcome.steps.size(); ++step) {
        const QString found = outcome.steps.at(step).section(QStringLiteral(": "), 1);
        for (const QString &id : found.split(QStringLiteral(", "), Qt::SkipEmptyParts))
            QVERIFY2(Recheck::placeOf(id) == StepPlace(step), qPrintable(id));
    }
}

void TestScenarioScans::webVerdict_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QJsonObject>("changes"); // written over the scenario when not empty
    QTest::addColumn<WebVerdict>("verdict");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("remedy"); // what the finding's hint begins with, if any

    const QJsonObject asIs;
    const QJsonObject proxyCutOff{{"network", QJsonObject{{"proxyUpstream", "broken"}}}};
    const QJsonObject noUplink{{"network", QJsonObject{{"uplink", "down"}}}};
    const QJsonObject nothing{
        {"network", QJsonObject{{"uplink", "down"}, {"proxyUpstream", "broken"}}}};
    // The search page blocked on the direct path, as from some networks.
    const QJsonObject searchBlocked{
        {"remote",
         QJsonObject{
             {"www.bing.com",
              QJsonObject{
                  {"paths", QJsonObject{{"/search?q=internet+connection+test",
                                         QJsonObject{{"error", "timeout"},
                                                     {"proxy", QJsonObject{{"status", 200},
                                                                           {"time", 0.3}}}}}}}}}}}};
    const QString switchOff = QStringLiteral("点「一键关闭系统代理（立即恢复上网）」");
    QTest::newRow("proxy dead, direct works") << "residual-proxy" << asIs << WebVerdict::directOnly
                                              << "web-access-direct-only" << switchOff;
    QTest::newRow("client's port dead, direct works")
        << "proxy-port-dead" << asIs << WebVerdict::directOnly << "web-access-direct-only"
        << "点「关闭系统代理（恢复上网）」";
    QTest::newRow("office proxy dead, direct works")
        << "company-proxy-dead" << asIs << WebVerdict::directOnly << "web-access-direct-only"
        << switchOff;
    // Its port answers, so no proxy finding offers a repair: the hint says what to do.
    QTest::newRow("proxy answers but cannot fetch, direct works")
        << "healthy" << proxyCutOff << WebVerdict::directOnly << "web-access-direct-only"
        << "关闭系统代理，或让代理软件恢复工作";
    QTest::newRow("proxy working") << "healthy" << asIs << WebVerdict::usable << "web-access"
                                   << "";
    QTest::newRow("proxy working, direct dead")
        << "healthy" << searchBlocked << WebVerdict::usable << "web-access"
        << "";
    QTest::newRow("no proxy, direct works")
        << "direct-only" << asIs << WebVerdict::usable << "web-access"
        << "";
    QTest::newRow("no proxy, direct dead")
        << "direct-only" << noUplink << WebVerdict::failed << "web-access-fail"
        << "若上面的连接 / 代理检查报了故障";
    QTest::newRow("both dead") << "healthy" << nothing << WebVerdict::failed << "web-access-fail"
                               << "若上面的连接 / 代理检查报了故障";
}

// The scan ends on what the end-to-end test means for the apps on the Mac, and on what
// brings the cut-off ones back.
void TestScenarioScans::webVerdict()
{
    QFETCH(QString, scenario);
    QFETCH(QJsonObject, changes);
    QFETCH(QString, finding);
    QFETCH(QString, remedy);
    QTemporaryDir dir;
    QString error;
    const auto mac = SimulatedMac::open(changedScenario(dir, scenario, changes), true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome outcome = scanOn(*mac);
    QVERIFY(outcome.web);
    QTEST(outcome.web->verdict(), "verdict");
    const Finding last = outcome.findings.last();
    QCOMPARE(last.id, finding);
    QCOMPARE(last.severity, finding == QLatin1String("web-access") ? Severity::ok : Severity::warn);
    QVERIFY(!last.fix);
    QCOMPARE(last.fixHint.has_value(), !remedy.isEmpty());
    if (last.fixHint)
        QVERIFY2(last.fixHint->startsWith(remedy), qPrintable(*last.fixHint));
}

void TestScenarioScans::healthyScanStepByStep()
{
    // Each step under its own name with its own findings, every probe as the tools saw it
    // (the date parse aside: its argument is the server's clock), and nothing wrong.
    QString error;
    const auto mac = SimulatedMac::open(QStringLiteral("healthy"), true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome outcome = scanOn(*mac, ScanPace::sequential);
    QCOMPARE(outcome.steps, lines(testData("scans/healthy-steps.txt")));
    QStringList calls;
    for (const SimCall &call : mac->calls()) {
        if (call.tool != QLatin1String("date"))
            calls << call.tool + QLatin1Char(' ') + call.args.join(QLatin1Char(' '));
    }
    calls.sort();
    QCOMPARE(calls, lines(testData("scans/healthy-calls.txt")));
    for (const Finding &finding : outcome.findings)
        QVERIFY2(!finding.isProblem(), qPrintable(finding.id + ": " + finding.title));
}

void TestScenarioScans::repairsAsOffered_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QJsonObject>("changes"); // written over the scenario when not empty
    QTest::addColumn<QString>("repairs");     // a file under tests/data/repairs

    const QJsonObject none;
    for (const QString name : {"offline", "self-assigned-ip", "dead-router", "dns-poisoned",
                               "clock-skew", "residual-proxy", "client-no-system-proxy",
                               "proxy-port-dead", "custom-bypass", "hosts-hijack", "ipv6-broken"})
        QTest::newRow(qPrintable(name)) << name << none << name + QStringLiteral(".txt");
    // The packets leave through the second adapter, not through the Wi-Fi device.
    QTest::newRow("mtu on the adapter in use")
        << "two-usb-adapters"
        << QJsonObject{{"network", QJsonObject{{"pathMtu", 1400}, {"pmtuBlackhole", true}}}}
        << "mtu-second-adapter.txt";
}

void TestScenarioScans::repairsAsOffered()
{
    QFETCH(QString, scenario);
    QFETCH(QJsonObject, changes);
    QFETCH(QString, repairs);
    QTemporaryDir dir;
    QString error;
    const auto mac = SimulatedMac::open(changedScenario(dir, scenario, changes), true, &error);
    QVERIFY2(mac, qPrintable(error));
    // Each repair offered: its finding, id and rights, then one command a line.
    QStringList offered;
    for (const Finding &finding : scanOn(*mac).findings) {
        if (!finding.fix)
            continue;
        const FixAction &fix = *finding.fix;
        offered << finding.id + QLatin1Char(' ') + fix.id +
                       (fix.needsAdmin      ? QStringLiteral(" admin")
                        : fix.fallbackAdmin ? QStringLiteral(" fallback")
                                            : QString());
        for (const QString &command : fix.commands())
            offered << QStringLiteral("  ") + command;
    }
    QCOMPARE(offered, lines(testData("repairs/" + repairs)));
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

void TestScenarioScans::aiProbesRunSideBySide()
{
    // Every AI endpoint answers, but only once all six direct probes are under way, or the
    // probe's own limit passes: run one after another, none would get its answer.
    QTemporaryDir dir;
    const QByteArray oldScale = qgetenv("BREVIK_SIM_TIME_SCALE");
    qunsetenv("BREVIK_SIM_TIME_SCALE");
    QString error;
    const auto mac =
        SimulatedMac::open(scenarioFile(dir, QStringLiteral("meeting-ai")), true, &error);
    QVERIFY2(mac, qPrintable(error));
    {
        OnSimulatedMac on(*mac);
        DiagnosticsRun run;
        run.ctx = DiagnosticsRun::buildContext();
        run.checkAI();
    }
    qputenv("BREVIK_SIM_TIME_SCALE", oldScale);

    int direct = 0;
    for (const SimCall &call : mac->calls()) {
        if (call.tool == QLatin1String("curl") && call.args.contains(QStringLiteral("--noproxy")) &&
            call.args.contains(QStringLiteral("6"))) {
            ++direct;
            QVERIFY2(call.exitCode == 0, "a direct AI probe waited for the others in vain");
        }
    }
    QCOMPARE(direct, 6);
}

void TestScenarioScans::hostileValuesNeverRun()
{
    // Any program can write the network settings: a service name, a proxy host and a
    // gateway that carry shell syntax must reach the tools as plain words.
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("pwned"));
    QString error;
    const auto mac =
        SimulatedMac::open(scenarioFile(dir, QStringLiteral("hostile"), marker), true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome outcome = scanOn(*mac);
    QVERIFY2(outcome.ctx.allServices.contains(QStringLiteral("Wi-Fi '$(touch %1)'").arg(marker)),
             qPrintable(outcome.ctx.allServices.join(" | ")));
    QVERIFY(outcome.ctx.proxyHost.contains(QStringLiteral("touch")));
    QVERIFY2(!QFile::exists(marker), "a value from the network settings ran as a command");
    // The repairs built from those values run safely too. Such a host is no loopback name,
    // so the dead proxy reads as one on another host.
    const auto crash = outcome.find(QStringLiteral("proxy-remote-dead"));
    QVERIFY(crash && crash->fix);
    {
        OnSimulatedMac on(*mac);
        for (const QString &command : crash->fix->commands())
            shell(command);
    }
    QVERIFY2(!QFile::exists(marker), "a repair command ran an injected command");
}

QTEST_GUILESS_MAIN(TestScenarioScans)
#include "tst_scenarioscans.moc"
