#include "exec/probes.h"
#include "exec/runner.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

class TestProbes : public QObject {
    Q_OBJECT

private slots:
    void pingSummary_data();
    void pingSummary();
    void httpProbe_data();
    void httpProbe();
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

void TestProbes::httpProbe_data()
{
    QTest::addColumn<std::optional<QString>>("proxy");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("output"); // what curl prints
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("ms");
    QTest::addColumn<bool>("ok");
    const QString base =
        QStringLiteral("curl -s -o /dev/null -m 6 -w '%{http_code} %{time_total}'");
    const QString url = QStringLiteral(" 'https://api.example.com/v1'");
    const QString direct = base + " --noproxy '*'" + url;
    const std::optional<QString> none;
    QTest::newRow("no answer") << none << direct << u"000 5.001"_s << u"000"_s << 5001 << false;
    QTest::newRow("empty proxy is none, empty output no answer")
        << std::optional<QString>(QString()) << direct << u""_s << u"000"_s << 0 << false;
    QTest::newRow("time unreadable") << none << direct << u"503 abc"_s << u"503"_s << 0 << true;
    QTest::newRow("no float artefact")
        << none << direct << u"200 1.005000"_s << u"200"_s << 1005 << true;
    QTest::newRow("hostile proxy stays one word")
        << std::optional<QString>(QStringLiteral("h'; touch /tmp/x; '"))
        << base + " -x 'http://h'\\''; touch /tmp/x; '\\'''" + url << u"200 0.1"_s << u"200"_s
        << 100 << true;
}

void TestProbes::httpProbe()
{
    QFETCH(std::optional<QString>, proxy);
    QFETCH(QString, command);
    QFETCH(QString, output);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(command, 0, output);
    ScopedRunner scope(runner);
    const HttpProbeResult result = brevik::httpProbe(u"https://api.example.com/v1"_s, proxy, 6);
    VERIFY_ALL_SCRIPTED(*runner);
    // curl's own limit of 6 s, the runner's 4 s above it.
    QCOMPARE(runner->calls().value(0).timeout, 10.0);
    QTEST(result.code, "code");
    QTEST(result.ms, "ms");
    QTEST(result.ok, "ok");
}

QTEST_GUILESS_MAIN(TestProbes)
#include "tst_probes.moc"
