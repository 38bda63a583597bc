// Several stand-ins at once, as the AI check's six parallel probes run them: no change is
// lost, the state stays whole, and the call log shows the calls overlapping.

#include "diagnostics/endpoints.h"
#include "exec/probes.h"
#include "exec/runner.h"
#include "exec/shell.h"
#include "model/netconfig.h"
#include "sim/simulatedmac.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

namespace {

// Runs each command on its own thread, all at once; their results in order.
QList<ShellResult> runTogether(const QStringList &commands)
{
    QList<ShellResult> results(commands.size());
    std::vector<std::thread> threads;
    for (int i = 0; i < commands.size(); ++i)
        threads.emplace_back([&, i] { results[i] = shell(commands.at(i)); });
    for (auto &thread : threads)
        thread.join();
    return results;
}

} // namespace

class TestSimConcurrency : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void parallelSettersLoseNothing();
    void parallelProbesOverlapInTheCallLog();

private:
    QTemporaryDir m_root;
};

void TestSimConcurrency::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", QFile::encodeName(m_root.path()));
}

void TestSimConcurrency::parallelSettersLoseNothing()
{
    QString error;
    const std::optional<SimulatedMac> mac = SimulatedMac::open("healthy", true, &error);
    QVERIFY2(mac, qPrintable(error));
    ScopedRunner scope(mac->makeRunner());
    // Six setters of six different fields: a read-modify-write race would lose some.
    for (int round = 0; round < 3; ++round) {
        const QString port = QString::number(8000 + round);
        const QList<ShellResult> results = runTogether({
            "networksetup -setwebproxy 'Wi-Fi' 10.0.0." + QString::number(round) + " " + port,
            "networksetup -setsecurewebproxystate 'Wi-Fi' off",
            "networksetup -setsocksfirewallproxystate 'USB 10/100/1000 LAN' off",
            "networksetup -setdnsservers 'USB 10/100/1000 LAN' 9.9.9." + QString::number(round),
            "networksetup -setproxybypassdomains 'Thunderbolt Bridge' round" +
                QString::number(round),
            "networksetup -setautoproxyurl 'Wi-Fi' http://pac.lan/" + port + ".pac",
        });
        for (const ShellResult &result : results)
            QCOMPARE(result.code, 0);

        const ProxyState wifi = NetConfig::proxyState("Wi-Fi");
        QCOMPARE(wifi.kinds, (QStringList{"HTTP", "SOCKS", "自动代理(PAC)"}));
        QCOMPARE(wifi.host, "10.0.0." + QString::number(round));
        QCOMPARE(wifi.port, port);
        QVERIFY(!NetConfig::proxyState("USB 10/100/1000 LAN").kinds.contains("SOCKS"));
        QCOMPARE(shell("networksetup -getdnsservers 'USB 10/100/1000 LAN'").output,
                 "9.9.9." + QString::number(round) + "\n");
        QCOMPARE(NetConfig::proxyState("Thunderbolt Bridge").bypass,
                 QStringList{"round" + QString::number(round)});
        QVERIFY(!mac->state().isEmpty());
        // Put the two kinds back so the next round changes them again.
        QCOMPARE(shell("networksetup -setsecurewebproxystate 'Wi-Fi' on").code, 0);
        QCOMPARE(shell("networksetup -setsocksfirewallproxystate 'USB 10/100/1000 LAN' on").code,
                 0);
    }
}

void TestSimConcurrency::parallelProbesOverlapInTheCallLog()
{
    QString error;
    const std::optional<SimulatedMac> mac = SimulatedMac::open("healthy", true, &error);
    QVERIFY2(mac, qPrintable(error));
    // Each answer takes two (simulated and real) seconds, so six probes run side by side
    // on any machine that starts them together.
    mac->updateState([](QJsonObject &state) {
        QJsonObject remote = state.value("remote").toObject();
        for (const QString &host : remote.keys()) {
            QJsonObject site = remote.value(host).toObject();
            if (site.contains("direct")) {
                QJsonObject direct = site.value("direct").toObject();
                direct.insert("slow", 2);
                site.insert("direct", direct);
                remote.insert(host, site);
            }
        }
        state.insert("remote", remote);
        return true;
    });
    ScopedRunner scope(mac->makeRunner());
    const QStringList urls{Endpoints::kDeepSeekUrl, Endpoints::kAnthropicUrl,
                           Endpoints::kOpenAIUrl,   Endpoints::kGlmUrl,
                           Endpoints::kGeminiUrl,   Endpoints::kHuggingFaceUrl};
    QStringList commands;
    for (const QString &url : urls)
        commands << httpProbeCommand(url, std::nullopt, 6);
    const QList<ShellResult> results = runTogether(commands);
    for (const ShellResult &result : results)
        QVERIFY2(!result.output.startsWith("000"), qPrintable(result.output));

    const QList<SimCall> calls = mac->calls();
    QCOMPARE(calls.size(), 6);
    int overlapping = 0;
    for (const SimCall &a : calls) {
        QCOMPARE(a.tool, QString("curl"));
        QVERIFY(a.endMs >= a.startMs);
        for (const SimCall &b : calls) {
            if (&a != &b && a.startMs < b.endMs && b.startMs < a.endMs)
                ++overlapping;
        }
    }
    QVERIFY(overlapping > 0);
}

QTEST_GUILESS_MAIN(TestSimConcurrency)
#include "tst_simconcurrency.moc"
