// The simulation folder: made from a scenario, reused across runs, never replacing a folder
// it did not make; every built-in scenario loads into a complete Mac.

#include "exec/runner.h"
#include "exec/shell.h"
#include "sim/scenario.h"
#include "sim/simulatedmac.h"
#include "sim/simulationmode.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

class TestSimulatedMac : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyScenarioIsACompleteMac_data();
    void everyScenarioIsACompleteMac();
    void folderOutlivesTheProcessUntilMadeAfresh();
    void scenarioFileExtendsAnother();
    void refusesToReplaceAForeignFolder();
    void unknownScenarioIsAnError();
    void environmentPicksTheScenario();

private:
    QTemporaryDir m_root;
};

void TestSimulatedMac::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", QFile::encodeName(m_root.path()));
}

void TestSimulatedMac::everyScenarioIsACompleteMac_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names = Scenario::builtInNames();
    // The scenarios the documentation promises.
    for (const char *expected :
         {"healthy", "direct-only", "residual-proxy", "client-no-system-proxy", "proxy-port-dead",
          "offline", "self-assigned-ip", "gateway-icmp-filtered", "dns-poisoned", "captive-portal",
          "clock-skew", "hosts-hijack", "stale-shell-proxy", "mtu-issue", "weak-wifi",
          "ipv6-broken", "vpn-leftover", "admin-cancel"})
        QVERIFY2(names.contains(QLatin1String(expected)), expected);
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << name;
}

void TestSimulatedMac::everyScenarioIsACompleteMac()
{
    QFETCH(QString, name);
    QString error;
    const std::optional<SimulatedMac> mac = SimulatedMac::open(name, true, &error);
    QVERIFY2(mac, qPrintable(error));
    const QJsonObject state = mac->state();
    QCOMPARE(state.value("scenario").toString(), name);
    QVERIFY(!state.contains("extends"));
    // Wi-Fi plus at least one other service, one of them with a blank in its name.
    const QStringList order = [&] {
        QStringList list;
        for (const auto &value : state.value("serviceOrder").toArray())
            list << value.toString();
        return list;
    }();
    QVERIFY(order.contains("Wi-Fi"));
    QVERIFY(order.size() >= 2);
    QVERIFY(
        std::any_of(order.begin(), order.end(), [](const QString &s) { return s.contains(' '); }));
    for (const QString &service : order)
        QVERIFY2(state.value("services").toObject().contains(service), qPrintable(service));

    for (const QString &tool : SimulatedMac::toolNames())
        QVERIFY2(QFileInfo(mac->binDir() + '/' + tool).isExecutable(), qPrintable(tool));
    QVERIFY(QFileInfo::exists(mac->hostsFile()));
    QVERIFY(QFileInfo(mac->home()).isDir());
    QVERIFY(mac->folder().startsWith(m_root.path()));
}

void TestSimulatedMac::folderOutlivesTheProcessUntilMadeAfresh()
{
    QString error;
    {
        const std::optional<SimulatedMac> mac = SimulatedMac::open("residual-proxy", true, &error);
        QVERIFY2(mac, qPrintable(error));
        ScopedRunner scope(mac->makeRunner());
        QCOMPARE(shell("networksetup -setwebproxystate 'Wi-Fi' off").code, 0);
    }
    // Another run (another process in real use) opens the same Mac as it was left.
    std::optional<SimulatedMac> again = SimulatedMac::open("residual-proxy", false, &error);
    QVERIFY2(again, qPrintable(error));
    {
        ScopedRunner scope(again->makeRunner());
        QVERIFY(shell("scutil --proxy").output.contains("HTTPEnable : 0"));
        QVERIFY(!again->calls().isEmpty());
    }
    again = SimulatedMac::open("residual-proxy", true, &error);
    QVERIFY2(again, qPrintable(error));
    ScopedRunner scope(again->makeRunner());
    QVERIFY(shell("scutil --proxy").output.contains("HTTPEnable : 1"));
    QVERIFY(again->calls().size() == 1); // only the query just made
}

void TestSimulatedMac::scenarioFileExtendsAnother()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("my-mac.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"extends": "healthy", "clockOffsetSeconds": -7200,
                   "processes": {"1234": null}, "wifi": {"signal": -75}})");
    file.close();
    QString error;
    const std::optional<SimulatedMac> mac = SimulatedMac::open(file.fileName(), true, &error);
    QVERIFY2(mac, qPrintable(error));
    QCOMPARE(mac->name(), QString("my-mac"));
    const QJsonObject state = mac->state();
    QCOMPARE(state.value("clockOffsetSeconds").toInt(), -7200);
    QVERIFY(!state.value("processes").toObject().contains("1234"));
    QVERIFY(state.value("processes").toObject().contains("512"));
    QCOMPARE(state.value("wifi").toObject().value("signal").toInt(), -75);
    QCOMPARE(state.value("wifi").toObject().value("ssid").toString(), QString("HomeNet-5G"));
}

void TestSimulatedMac::refusesToReplaceAForeignFolder()
{
    const QString foreign = m_root.filePath("not-ours");
    QVERIFY(QDir().mkpath(foreign));
    QFile precious(foreign + "/precious.txt");
    QVERIFY(precious.open(QIODevice::WriteOnly));
    precious.write("keep me");
    precious.close();
    QFile scenario(m_root.filePath("not-ours.json"));
    QVERIFY(scenario.open(QIODevice::WriteOnly));
    scenario.write(R"({"extends": "healthy"})");
    scenario.close();

    QString error;
    QVERIFY(!SimulatedMac::open(scenario.fileName(), true, &error));
    QVERIFY(error.contains("not a simulation folder"));
    QVERIFY(QFileInfo::exists(precious.fileName()));
}

void TestSimulatedMac::unknownScenarioIsAnError()
{
    QString error;
    QVERIFY(!SimulatedMac::open("no-such-mac", true, &error));
    QVERIFY(error.contains("no-such-mac"));
    QVERIFY(!SimulatedMac::open(m_root.filePath("missing.json"), true, &error));
    QVERIFY(!error.isEmpty());
}

void TestSimulatedMac::environmentPicksTheScenario()
{
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("BREVIK_SIMULATE", "no-such-mac");
    QString note, error;
    QVERIFY(!enterSimulationFromEnvironment(&note, &error));
    QVERIFY(error.contains("no-such-mac"));

    qputenv("BREVIK_SIMULATE", "clock-skew");
    qputenv("BREVIK_SIM_FRESH", "1");
    error.clear();
    const std::shared_ptr<Runner> before = currentRunner();
    QVERIFY2(enterSimulationFromEnvironment(&note, &error), qPrintable(error));
    QVERIFY(note.isEmpty()); // asked for explicitly: nothing to explain
    QCOMPARE(QDir::homePath(), m_root.filePath("clock-skew/home"));
    QCOMPARE(shell("networksetup -listallnetworkservices").output.split('\n').value(1),
             QString("Wi-Fi"));

    qunsetenv("BREVIK_SIMULATE");
    qunsetenv("BREVIK_SIM_FRESH");
#ifndef Q_OS_MACOS
    QVERIFY2(enterSimulationFromEnvironment(&note, &error), qPrintable(error));
    QVERIFY(note.contains("residual-proxy"));
    QVERIFY(shell("scutil --proxy").output.contains("HTTPEnable : 1"));
#endif
    installRunner(before);
    qputenv("HOME", oldHome);
}

QTEST_GUILESS_MAIN(TestSimulatedMac)
#include "tst_simulatedmac.moc"
