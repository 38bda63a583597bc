#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/diagnostics/pingoutput.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

namespace {

const QString kAli = QStringLiteral("223.5.5.5");
const QString kCloudflare = QStringLiteral("1.1.1.1");
const QString kPingAli = QStringLiteral("ping -c 5 -t 4 223.5.5.5");
const QString kPingCloudflare = QStringLiteral("ping -c 5 -t 4 1.1.1.1");

} // namespace

class TestCheckInternet : public QObject {
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void repairs_data();
    void repairs();
};

void TestCheckInternet::decision_data()
{
    QTest::addColumn<int>("codeA");
    QTest::addColumn<QString>("outA");
    QTest::addColumn<int>("codeB");
    QTest::addColumn<QString>("outB");
    QTest::addColumn<QString>("id");
    QTest::addColumn<Severity>("severity");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("detail");

    const QString lossDetail = QStringLiteral(
        "网络时通时断，音视频会议会卡顿。常见原因：Wi-Fi 信号弱、路由器过热、线路质量差。");

    QTest::newRow("one target answering fully is enough")
        << 0 << pingOutput(kAli, 5, 5) << 2 << pingOutput(kCloudflare, 5, 0) << "internet-ok"
        << Severity::ok << "外网连通正常"
        << "223.5.5.5 丢包 0%，1.1.1.1 丢包 100%";
    QTest::newRow("best of the two is exactly 20 percent")
        << 0 << pingOutput(kAli, 5, 4) << 2 << pingOutput(kCloudflare, 5, 0) << "internet-loss"
        << Severity::warn << "公网丢包率偏高（20%）" << lossDetail;
    QTest::newRow("both lose two of five")
        << 0 << pingOutput(kAli, 5, 3) << 0 << pingOutput(kCloudflare, 5, 3) << "internet-loss"
        << Severity::warn << "公网丢包率偏高（40%）" << lossDetail;
    QTest::newRow("the better target decides")
        << 0 << pingOutput(kAli, 5, 1) << 0 << pingOutput(kCloudflare, 5, 5) << "internet-ok"
        << Severity::ok << "外网连通正常"
        << "223.5.5.5 丢包 80%，1.1.1.1 丢包 0%";
    QTest::newRow("neither answers")
        << 2 << pingOutput(kAli, 5, 0) << 2 << pingOutput(kCloudflare, 5, 0) << "internet-down"
        << Severity::error << "无法访问互联网（公网 IP 不通）"
        << "本地网络可达，但 ping 公网 IP 全部失败。问题在路由器、光猫、宽带线路或运营商侧。";
    QTest::newRow("both failing decides down whatever the summaries say")
        << 68 << QStringLiteral("ping: sendto: No route to host\n") << 2
        << QStringLiteral("5 packets transmitted, 4 packets received, 20.0% packet loss\n")
        << "internet-down" << Severity::error << "无法访问互联网（公网 IP 不通）"
        << "本地网络可达，但 ping 公网 IP 全部失败。问题在路由器、光猫、宽带线路或运营商侧。";
    QTest::newRow("exit 0 without a summary counts as total loss")
        << 0 << QStringLiteral("PING 223.5.5.5 (223.5.5.5): 56 data bytes\n") << 0
        << pingOutput(kCloudflare, 5, 5) << "internet-ok" << Severity::ok << "外网连通正常"
        << "223.5.5.5 丢包 100%，1.1.1.1 丢包 0%";
    // "-t 4" can end a run before all five requests went out, so other fractions occur.
    QTest::newRow("fractions are dropped, never rounded up")
        << 0 << pingOutput(kAli, 3, 1) << 2 << pingOutput(kCloudflare, 5, 0) << "internet-loss"
        << Severity::warn << "公网丢包率偏高（66%）" << lossDetail;
    QTest::newRow("fractions in the ok detail are dropped too")
        << 0 << pingOutput(kAli, 4, 4) << 0 << pingOutput(kCloudflare, 3, 2) << "internet-ok"
        << Severity::ok << "外网连通正常"
        << "223.5.5.5 丢包 0%，1.1.1.1 丢包 33%";
}

void TestCheckInternet::decision()
{
    QFETCH(int, codeA);
    QFETCH(QString, outA);
    QFETCH(int, codeB);
    QFETCH(QString, outB);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kPingAli, codeA, outA).on(kPingCloudflare, codeB, outB);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    run.ctx.iface = QStringLiteral("en0");
    const QList<Finding> findings = run.checkInternet();

    // Both pings always, in this order, with the default limit.
    QCOMPARE(runner->commands(), (QStringList{kPingAli, kPingCloudflare}));
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, 25.0);
    QCOMPARE(findings.size(), 1);
    QTEST(findings.first().id, "id");
    QTEST(findings.first().severity, "severity");
    QTEST(findings.first().title, "title");
    QTEST(findings.first().detail, "detail");
    QCOMPARE(findings.first().category, CheckCategory::connectivity);
}

void TestCheckInternet::repairs_data()
{
    QTest::addColumn<QString>("iface");
    QTest::addColumn<QString>("wifiPort");
    QTest::addColumn<int>("receivedA");
    QTest::addColumn<QString>("fixId");
    QTest::addColumn<QString>("fixTitle");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("needsAdmin");
    QTest::addColumn<bool>("fallbackAdmin");
    QTest::addColumn<QString>("successHint");
    QTest::addColumn<QString>("fixHint");
    QTest::addColumn<QStringList>("manualSteps");

    const QStringList renew{QStringLiteral("ipconfig set en0 BOOTP"), QStringLiteral("sleep 1"),
                            QStringLiteral("ipconfig set en0 DHCP")};
    const QStringList wifi{QStringLiteral("networksetup -setairportpower en1 off"),
                           QStringLiteral("sleep 2"),
                           QStringLiteral("networksetup -setairportpower en1 on")};
    const QString downHint =
        QStringLiteral("先续订 DHCP + 重置网络接口；若无效请重启光猫/路由器，检查宽带是否欠费。");
    const QStringList downSteps{QStringLiteral("重启光猫与路由器（断电 30 秒）"),
                                QStringLiteral("检查宽带账号是否欠费"),
                                QStringLiteral("拨打运营商客服报障")};
    const QString lossHint =
        QStringLiteral("重启网络接口；持续存在请用网线直连测试，必要时找运营商检修线路。");

    QTest::newRow("down: renew, then restart wi-fi")
        << "en0"
        << "en1" << 0 << "fix-internet"
        << "续订 DHCP + 重置接口" << renew + wifi << true << false << "网络配置已刷新" << downHint
        << downSteps;
    QTest::newRow("down without wi-fi: renew only")
        << "en0"
        << "" << 0 << "fix-internet"
        << "续订 DHCP + 重置接口" << renew << true << false << "网络配置已刷新" << downHint
        << downSteps;
    QTest::newRow("down with a hostile interface name")
        << "en0`id`"
        << "" << 0 << "fix-internet"
        << "续订 DHCP + 重置接口"
        << QStringList{"ipconfig set 'en0`id`' BOOTP", "sleep 1", "ipconfig set 'en0`id`' DHCP"}
        << true << false << "网络配置已刷新" << downHint << downSteps;
    QTest::newRow("loss: restart wi-fi")
        << "en0"
        << "en1" << 3 << "fix-internet-loss"
        << "重置网络接口" << wifi << false << true << "网络接口已重置" << lossHint << QStringList{};
    QTest::newRow("loss without wi-fi has no commands")
        << "en0"
        << "" << 3 << "fix-internet-loss"
        << "重置网络接口" << QStringList{} << false << true << "网络接口已重置" << lossHint
        << QStringList{};
}

void TestCheckInternet::repairs()
{
    QFETCH(QString, iface);
    QFETCH(QString, wifiPort);
    QFETCH(int, receivedA);
    QFETCH(QString, fixId);
    QFETCH(QString, fixTitle);
    QFETCH(QStringList, commands);
    QFETCH(bool, needsAdmin);
    QFETCH(bool, fallbackAdmin);
    QFETCH(QString, successHint);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kPingAli, pingCode(receivedA), pingOutput(kAli, 5, receivedA))
        .on(kPingCloudflare, 2, pingOutput(kCloudflare, 5, 0));
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    run.ctx.iface = iface;
    run.ctx.wifiPort = wifiPort;
    const Finding f = run.checkInternet().value(0);

    VERIFY_ALL_SCRIPTED(*runner);
    QTEST(f.fixHint.value_or(QString()), "fixHint");
    QTEST(f.manualSteps, "manualSteps");
    VERIFY_FIX(f, fixId, fixTitle, commands, needsAdmin, fallbackAdmin, successHint);
}

QTEST_GUILESS_MAIN(TestCheckInternet)
#include "tst_checkinternet.moc"
