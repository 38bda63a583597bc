#include "exec/shell.h"
#include "model/netconfig.h"
#include "repair/fixengine.h"
#include "tests/integration/scanonsim.h"

#include <QTest>

namespace {

QStringList servicesWithProxyOn(const SimulatedMac &mac)
{
    OnSimulatedMac on(mac);
    QStringList on_;
    for (const QString &service : NetConfig::allServices()) {
        if (NetConfig::proxyState(service).enabled)
            on_ << service;
    }
    return on_;
}

QList<SimCall> promptsOf(const SimulatedMac &mac)
{
    QList<SimCall> prompts;
    for (const SimCall &call : mac.calls()) {
        if (call.tool == QLatin1String("osascript"))
            prompts << call;
    }
    return prompts;
}

} // namespace

class TestRepairsOnSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void batchAsksForThePasswordOnce();
    void cancelledPromptChangesNothing();

private:
    QTemporaryDir m_root;
};

void TestRepairsOnSim::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0.1");
}

void TestRepairsOnSim::batchAsksForThePasswordOnce()
{
    // Three faults whose repairs all end up needing rights: the residual proxy (settings
    // locked to administrators, so its plain run fails), a clock an hour ahead and a
    // hijacked hosts entry.
    QTemporaryDir dir;
    const QString hosts = QStringLiteral(
        "127.0.0.1\tlocalhost\n255.255.255.255\tbroadcasthost\n0.0.0.0 api.anthropic.com\n");
    const QString path = writeScenario(
        dir, QStringLiteral("three-faults"),
        {{"extends", "residual-proxy"},
         {"clockOffsetSeconds", 3600},
         {"hostsFile", hosts},
         {"admin", QJsonObject{{"prompt", "accept"}, {"networksetupNeedsAdmin", true}}}});
    QString error;
    const auto mac = SimulatedMac::open(path, true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome before = scanOn(*mac);
    for (const char *id : {"proxy-dead-crash", "clock-skew", "hosts-hijack"})
        QVERIFY2(before.ids().contains(QLatin1String(id)), qPrintable(before.ids().join(", ")));

    QStringList adminCommands;
    QStringList adminIds;
    for (const Finding &finding : before.findings) {
        if (finding.fix && (finding.fix->needsAdmin || finding.fix->fallbackAdmin)) {
            adminCommands += finding.fix->commands;
            adminIds << finding.id;
        }
    }
    QMap<QString, QString> logs;
    {
        OnSimulatedMac on(*mac);
        logs = FixEngine::applyAll(before.findings, {});
    }
    const QList<SimCall> prompts = promptsOf(*mac);
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(prompts.first().args.size(), 2);
    // The stand-ins see the command after the simulation moved /etc/hosts into its folder.
    QString expected = adminCommandLine(adminCommands);
    for (const auto &[from, to] : mac->makeRunner()->options().pathMap)
        expected.replace(from, to);
    QCOMPARE(QStringLiteral("osascript -e ") + shellQuote(prompts.first().args.at(1)), expected);
    for (const QString &id : adminIds)
        QCOMPARE(logs.value(id), logs.value(adminIds.first()));
    QVERIFY2(logs.value(adminIds.first()).startsWith(QStringLiteral("✅ 修复成功")),
             qPrintable(logs.value(adminIds.first())));

    const ScanOutcome after = scanOn(*mac);
    for (const char *id : {"proxy-dead-crash", "clock-skew", "hosts-hijack"})
        QVERIFY2(!after.ids().contains(QLatin1String(id)), id);
    QFile backup(mac->hostsFile() + QStringLiteral(".brevik.bak"));
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(backup.readAll()), hosts);
}

void TestRepairsOnSim::cancelledPromptChangesNothing()
{
    QString error;
    const auto mac = SimulatedMac::open(QStringLiteral("admin-cancel"), true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome scan = scanOn(*mac);
    const auto crash = scan.find(QStringLiteral("proxy-dead-crash"));
    QVERIFY(crash && crash->fix);
    const QStringList proxiesBefore = servicesWithProxyOn(*mac);
    QVERIFY(!proxiesBefore.isEmpty());

    FixResult single;
    QMap<QString, QString> batch;
    {
        OnSimulatedMac on(*mac);
        single = FixEngine::apply(*crash->fix);
        batch = FixEngine::applyAll({*crash}, {});
    }
    QVERIFY(!single.ok);
    QCOMPARE(single.log, QStringLiteral("⚠️ 已取消授权，未做任何修改。"));
    QCOMPARE(batch.value(crash->id),
             QStringLiteral(
                 "❌ 批量修复失败：\n⚠️ 已取消授权，未做任何修改。"));
    QCOMPARE(servicesWithProxyOn(*mac), proxiesBefore);
}

QTEST_GUILESS_MAIN(TestRepairsOnSim)
#include "tst_repairsonsim.moc"
