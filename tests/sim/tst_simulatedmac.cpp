// The simulation folder: made from a scenario, reused across runs, never replacing a folder
// it did not make.

#include "exec/runner.h"
#include "exec/shell.h"
#include "sim/simulatedmac.h"
#include "sim/simulationmode.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSimulatedMac : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void folderOutlivesTheProcessUntilMadeAfresh();
    void scenarioFileExtendsAnother();
    void refusesToReplaceAForeignFolder();
    void defaultScenarioIsExplained();

private:
    QTemporaryDir m_root;
};

void TestSimulatedMac::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", QFile::encodeName(m_root.path()));
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
    QVERIFY(!SimulatedMac::open("no-such-mac", true, &error));
    QVERIFY(error.contains("no-such-mac"));
}

void TestSimulatedMac::defaultScenarioIsExplained()
{
    const QByteArray oldHome = qgetenv("HOME");
    QString note, error;
    const std::shared_ptr<Runner> before = currentRunner();
    qunsetenv("BREVIK_SIMULATE");
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
