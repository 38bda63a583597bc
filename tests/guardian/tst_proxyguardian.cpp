#include "guardian/proxyguardian.h"

#include "model/netconfig.h"
#include "tests/support/scriptedrunner.h"
#include "tests/support/testdata.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace brevik;

namespace {

const QString kProxyQuery = QStringLiteral("scutil --proxy");
const QString kPortTest = QStringLiteral("nc -z -G 1 127.0.0.1 7890 2>/dev/null");
const QString kClientQuery = QStringLiteral(
    "ps -Ao comm= 2>/dev/null | grep -i -E "
    "'clash|mihomo|surge|stash|verge|quantumult|sing-box|v2ray|xray|trojan' | grep -v grep");
const QString kOwnAddresses = QStringLiteral("ifconfig -a 2>/dev/null");
const QString kServices = QStringLiteral("networksetup -listallnetworkservices 2>/dev/null");
const QString kConfirming =
    QStringLiteral("⚠️ 发现残留代理 127.0.0.1:7890（无人监听）——确认中…");

QString captured(const QString &name)
{
    return testData(QStringLiteral("guardian/") + name);
}

} // namespace

class TestProxyGuardian : public QObject {
    Q_OBJECT
private slots:
    void init();
    void sightings_data();
    void sightings();
    void repairs_data();
    void repairs();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestProxyGuardian::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
}

void TestProxyGuardian::sightings_data()
{
    QTest::addColumn<QString>("scutil");   // captured file; empty: the query fails
    QTest::addColumn<QString>("portTest"); // empty: no port to test
    QTest::addColumn<int>("portCode");
    QTest::addColumn<QString>("ps"); // captured file; empty: no client
    QTest::addColumn<bool>("asksAddresses");
    QTest::addColumn<QString>("text");

    const QString off = QStringLiteral("系统代理已关闭（直连）——关闭或打开 ClashX 都不会影响上网");
    QTest::newRow("switched off") << "scutil-proxy-off.txt"
                                  << "" << 0 << "" << false << off;
    QTest::newRow("failed query finds nothing") << ""
                                                << "" << 0 << "" << false << off;
    QTest::newRow("pac file on disk")
        << "scutil-pac-file.txt"
        << "" << 0 << "" << false << QStringLiteral("系统代理已开启但未取到端口，守护暂不处理");
    QTest::newRow("listening") << "scutil-proxy-on.txt" << kPortTest << 0 << "ps-helper.txt"
                               << false
                               << QStringLiteral("代理链路正常（127.0.0.1:7890 正在监听）");
    QTest::newRow("client starting up")
        << "scutil-proxy-on.txt" << kPortTest << 1 << "ps-client.txt" << false
        << QStringLiteral("代理软件运行中、端口尚未就绪——守护暂不处理，避免误关");
    // A client's privileged helper outlives it and is no client.
    QTest::newRow("client's helper is no client")
        << "scutil-proxy-on.txt" << kPortTest << 1 << "ps-helper.txt" << false << kConfirming;
    QTest::newRow("another host") << "scutil-proxy-remote.txt"
                                  << "nc -z -G 1 10.20.30.40 7890 2>/dev/null" << 1 << "" << true
                                  << QStringLiteral(
                                         "系统代理指向其他主机 10.20.30.40:7890（无法连接）——"
                                         "不是本机残留，守护不会关闭它");
    QTest::newRow("one of this Mac's own addresses")
        << "scutil-proxy-own.txt"
        << "nc -z -G 1 192.168.1.23 7890 2>/dev/null" << 1 << "" << true
        << QStringLiteral(
               "⚠️ 发现残留代理 192.168.1.23:7890（无人监听）——确认中…");
    QTest::newRow("hostile host stays one quoted word")
        << "scutil-proxy-hostile.txt"
        << "nc -z -G 1 'x;touch /tmp/p' '80 $(id)' 2>/dev/null" << 1 << "" << true
        << QStringLiteral("系统代理指向其他主机 x;touch /tmp/p:80 $(id)（无法连接）——"
                          "不是本机残留，守护不会关闭它");
}

void TestProxyGuardian::sightings()
{
    QFETCH(QString, scutil);
    QFETCH(QString, portTest);
    QFETCH(int, portCode);
    QFETCH(QString, ps);
    QFETCH(bool, asksAddresses);
    QFETCH(QString, text);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kProxyQuery, scutil.isEmpty() ? 1 : 0, scutil.isEmpty() ? "" : captured(scutil));
    QStringList expected{kProxyQuery};
    if (!portTest.isEmpty()) {
        runner->on(portTest, portCode)
            .on(kClientQuery, ps.isEmpty() ? 1 : 0, ps.isEmpty() ? "" : captured(ps));
        expected << portTest << kClientQuery;
    }
    if (asksAddresses) {
        runner->on(kOwnAddresses, 0, captured("ifconfig.txt"));
        expected << kOwnAddresses;
    }
    ScopedRunner scope(runner);

    ProxyGuardian guardian(m_home->path());
    QCOMPARE(guardian.checkOnce(false).text, text);
    QCOMPARE(runner->commands(), expected);
    for (const ScriptedRunner::Call &call : runner->calls())
        QCOMPARE(call.timeout, 6.0);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestProxyGuardian::repairs_data()
{
    QTest::addColumn<QString>("services"); // captured file; empty: none listed
    QTest::addColumn<QString>("after");    // what scutil shows after the repair
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("logged"); // the log's last entry; empty: nothing logged

    QTest::newRow("verified")
        << "services.txt"
        << "scutil-proxy-off.txt"
        << QStringLiteral("✅ 已自动修复：系统代理残留（127.0.0.1:7890）已关闭，网络恢复直连")
        << QStringLiteral("[自动修复] 关闭残留系统代理 127.0.0.1:7890（服务：Wi-Fi、"
                          "Thunderbolt Bridge）");
    // Every kind must be off, the automatic proxy included.
    QTest::newRow("automatic proxy left on")
        << "services.txt"
        << "scutil-pac-left.txt" << QStringLiteral("❌ 自动修复失败，请点击「立即修复」手动处理")
        << QStringLiteral("[失败] 尝试关闭残留代理未生效");
    QTest::newRow("no network service")
        << ""
        << "" << QStringLiteral("未找到网络服务，无法自动修复") << "";
}

void TestProxyGuardian::repairs()
{
    QFETCH(QString, services);
    QFETCH(QString, after);
    QFETCH(QString, text);
    QFETCH(QString, logged);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(kProxyQuery, 0, captured("scutil-proxy-on.txt"))
        .on(kPortTest, 1)
        .on(kClientQuery, 1)
        .on(kServices, 0,
            services.isEmpty() ? captured("services.txt").section('\n', 0, 0) : captured(services));
    QStringList expected{kProxyQuery, kPortTest, kClientQuery, kServices};
    QStringList settings;
    if (!services.isEmpty()) {
        settings = NetConfig::disableProxyCommands(QStringLiteral("Wi-Fi")) +
                   NetConfig::disableProxyCommands(QStringLiteral("Thunderbolt Bridge"));
        // A failing command does not keep the others from running.
        for (const QString &command : settings)
            runner->on(command, command.contains(QLatin1String("autoproxy")) ? 4 : 0);
        runner->on(kProxyQuery, 0, captured(after));
        expected << settings << kProxyQuery;
    }
    ScopedRunner scope(runner);
    const QDateTime now = QDateTime::fromString("2026-03-04T10:00:00", Qt::ISODate);
    ProxyGuardian guardian(m_home->path(), [now] { return now; });

    // The previous check saw the same dead proxy: this one confirms it.
    const ProxyGuardian::Status status = guardian.checkOnce(true, {{"127.0.0.1:7890", 1}});
    QCOMPARE(status.text, text);
    const bool fixed = text.startsWith(QStringLiteral("✅"));
    QCOMPARE(status.didFix, fixed);
    QCOMPARE(guardian.fixedCount(), fixed ? 1 : 0);
    QCOMPARE(guardian.lastFix(), fixed ? std::optional(now) : std::nullopt);
    QCOMPARE(guardian.consecutiveFailures(), fixed ? 0 : 2);
    QCOMPARE(guardian.log().tail(1),
             logged.isEmpty() ? QStringList{} : QStringList{"2026-03-04 10:00:00  " + logged});
    // The journal's reads of the settings before the repair are the journal's to test, and so
    // is the check a verified repair runs again after it (a snapshot of its own).
    const QStringList ran = runner->commands().filter(QRegularExpression("^(?!networksetup -get)"));
    QCOMPARE(ran.mid(0, expected.size()), expected);
    QCOMPARE(ran.size() > expected.size(), fixed);
    const QStringList unscripted = runner->unscripted();
    for (const QString &read : unscripted.mid(0, unscripted.indexOf(QRegularExpression("(?!networksetup -get).*"))))
        QVERIFY2(read.startsWith(QLatin1String("networksetup -get")), qPrintable(read));
    for (const ScriptedRunner::Call &call : runner->calls()) {
        if (settings.contains(call.command))
            QCOMPARE(call.timeout, 10.0);
    }
}

QTEST_GUILESS_MAIN(TestProxyGuardian)
#include "tst_proxyguardian.moc"
