#include "diagnostics/diagnosticsrun.h"
#include "tests/diagnostics/findingcheck.h"
#include "tests/diagnostics/pingoutput.h"
#include "tests/support/scriptedrunner.h"

#include <QTest>

using namespace Qt::StringLiterals;

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
};

void TestCheckInternet::decision_data()
{
    QTest::addColumn<int>("codeA");
    QTest::addColumn<QString>("outA");
    QTest::addColumn<int>("codeB");
    QTest::addColumn<QString>("outB");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("fix");
    QTest::addColumn<QStringList>("commands");

    const QStringList renew{"ipconfig set en0 BOOTP", "sleep 1", "ipconfig set en0 DHCP"};
    const QStringList wifi{"networksetup -setairportpower en1 off", "sleep 2",
                           "networksetup -setairportpower en1 on"};

    QTest::newRow("one target answering fully is enough")
        << 0 << pingOutput(kAli, 5, 5) << 2 << pingOutput(kCloudflare, 5, 0) << u"internet-ok/ok"_s
        << u"223.5.5.5 丢包 0%，1.1.1.1 丢包 100%"_s << u"-"_s << QStringList{};
    QTest::newRow("the better target decides")
        << 0 << pingOutput(kAli, 5, 1) << 0 << pingOutput(kCloudflare, 5, 5) << u"internet-ok/ok"_s
        << u"223.5.5.5 丢包 80%，1.1.1.1 丢包 0%"_s << u"-"_s << QStringList{};
    QTest::newRow("best of the two is exactly 20 percent")
        << 0 << pingOutput(kAli, 5, 4) << 2 << pingOutput(kCloudflare, 5, 0)
        << u"internet-loss/warn"_s << u"公网丢包率偏高（20%）"_s << u"fix-internet-loss fallback"_s
        << wifi;
    // "-t 4" can end a run before all five requests went out, so other fractions occur.
    QTest::newRow("fractions are dropped, never rounded up")
        << 0 << pingOutput(kAli, 3, 1) << 2 << pingOutput(kCloudflare, 5, 0)
        << u"internet-loss/warn"_s << u"（66%）"_s << u"fix-internet-loss fallback"_s << wifi;
    QTest::newRow("exit 0 without a summary counts as total loss")
        << 0 << u"PING 223.5.5.5 (223.5.5.5): 56 data bytes\n"_s << 0
        << pingOutput(kCloudflare, 5, 5) << u"internet-ok/ok"_s << u"223.5.5.5 丢包 100%"_s
        << u"-"_s << QStringList{};
    QTest::newRow("neither answers: renew, then restart wi-fi")
        << 2 << pingOutput(kAli, 5, 0) << 2 << pingOutput(kCloudflare, 5, 0)
        << u"internet-down/error"_s << u""_s << u"fix-internet admin"_s << renew + wifi;
    QTest::newRow("both failing decides down whatever the summaries say")
        << 68 << u"ping: sendto: No route to host\n"_s << 2
        << u"5 packets transmitted, 4 packets received, 20.0% packet loss\n"_s
        << u"internet-down/error"_s << u""_s << u"fix-internet admin"_s << renew + wifi;
}

void TestCheckInternet::decision()
{
    QFETCH(int, codeA);
    QFETCH(QString, outA);
    QFETCH(int, codeB);
    QFETCH(QString, outB);
    QFETCH(QString, shown);
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kPingAli, codeA, outA).on(kPingCloudflare, codeB, outB);
    ScopedRunner scope(runner);

    DiagnosticsRun run;
    run.ctx.iface = QStringLiteral("en0");
    run.ctx.wifiPort = QStringLiteral("en1");
    const QList<Finding> findings = run.checkInternet();

    // Both pings always, once each.
    QCOMPARE(sorted(runner->commands()), sorted({kPingAli, kPingCloudflare}));
    QTEST(outline(findings).join(QLatin1Char(',')), "finding");
    VERIFY_SHOWN(findings.first(), shown);
    QTEST(fixShape(findings.first()), "fix");
    QTEST(fixCommands(findings.first()), "commands");
    QCOMPARE(findings.first().category, CheckCategory::connectivity);
}

QTEST_GUILESS_MAIN(TestCheckInternet)
#include "tst_checkinternet.moc"
