#include "diagnostics/decisions.h"
#include "tests/diagnostics/findingcheck.h"

#include <QTest>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

// "host:port" points the HTTP proxy there; a URL makes the automatic proxy (PAC) the only
// kind on. `alive` is what the probe of that target found.
void setTarget(NetContext &ctx, const QString &target, bool alive)
{
    if (target.startsWith(QLatin1String("http"))) {
        ctx.proxyServerKind.clear();
        ctx.proxyPacUrl = target;
        ctx.pacTargetAlive = alive;
        return;
    }
    ctx.proxyServerKind = QStringLiteral("HTTP");
    ctx.proxyHost = target.section(QLatin1Char(':'), 0, 0);
    ctx.proxyPort = target.section(QLatin1Char(':'), 1);
    ctx.proxyTargetAlive = alive;
}

NetContext proxyContext(bool enabled, bool clientRunning, bool alive)
{
    NetContext ctx;
    ctx.service = QStringLiteral("Wi-Fi");
    ctx.ip = QStringLiteral("192.168.1.23");
    ctx.allServices = {QStringLiteral("Wi-Fi")};
    ctx.proxyEnabled = enabled;
    ctx.clashRunning = clientRunning;
    setTarget(ctx, QStringLiteral("127.0.0.1:7890"), alive);
    ctx.proxyService = QStringLiteral("Wi-Fi");
    ctx.proxyServices = {QStringLiteral("Wi-Fi"), QStringLiteral("USB 10/100/1000 LAN")};
    ctx.proxyKinds = {QStringLiteral("HTTP"), QStringLiteral("SOCKS")};
    ctx.bypassDomains = {QStringLiteral("127.0.0.1"), QStringLiteral("localhost")};
    if (clientRunning)
        ctx.clashApps = {QStringLiteral("ClashX")};
    return ctx;
}

} // namespace

class TestCheckProxy : public QObject {
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void clientPortChoice_data();
    void clientPortChoice();
    void bypass_data();
    void bypass();
};

void TestCheckProxy::decision_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("clientRunning");
    QTest::addColumn<QString>("target"); // see setTarget
    QTest::addColumn<bool>("alive");
    QTest::addColumn<QStringList>("listening");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QStringList>("shown"); // "!text": must not be shown

    const QString local = QStringLiteral("127.0.0.1:7890");
    const QStringList none;
    QTest::newRow("off, no client: the old address and the switched-off service noted")
        << false << false << local << false << none << u"proxy-off/ok -"_s
        << QStringList{"直连状态。\n（历史代理地址：127.0.0.1:7890）",
                       "提示：已停用的服务 Thunderbolt Bridge 上仍开着代理"};
    QTest::newRow("off: a port alone is no history")
        << false << false << u":7890"_s << false << none << u"proxy-off/ok -"_s
        << QStringList{"!历史"};
    QTest::newRow("off, client runs: ten ports, first eight shown")
        << false << true << u":"_s << false
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}
        << u"proxy-off-but-running/warn -"_s
        << QStringList{"检测到 ClashX 在运行", "：1, 2, 3, 4, 5, 6, 7, 8", "!8, 9"};
    QTest::newRow("on, no client, dead port: target, services and kinds")
        << true << false << local << false << none
        << u"proxy-dead-crash/error fix-proxy-off-all fallback"_s
        << QStringList{"系统代理仍指向 127.0.0.1:7890，",
                       "启用代理的服务：Wi-Fi、USB 10/100/1000 LAN\n代理类型：HTTP、SOCKS"};
    QTest::newRow("dead pac on this Mac: named as the automatic proxy")
        << true << false << u"http://127.0.0.1:1089/proxy.pac"_s << false << none
        << u"proxy-dead-crash/error fix-proxy-off-all fallback"_s
        << QStringList{"自动代理(PAC)仍指向 http://127.0.0.1:1089/proxy.pac，"};
    QTest::newRow("on, client runs, dead port: an empty host reads as loopback")
        << true << true << u":7897"_s << false << none
        << u"proxy-port-dead/error fix-proxy-off-2 fallback"_s
        << QStringList{"代理软件在运行，但端口 127.0.0.1:7897 无法连接",
                       "检测到 ClashX 正在运行，但系统代理指向的 127.0.0.1:7897 端口"};
    QTest::newRow("dead on this Mac's own address")
        << true << false << u"192.168.1.23:8080"_s << false << none
        << u"proxy-dead-crash/error fix-proxy-off-all fallback"_s << QStringList{};
    QTest::newRow("dead office proxy on another host, client runs; no port shown as ?")
        << true << true << u"10.20.30.40:"_s << false << none
        << u"proxy-remote-dead/error fix-proxy-off-all fallback"_s
        << QStringList{"系统代理 10.20.30.40:? 无法连接", "不是本机代理软件的残留"};
    QTest::newRow("remote pac: its URL and the address it is fetched from")
        << true << false << u"https://wpad.corp.example/proxy.pac"_s << false << none
        << u"proxy-pac-unreachable/warn -"_s
        << QStringList{"自动代理(PAC)指向 https://wpad.corp.example/proxy.pac，但 "
                       "wpad.corp.example:443 现在连不上"};
}

void TestCheckProxy::decision()
{
    QFETCH(bool, enabled);
    QFETCH(bool, clientRunning);
    QFETCH(QString, target);
    QFETCH(bool, alive);
    QFETCH(QStringList, listening);
    QFETCH(QStringList, shown);
    NetContext ctx = proxyContext(enabled, clientRunning, false);
    setTarget(ctx, target, alive);
    ctx.clashPorts = listening;
    ctx.idleProxyServices = {QStringLiteral("Thunderbolt Bridge")};
    const QList<Finding> findings = decideProxy(ctx);
    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    QCOMPARE(findings.first().category, CheckCategory::proxy);
    for (const QString &text : shown) {
        if (text.startsWith(QLatin1Char('!')))
            QVERIFY2(!shownText(findings.first()).contains(text.mid(1)),
                     qPrintable(shownText(findings.first())));
        else
            VERIFY_SHOWN(findings.first(), text);
    }
}

void TestCheckProxy::clientPortChoice_data()
{
    QTest::addColumn<QStringList>("listening");
    QTest::addColumn<QString>("recordedPort");
    QTest::addColumn<QString>("port");     // as shown in the repair's title; empty: no repair
    QTest::addColumn<QString>("portWord"); // as it enters the command lines

    QTest::newRow("snapshot order decides, not the common list")
        << QStringList{"7891", "7890"} << u""_s << u"7891"_s << u"7891"_s;
    QTest::newRow("no common port: the recorded port")
        << QStringList{"9090"} << u"8001"_s << u"8001"_s << u"8001"_s;
    QTest::newRow("no port at all: manual only")
        << QStringList{"9090", "5000"} << u""_s << u""_s << u""_s;
    // Any program can write the system proxy's port; it must not reach bash as syntax.
    QTest::newRow("recorded port with shell syntax")
        << QStringList{} << u"80;reboot"_s << u"80;reboot"_s << u"'80;reboot'"_s;
}

void TestCheckProxy::clientPortChoice()
{
    QFETCH(QStringList, listening);
    QFETCH(QString, recordedPort);
    QFETCH(QString, port);
    QFETCH(QString, portWord);
    NetContext ctx = proxyContext(false, true, false);
    ctx.clashPorts = listening;
    ctx.proxyPort = recordedPort;
    ctx.proxyHost = QStringLiteral("10.9.9.9"); // the repair always points at 127.0.0.1
    const Finding f = decideProxy(ctx).value(0);
    QCOMPARE(f.id, QStringLiteral("proxy-off-but-running"));
    if (port.isEmpty()) {
        QVERIFY(!f.hasFix());
        QVERIFY(f.fixHint.has_value());
        return;
    }
    QCOMPARE(f.fix->title, QStringLiteral("设置系统代理 → 127.0.0.1:") + port);
    QCOMPARE(f.fix->commands().size(), 4);
    QCOMPARE(f.fix->commands().first(),
             QStringLiteral("networksetup -setwebproxy 'Wi-Fi' 127.0.0.1 ") + portWord);
}

void TestCheckProxy::bypass_data()
{
    QTest::addColumn<QStringList>("bypass");
    QTest::addColumn<QString>("entries"); // null: no bypass finding

    QTest::newRow("both local entries among others")
        << QStringList{"*.local", "localhost", "127.0.0.1"} << QString();
    QTest::newRow("localhost only: kept, the rest added")
        << QStringList{"localhost", "*.corp.example"}
        << u"localhost '*.corp.example' 127.0.0.1 '*.local' 10.0.0.0/8 172.16.0.0/12 "
           "192.168.0.0/16"_s;
    QTest::newRow("no list: the tool's sentence is no entry")
        << QStringList{"There aren't any bypass domains set on Wi-Fi."}
        << u"127.0.0.1 localhost '*.local' 10.0.0.0/8 172.16.0.0/12 192.168.0.0/16"_s;
}

void TestCheckProxy::bypass()
{
    QFETCH(QStringList, bypass);
    QFETCH(QString, entries);
    NetContext ctx = proxyContext(true, true, true);
    ctx.clashApps = {QStringLiteral("ClashX"), QStringLiteral("mihomo")};
    ctx.bypassDomains = bypass;
    // The list judged belongs to the service whose proxy was judged, not the primary one.
    ctx.proxyService = QStringLiteral("Bob's Wi-Fi");
    const QList<Finding> findings = decideProxy(ctx);
    QCOMPARE(findings.value(0).detail,
             QStringLiteral("代理客户端：ClashX、mihomo\n代理地址：127.0.0.1:7890（端口监听正常）\n"
                            "启用服务：Wi-Fi、USB 10/100/1000 LAN"));
    if (entries.isNull()) {
        QCOMPARE(findings.size(), 1);
        return;
    }
    QCOMPARE(outline(findings).value(1), u"proxy-bypass/warn fix-proxy-bypass fallback"_s);
    VERIFY_SHOWN(findings[1], QStringLiteral("当前例外：") + bypass.join(QStringLiteral(", ")));
    QCOMPARE(findings[1].fix->commands(),
             QStringList{"networksetup -setproxybypassdomains 'Bob'\\''s Wi-Fi' " + entries});
}

QTEST_GUILESS_MAIN(TestCheckProxy)
#include "tst_checkproxy.moc"
