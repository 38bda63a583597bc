#include "diagnostics/diagnosticsrun.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

namespace {

NetContext proxyContext(bool enabled, bool clientRunning, bool alive)
{
    NetContext ctx;
    ctx.service = QStringLiteral("Wi-Fi");
    ctx.allServices = {QStringLiteral("Wi-Fi")};
    ctx.proxyEnabled = enabled;
    ctx.clashRunning = clientRunning;
    ctx.proxyTargetAlive = alive;
    ctx.proxyHost = QStringLiteral("127.0.0.1");
    ctx.proxyPort = QStringLiteral("7890");
    ctx.proxyServices = {QStringLiteral("Wi-Fi")};
    ctx.proxyKinds = {QStringLiteral("HTTP"), QStringLiteral("HTTPS")};
    ctx.bypassDomains = {QStringLiteral("127.0.0.1"), QStringLiteral("localhost")};
    if (clientRunning)
        ctx.clashApps = {QStringLiteral("ClashX")};
    return ctx;
}

QStringList ids(const QList<Finding> &findings)
{
    QStringList list;
    for (const Finding &finding : findings)
        list << finding.id;
    return list;
}

// Runs the check with a scripted runner in force, so that nothing real could run.
QList<Finding> runCheck(const NetContext &ctx)
{
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    run.ctx = ctx;
    return run.checkProxy();
}

QStringList enableCommands(const QString &quotedService, const QString &port)
{
    return {
        QStringLiteral("networksetup -setwebproxy ") + quotedService +
            QStringLiteral(" 127.0.0.1 ") + port,
        QStringLiteral("networksetup -setsecurewebproxy ") + quotedService +
            QStringLiteral(" 127.0.0.1 ") + port,
        QStringLiteral("networksetup -setsocksfirewallproxy ") + quotedService +
            QStringLiteral(" 127.0.0.1 ") + port,
        QStringLiteral("networksetup -setproxybypassdomains ") + quotedService +
            QStringLiteral(" 127.0.0.1 localhost *.local 10.0.0.0/8 172.16.0.0/12 192.168.0.0/16"),
    };
}

} // namespace

class TestCheckProxy : public QObject {
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void proxyOffHistory_data();
    void proxyOffHistory();
    void clientWithoutSystemProxy_data();
    void clientWithoutSystemProxy();
    void listeningPortsShown_data();
    void listeningPortsShown();
    void deadProxySwitchesEveryServiceOff();
    void portDeadNamesTarget_data();
    void portDeadNamesTarget();
    void proxyOkAndBypass_data();
    void proxyOkAndBypass();
};

void TestCheckProxy::decision_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("clientRunning");
    QTest::addColumn<bool>("alive");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<Severity>("severity");

    QTest::newRow("off, no client")
        << false << false << false << QStringList{"proxy-off"} << Severity::ok;
    QTest::newRow("off, no client, port answers")
        << false << false << true << QStringList{"proxy-off"} << Severity::ok;
    QTest::newRow("off, client runs")
        << false << true << false << QStringList{"proxy-off-but-running"} << Severity::warn;
    QTest::newRow("on, no client, dead port")
        << true << false << false << QStringList{"proxy-dead-crash"} << Severity::error;
    QTest::newRow("on, client runs, dead port")
        << true << true << false << QStringList{"proxy-port-dead"} << Severity::error;
    QTest::newRow("on, unknown program serves the port")
        << true << false << true << QStringList{"proxy-ok"} << Severity::ok;
    QTest::newRow("on, client serves the port")
        << true << true << true << QStringList{"proxy-ok"} << Severity::ok;
}

void TestCheckProxy::decision()
{
    QFETCH(bool, enabled);
    QFETCH(bool, clientRunning);
    QFETCH(bool, alive);
    QFETCH(QStringList, expected);
    QFETCH(Severity, severity);

    // The check judges the snapshot only; it runs no command of its own.
    auto runner = std::make_shared<ScriptedRunner>();
    ScopedRunner scope(runner);
    DiagnosticsRun run;
    run.ctx = proxyContext(enabled, clientRunning, alive);
    const QList<Finding> findings = run.checkProxy();
    QVERIFY(runner->commands().isEmpty());
    QCOMPARE(ids(findings), expected);
    QCOMPARE(findings.first().severity, severity);
    QCOMPARE(findings.first().category, CheckCategory::proxy);
}

void TestCheckProxy::proxyOffHistory_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("detail");

    const QString base =
        QStringLiteral("系统代理已关闭，且未检测到 ClashX 等代理客户端在运行，当前为直连状态。");
    QTest::newRow("old address still recorded")
        << "127.0.0.1"
        << "7890" << base + QStringLiteral("\n（历史代理地址：127.0.0.1:7890）");
    QTest::newRow("old host without port")
        << "10.0.0.2"
        << "" << base + QStringLiteral("\n（历史代理地址：10.0.0.2:?）");
    QTest::newRow("no host, port alone is not history") << ""
                                                        << "7890" << base;
}

void TestCheckProxy::proxyOffHistory()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QString, detail);

    NetContext ctx = proxyContext(false, false, false);
    ctx.proxyHost = host;
    ctx.proxyPort = port;
    const QList<Finding> findings = runCheck(ctx);
    QCOMPARE(findings.size(), 1);
    const Finding &finding = findings.first();
    QCOMPARE(finding.title, QStringLiteral("系统代理已关闭（直连）"));
    QCOMPARE(finding.detail, detail);
    QVERIFY(!finding.fixHint);
    QVERIFY(!finding.hasFix());
    QVERIFY(finding.manualSteps.isEmpty());
}

void TestCheckProxy::clientWithoutSystemProxy_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QStringList>("listening");
    QTest::addColumn<QString>("recordedPort");
    QTest::addColumn<QStringList>("commands"); // empty: no repair offered
    QTest::addColumn<QString>("title");

    QTest::newRow("common port after an unknown one")
        << "Wi-Fi" << QStringList{"9090", "7891"} << "" << enableCommands("'Wi-Fi'", "7891")
        << QStringLiteral("设置系统代理 → 127.0.0.1:7891");
    QTest::newRow("snapshot order decides, not the common list")
        << "Wi-Fi" << QStringList{"7891", "7890"} << "" << enableCommands("'Wi-Fi'", "7891")
        << QStringLiteral("设置系统代理 → 127.0.0.1:7891");
    QTest::newRow("no common port: the recorded port")
        << "Wi-Fi" << QStringList{"9090"} << "8001" << enableCommands("'Wi-Fi'", "8001")
        << QStringLiteral("设置系统代理 → 127.0.0.1:8001");
    QTest::newRow("no port at all: manual only")
        << "Wi-Fi" << QStringList{"9090", "5000"} << "" << QStringList{} << QString();
    QTest::newRow("service with a quote")
        << "Bob's Wi-Fi" << QStringList{"7890"} << "" << enableCommands("'Bob'\\''s Wi-Fi'", "7890")
        << QStringLiteral("设置系统代理 → 127.0.0.1:7890");
    // Any program can write the system proxy's port; it must not reach bash as syntax.
    QTest::newRow("recorded port with shell syntax")
        << "Wi-Fi" << QStringList{} << "80;reboot" << enableCommands("'Wi-Fi'", "'80;reboot'")
        << QStringLiteral("设置系统代理 → 127.0.0.1:80;reboot");
}

void TestCheckProxy::clientWithoutSystemProxy()
{
    QFETCH(QString, service);
    QFETCH(QStringList, listening);
    QFETCH(QString, recordedPort);
    QFETCH(QStringList, commands);
    QFETCH(QString, title);

    NetContext ctx = proxyContext(false, true, false);
    ctx.service = service;
    ctx.clashPorts = listening;
    ctx.proxyPort = recordedPort;
    ctx.proxyHost = QStringLiteral("10.9.9.9"); // the repair always points at 127.0.0.1
    const QList<Finding> findings = runCheck(ctx);
    QCOMPARE(findings.size(), 1);
    const Finding &finding = findings.first();
    QCOMPARE(finding.id, QStringLiteral("proxy-off-but-running"));
    QCOMPARE(finding.title, QStringLiteral("代理软件正在运行，但系统代理未开启"));
    QCOMPARE(finding.manualSteps,
             (QStringList{QStringLiteral("ClashX 菜单栏图标 → 勾选「设置为系统代理」"),
                          QStringLiteral("确认 ClashX 的端口（默认 7890）")}));
    if (commands.isEmpty()) {
        QVERIFY(!finding.hasFix());
        QCOMPARE(finding.fixHint, QStringLiteral("请在 ClashX 菜单中手动勾选「设置为系统代理」。"));
        return;
    }
    QCOMPARE(finding.fixHint, QStringLiteral("一键让系统代理指向 ClashX，AI 工具即可正常访问。"));
    QVERIFY(finding.hasFix());
    QCOMPARE(finding.fix->id, QStringLiteral("fix-proxy-on"));
    QCOMPARE(finding.fix->title, title);
    QCOMPARE(finding.fix->commands, commands);
    QVERIFY(!finding.fix->needsAdmin);
    QVERIFY(finding.fix->fallbackAdmin);
    QCOMPARE(finding.fix->successHint, QStringLiteral("系统代理已指向本地代理客户端"));
    QCOMPARE(finding.fix->verifyHint, kDefaultVerifyHint);
}

void TestCheckProxy::listeningPortsShown_data()
{
    QTest::addColumn<QStringList>("apps");
    QTest::addColumn<QStringList>("listening");
    QTest::addColumn<QString>("detail");

    const QString middle = QStringLiteral(
        " 在运行，但系统代理是关闭的。\nClaude、ChatGPT、Gemini "
        "等服务的域名在直连下通常不可用，会出现「连不上 / 一直转圈」。\n已在监听的本地端口：");
    QTest::newRow("two ports in snapshot order")
        << QStringList{"ClashX"} << QStringList{"9090", "7891"}
        << QStringLiteral("检测到 ClashX") + middle + QStringLiteral("9090, 7891");
    QTest::newRow("ten ports: first eight shown")
        << QStringList{"ClashX", "Clash Verge"}
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}
        << QStringLiteral("检测到 ClashX、Clash Verge") + middle +
               QStringLiteral("1, 2, 3, 4, 5, 6, 7, 8");
    QTest::newRow("nothing listening, no app name")
        << QStringList{} << QStringList{}
        << QStringLiteral("检测到 代理客户端") + middle + QStringLiteral("（未发现常见代理端口）");
}

void TestCheckProxy::listeningPortsShown()
{
    QFETCH(QStringList, apps);
    QFETCH(QStringList, listening);
    QFETCH(QString, detail);

    NetContext ctx = proxyContext(false, true, false);
    ctx.clashApps = apps;
    ctx.clashPorts = listening;
    QCOMPARE(runCheck(ctx).first().detail, detail);
}

void TestCheckProxy::deadProxySwitchesEveryServiceOff()
{
    NetContext ctx = proxyContext(true, false, false);
    ctx.allServices = {QStringLiteral("Wi-Fi"), QStringLiteral("USB 10/100/1000 LAN"),
                       QStringLiteral("Bob's Hotspot")};
    ctx.proxyServices = {QStringLiteral("Wi-Fi"), QStringLiteral("USB 10/100/1000 LAN")};
    ctx.proxyKinds = {QStringLiteral("HTTP"), QStringLiteral("SOCKS")};
    const QList<Finding> findings = runCheck(ctx);
    QCOMPARE(findings.size(), 1);
    const Finding &finding = findings.first();
    QCOMPARE(finding.title, QStringLiteral("致命：系统代理指向已关闭的代理软件（整机断网）"));
    QCOMPARE(finding.detail,
             QStringLiteral(
                 "系统代理仍指向 127.0.0.1:7890，但该端口没有任何程序在监听，代理软件也已退出。\n"
                 "这正是「关掉 ClashX 后所有 App 全部断网」的原因：浏览器 / Claude "
                 "客户端等都会把请求发给这个已经死掉的端口。\n"
                 "启用代理的服务：Wi-Fi、USB 10/100/1000 LAN\n代理类型：HTTP、SOCKS"));
    QCOMPARE(finding.fixHint,
             QStringLiteral("一键关闭全部系统代理，网络立刻恢复（直连）。以后要用代理时先打开 "
                            "ClashX，再让本工具开启系统代理即可。"));
    QCOMPARE(
        finding.manualSteps,
        QStringList{QStringLiteral("系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭全部代理")});
    QVERIFY(finding.hasFix());
    QCOMPARE(finding.fix->id, QStringLiteral("fix-proxy-off-all"));
    QCOMPARE(finding.fix->title, QStringLiteral("一键关闭系统代理（立即恢复上网）"));
    QCOMPARE(finding.fix->successHint, QStringLiteral("已关闭所有服务的系统代理，网络已恢复直连"));
    QVERIFY(!finding.fix->needsAdmin);
    QVERIFY(finding.fix->fallbackAdmin);

    QStringList expected;
    for (const QString &q : {QStringLiteral("'Wi-Fi'"), QStringLiteral("'USB 10/100/1000 LAN'"),
                             QStringLiteral("'Bob'\\''s Hotspot'")}) {
        expected << QStringLiteral("networksetup -setwebproxystate ") + q + QStringLiteral(" off")
                 << QStringLiteral("networksetup -setsecurewebproxystate ") + q +
                        QStringLiteral(" off")
                 << QStringLiteral("networksetup -setsocksfirewallproxystate ") + q +
                        QStringLiteral(" off")
                 << QStringLiteral("networksetup -setautoproxystate ") + q + QStringLiteral(" off");
    }
    QCOMPARE(finding.fix->commands, expected);

    DiagnosticsRun run;
    run.ctx = ctx;
    QCOMPARE(run.disableAllProxyCommands(), expected);
    run.ctx.allServices.clear();
    QVERIFY(run.disableAllProxyCommands().isEmpty());
}

void TestCheckProxy::portDeadNamesTarget_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("target");

    QTest::newRow("loopback 7890") << "127.0.0.1"
                                   << "7890"
                                   << "127.0.0.1:7890";
    QTest::newRow("empty host reads as loopback") << ""
                                                  << "7897"
                                                  << "127.0.0.1:7897";
    QTest::newRow("empty port shows a question mark") << "10.0.0.2"
                                                      << ""
                                                      << "10.0.0.2:?";
}

void TestCheckProxy::portDeadNamesTarget()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QString, target);

    NetContext ctx = proxyContext(true, true, false);
    ctx.proxyHost = host;
    ctx.proxyPort = port;
    ctx.allServices.clear(); // an empty service list leaves the repair without commands
    const Finding finding = runCheck(ctx).first();
    QCOMPARE(finding.id, QStringLiteral("proxy-port-dead"));
    QCOMPARE(finding.title,
             QStringLiteral("代理软件在运行，但端口 ") + target + QStringLiteral(" 无法连接"));
    QCOMPARE(finding.detail,
             QStringLiteral("检测到 ClashX 正在运行，但系统代理指向的 ") + target +
                 QStringLiteral(
                     " 端口拒绝连接或未监听。\n这种情况同样会导致断网。可能是代理尚未启动完成、"
                     "配置端口不一致、或核心进程崩溃。"));
    QCOMPARE(finding.fixHint,
             QStringLiteral("临时关闭系统代理恢复上网；然后重启 ClashX（或在 ClashX "
                            "菜单里重新点「设置为系统代理」）。"));
    QCOMPARE(finding.manualSteps.size(), 3);
    QVERIFY(finding.hasFix());
    QCOMPARE(finding.fix->id, QStringLiteral("fix-proxy-off-2"));
    QCOMPARE(finding.fix->title, QStringLiteral("关闭系统代理（恢复上网）"));
    QCOMPARE(finding.fix->successHint, QStringLiteral("已关闭系统代理"));
    QVERIFY(finding.fix->commands.isEmpty());
}

void TestCheckProxy::proxyOkAndBypass_data()
{
    QTest::addColumn<QStringList>("apps");
    QTest::addColumn<QStringList>("bypass");
    QTest::addColumn<QString>("okDetail");
    QTest::addColumn<QString>("bypassShown"); // null: no bypass finding

    const QString unknownClient = QStringLiteral(
        "代理客户端：代理客户端\n代理地址：127.0.0.1:7890（端口监听正常）\n启用服务：Wi-Fi");
    QTest::newRow("both local entries among others")
        << QStringList{} << QStringList{"*.local", "localhost", "127.0.0.1"} << unknownClient
        << QString();
    QTest::newRow("localhost only") << QStringList{} << QStringList{"localhost", "*.local"}
                                    << unknownClient << QStringLiteral("localhost, *.local");
    QTest::newRow("empty list") << QStringList{} << QStringList{} << unknownClient
                                << QStringLiteral("（空）");
    QTest::newRow("no list: the tool's sentence")
        << QStringList{"ClashX", "mihomo"}
        << QStringList{"There aren't any bypass domains set on Wi-Fi."}
        << QStringLiteral("代理客户端：ClashX、mihomo\n代理地址：127.0.0.1:"
                          "7890（端口监听正常）\n启用服务：Wi-Fi")
        << QStringLiteral("There aren't any bypass domains set on Wi-Fi.");
}

void TestCheckProxy::proxyOkAndBypass()
{
    QFETCH(QStringList, apps);
    QFETCH(QStringList, bypass);
    QFETCH(QString, okDetail);
    QFETCH(QString, bypassShown);

    NetContext ctx = proxyContext(true, !apps.isEmpty(), true);
    ctx.clashApps = apps;
    ctx.bypassDomains = bypass;
    ctx.service = QStringLiteral("Bob's Wi-Fi");
    const QList<Finding> findings = runCheck(ctx);
    QCOMPARE(findings.first().id, QStringLiteral("proxy-ok"));
    QCOMPARE(findings.first().title, QStringLiteral("系统代理链路正常"));
    QCOMPARE(findings.first().detail, okDetail);
    QVERIFY(!findings.first().hasFix());
    if (bypassShown.isNull()) {
        QCOMPARE(findings.size(), 1);
        return;
    }
    QCOMPARE(findings.size(), 2);
    const Finding &finding = findings.at(1);
    QCOMPARE(finding.id, QStringLiteral("proxy-bypass"));
    QCOMPARE(finding.severity, Severity::warn);
    QCOMPARE(finding.title, QStringLiteral("代理例外列表缺少本地地址"));
    QCOMPARE(finding.detail,
             QStringLiteral(
                 "代理未排除 127.0.0.1 / localhost，本地服务（Docker、本地开发服务器、部分 AI "
                 "工具的回调）可能被错误代理导致连接失败。\n当前例外：") +
                 bypassShown);
    QCOMPARE(finding.fixHint, QStringLiteral("补全本地地址例外列表，不影响正常上网。"));
    QVERIFY(finding.manualSteps.isEmpty());
    QCOMPARE(finding.fix->id, QStringLiteral("fix-proxy-bypass"));
    QCOMPARE(finding.fix->title, QStringLiteral("补全代理例外列表"));
    QCOMPARE(finding.fix->commands,
             QStringList{
                 QStringLiteral("networksetup -setproxybypassdomains 'Bob'\\''s Wi-Fi' 127.0.0.1 "
                                "localhost *.local 10.0.0.0/8 172.16.0.0/12 192.168.0.0/16")});
    QCOMPARE(finding.fix->successHint, QStringLiteral("已补全本地地址例外"));
    QVERIFY(finding.fix->fallbackAdmin);
}

QTEST_GUILESS_MAIN(TestCheckProxy)
#include "tst_checkproxy.moc"
