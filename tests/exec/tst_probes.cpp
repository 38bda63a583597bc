#include "exec/probes.h"
#include "exec/runner.h"
#include "tests/support/localhttp.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

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
    void pingSummary_data();
    void pingSummary();
    void httpProbeCommandLine_data();
    void httpProbeCommandLine();
    void httpProbeParsesCurlOutput_data();
    void httpProbeParsesCurlOutput();
    void httpProbeAgainstLocalServer_data();
    void httpProbeAgainstLocalServer();
};

void TestProbes::pingSummary_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<double>("loss");
    QTest::addColumn<QString>("rtt");
    QTest::newRow("all answered")
        << u"PING 223.5.5.5 (223.5.5.5): 56 data bytes\n"_s
           "64 bytes from 223.5.5.5: icmp_seq=0 ttl=117 time=8.412 ms\n"
           "\n--- 223.5.5.5 ping statistics ---\n"
           "3 packets transmitted, 3 packets received, 0.0% packet loss\n"
           "round-trip min/avg/max/stddev = 10.123/12.45600/15.789/1.2 ms\n"
        << 0.0 << u"12.45600 ms"_s;
    QTest::newRow("none answered")
        << u"Request timeout for icmp_seq 0\n\n--- 10.0.0.1 ping statistics ---\n"_s
           "5 packets transmitted, 0 packets received, 100.0% packet loss\n"
        << 100.0 << u"-"_s;
    QTest::newRow("fraction kept")
        << u"3 packets transmitted, 2 packets received, 33.3% packet loss"_s << 33.3 << u"-"_s;
    QTest::newRow("no summary") << u"ping: cannot resolve example.invalid: Unknown host"_s << 100.0
                                << u"-"_s;
    QTest::newRow("two decimal points") << u"1.2.3% packet loss"_s << 100.0 << u"-"_s;
}

void TestProbes::pingSummary()
{
    QFETCH(QString, output);
    QFETCH(double, loss);
    QFETCH(QString, rtt);
    QCOMPARE(packetLoss(output), loss);
    QCOMPARE(avgRTT(output), rtt);
}

void TestProbes::httpProbeCommandLine_data()
{
    QTest::addColumn<std::optional<QString>>("proxy");
    QTest::addColumn<QString>("command");
    const QString base =
        QStringLiteral("curl -s -o /dev/null -m 6 -w '%{http_code} %{time_total}'");
    const QString url = QStringLiteral(" 'https://api.example.com/v1'");
    QTest::newRow("no proxy") << std::optional<QString>() << base + " --noproxy '*'" + url;
    QTest::newRow("empty proxy is none")
        << std::optional<QString>(QString()) << base + " --noproxy '*'" + url;
    QTest::newRow("hostile proxy stays one word")
        << std::optional<QString>(QStringLiteral("h'; touch /tmp/x; '"))
        << base + " -x 'http://h'\\''; touch /tmp/x; '\\'''" + url;
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
    QTest::newRow("no answer") << u"000 5.001"_s << u"000"_s << 5001 << false;
    QTest::newRow("empty") << u""_s << u"000"_s << 0 << false;
    QTest::newRow("time unreadable") << u"503 abc"_s << u"503"_s << 0 << true;
    QTest::newRow("no float artefact") << u"200 1.005000"_s << u"200"_s << 1005 << true;
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
    QTest::addColumn<bool>("deadServer");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("proxy"); // 0 none, 1 live, 2 dead
    QTest::addColumn<QString>("code");
    QTest::newRow("200 direct") << false << u"/ok"_s << 0 << u"200"_s;
    QTest::newRow("404 via proxy") << false << u"/missing"_s << 1 << u"404"_s;
    QTest::newRow("dead port") << true << u"/"_s << 0 << u"000"_s;
    QTest::newRow("dead proxy") << false << u"/ok"_s << 2 << u"000"_s;
}

void TestProbes::httpProbeAgainstLocalServer()
{
    QFETCH(bool, deadServer);
    QFETCH(QString, path);
    QFETCH(int, proxy);
    QFETCH(QString, code);
    LocalHttpServer server({{"/ok", 200}});
    LocalHttpProxy relay;
    QVERIFY(server.isListening() && relay.isListening());
    const QString url = QStringLiteral("http://127.0.0.1:%1%2")
                            .arg(deadServer ? deadLocalPort() : server.port())
                            .arg(path);
    std::optional<QString> proxyAddr;
    if (proxy > 0)
        proxyAddr = QStringLiteral("127.0.0.1:%1").arg(proxy == 1 ? relay.port() : deadLocalPort());
    const HttpProbeResult result = httpProbe(url, proxyAddr, 5);
    QCOMPARE(result.code, code);
    QCOMPARE(result.ok, code != QLatin1String("000"));
    QCOMPARE(relay.forwarded(), proxy == 1 ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestProbes)
#include "tst_probes.moc"
