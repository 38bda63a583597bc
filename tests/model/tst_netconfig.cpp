#include "exec/runner.h"
#include "model/netconfig.h"
#include "tests/support/scriptedrunner.h"
#include "tests/support/testdata.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

const QString kList = QStringLiteral("networksetup -listallnetworkservices 2>/dev/null");

QString query(const QString &suffix, const QString &service)
{
    return QStringLiteral("networksetup -get") + suffix + QLatin1Char(' ') + service +
           QStringLiteral(" 2>/dev/null");
}

// Scripts the five queries of one service.
void scriptService(ScriptedRunner &runner, const QString &quoted, const QString &web,
                   const QString &secure, const QString &socks, const QString &autoUrl,
                   const QString &bypass)
{
    runner.on(query("webproxy", quoted), 0, web)
        .on(query("securewebproxy", quoted), 0, secure)
        .on(query("socksfirewallproxy", quoted), 0, socks)
        .on(query("autoproxyurl", quoted), 0, autoUrl)
        .on(query("proxybypassdomains", quoted), 0, bypass);
}

// Captured answers of networksetup, read when a test runs.
QString neverSet()
{
    return testData("networksetup/proxy-never-set.txt");
}

QString on7890()
{
    return testData("networksetup/proxy-on-7890.txt");
}

QString noAuto()
{
    return testData("networksetup/autoproxy-never-set.txt");
}

const QString kNoBypass = QStringLiteral("There aren't any bypass domains set on Wi-Fi.\n");

} // namespace

class TestNetConfig : public QObject {
    Q_OBJECT

private slots:
    void allServicesSkipsHeaderAndMarks();
    void proxyState_data();
    void proxyState();
    void defaultBypassNeeded_data();
    void defaultBypassNeeded();
};

void TestNetConfig::allServicesSkipsHeaderAndMarks()
{
    auto runner = std::make_shared<ScriptedRunner>();
    runner
        ->on(kList, 0,
             "An asterisk (*) denotes that a network service is disabled.\n"
             "USB 10/100/1000 LAN\n*Wi-Fi\n  \n* Thunderbolt Bridge\n")
        .on(kList, 127, "");
    ScopedRunner scope(runner);
    QStringList listed;
    for (const NetworkService &service : NetConfig::services())
        listed << (service.enabled ? "" : "off ") + service.name;
    QCOMPARE(listed, (QStringList{"USB 10/100/1000 LAN", "off Wi-Fi", "off Thunderbolt Bridge"}));
    QVERIFY(NetConfig::allServices().isEmpty()); // the tool failed
}

void TestNetConfig::proxyState_data()
{
    QTest::addColumn<QStringList>("outputs"); // web, secure, socks, auto, bypass
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QString>("server"); // kind host:port; empty when no server kind is on
    QTest::addColumn<QString>("pacUrl");
    QTest::addColumn<QStringList>("bypass");

    QTest::newRow("socks only: host and port of the switched-on kind")
        << QStringList{neverSet(), neverSet(), on7890(), noAuto(), kNoBypass} << true
        << QStringList{"SOCKS"} << u"SOCKS 127.0.0.1:7890"_s << u""_s
        << QStringList{"There aren't any bypass domains set on Wi-Fi."};
    QTest::newRow("switched off after use: the old values fix nothing")
        << QStringList{"Enabled: No\nServer: 127.0.0.1\nPort: 7890\n", neverSet(), neverSet(),
                       noAuto(), ""}
        << false << QStringList{} << u""_s << u""_s << QStringList{};
    QTest::newRow("first switched-on kind wins; a pac without URL has none")
        << QStringList{"Enabled: No\nServer: 10.0.0.1\nPort: 3128\n",
                       "Enabled: Yes\nServer: 10.0.0.9\nPort: 8443\n", on7890(),
                       "URL: (null)\nEnabled: Yes\n", ""}
        << true << QStringList{"HTTPS", "SOCKS", "自动代理(PAC)"} << u"HTTPS 10.0.0.9:8443"_s
        << u""_s << QStringList{};
    QTest::newRow("pac only: the URL is its own value")
        << QStringList{"", "", "", "URL: http://127.0.0.1:7890/proxy.pac\nEnabled: Yes\n", ""}
        << true << QStringList{"自动代理(PAC)"} << u""_s << u"http://127.0.0.1:7890/proxy.pac"_s
        << QStringList{};
    const QString unknown = testData("networksetup/error-unknown-service.txt");
    const QString notFound = testData("networksetup/error-not-in-database.txt");
    QTest::newRow("an unknown service: the error is no bypass entry")
        << QStringList{unknown, unknown, unknown, unknown, unknown} << false << QStringList{}
        << u""_s << u""_s << QStringList{};
    QTest::newRow("an error printed with exit 0 reads nothing either")
        << QStringList{on7890(), notFound, notFound, noAuto(), notFound} << true
        << QStringList{"HTTP"} << u"HTTP 127.0.0.1:7890"_s << u""_s << QStringList{};
    QTest::newRow("an empty service name's error")
        << QStringList{testData("networksetup/error-empty-service.txt"), neverSet(), neverSet(),
                       noAuto(), testData("networksetup/error-parameters.txt")}
        << false << QStringList{} << u""_s << u""_s << QStringList{};
    QTest::newRow("Yes is case-sensitive")
        << QStringList{"Enabled: yes\nServer: h\nPort: 1\n", "", "", "", ""} << false
        << QStringList{} << u""_s << u""_s << QStringList{};
}

void TestNetConfig::proxyState()
{
    QFETCH(QStringList, outputs);
    auto runner = std::make_shared<ScriptedRunner>();
    scriptService(*runner, "'Wi-Fi'", outputs[0], outputs[1], outputs[2], outputs[3], outputs[4]);
    ScopedRunner scope(runner);
    const ProxyState state = NetConfig::proxyState(QStringLiteral("Wi-Fi"));
    VERIFY_ALL_SCRIPTED(*runner);
    QTEST(state.enabled, "enabled");
    QTEST(state.kinds, "kinds");
    QTEST(state.serverKind.isEmpty() ? QString()
                                     : state.serverKind + ' ' + state.host + ':' + state.port,
          "server");
    QTEST(state.pacUrl, "pacUrl");
    QTEST(state.bypass, "bypass");
    QCOMPARE(runner->commands().size(), 5);
}

void TestNetConfig::defaultBypassNeeded_data()
{
    QTest::addColumn<QStringList>("bypass");
    QTest::addColumn<bool>("needed");
    QTest::newRow("empty") << QStringList{} << true;
    QTest::newRow("both among others") << QStringList{"*.local", "127.0.0.1", "localhost"} << false;
    QTest::newRow("case matters") << QStringList{"127.0.0.1", "LOCALHOST"} << true;
    QTest::newRow("whole entries only") << QStringList{"127.0.0.1/8", "localhost"} << true;
}

void TestNetConfig::defaultBypassNeeded()
{
    QFETCH(QStringList, bypass);
    QFETCH(bool, needed);
    QCOMPARE(NetConfig::defaultBypassNeeded(bypass), needed);
}

QTEST_GUILESS_MAIN(TestNetConfig)
#include "tst_netconfig.moc"
