#include "guardian/proxyguardian.h"

#include "exec/shell.h"
#include "tests/support/scriptedrunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString lastLogLine(const ProxyGuardian &guardian)
{
    const QStringList tail = guardian.logTail(1);
    return tail.isEmpty() ? QString() : tail.first().mid(21); // past "yyyy-MM-dd HH:mm:ss  "
}

// The <string> values of the property list in document order, as an XML reader decodes them.
QStringList plistStrings(const QString &plist, QString *error)
{
    QXmlStreamReader reader(plist);
    QStringList strings;
    while (reader.readNext() != QXmlStreamReader::EndDocument && !reader.hasError()) {
        if (reader.isStartElement() && reader.name() == QLatin1String("string"))
            strings << reader.readElementText();
    }
    *error = reader.errorString();
    return strings;
}

const QString kListed = QStringLiteral("launchctl list 'com.ostrand.brevik.guard' >/dev/null 2>&1");
const QString kInstalledMsg =
    QStringLiteral("后台守护已安装：即使本工具关闭，也会每 5 秒自动检测并修复代理残留断网。");

} // namespace

class TestLaunchAgent : public QObject {
    Q_OBJECT
private slots:
    void init();
    void plistText();
    void plistEscapesPaths_data();
    void plistEscapesPaths();
    void installWritesAndLoads();
    void installFailures_data();
    void installFailures();
    void agentStates_data();
    void agentStates();
    void uninstallAlwaysSucceeds();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString unload() const
    {
        return "launchctl unload " + shellQuote(agentPath()) + " 2>/dev/null";
    }
    QString load() const { return "launchctl load -w " + shellQuote(agentPath()) + " 2>&1"; }
    QString agentPath() const
    {
        return m_home->path() + "/Library/LaunchAgents/com.ostrand.brevik.guard.plist";
    }
};

void TestLaunchAgent::init()
{
    // A home folder with a blank, an ampersand and a quote exercises both shell and XML quoting.
    m_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/brevik R&D o'k-XXXXXX");
    QVERIFY(m_home->isValid());
}

void TestLaunchAgent::plistText()
{
    const QString expected = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n"
        "<dict>\n"
        "    <key>Label</key><string>com.ostrand.brevik.guard</string>\n"
        "    <key>ProgramArguments</key>\n"
        "    <array>\n"
        "        <string>/Applications/Brevik.app/Contents/MacOS/Brevik</string>\n"
        "        <string>--guard</string>\n"
        "    </array>\n"
        "    <key>StartInterval</key><integer>5</integer>\n"
        "    <key>ThrottleInterval</key><integer>5</integer>\n"
        "    <key>RunAtLoad</key><true/>\n"
        "    <key>StandardOutPath</key><string>/Users/ann/Library/Logs/Brevik/agent.log</string>\n"
        "    "
        "<key>StandardErrorPath</key><string>/Users/ann/Library/Logs/Brevik/agent.err.log</"
        "string>\n"
        "</dict>\n"
        "</plist>");
    QCOMPARE(
        ProxyGuardian::agentPlist(QStringLiteral("/Applications/Brevik.app/Contents/MacOS/Brevik"),
                                  QStringLiteral("/Users/ann/Library/Logs/Brevik")),
        expected);
}

void TestLaunchAgent::plistEscapesPaths_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("logDir");
    QTest::newRow("quotes, ampersand, angle brackets")
        << QStringLiteral("/Users/o'neil/\"r&d\"/<b>/Brevik")
        << QStringLiteral("/Users/o'neil/a>b");
    QTest::newRow("entity lookalike")
        << QStringLiteral("/a/&amp;/Brevik") << QStringLiteral("/a/&lt;");
    // An XML reader folds a literal carriage return into a line feed.
    QTest::newRow("tab and line ends arrive as they are")
        << QStringLiteral("/a\tb/c\rd\ne/Brevik") << QStringLiteral("/logs\r");
}

void TestLaunchAgent::plistEscapesPaths()
{
    QFETCH(QString, executable);
    QFETCH(QString, logDir);
    QString error;
    const QStringList strings = plistStrings(ProxyGuardian::agentPlist(executable, logDir), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(strings, QStringList({QStringLiteral("com.ostrand.brevik.guard"), executable,
                                   QStringLiteral("--guard"), logDir + "/agent.log",
                                   logDir + "/agent.err.log"}));
}

void TestLaunchAgent::installWritesAndLoads()
{
    auto runner = std::make_shared<ScriptedRunner>();
    // The first unload finds nothing loaded; launchctl then complains (hidden) and exits non-zero.
    runner->on(unload(), 113).on(unload(), 0).on(load(), 0).on(kListed, 0);
    ScopedRunner scope(runner);
    ProxyGuardian guardian(m_home->path());

    QVERIFY(guardian.installAgent().ok);
    QString error;
    QCOMPARE(plistStrings(readAll(agentPath()), &error).value(1),
             QCoreApplication::applicationFilePath());
    const ProxyGuardian::AgentResult result = guardian.installAgent(QStringLiteral("/new/brevik"));
    QVERIFY(result.ok);
    QCOMPARE(result.msg, kInstalledMsg);
    // Installing again reloads, so launchd picks up the new executable.
    QCOMPARE(runner->commands(),
             QStringList({unload(), load(), kListed, unload(), load(), kListed}));
    QCOMPARE(readAll(agentPath()),
             ProxyGuardian::agentPlist(QStringLiteral("/new/brevik"),
                                       m_home->path() + "/Library/Logs/Brevik"));
    QVERIFY(QFileInfo(m_home->path() + "/Library/Logs/Brevik").isDir());
    QCOMPARE(lastLogLine(guardian),
             QStringLiteral("[后台守护] 已安装 LaunchAgent（每 5 秒检查一次）"));
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestLaunchAgent::installFailures_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<int>("loadCode");
    QTest::addColumn<QString>("loadOutput");
    QTest::addColumn<QString>("expectedMsg");
    QTest::addColumn<bool>("triesLoad"); // the file was written and launchd was asked

    const QString loadFailed = QStringLiteral("Load failed: 5: Input/output error\n");
    QTest::newRow("no executable path")
        << QString() << 0 << QString() << QStringLiteral("无法定位应用可执行文件路径") << false;
    QTest::newRow("a control character no property list can hold")
        << QStringLiteral("/opt/bre\x01vik") << 0 << QString()
        << QStringLiteral("写入守护配置失败：程序或日志路径含有属性列表无法保存的控制字符")
        << false;
    QTest::newRow("launchd refuses, output kept untrimmed")
        << QStringLiteral("/opt/brevik") << 5 << loadFailed << "启动守护失败：" + loadFailed
        << true;
    // Recent macOS prints its refusal and exits 0: only launchd's list tells.
    QTest::newRow("load exits 0 but launchd has no job")
        << QStringLiteral("/opt/brevik") << 0 << loadFailed << "启动守护失败：" + loadFailed
        << true;
}

void TestLaunchAgent::installFailures()
{
    QFETCH(QString, executable);
    QFETCH(int, loadCode);
    QFETCH(QString, loadOutput);
    QFETCH(QString, expectedMsg);
    QFETCH(bool, triesLoad);

    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(unload(), 0).on(load(), loadCode, loadOutput).on(kListed, 113);
    ScopedRunner scope(runner);
    ProxyGuardian guardian(m_home->path());

    const ProxyGuardian::AgentResult result = guardian.installAgent(executable);
    QVERIFY(!result.ok);
    QCOMPARE(result.msg, expectedMsg);
    // A refused job leaves its file behind; it then reads as not installed.
    QCOMPARE(QFile::exists(agentPath()), triesLoad);
    QVERIFY(guardian.logTail().isEmpty());
    // launchd's list is asked only after a load that exited 0.
    const QStringList loading =
        QStringList{unload(), load()} + QStringList(loadCode == 0 ? 1 : 0, kListed);
    QCOMPARE(runner->commands(), triesLoad ? loading : QStringList{});
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestLaunchAgent::agentStates_data()
{
    QTest::addColumn<QString>("program"); // named in the property list; null: no file
    QTest::addColumn<int>("listCode");    // -1: launchd must not be asked
    QTest::addColumn<ProxyGuardian::AgentState>("expected");

    using State = ProxyGuardian::AgentState;
    const QString self = QCoreApplication::applicationFilePath();
    QTest::newRow("no file, launchctl not asked") << QString() << -1 << State::notInstalled;
    QTest::newRow("this program, job listed") << self << 0 << State::installed;
    QTest::newRow("this program, job not loaded") << self << 113 << State::notLoaded;
    QTest::newRow("a program that is gone")
        << QStringLiteral("/Applications/Old.app/brevik") << -1 << State::staleExecutable;
    QTest::newRow("another program that exists")
        << QStringLiteral("/bin/sh") << -1 << State::staleExecutable;
}

void TestLaunchAgent::agentStates()
{
    QFETCH(QString, program);
    QFETCH(int, listCode);
    QFETCH(ProxyGuardian::AgentState, expected);

    auto runner = std::make_shared<ScriptedRunner>();
    if (listCode >= 0)
        runner->on(kListed, listCode);
    ScopedRunner scope(runner);
    if (!program.isNull()) {
        QDir().mkpath(QFileInfo(agentPath()).absolutePath());
        QFile file(agentPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ProxyGuardian::agentPlist(program, "/logs").toUtf8());
    }
    ProxyGuardian guardian(m_home->path());
    QCOMPARE(guardian.agentState(), expected);
    QCOMPARE(guardian.isAgentInstalled(), expected == ProxyGuardian::AgentState::installed);
    // Anything but "installed" or never installed asks the user to install again.
    QCOMPARE(guardian.agentAdvice().contains(QStringLiteral("需要重新安装")),
             expected == ProxyGuardian::AgentState::notLoaded ||
                 expected == ProxyGuardian::AgentState::staleExecutable);
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestLaunchAgent::uninstallAlwaysSucceeds()
{
    // Nothing installed: launchctl complains and exits 113; removal still reads as done.
    // (The command-line tests remove an installed agent.)
    auto runner = std::make_shared<ScriptedRunner>();
    const QString unloadDisable = "launchctl unload -w " + shellQuote(agentPath()) + " 2>/dev/null";
    runner->on(unloadDisable, 113);
    ScopedRunner scope(runner);
    ProxyGuardian guardian(m_home->path());

    const ProxyGuardian::AgentResult result = guardian.uninstallAgent();
    QVERIFY(result.ok);
    QCOMPARE(result.msg, QStringLiteral("后台守护已卸载。"));
    QVERIFY(!QFile::exists(agentPath()));
    QCOMPARE(runner->commands(), QStringList{unloadDisable});
    QCOMPARE(lastLogLine(guardian), QStringLiteral("[后台守护] 已卸载"));
    VERIFY_ALL_SCRIPTED(*runner);
}

QTEST_GUILESS_MAIN(TestLaunchAgent)
#include "tst_launchagent.moc"
