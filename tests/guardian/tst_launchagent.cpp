#include "guardian/launchagent.h"

#include "exec/shell.h"
#include "tests/support/scriptedrunner.h"
#include "tests/support/testdata.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace brevik;

namespace {

using State = LaunchAgent::State;

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

const QString kListed = QStringLiteral("launchctl list 'com.ostrand.brevik.guard' >/dev/null 2>&1");
const QString kLoadFailed = QStringLiteral("Load failed: 5: Input/output error\n");

} // namespace

class TestLaunchAgent : public QObject {
    Q_OBJECT
private slots:
    void init();
    void plist_data();
    void plist();
    void install_data();
    void install();
    void states_data();
    void states();

private:
    QString path() const { return m_agent->path(); }
    QString logDir() const { return m_home->filePath("Library/Logs/Brevik"); }

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<GuardLog> m_log;
    std::unique_ptr<LaunchAgent> m_agent;
};

void TestLaunchAgent::init()
{
    // A home folder with a blank, an ampersand and a quote exercises both shell and XML quoting.
    m_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/brevik R&D o'k-XXXXXX");
    QVERIFY(m_home->isValid());
    m_log = std::make_unique<GuardLog>(logDir() + "/guard.log", [] {
        return QDateTime::fromString("2026-03-04T10:00:00", Qt::ISODate);
    });
    m_agent = std::make_unique<LaunchAgent>(m_home->path(), logDir(), *m_log);
}

void TestLaunchAgent::plist_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("logs");
    QTest::addColumn<QString>("captured"); // the whole text as launchd reads it; empty: not kept

    QTest::newRow("in the bundle") << "/Applications/Brevik.app/Contents/MacOS/Brevik"
                                   << "/Users/ann/Library/Logs/Brevik"
                                   << "guardian/agent.plist";
    QTest::newRow("quotes, ampersand, angle brackets")
        << QStringLiteral("/Users/o'neil/\"r&d\"/<b>/Brevik") << QStringLiteral("/Users/o'neil/a>b")
        << "";
    QTest::newRow("entity lookalike") << "/a/&amp;/Brevik"
                                      << "/a/&lt;"
                                      << "";
    // An XML reader folds a literal carriage return into a line feed.
    QTest::newRow("tab and line ends arrive as they are")
        << QStringLiteral("/a\tb/c\rd\ne/Brevik") << QStringLiteral("/logs\r") << "";
}

void TestLaunchAgent::plist()
{
    QFETCH(QString, executable);
    QFETCH(QString, logs);
    QFETCH(QString, captured);

    const QString plist = LaunchAgent::plist(executable, logs);
    if (!captured.isEmpty())
        QCOMPARE(plist + '\n', testData(captured));
    // The <string> values in document order, as an XML reader decodes them.
    QXmlStreamReader reader(plist);
    QStringList strings;
    while (reader.readNext() != QXmlStreamReader::EndDocument && !reader.hasError()) {
        if (reader.isStartElement() && reader.name() == QLatin1String("string"))
            strings << reader.readElementText();
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QCOMPARE(strings, QStringList({"com.ostrand.brevik.guard", executable, "--guard",
                                   logs + "/agent.log", logs + "/agent.err.log"}));
}

void TestLaunchAgent::install_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<int>("loadCode");
    QTest::addColumn<int>("listCode");
    QTest::addColumn<QString>("msg");
    QTest::addColumn<bool>("asksLaunchd"); // the file was written and launchd was asked

    // The unload before the load finds nothing loaded, complains (hidden) and exits 113.
    QTest::newRow("installed and loaded")
        << QStringLiteral("/opt/brevik") << 0 << 0
        << QStringLiteral("后台守护已安装：即使本工具关闭，也会每 5 秒自动检测并修复代理残留断网。")
        << true;
    QTest::newRow("no executable path")
        << "" << 0 << 0 << QStringLiteral("无法定位应用可执行文件路径") << false;
    QTest::newRow("a control character no property list can hold")
        << QStringLiteral("/opt/bre\x01vik") << 0 << 0
        << QStringLiteral("写入守护配置失败：程序或日志路径含有属性列表无法保存的控制字符")
        << false;
    QTest::newRow("launchd refuses, output kept untrimmed")
        << QStringLiteral("/opt/brevik") << 5 << 113 << "启动守护失败：" + kLoadFailed << true;
    // Recent macOS prints its refusal and exits 0: only launchd's list tells.
    QTest::newRow("load exits 0 but launchd has no job")
        << QStringLiteral("/opt/brevik") << 0 << 113 << "启动守护失败：" + kLoadFailed << true;
}

void TestLaunchAgent::install()
{
    QFETCH(QString, executable);
    QFETCH(int, loadCode);
    QFETCH(int, listCode);
    QFETCH(QString, msg);
    QFETCH(bool, asksLaunchd);

    const QString unload = "launchctl unload " + shellQuote(path()) + " 2>/dev/null";
    const QString load = "launchctl load -w " + shellQuote(path()) + " 2>&1";
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(unload, 113).on(load, loadCode, loadCode == 0 && listCode == 0 ? "" : kLoadFailed);
    runner->on(kListed, listCode);
    ScopedRunner scope(runner);

    const LaunchAgent::Result result = m_agent->install(executable);
    QCOMPARE(result.msg, msg);
    QCOMPARE(result.ok, asksLaunchd && listCode == 0);
    // launchd's list is asked only after a load that exited 0.
    const QStringList asked =
        QStringList{unload, load} + QStringList(loadCode == 0 ? 1 : 0, kListed);
    QCOMPARE(runner->commands(), asksLaunchd ? asked : QStringList{});
    // A refused job leaves its file behind; it then reads as not loaded.
    QCOMPARE(readAll(path()), asksLaunchd ? LaunchAgent::plist(executable, logDir()) : QString());
    QCOMPARE(m_log->tail(),
             result.ok ? QStringList{"2026-03-04 10:00:00  [后台守护] 已安装 LaunchAgent（每 5 "
                                     "秒检查一次）"}
                       : QStringList{});
    VERIFY_ALL_SCRIPTED(*runner);
}

void TestLaunchAgent::states_data()
{
    QTest::addColumn<QString>("program"); // named in the property list; null: no file
    QTest::addColumn<int>("listCode");    // -1: launchd must not be asked
    QTest::addColumn<State>("expected");
    QTest::addColumn<QString>("advice");

    const QString self = QCoreApplication::applicationFilePath();
    const QString moved =
        QStringLiteral("⚠️ "
                       "后台守护需要重新安装：守护配置指向的程序已不存在或已被移动。");
    QTest::newRow("no file, launchctl not asked") << QString() << -1 << State::notInstalled << "";
    QTest::newRow("this program, job listed") << self << 0 << State::installed << "";
    QTest::newRow("this program, job not loaded")
        << self << 113 << State::notLoaded
        << QStringLiteral("⚠️ 后台守护需要重新安装：launchd 没有在运行它。");
    QTest::newRow("a program that is gone")
        << "/Applications/Old.app/brevik" << -1 << State::staleExecutable << moved;
    QTest::newRow("another program that exists")
        << "/bin/sh" << -1 << State::staleExecutable << moved;
}

void TestLaunchAgent::states()
{
    QFETCH(QString, program);
    QFETCH(int, listCode);
    QFETCH(State, expected);
    QFETCH(QString, advice);

    auto runner = std::make_shared<ScriptedRunner>();
    if (listCode >= 0)
        runner->on(kListed, listCode);
    ScopedRunner scope(runner);
    if (!program.isNull()) {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(LaunchAgent::plist(program, "/logs").toUtf8());
    }
    QCOMPARE(m_agent->state(), expected);
    QCOMPARE(LaunchAgent::advice(expected), advice);
    VERIFY_ALL_SCRIPTED(*runner);
}

QTEST_GUILESS_MAIN(TestLaunchAgent)
#include "tst_launchagent.moc"
