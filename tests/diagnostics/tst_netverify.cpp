#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/netverify.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kScutil = QStringLiteral("scutil --proxy");

// "-x" carries the quoted proxy word, or nothing for a direct fetch.
QString fetchCommand(const QString &quotedProxy = {}, int timeout = 12)
{
    return QStringLiteral("curl -sL -o /dev/null -m ") + QString::number(timeout) +
           QStringLiteral(
               " -w '%{http_code} %{time_total}' -A 'Mozilla/5.0 (Macintosh; Intel Mac OS X "
               "10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36'") +
           (quotedProxy.isEmpty() ? QStringLiteral(" --noproxy '*'")
                                  : QStringLiteral(" -x ") + quotedProxy) +
           QStringLiteral(" 'https://www.bing.com/search?q=internet+connection+test'");
}

// Real shape: keys sorted, two blanks of indent; switched off, host and port stay behind.
const QString kProxyOn = QStringLiteral(
    "<dictionary> {\n  ExceptionsList : <array> {\n    0 : 127.0.0.1\n  }\n  FTPPassive : 1\n"
    "  HTTPEnable : 1\n  HTTPPort : 7890\n  HTTPProxy : 127.0.0.1\n"
    "  HTTPSEnable : 1\n  HTTPSPort : 7890\n  HTTPSProxy : 127.0.0.1\n}\n");
const QString kProxyOff = QStringLiteral(
    "<dictionary> {\n  HTTPEnable : 0\n  HTTPPort : 7890\n  HTTPProxy : 127.0.0.1\n}\n");

} // namespace

class TestNetVerify : public QObject {
    Q_OBJECT

private slots:
    void systemProxy_data();
    void systemProxy();
    void probe_data();
    void probe();
    void probeCommand_data();
    void probeCommand();
    void bingSearch_data();
    void bingSearch();
    void webAccess_data();
    void webAccess();
};

void TestNetVerify::systemProxy_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("addr");

    QTest::newRow("switched off: the old keys say nothing") << kProxyOff << false << u""_s;
    QTest::newRow("HTTPS only: with its own host")
        << u"  HTTPEnable : 0\n  HTTPSEnable : 1\n  HTTPSPort : 7890\n  HTTPSProxy : 10.0.0.9\n"_s
        << true << u"10.0.0.9:7890"_s;
    QTest::newRow("HTTP port wins over HTTPS port")
        << u"  HTTPSPort : 7890\n  HTTPEnable : 1\n  HTTPPort : 8080\n  HTTPProxy : 10.0.0.2\n"_s
        << true << u"10.0.0.2:8080"_s;
    QTest::newRow("HTTP on without a port")
        << u"  HTTPEnable : 1\n  HTTPProxy : 127.0.0.1\n"_s << true << u""_s;
}

void TestNetVerify::systemProxy()
{
    QFETCH(QString, output);
    QFETCH(bool, enabled);
    QFETCH(QString, addr);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kScutil, output.isEmpty() ? 1 : 0, output);
    ScopedRunner scope(runner);
    const NetVerify::SystemProxy proxy = NetVerify::systemProxy();
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->calls().first().timeout, 6.0);
    QCOMPARE(proxy.enabled, enabled);
    QCOMPARE(proxy.addr, addr);
}

void TestNetVerify::probe_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("code");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<bool>("ok");

    // 1.005 * 1000 is 1004.999… in binary floating point; the page took 1005 ms.
    QTest::newRow("truncation keeps whole milliseconds")
        << u"200 1.005000"_s << u"200"_s << qint64(1005) << true;
    QTest::newRow("redirect without an answer") << u"301 0.1"_s << u"301"_s << qint64(100) << false;
    QTest::newRow("blanks and line end") << u"  200   0.25 \n"_s << u"200"_s << qint64(250) << true;
    QTest::newRow("empty output") << u""_s << u"000"_s << qint64(0) << false;
}

void TestNetVerify::probe()
{
    QFETCH(QString, output);
    QFETCH(QString, code);
    QFETCH(qint64, ms);
    QFETCH(bool, ok);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(fetchCommand(), output.isEmpty() ? 28 : 0, output);
    ScopedRunner scope(runner);
    const NetVerify::ProbeResult result = NetVerify::probe(NetVerify::bingURL, std::nullopt, 12);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(result.code, code);
    QCOMPARE(result.ms, ms);
    QCOMPARE(result.ok, ok);
}

void TestNetVerify::probeCommand_data()
{
    QTest::addColumn<std::optional<QString>>("proxy");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<QString>("command");

    QTest::newRow("empty proxy is direct")
        << std::optional<QString>(QString()) << 5 << fetchCommand({}, 5);
    // The address comes from the system settings; a quote in it must not end the word.
    QTest::newRow("proxy with a quote")
        << std::optional<QString>("a'b:1") << 12 << fetchCommand("'http://a'\\''b:1'");
}

void TestNetVerify::probeCommand()
{
    QFETCH(std::optional<QString>, proxy);
    QFETCH(int, timeout);
    QFETCH(QString, command);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(command, 0, "200 0.5");
    ScopedRunner scope(runner);
    QVERIFY(NetVerify::probe(NetVerify::bingURL, proxy, timeout).ok);
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->calls().first().timeout, timeout + 4.0);
}

void TestNetVerify::bingSearch_data()
{
    QTest::addColumn<QString>("scutil");
    QTest::addColumn<QString>("portTest"); // null: no port test
    QTest::addColumn<int>("portCode");
    QTest::addColumn<QString>("proxyFetch"); // null: no fetch through the proxy
    QTest::addColumn<QString>("proxyAnswer");
    QTest::addColumn<QString>("directAnswer"); // null: no direct fetch
    QTest::addColumn<QStringList>("tried");
    QTest::addColumn<QString>("summary");

    const QString nc = QStringLiteral("nc -z -G 1 127.0.0.1 7890 2>/dev/null");
    const QString viaProxy = fetchCommand("'http://127.0.0.1:7890'");
    const QString none;
    QTest::newRow("proxy off: one direct fetch")
        << kProxyOff << none << 0 << none << none << u"200 0.5327"_s
        << QStringList{"直连 → HTTP 200 ✅"}
        << u"已通过 www.bing.com 搜索访问测试（HTTP 200 · 532 ms · 直连）"_s;
    QTest::newRow("dead proxy port is skipped")
        << kProxyOn << nc << 1 << none << none << u"000 12.003"_s
        << QStringList{"直连 → HTTP 000 ❌"}
        << u"两种通路都失败（直连 → HTTP 000 ❌）。请检查网络连接或代理设置。"_s;
    QTest::newRow("working proxy: direct not tried")
        << kProxyOn << nc << 0 << viaProxy << u"200 0.25"_s << none
        << QStringList{"系统代理 127.0.0.1:7890 → HTTP 200 ✅"}
        << u"已通过 www.bing.com 搜索访问测试（HTTP 200 · 250 ms · 系统代理 127.0.0.1:7890）"_s;
    QTest::newRow("broken proxy, direct works")
        << kProxyOn << nc << 0 << viaProxy << u"000 12.001"_s << u"200 0.125"_s
        << QStringList{"系统代理 127.0.0.1:7890 → HTTP 000 ❌", "直连 → HTTP 200 ✅"}
        << u"已通过 www.bing.com 搜索访问测试（HTTP 200 · 125 ms · 直连）"_s;
    QTest::newRow("socks only: fetched through it as socks")
        << u"  HTTPEnable : 0\n  SOCKSEnable : 1\n  SOCKSPort : 1080\n  SOCKSProxy : 127.0.0.1\n"_s
        << u"nc -z -G 1 127.0.0.1 1080 2>/dev/null"_s << 0
        << fetchCommand("'socks5h://127.0.0.1:1080'") << u"200 0.25"_s << none
        << QStringList{"系统代理 127.0.0.1:1080 → HTTP 200 ✅"}
        << u"已通过 www.bing.com 搜索访问测试（HTTP 200 · 250 ms · 系统代理 127.0.0.1:1080）"_s;
    QTest::newRow("both paths fail with real codes")
        << kProxyOn << nc << 0 << viaProxy << u"502 0.1"_s << u"403 0.2"_s
        << QStringList{"系统代理 127.0.0.1:7890 → HTTP 502 ❌", "直连 → HTTP 403 ❌"}
        << u"两种通路都失败（系统代理 127.0.0.1:7890 → HTTP 502 ❌；直连 → HTTP 403 ❌）。"_s
           "请检查网络连接或代理设置。";
}

void TestNetVerify::bingSearch()
{
    QFETCH(QString, scutil);
    QFETCH(QString, portTest);
    QFETCH(int, portCode);
    QFETCH(QString, proxyFetch);
    QFETCH(QString, proxyAnswer);
    QFETCH(QString, directAnswer);
    QFETCH(QStringList, tried);

    auto runner = std::make_shared<ScriptedRunner>();
    QStringList expected{kScutil};
    runner->on(kScutil, 0, scutil);
    if (!portTest.isNull()) {
        runner->on(portTest, portCode);
        expected << portTest;
    }
    if (!proxyFetch.isNull()) {
        runner->on(proxyFetch, 0, proxyAnswer);
        expected << proxyFetch;
    }
    if (!directAnswer.isNull()) {
        runner->on(fetchCommand(), 0, directAnswer);
        expected << fetchCommand();
    }
    ScopedRunner scope(runner);
    const NetVerifyResult result = NetVerify::bingSearch();
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->commands(), expected);

    QCOMPARE(result.tried, tried);
    QTEST(result.summary, "summary");
    // The path that worked, or the defaults when none did.
    QCOMPARE(result.ok, tried.last().endsWith(QStringLiteral("✅")));
    QCOMPARE(result.via, result.ok ? tried.last().section(QStringLiteral(" → "), 0, 0)
                                   : QStringLiteral("直连"));
    if (!result.ok)
        QCOMPARE(result.code + QString::number(result.ms), QStringLiteral("0000"));
}

void TestNetVerify::webAccess_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("summary");

    QTest::newRow("direct path works")
        << u"200 0.5327"_s << u"web-access/ok"_s
        << u"已通过 www.bing.com 搜索访问测试（HTTP 200 · 532 ms · 直连）\n"_s;
    QTest::newRow("no network")
        << u"000 12.002"_s << u"web-access-fail/warn"_s
        << u"两种通路都失败（直连 → HTTP 000 ❌）。请检查网络连接或代理设置。"_s;
}

void TestNetVerify::webAccess()
{
    QFETCH(QString, answer);
    QFETCH(QString, summary);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kScutil, 0, kProxyOff).on(fetchCommand(), 0, answer);
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    const QList<Finding> findings = run.checkWebAccess();
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->calls().last().timeout, 16.0);

    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    QVERIFY2(findings.first().detail.startsWith(summary), qPrintable(findings.first().detail));
    QCOMPARE(findings.first().category, CheckCategory::connectivity);
    QVERIFY(!findings.first().hasFix());
}

QTEST_GUILESS_MAIN(TestNetVerify)
#include "tst_netverify.moc"
