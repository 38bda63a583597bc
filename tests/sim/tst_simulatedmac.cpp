// The simulation folder: made from a scenario, never replacing a folder it did not make;
// repairs run on it change it only; a setter's change, also when several run at once, is
// what the next query reads; curl's time limit holds.

#include "diagnostics/endpoints.h"
#include "exec/probes.h"
#include "exec/runner.h"
#include "exec/shell.h"
#include "model/netconfig.h"
#include "sim/simulatedmac.h"
#include "sim/simulationmode.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

using namespace brevik;

namespace {

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The real files a repair on the simulated Mac must leave alone: content and time.
QMap<QString, QPair<QByteArray, QDateTime>> realFiles()
{
    QMap<QString, QPair<QByteArray, QDateTime>> files;
    const QString home = QDir::homePath() + QLatin1Char('/');
    for (const QString &path :
         {QStringLiteral("/etc/hosts"), QStringLiteral("/etc/hosts.brevik.bak"), home + ".zshrc",
          home + ".bashrc", home + ".bash_profile", home + ".zshrc.brevik.bak"})
        files.insert(path, {read(path), QFileInfo(path).lastModified()});
    return files;
}

} // namespace

class TestSimulatedMac : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void refusesToReplaceAForeignFolder();
    void defaultScenarioIsExplained();
    void repairsTouchOnlyTheSimulatedMac();
    void sedRefusesFilesOutsideTheSimulation();
    void settersAreSeenByLaterQueries();
    void slowUrlIsCutAtCurlsLimit();

private:
    QTemporaryDir m_root;
};

void TestSimulatedMac::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", QFile::encodeName(m_root.path()));
    qputenv("BREVIK_SIM_TIME_SCALE", "0.1");
}

void TestSimulatedMac::refusesToReplaceAForeignFolder()
{
    QVERIFY(QDir().mkpath(m_root.filePath("not-ours")));
    const QString precious = m_root.filePath("not-ours/precious.txt");
    QVERIFY(write(precious, "keep me"));
    QVERIFY(write(m_root.filePath("not-ours.json"), R"({"extends": "healthy"})"));

    QString error;
    QVERIFY(!SimulatedMac::open(m_root.filePath("not-ours.json"), true, &error));
    QVERIFY(error.contains("not a simulation folder"));
    QVERIFY(QFileInfo::exists(precious));
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

void TestSimulatedMac::repairsTouchOnlyTheSimulatedMac()
{
    const auto before = realFiles();
    const QByteArray homeBefore = qgetenv("HOME");
    const std::shared_ptr<Runner> runnerBefore = currentRunner();
    QString error;

    const std::optional<SimulatedMac> hijacked = SimulatedMac::open("hosts-hijack", true, &error);
    QVERIFY2(hijacked, qPrintable(error));
    {
        ScopedRunner scope(hijacked->makeRunner());
        const ShellResult result = runAsAdmin(
            {"cp /etc/hosts /etc/hosts.brevik.bak",
             "sed -i '' -E 's/^[[:space:]]*[^#].*(api[.]openai[.]com)/# &/' /etc/hosts"});
        QVERIFY2(result.succeeded(), qPrintable(result.output));
    }
    QVERIFY(read(hijacked->hostsFile()).contains("\n# 104.18.7.192 api.openai.com\n"));

    const std::optional<SimulatedMac> stale = SimulatedMac::open("stale-shell-proxy", true, &error);
    QVERIFY2(stale, qPrintable(error));
    stale->activate();
    QCOMPARE(QDir::homePath(), stale->home());
    const QString zshrc = shellQuote(QDir::homePath() + "/.zshrc");
    QCOMPARE(shell("cp " + zshrc + " " + shellQuote(QDir::homePath() + "/.zshrc.brevik.bak")).code,
             0);
    QCOMPARE(shell("sed -i '' -E 's/^(export https_proxy=)/# \\1/' " + zshrc).code, 0);
    QCOMPARE(shell("grep -c '^# export https_proxy' ~/.zshrc").output.trimmed(), QString("1"));
    for (const QString &command : NetConfig::disableProxyCommands("Wi-Fi"))
        QCOMPARE(shell(command).code, 0);

    installRunner(runnerBefore);
    qputenv("HOME", homeBefore);
    QVERIFY(realFiles() == before);
}

void TestSimulatedMac::sedRefusesFilesOutsideTheSimulation()
{
    QString error;
    const std::optional<SimulatedMac> mac = SimulatedMac::open("healthy", true, &error);
    QVERIFY2(mac, qPrintable(error));
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath("hosts");
    QVERIFY(write(outside, "1.2.3.4 api.openai.com\n"));
    // A link inside the folder that leads out of it is judged by where it leads.
    QVERIFY(QFile::link(outside, mac->home() + "/hosts-link"));

    ScopedRunner scope(mac->makeRunner());
    for (const QString &target : {outside, mac->home() + "/hosts-link"}) {
        const ShellResult result = runAsAdmin({"sed -i '' -E 's/^1/# 1/' " + shellQuote(target)});
        QVERIFY(!result.succeeded());
        QVERIFY2(result.output.contains("edits no file outside"), qPrintable(result.output));
    }
    QCOMPARE(read(outside), QByteArray("1.2.3.4 api.openai.com\n"));

    // The simulated /etc/hosts belongs to root: without the password prompt sed cannot edit it.
    QVERIFY(!shell("sed -i '' -E 's/^127/# 127/' /etc/hosts").succeeded());
    QVERIFY(!read(mac->hostsFile()).contains("# 127"));
    // Plain sed in a pipeline is the machine's own sed.
    QCOMPARE(shell("printf 'a:7890\\n' | sed -E 's/.*:([0-9]+)$/\\1/'").output, QString("7890\n"));
}

void TestSimulatedMac::settersAreSeenByLaterQueries()
{
    QString error;
    const std::optional<SimulatedMac> mac = SimulatedMac::open("healthy", true, &error);
    QVERIFY2(mac, qPrintable(error));
    ScopedRunner scope(mac->makeRunner());
    // Six setters of six different fields at once: a read-modify-write race would lose some.
    const QStringList setters{
        "networksetup -setwebproxy 'Wi-Fi' 10.0.0.1 8001",
        "networksetup -setsecurewebproxystate 'Wi-Fi' off",
        "networksetup -setsocksfirewallproxystate 'USB 10/100/1000 LAN' off",
        "networksetup -setdnsservers 'USB 10/100/1000 LAN' 9.9.9.1",
        "networksetup -setproxybypassdomains 'Thunderbolt Bridge' round1",
        "networksetup -setautoproxyurl 'Wi-Fi' http://pac.lan/8001.pac",
    };
    QList<ShellResult> results(setters.size());
    std::vector<std::thread> threads;
    for (int i = 0; i < setters.size(); ++i)
        threads.emplace_back([&, i] { results[i] = shell(setters.at(i)); });
    for (auto &thread : threads)
        thread.join();
    for (const ShellResult &result : results)
        QVERIFY2(result.succeeded(), qPrintable(result.output));

    const ProxyState wifi = NetConfig::proxyState("Wi-Fi");
    QCOMPARE(wifi.kinds, (QStringList{"HTTP", "SOCKS", "自动代理(PAC)"}));
    QCOMPARE(wifi.host + ":" + wifi.port, QString("10.0.0.1:8001"));
    QVERIFY(shell("scutil --proxy").output.contains("HTTPSProxy : 127.0.0.1")); // kept when off
    QVERIFY(!NetConfig::proxyState("USB 10/100/1000 LAN").kinds.contains("SOCKS"));
    QCOMPARE(shell("networksetup -getdnsservers 'USB 10/100/1000 LAN'").output, "9.9.9.1\n");
    QCOMPARE(NetConfig::proxyState("Thunderbolt Bridge").bypass, QStringList{"round1"});

    QCOMPARE(shell("networksetup -setairportpower en0 off").code, 0);
    QCOMPARE(shell("route -n get default 2>/dev/null").code, 1);
    const ShellResult unknown = shell("networksetup -setwebproxystate 'Ethernet 2' off");
    QCOMPARE(unknown.code, 4);
    QVERIFY(unknown.output.contains("Ethernet 2 is not a recognized network service."));
}

void TestSimulatedMac::slowUrlIsCutAtCurlsLimit()
{
    const auto mac = SimulatedMac::open("healthy", true);
    QVERIFY(mac);
    mac->updateState([](QJsonObject &state) {
        QJsonObject remote = state.value("remote").toObject();
        QJsonObject site = remote.value("api.deepseek.com").toObject();
        site.insert("direct", QJsonObject{{"status", 200}, {"time", 0.2}, {"slow", 10}});
        remote.insert("api.deepseek.com", site);
        state.insert("remote", remote);
        return true;
    });
    ScopedRunner scope(mac->makeRunner());
    const ShellResult result =
        shell(httpProbeCommand(Endpoints::kDeepSeekUrl, std::nullopt, 6), 10);
    QCOMPARE(result.code, 28);
    QVERIFY2(result.output.startsWith("000 6.00"), qPrintable(result.output));
}

QTEST_GUILESS_MAIN(TestSimulatedMac)
#include "tst_simulatedmac.moc"
