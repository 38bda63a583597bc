#include "diagnostics/netverify.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace brevik;

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

} // namespace

class TestNetVerify : public QObject {
    Q_OBJECT

private slots:
    void systemProxy_data();
    void systemProxy();
    void bingSearch_data();
    void bingSearch();
};

void TestNetVerify::systemProxy_data()
{
    QTest::addColumn<QString>("output"); // a file under tests/data/scutil
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("addr");
    QTest::addColumn<bool>("socks");

    QTest::newRow("HTTPS only: with its own host")
        << u"https-only.txt"_s << true << u"10.0.0.9:7890"_s << false;
    QTest::newRow("HTTP port wins over HTTPS port")
        << u"http-and-https.txt"_s << true << u"10.0.0.2:8080"_s << false;
    QTest::newRow("SOCKS only") << u"socks-only.txt"_s << true << u"127.0.0.1:1080"_s << true;
}

void TestNetVerify::systemProxy()
{
    QFETCH(QString, output);
    QFETCH(bool, enabled);
    QFETCH(QString, addr);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kScutil, 0, testData("scutil/" + output));
    ScopedRunner scope(runner);
    const NetVerify::SystemProxy proxy = NetVerify::systemProxy();
    VERIFY_ALL_SCRIPTED(*runner);
    QCOMPARE(runner->calls().first().timeout, 6.0);
    QCOMPARE(proxy.enabled, enabled);
    QCOMPARE(proxy.addr, addr);
    QTEST(proxy.socks, "socks");
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
    QTest::addColumn<WebVerdict>("verdict");
    QTest::addColumn<QString>("unusableProxy");

    const QString nc = QStringLiteral("nc -z -G 1 127.0.0.1 7890 2>/dev/null");
    const QString viaProxy = fetchCommand("'http://127.0.0.1:7890'");
    const QString none;
    const QString proxy = QStringLiteral("127.0.0.1:7890");
    QTest::newRow("proxy off: one direct fetch")
        << testData("scutil/proxy-off.txt") << none << 0 << none << none << u"200 0.5327"_s
        << QStringList{"直连 → HTTP 200 ✅"}
        << u"已通过 www.bing.com 搜索访问测试（HTTP 200 · 532 ms · 直连）"_s << WebVerdict::usable
        << none;
    QTest::newRow("proxy working: direct not tried")
        << testData("scutil/proxy-on.txt") << nc << 0 << viaProxy << u"200 0.25"_s << none
        << QStringList{"系统代理 127.0.0.1:7890 → HTTP 200 ✅"}
        << u"已通过 www.bing.com 搜索访问测试（HTTP 200 · 250 ms · 系统代理 127.0.0.1:7890）"_s
        << WebVerdict::usable << none;
    QTest::newRow("socks only: fetched through it as socks")
        << testData("scutil/socks-only.txt") << u"nc -z -G 1 127.0.0.1 1080 2>/dev/null"_s << 0
        << fetchCommand("'socks5h://127.0.0.1:1080'") << u"200 0.25"_s << none
        << QStringList{"系统代理 127.0.0.1:1080 → HTTP 200 ✅"}
        << u"已通过 www.bing.com 搜索访问测试（HTTP 200 · 250 ms · 系统代理 127.0.0.1:1080）"_s
        << WebVerdict::usable << none;
    // The page comes directly, but every app that uses the system proxy is cut off.
    QTest::newRow("proxy dead, direct works")
        << testData("scutil/proxy-on.txt") << nc << 1 << none << none << u"200 0.374"_s
        << QStringList{"直连 → HTTP 200 ✅"}
        << u"仅直连通过 www.bing.com 搜索访问测试（HTTP 200 · 374 ms · 直连）；系统代理 "_s
           "127.0.0.1:7890 端口无法连接，走系统代理的应用仍无法上网。"
        << WebVerdict::directOnly << proxy;
    QTest::newRow("proxy answers but cannot fetch, direct works")
        << testData("scutil/proxy-on.txt") << nc << 0 << viaProxy << u"000 12.001"_s
        << u"200 0.125"_s
        << QStringList{"系统代理 127.0.0.1:7890 → HTTP 000 ❌", "直连 → HTTP 200 ✅"}
        << u"仅直连通过 www.bing.com 搜索访问测试（HTTP 200 · 125 ms · 直连）；经系统代理 "_s
           "127.0.0.1:7890 访问失败（HTTP 000），走系统代理的应用仍无法上网。"
        << WebVerdict::directOnly << proxy;
    QTest::newRow("proxy off, direct dead")
        << testData("scutil/proxy-off.txt") << none << 0 << none << none << u""_s
        << QStringList{"直连 → HTTP 000 ❌"}
        << u"两种通路都失败（直连 → HTTP 000 ❌）。请检查网络连接或代理设置。"_s
        << WebVerdict::failed << none;
    QTest::newRow("both dead, with real codes")
        << testData("scutil/proxy-on.txt") << nc << 0 << viaProxy << u"502 0.1"_s << u"403 0.2"_s
        << QStringList{"系统代理 127.0.0.1:7890 → HTTP 502 ❌", "直连 → HTTP 403 ❌"}
        << u"两种通路都失败（系统代理 127.0.0.1:7890 → HTTP 502 ❌；直连 → HTTP 403 ❌）。"_s
           "请检查网络连接或代理设置。"
        << WebVerdict::failed << proxy;
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
    runner->on(kScutil, 0, scutil);
    if (!portTest.isNull())
        runner->on(portTest, portCode);
    if (!proxyFetch.isNull())
        runner->on(proxyFetch, 0, proxyAnswer);
    if (!directAnswer.isNull())
        runner->on(fetchCommand(), 0, directAnswer);
    ScopedRunner scope(runner);
    const NetVerifyResult result = NetVerify::bingSearch();
    VERIFY_ALL_SCRIPTED(*runner);

    QCOMPARE(result.tried, tried);
    QTEST(result.summary, "summary");
    QTEST(result.verdict(), "verdict");
    QTEST(result.unusableProxy, "unusableProxy");
    // The path that worked, or the defaults when none did.
    QCOMPARE(result.ok, tried.last().endsWith(QStringLiteral("✅")));
    QCOMPARE(result.via, result.ok ? tried.last().section(QStringLiteral(" → "), 0, 0)
                                   : QStringLiteral("直连"));
    if (!result.ok)
        QCOMPARE(result.code + QString::number(result.ms), QStringLiteral("0000"));
}

QTEST_GUILESS_MAIN(TestNetVerify)
#include "tst_netverify.moc"
