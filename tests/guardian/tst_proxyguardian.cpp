#include "guardian/proxyguardian.h"

#include "exec/shell.h"
#include "model/netconfig.h"
#include "tests/support/scriptedrunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

const QString kProxyQuery = QStringLiteral("scutil --proxy");
const QString kPortTest = QStringLiteral("nc -z -G 1 127.0.0.1 7890 2>/dev/null");
const QString kClientTest = QStringLiteral(
    "ps -Ao comm= 2>/dev/null | grep -i -E "
    "'clash|mihomo|surge|stash|verge|quantumult|sing-box|v2ray|xray|trojan' | grep -v grep");
const QString kOwnAddresses = QStringLiteral("ifconfig -a 2>/dev/null");
const QString kServices = QStringLiteral("networksetup -listallnetworkservices 2>/dev/null");

// "scutil --proxy" as a Mac prints it with ClashX's settings in place (%1: the host);
// switched off, the host and port keys stay behind.
const QString kProxyOn =
    QStringLiteral("<dictionary> {\n  ExceptionsList : <array> {\n    0 : 127.0.0.1\n  }\n"
                   "  HTTPEnable : 1\n  HTTPPort : 7890\n  HTTPProxy : %1\n"
                   "  HTTPSEnable : 1\n  HTTPSPort : 7890\n  HTTPSProxy : %1\n}\n");
const QString kProxyOff = QStringLiteral(
    "<dictionary> {\n  HTTPEnable : 0\n  HTTPPort : 7890\n  HTTPProxy : 127.0.0.1\n}\n");
// A PAC file on disk names no host and port to test.
const QString kPacFile =
    QStringLiteral("<dictionary> {\n  HTTPEnable : 0\n"
                   "  ProxyAutoConfigEnable : 1\n"
                   "  ProxyAutoConfigURLString : file:///Users/alice/proxy.pac\n}\n");
// What a repair that missed the automatic proxy leaves behind.
const QString kPacLeft =
    QStringLiteral("<dictionary> {\n  HTTPEnable : 0\n  HTTPPort : 7890\n"
                   "  ProxyAutoConfigEnable : 1\n"
                   "  ProxyAutoConfigURLString : http://127.0.0.1:7890/pac\n}\n");

const QString kConfirming =
    QStringLiteral("⚠️ 发现残留代理 127.0.0.1:7890（无人监听）——确认中…");
const QString kRepaired =
    QStringLiteral("✅ 已自动修复：系统代理残留（127.0.0.1:7890）已关闭，网络恢复直连");

// What an agent run that repaired shows the user.
const QString kNotification =
    QStringLiteral("osascript -e 'display notification \"已关闭所有网络服务上残留的系统代理 "
                   "127.0.0.1:7890，网络恢复直连。如需撤销：运行 brevik --undo，或在 Brevik "
                   "窗口菜单选择「撤销上次修复」。\" "
                   "with title \"Brevik\"'");

QStringList disableAll()
{
    return NetConfig::disableProxyCommands(QStringLiteral("Wi-Fi")) +
           NetConfig::disableProxyCommands(QStringLiteral("Thunderbolt Bridge"));
}

// Before repairing, the journal reads each setting the repair changes, once.
QStringList scriptRecordingQueries(ScriptedRunner &runner)
{
    QStringList queries;
    for (const QString &service : {QStringLiteral("Wi-Fi"), QStringLiteral("Thunderbolt Bridge")}) {
        const QString quoted = QLatin1Char(' ') + shellQuote(service);
        for (const char *kind : {"webproxy", "securewebproxy", "socksfirewallproxy"}) {
            queries << QStringLiteral("networksetup -get") + QLatin1String(kind) + quoted;
            runner.on(queries.last(), 0,
                      QStringLiteral("Enabled: Yes\nServer: 127.0.0.1\nPort: 7890\n"));
        }
        queries << QStringLiteral("networksetup -getautoproxyurl") + quoted;
        runner.on(queries.last(), 0, QStringLiteral("URL: (null)\nEnabled: No\n"));
    }
    return queries;
}

// Scripts one check for an observation token and returns the commands it must run.
//   off, noport, alive, client: what the machine shows;
//   dead: port dead and no client (the client's helper still runs); the suffix names what
//   the check should then do: -paused (autoFix off), -fixed, -unverified, -noservice;
//   remote, own: a dead proxy on another host, or on one of this Mac's own addresses.
QStringList scriptObservation(ScriptedRunner &runner, const QString &token)
{
    if (token == QLatin1String("off")) {
        runner.on(kProxyQuery, 0, kProxyOff);
        return {kProxyQuery};
    }
    if (token == QLatin1String("noport")) {
        runner.on(kProxyQuery, 0, kPacFile);
        return {kProxyQuery};
    }
    if (token == QLatin1String("remote") || token == QLatin1String("own")) {
        const QString host = token == QLatin1String("own") ? QStringLiteral("192.168.1.23")
                                                           : QStringLiteral("10.20.30.40");
        const QString portTest = QStringLiteral("nc -z -G 1 %1 7890 2>/dev/null").arg(host);
        runner.on(kProxyQuery, 0, kProxyOn.arg(host))
            .on(portTest, 1)
            .on(kClientTest, 1)
            .on(kOwnAddresses, 0,
                QStringLiteral("\tinet6 fe80::1%lo0 prefixlen 64 scopeid 0x1\n"
                               "\tinet 192.168.1.23 netmask 0xffffff00 broadcast 192.168.1.255\n"));
        return {kProxyQuery, portTest, kClientTest, kOwnAddresses};
    }
    runner.on(kProxyQuery, 0, kProxyOn.arg(QStringLiteral("127.0.0.1")));
    const bool alive = token == QLatin1String("alive");
    const bool client = token == QLatin1String("client");
    runner.on(kPortTest, alive ? 0 : 1);
    // A client's privileged helper outlives it and is no client.
    runner.on(kClientTest, 0,
              client ? QStringLiteral("/Applications/ClashX Pro.app/Contents/MacOS/ClashX Pro\n")
                     : QStringLiteral("/Library/PrivilegedHelperTools/"
                                      "com.west2online.ClashX.ProxyConfigHelper\n"));
    QStringList expected{kProxyQuery, kPortTest, kClientTest};
    if (token == QLatin1String("dead-noservice")) {
        runner.on(kServices, 0,
                  QStringLiteral("An asterisk (*) denotes that a network service is disabled.\n"));
        expected << kServices;
    } else if (token == QLatin1String("dead-fixed") || token == QLatin1String("dead-unverified")) {
        runner.on(kServices, 0,
                  QStringLiteral("An asterisk (*) denotes that a network service is disabled.\n"
                                 "Wi-Fi\n*Thunderbolt Bridge\n"));
        const QStringList queries = scriptRecordingQueries(runner);
        for (const QString &command : disableAll())
            runner.on(command, command.contains(QLatin1String("autoproxy")) ? 4 : 0);
        runner.on(kProxyQuery, 0, token == QLatin1String("dead-fixed") ? kProxyOff : kPacLeft);
        expected << kServices << queries << disableAll() << kProxyQuery;
    }
    return expected;
}

// The status texts that carry the proxy's address; the others are fixed sentences and the
// commands run already tell those branches apart.
QString expectedText(const QString &token)
{
    if (token == QLatin1String("alive"))
        return QStringLiteral("代理链路正常（127.0.0.1:7890 正在监听）");
    if (token == QLatin1String("dead-paused"))
        return QStringLiteral("⚠️ 发现残留代理 "
                              "127.0.0.1:7890（无人监听）——已暂停自动修复");
    if (token == QLatin1String("dead-fixed"))
        return kRepaired;
    if (token == QLatin1String("dead"))
        return kConfirming;
    if (token == QLatin1String("remote"))
        return QStringLiteral("系统代理指向其他主机 10.20.30.40:7890（无法连接）——"
                              "不是本机残留，守护不会关闭它");
    return {};
}

QStringList messages(const ProxyGuardian &guardian)
{
    QStringList list;
    for (const QString &line : guardian.logTail(100))
        list << line.mid(21);
    return list;
}

} // namespace

class TestProxyGuardian : public QObject {
    Q_OBJECT
private slots:
    void init();
    void confirmationStateTable_data();
    void confirmationStateTable();
    void readsProxyEndpoint_data();
    void readsProxyEndpoint();
    void repairLogsAndCounts();
    void quietAgentRunLeavesNoTrace_data();
    void quietAgentRunLeavesNoTrace();
    void agentRunsCarryTheirCount_data();
    void agentRunsCarryTheirCount();
    void appCheckKeepsItsOwnCount();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestProxyGuardian::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
}

void TestProxyGuardian::confirmationStateTable_data()
{
    QTest::addColumn<QStringList>("observations");
    QTest::addColumn<QList<int>>("counters");

    QTest::newRow("second dead observation repairs")
        << QStringList{"dead", "dead-fixed"} << QList<int>{1, 0};
    QTest::newRow("live port resets the count")
        << QStringList{"dead", "alive", "dead", "dead-fixed"} << QList<int>{1, 0, 1, 0};
    QTest::newRow("running client resets the count")
        << QStringList{"dead", "client", "dead", "dead-fixed"} << QList<int>{1, 0, 1, 0};
    QTest::newRow("proxy off resets the count")
        << QStringList{"dead", "off", "dead", "dead-fixed"} << QList<int>{1, 0, 1, 0};
    QTest::newRow("no port leaves the count alone")
        << QStringList{"dead", "noport", "dead-fixed"} << QList<int>{1, 1, 0};
    QTest::newRow("paused checks keep counting")
        << QStringList{"dead", "dead-paused", "dead-paused", "dead-fixed"}
        << QList<int>{1, 2, 3, 0};
    QTest::newRow("unverified repair is retried at once")
        << QStringList{"dead", "dead-unverified", "dead-fixed"} << QList<int>{1, 2, 0};
    QTest::newRow("another host's dead proxy is never counted")
        << QStringList{"dead", "remote", "remote", "own"} << QList<int>{1, 0, 0, 1};
    QTest::newRow("no network service changes nothing")
        << QStringList{"dead", "dead-noservice", "dead-noservice"} << QList<int>{1, 2, 3};
}

void TestProxyGuardian::confirmationStateTable()
{
    QFETCH(QStringList, observations);
    QFETCH(QList<int>, counters);

    ProxyGuardian guardian(m_home->path());
    int fixes = 0;
    for (qsizetype i = 0; i < observations.size(); ++i) {
        const QString &token = observations.at(i);
        auto runner = std::make_shared<ScriptedRunner>();
        const QStringList expectedCommands = scriptObservation(*runner, token);
        ScopedRunner scope(runner);

        const ProxyGuardian::Status status =
            guardian.checkOnce(token != QLatin1String("dead-paused"));
        const QString step = QStringLiteral("step %1 (%2)").arg(i + 1).arg(token);
        QVERIFY2(runner->commands() == expectedCommands,
                 qPrintable(step + ": " + runner->commands().join(" | ")));
        if (!expectedText(token).isEmpty())
            QCOMPARE(status.text, expectedText(token));
        QVERIFY2(guardian.consecutiveFailures() == counters.at(i), qPrintable(step));
        QCOMPARE(status.didFix, token == QLatin1String("dead-fixed"));
        fixes += status.didFix ? 1 : 0;
        VERIFY_ALL_SCRIPTED(*runner);
    }
    QCOMPARE(guardian.fixedCount(), fixes);
    QCOMPARE(guardian.lastFix().has_value(), fixes > 0);
}

void TestProxyGuardian::readsProxyEndpoint_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("portTest"); // empty: no port test expected

    QTest::newRow("https only: its own host")
        << QStringLiteral("  HTTPSEnable : 1\n  HTTPSPort : 8443\n  HTTPSProxy : 10.0.0.9\n")
        << QStringLiteral("10.0.0.9") << QStringLiteral("8443")
        << QStringLiteral("nc -z -G 1 10.0.0.9 8443 2>/dev/null");
    QTest::newRow("http port wins over https port")
        << QStringLiteral("  HTTPEnable : 1\n  HTTPPort : 7890\n  HTTPSPort : 7891\n")
        << QStringLiteral("127.0.0.1") << QStringLiteral("7890") << kPortTest;
    QTest::newRow("hostile host stays one quoted word")
        << QStringLiteral("HTTPEnable : 1\nHTTPProxy : x;touch /tmp/p\nHTTPPort : 80 $(id)\n")
        << QStringLiteral("x;touch /tmp/p") << QStringLiteral("80 $(id)")
        << QStringLiteral("nc -z -G 1 'x;touch /tmp/p' '80 $(id)' 2>/dev/null");
    QTest::newRow("socks only: the switched-off http keys say nothing")
        << QStringLiteral("HTTPEnable : 0\nHTTPPort : 7890\nProxyAutoConfigEnable : 0\n"
                          "SOCKSEnable : 1\nSOCKSPort : 1080\nSOCKSProxy : 127.0.0.2\n")
        << QStringLiteral("127.0.0.2") << QStringLiteral("1080")
        << QStringLiteral("nc -z -G 1 127.0.0.2 1080 2>/dev/null");
    QTest::newRow("pac only: host and port of its URL")
        << QStringLiteral("HTTPEnable : 0\nProxyAutoConfigEnable : 1\n"
                          "ProxyAutoConfigURLString : http://[::1]:1089/proxy.pac\n")
        << QStringLiteral("::1") << QStringLiteral("1089")
        << QStringLiteral("nc -z -G 1 ::1 1089 2>/dev/null");
    QTest::newRow("failed query finds nothing")
        << QString() << QStringLiteral("127.0.0.1") << QString() << QString();
}

void TestProxyGuardian::readsProxyEndpoint()
{
    QFETCH(QString, output);
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QString, portTest);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kProxyQuery, output.isEmpty() ? 1 : 0, output);
    if (!portTest.isEmpty())
        runner->on(portTest, 0).on(kClientTest, 1);
    ScopedRunner scope(runner);
    ProxyGuardian guardian(m_home->path());

    const ProxyGuardian::Status status = guardian.checkOnce(true);
    QCOMPARE(status.proxyHost, host);
    QCOMPARE(status.proxyPort, port);
    QCOMPARE(status.proxyEnabled, !output.isEmpty());
    QCOMPARE(status.portAlive, !portTest.isEmpty());
    QCOMPARE(runner->count(portTest), portTest.isEmpty() ? 0 : 1);
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, 6.0);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestProxyGuardian::repairLogsAndCounts()
{
    ProxyGuardian guardian(m_home->path());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    for (const QString &token : {QStringLiteral("dead"), QStringLiteral("dead-unverified"),
                                 QStringLiteral("dead-fixed")}) {
        auto runner = std::make_shared<ScriptedRunner>();
        scriptObservation(*runner, token);
        ScopedRunner scope(runner);
        guardian.checkOnce(true);
        for (const ScriptedRunner::Call &call : runner->calls()) {
            if (call.command.startsWith(QLatin1String("networksetup -set")))
                QCOMPARE(call.timeout, 10.0);
        }
    }
    QCOMPARE(messages(guardian),
             QStringList({QStringLiteral("[失败] 尝试关闭残留代理未生效"),
                          QStringLiteral("[自动修复] 关闭残留系统代理 127.0.0.1:7890（服务：Wi-Fi、"
                                         "Thunderbolt Bridge）")}));
    QCOMPARE(guardian.fixedCount(), 1);
    QVERIFY(guardian.lastFix().has_value() && *guardian.lastFix() >= before);
}

void TestProxyGuardian::quietAgentRunLeavesNoTrace_data()
{
    QTest::addColumn<QString>("observation");
    QTest::newRow("healthy proxy") << QStringLiteral("alive");
    QTest::newRow("no port") << QStringLiteral("noport");
    // Every five seconds away from the office would otherwise add a line.
    QTest::newRow("another host's proxy") << QStringLiteral("remote");
    // A dead proxy is printed and logged: the command-line tests run that end to end.
}

void TestProxyGuardian::quietAgentRunLeavesNoTrace()
{
    QFETCH(QString, observation);

    auto runner = std::make_shared<ScriptedRunner>();
    scriptObservation(*runner, observation);
    ScopedRunner scope(runner);
    ProxyGuardian guardian(m_home->path());
    // Logs past their limit are cut all the same: launchd appends to the agent's on its own.
    const QString logs = m_home->path() + "/Library/Logs/Brevik/";
    const QByteArray oversized = QByteArray(250, 'x').append('\n').repeated(1000) + "last\n";
    for (const char *name : {"guard.log", "agent.log", "agent.err.log"}) {
        QDir().mkpath(logs);
        QFile file(logs + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(oversized);
    }
    QString printed;
    QTextStream out(&printed);
    ProxyGuardian::runCLIOnce(guardian, out, QDateTime::currentDateTime());

    QCOMPARE(printed, QString());
    QCOMPARE(guardian.logTail(1), QStringList{"last"});
    for (const char *name : {"guard.log", "agent.log", "agent.err.log"})
        QCOMPARE(QFileInfo(logs + name).size(), 399 * 251 + 5); // 399 long lines and "last"
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestProxyGuardian::agentRunsCarryTheirCount_data()
{
    QTest::addColumn<QList<int>>("seconds"); // when each agent run starts
    QTest::addColumn<QStringList>("observations");
    QTest::addColumn<QStringList>("printed"); // "" for a quiet run

    // The command-line tests run the cases the agent met in the field: a live port between
    // two dead ones, a repair that did not take, a log folder that cannot be written.
    QTest::newRow("no port leaves the count to the next run")
        << QList<int>{0, 5, 10} << QStringList{"dead", "noport", "dead-fixed"}
        << QStringList{kConfirming, "", kRepaired};
    QTest::newRow("an observation older than three intervals is ignored")
        << QList<int>{0, 16} << QStringList{"dead", "dead"}
        << QStringList{kConfirming, kConfirming};
    QTest::newRow("an observation from the future is ignored")
        << QList<int>{30, 0} << QStringList{"dead", "dead"}
        << QStringList{kConfirming, kConfirming};
}

void TestProxyGuardian::agentRunsCarryTheirCount()
{
    QFETCH(QList<int>, seconds);
    QFETCH(QStringList, observations);
    QFETCH(QStringList, printed);

    const QDateTime start = QDateTime::fromString("2026-03-04 10:00:00", "yyyy-MM-dd HH:mm:ss");
    for (qsizetype i = 0; i < observations.size(); ++i) {
        auto runner = std::make_shared<ScriptedRunner>();
        QStringList expectedCommands = scriptObservation(*runner, observations.at(i));
        if (observations.at(i) == QLatin1String("dead-fixed")) {
            runner->on(kNotification, 0);
            expectedCommands << kNotification;
        }
        ScopedRunner scope(runner);
        // Every agent run is a process of its own.
        ProxyGuardian guardian(m_home->path());
        QString text;
        QTextStream out(&text);
        ProxyGuardian::runCLIOnce(guardian, out, start.addSecs(seconds.at(i)));

        const QString step = QStringLiteral("run %1").arg(i + 1);
        QVERIFY2(text == (printed.at(i).isEmpty() ? QString() : printed.at(i) + '\n'),
                 qPrintable(step + ": " + text));
        QVERIFY2(runner->commands() == expectedCommands, qPrintable(step));
        VERIFY_ALL_SCRIPTED(*runner);
    }
}

void TestProxyGuardian::appCheckKeepsItsOwnCount()
{
    // The app's timer counts in memory; what an agent run left must not shorten its count.
    ProxyGuardian guardian(m_home->path());
    GuardState::save(guardian.statePaths(),
                     {QStringLiteral("127.0.0.1:7890"), 1, QDateTime::currentDateTime()});
    auto runner = std::make_shared<ScriptedRunner>();
    scriptObservation(*runner, QStringLiteral("dead"));
    ScopedRunner scope(runner);

    const ProxyGuardian::Status status = guardian.checkOnce(true);
    QCOMPARE(status.text, kConfirming);
    QVERIFY(!status.didFix);
    QCOMPARE(guardian.consecutiveFailures(), 1);
    VERIFY_ALL_SCRIPTED(*runner);
}

QTEST_GUILESS_MAIN(TestProxyGuardian)
#include "tst_proxyguardian.moc"
