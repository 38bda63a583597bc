#include "exec/probes.h"
#include "exec/runner.h"
#include "tests/support/localhttp.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

namespace {

const char kPingAllAnswered[] = "PING 223.5.5.5 (223.5.5.5): 56 data bytes\n"
                                "64 bytes from 223.5.5.5: icmp_seq=0 ttl=117 time=8.412 ms\n"
                                "\n--- 223.5.5.5 ping statistics ---\n"
                                "3 packets transmitted, 3 packets received, 0.0% packet loss\n"
                                "round-trip min/avg/max/stddev = 10.123/12.456/15.789/1.2 ms\n";
const char kPingNoneAnswered[] = "PING 10.0.0.1 (10.0.0.1): 56 data bytes\n"
                                 "Request timeout for icmp_seq 0\n"
                                 "\n--- 10.0.0.1 ping statistics ---\n"
                                 "5 packets transmitted, 0 packets received, 100.0% packet loss\n";

} // namespace

class TestProbes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // curl honours NO_PROXY even with -x: keep the developer's settings out of the way.
        for (const char *name :
             {"no_proxy", "NO_PROXY", "http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
    }
    void packetLossReadsSummary_data();
    void packetLossReadsSummary();
    void avgRTTReadsAverage_data();
    void avgRTTReadsAverage();
    void httpProbeCommandLine_data();
    void httpProbeCommandLine();
    void httpProbeParsesCurlOutput_data();
    void httpProbeParsesCurlOutput();
    void httpProbeAgainstLocalServer_data();
    void httpProbeAgainstLocalServer();
};

void TestProbes::packetLossReadsSummary_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<double>("loss");
    QTest::newRow("all answered") << kPingAllAnswered << 0.0;
    QTest::newRow("none answered") << kPingNoneAnswered << 100.0;
    QTest::newRow("some lost") << "5 packets transmitted, 3 packets received, 40.0% packet loss"
                               << 40.0;
    QTest::newRow("fraction kept")
        << "3 packets transmitted, 2 packets received, 33.3% packet loss" << 33.3;
    QTest::newRow("no summary") << "ping: cannot resolve example.invalid: Unknown host" << 100.0;
    QTest::newRow("empty") << "" << 100.0;
    QTest::newRow("two decimal points") << "1.2.3% packet loss" << 100.0;
}

void TestProbes::packetLossReadsSummary()
{
    QFETCH(QString, output);
    QFETCH(double, loss);
    QCOMPARE(packetLoss(output), loss);
}

void TestProbes::avgRTTReadsAverage_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("rtt");
    QTest::newRow("round-trip line") << kPingAllAnswered << "12.456 ms";
    QTest::newRow("decimals kept as printed")
        << "round-trip min/avg/max/stddev = 7.988/8.47700/9.027/0.358 ms"
        << "8.47700 ms";
    QTest::newRow("no round-trip line") << kPingNoneAnswered << "-";
    QTest::newRow("empty") << ""
                           << "-";
}

void TestProbes::avgRTTReadsAverage()
{
    QFETCH(QString, output);
    QFETCH(QString, rtt);
    QCOMPARE(avgRTT(output), rtt);
}

void TestProbes::httpProbeCommandLine_data()
{
    QTest::addColumn<std::optional<QString>>("proxy");
    QTest::addColumn<QString>("command");
    const QString base =
        QStringLiteral("curl -s -o /dev/null -m 6 -w '%{http_code} %{time_total}'");
    QTest::newRow("no proxy") << std::optional<QString>()
                              << base + " --noproxy '*' 'https://api.example.com/v1'";
    QTest::newRow("empty proxy") << std::optional<QString>(QString())
                                 << base + " --noproxy '*' 'https://api.example.com/v1'";
    QTest::newRow("proxy") << std::optional<QString>(QStringLiteral("127.0.0.1:7890"))
                           << base + " -x 'http://127.0.0.1:7890' 'https://api.example.com/v1'";
    QTest::newRow("hostile proxy stays one word")
        << std::optional<QString>(QStringLiteral("h'; touch /tmp/x; '"))
        << base + " -x 'http://h'\\''; touch /tmp/x; '\\''' 'https://api.example.com/v1'";
}

void TestProbes::httpProbeCommandLine()
{
    QFETCH(std::optional<QString>, proxy);
    QFETCH(QString, command);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(command, 0, QStringLiteral("200 0.1"));
    ScopedRunner scope(runner);
    httpProbe(QStringLiteral("https://api.example.com/v1"), proxy, 6);
    VERIFY_ALL_SCRIPTED(*runner);
    // curl's own limit of 6 s, the runner's 4 s above it.
    QCOMPARE(runner->calls().value(0).timeout, 10.0);
}

void TestProbes::httpProbeParsesCurlOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("ms");
    QTest::addColumn<bool>("ok");
    QTest::newRow("200") << "200 0.123456"
                         << "200" << 123 << true;
    QTest::newRow("404 still answered") << "404 0.05"
                                        << "404" << 50 << true;
    QTest::newRow("no answer") << "000 5.001"
                               << "000" << 5001 << false;
    QTest::newRow("empty") << ""
                           << "000" << 0 << false;
    QTest::newRow("time unreadable") << "503 abc"
                                     << "503" << 0 << true;
    QTest::newRow("newline around") << "\n401 0.2\n"
                                    << "401" << 200 << true;
    QTest::newRow("microsecond time, no float artefact") << "200 1.005000" << "200" << 1005 << true;
}

void TestProbes::httpProbeParsesCurlOutput()
{
    QFETCH(QString, output);
    QFETCH(QString, code);
    QFETCH(int, ms);
    QFETCH(bool, ok);
    auto runner = std::make_shared<ScriptedRunner>();
    const QString url = QStringLiteral("https://x.example/");
    runner->on(httpProbeCommand(url, std::nullopt, 6), 0, output);
    ScopedRunner scope(runner);
    const HttpProbeResult result = httpProbe(url, std::nullopt, 6);
    QCOMPARE(result.code, code);
    QCOMPARE(result.ms, ms);
    QCOMPARE(result.ok, ok);
}

void TestProbes::httpProbeAgainstLocalServer_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("viaProxy");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("ok");
    QTest::newRow("200 direct") << "/ok" << false << "200" << true;
    QTest::newRow("404 direct") << "/missing" << false << "404" << true;
    QTest::newRow("200 via proxy") << "/ok" << true << "200" << true;
    QTest::newRow("404 via proxy") << "/missing" << true << "404" << true;
    QTest::newRow("dead port direct") << "DEAD" << false << "000" << false;
    QTest::newRow("dead proxy") << "/ok" << true << "DEADPROXY" << false;
}

void TestProbes::httpProbeAgainstLocalServer()
{
    QFETCH(QString, path);
    QFETCH(bool, viaProxy);
    QFETCH(QString, code);
    QFETCH(bool, ok);
    LocalHttpServer server({{"/ok", 200}});
    LocalHttpProxy proxy;
    QVERIFY(server.isListening() && proxy.isListening());
    const quint16 port = path == QLatin1String("DEAD") ? deadLocalPort() : server.port();
    const QString url = QStringLiteral("http://127.0.0.1:%1%2")
                            .arg(port)
                            .arg(path == QLatin1String("DEAD") ? "/" : path);
    std::optional<QString> proxyAddr;
    if (viaProxy) {
        const quint16 proxyPort =
            code == QLatin1String("DEADPROXY") ? deadLocalPort() : proxy.port();
        proxyAddr = QStringLiteral("127.0.0.1:%1").arg(proxyPort);
    }
    const HttpProbeResult result = httpProbe(url, proxyAddr, 5);
    QCOMPARE(result.ok, ok);
    QCOMPARE(result.code, code == QLatin1String("DEADPROXY") ? QStringLiteral("000") : code);
    if (viaProxy && ok)
        QCOMPARE(proxy.forwarded(), 1);
    if (!viaProxy)
        QCOMPARE(proxy.forwarded(), 0);
}

QTEST_GUILESS_MAIN(TestProbes)
#include "tst_probes.moc"
