#include "exec/runner.h"
#include "exec/shell.h"
#include "model/netconfig.h"
#include "sim/simulatedmac.h"
#include "tests/app/brevikprocess.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

using namespace brevik;

// The executable end to end on the simulated Mac: what needs the real process (modes, exit
// codes, what a terminal mode loads, the agent's runs carrying their count, interrupts).
// Verdicts themselves are tested in their own layers.
namespace {

const QString kAgentPlist = QStringLiteral("/Library/LaunchAgents/com.ostrand.brevik.guard.plist");

bool agentListed(const SimulatedMac &mac)
{
    ScopedRunner scope(mac.makeRunner());
    return shell(QStringLiteral("launchctl list com.ostrand.brevik.guard")).code == 0;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void modes_data();
    void modes();
    void agentRuns_data();
    void agentRuns();
    void agentInstallAndRemoval();
    void fixThenUndo();
    void undoWithCancelledPromptChangesNothing();
    void scanOutputs();
    void interruptEndsEveryCommand_data();
    void interruptEndsEveryCommand();
    void tenRunsAtOnce_data();
    void tenRunsAtOnce();

private:
    // The environment of a run on the simulated Mac of `scenario`, made afresh when `fresh`.
    QProcessEnvironment simulation(const QString &scenario, bool fresh) const;
    // `fileSizeLimit`: run under "ulimit -f 0", a disk with no room left.
    Run brevik(const QString &scenario, const QStringList &args, bool fresh = false,
               bool fileSizeLimit = false);

    QTemporaryDir m_root;
};

void TestCli::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0.1");
}

QProcessEnvironment TestCli::simulation(const QString &scenario, bool fresh) const
{
    return brevik::simulation(m_root.path(), scenario, fresh);
}

Run TestCli::brevik(const QString &scenario, const QStringList &args, bool fresh,
                    bool fileSizeLimit)
{
    return runBrevik(simulation(scenario, fresh), args, fileSizeLimit);
}

void TestCli::modes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("printed"); // how standard output starts; null: a window opens

    const QString confirming = QStringLiteral(
        "⚠️ 发现残留代理 127.0.0.1:7890（无人监听）——确认中…\n");
    // The four guardian switches come first, in their order, then the terminal modes.
    QTest::newRow("guard beats install-agent")
        << QStringList{"--install-agent", "--guard"} << 0 << confirming;
    QTest::newRow("guard beats scan") << QStringList{"--scan", "--guard"} << 0 << confirming;
    QTest::newRow("guard beats undo") << QStringList{"--undo", "--guard"} << 0 << confirming;
    QTest::newRow("guard-status never repairs") << QStringList{"--guard-status"} << 0 << confirming;
    QTest::newRow("uninstall-agent with nothing installed")
        << QStringList{"--uninstall-agent"} << 0 << QStringLiteral("后台守护未安装，无需卸载。\n");
    QTest::newRow("scan --json") << QStringList{"--scan", "--json"} << 0 << "{";
    QTest::newRow("fix without an id") << QStringList{"--fix"} << 2 << "";
    QTest::newRow("fix without a matching finding")
        << QStringList{"--fix", "fix-no-such-repair"} << 2 << "";
    QTest::newRow("history") << QStringList{"--history"} << 0
                             << QStringLiteral("还没有修复记录。\n");
    QTest::newRow("no switch") << QStringList{} << 0 << QString();
    QTest::newRow("switch with a value is no switch") << QStringList{"--guard=1"} << 0 << QString();
    QTest::newRow("capitals are no switch") << QStringList{"--GUARD"} << 0 << QString();
}

// A terminal mode neither makes a window application (which would load a platform plugin)
// nor maps the widget libraries; without a switch exactly one window opens. The start-up
// trace reports the window's first paint and quits once the first finding is in. No mode
// repairs anything on its first run.
void TestCli::modes()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, printed);
    const bool window = printed.isNull();
    const QTemporaryDir loaderLog;
    QVERIFY(loaderLog.isValid());
    const auto restore = qScopeGuard([] {
        for (const char *name :
             {"QT_DEBUG_PLUGINS", "BREVIK_TRACE_STARTUP", "LD_DEBUG", "LD_DEBUG_OUTPUT"})
            qunsetenv(name);
    });
    qputenv("QT_DEBUG_PLUGINS", "1");
    qputenv("BREVIK_TRACE_STARTUP", "1");
    qputenv("LD_DEBUG", "files");
    qputenv("LD_DEBUG_OUTPUT", (loaderLog.path() + QStringLiteral("/ld")).toUtf8());

    const Run run = brevik(QStringLiteral("residual-proxy"), args, true);
    QCOMPARE(run.code, code);
    QVERIFY2(printed.isEmpty() ? run.out.isEmpty() : run.out.startsWith(printed),
             qPrintable(run.out));
    QCOMPARE(run.err.contains(QStringLiteral("/platforms")), window);
    QCOMPARE(run.err.contains(QStringLiteral("brevik-startup: first paint, 1 window(s)")), window);
    QCOMPARE(run.err.contains(QStringLiteral("brevik-startup: first finding")), window);
    // glibc's loader writes what it maps to LD_DEBUG_OUTPUT.PID; other systems skip this.
    QFile mapped(loaderLog.path() + QStringLiteral("/ld.%1").arg(run.pid));
    if (mapped.open(QIODevice::ReadOnly)) {
        const QByteArray libraries = mapped.readAll();
        QCOMPARE(libraries.contains("libQt6Widgets"), window);
        QCOMPARE(libraries.contains("libQt6Gui"), window);
    }
    const auto sim = SimulatedMac::open(QStringLiteral("residual-proxy"), false);
    QVERIFY(sim);
    QCOMPARE(servicesWithProxyOn(*sim).size(), 3);
    QVERIFY2(!QFile::exists(sim->home() + kAgentPlist), "a lower-ranked switch ran");
}

void TestCli::agentRuns_data()
{
    QTest::addColumn<QStringList>("changes"); // made to the Mac before each run
    QTest::addColumn<QStringList>("printed"); // what each run prints, in short
    QTest::addColumn<bool>("logBlocked");     // a file where the log folder belongs
    QTest::addColumn<int>("notified");        // notifications in all
    QTest::addColumn<bool>("offAtEnd");       // no service has a proxy on after the last run

    QTest::newRow("confirms, repairs, then stays quiet")
        << QStringList{"", "", ""} << QStringList{"confirming", "repaired", ""} << false << 1
        << true;
    QTest::newRow("dead, client back, dead again: confirms again")
        << QStringList{"", "client-up", "client-gone", ""}
        << QStringList{"confirming", "", "confirming", "repaired"} << false << 1 << true;
    QTest::newRow("a failed repair is retried by the next run")
        << QStringList{"settings-locked", "", "settings-open"}
        << QStringList{"confirming", "failed", "repaired"} << false << 1 << true;
    QTest::newRow("an unwritable log folder does not stop the repair")
        << QStringList{"", ""} << QStringList{"confirming", "repaired"} << true << 1 << true;
    // A client that keeps writing its dead proxy back: the third repair within ten minutes
    // is the last; one notification says why, then every run keeps quiet.
    QTest::newRow("a proxy written back again and again: it rests")
        << QStringList{"", "", "proxy-back", "", "proxy-back", "", "proxy-back", ""}
        << QStringList{"confirming", "repaired", "confirming", "repaired", "confirming",
                       "repaired-rest", "", ""}
        << false << 3 << false;
}

// Each run is a process of its own, as launchd starts it every 5 s, on a Mac whose proxy
// points at a client that quit.
void TestCli::agentRuns()
{
    QFETCH(QStringList, changes);
    QFETCH(QStringList, printed);
    QFETCH(bool, logBlocked);
    QFETCH(int, notified);
    QFETCH(bool, offAtEnd);

    const QString scenario = QStringLiteral("residual-proxy");
    const auto sim = SimulatedMac::open(scenario, true);
    QVERIFY(sim);
    const QString logs = sim->home() + QStringLiteral("/Library/Logs/Brevik");
    QVERIFY(QDir().mkpath(logBlocked ? sim->home() + "/Library/Logs" : logs));
    QFile blocker(logBlocked ? logs : logs + "/agent.log");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    // launchd appends the agent's output on its own: every run keeps it bounded.
    blocker.write(QByteArray(250, 'x').append('\n').repeated(logBlocked ? 0 : 1000));
    blocker.close();

    const QMap<QString, QString> texts{
        {"", ""},
        {"confirming",
         "⚠️ 发现残留代理 127.0.0.1:7890（无人监听）——确认中…\n"},
        {"failed", "❌ 自动修复失败，请点击「立即修复」手动处理\n"},
        {"repaired", "✅ 已自动修复：系统代理残留（127.0.0.1:7890）已关闭，网络恢复直连\n"},
        {"repaired-rest",
         "✅ 已自动修复：系统代理残留（127.0.0.1:7890）已关闭，网络恢复直连\n"
         "⏸ 守护已暂停处理残留代理 127.0.0.1:7890：10 分钟内已自动关闭 3 次，它仍被写回——"
         "多半是代理软件在反复设置它。请退出或修好这个代理软件；代理地址变化、10 分钟后或点"
         "「恢复守护」后会继续。\n"}};
    const QJsonObject client{
        {"path", "/Applications/ClashX.app/Contents/MacOS/ClashX"},
        {"listen", QJsonArray{QJsonObject{{"address", "127.0.0.1"}, {"port", 7890}}}}};
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const QString change = changes.at(i);
        if (change.startsWith("client-"))
            QVERIFY(setState(*sim, {"processes", "1234"},
                             change == "client-up" ? QJsonValue(client) : QJsonValue::Undefined));
        if (change.startsWith("settings-"))
            QVERIFY(
                setState(*sim, {"admin", "networksetupNeedsAdmin"}, change == "settings-locked"));
        if (change == "proxy-back")
            QVERIFY(setState(*sim, {"services", "Wi-Fi", "proxies", "web", "enabled"}, true));
        const Run run = brevik(scenario, {QStringLiteral("--guard")});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out == texts.value(printed.at(i)),
                 qPrintable(QStringLiteral("run %1: %2").arg(i + 1).arg(run.out)));
    }
    QCOMPARE(servicesWithProxyOn(*sim).isEmpty(), offAtEnd);
    // The agent repaired while nobody watched: one notification per event it made.
    QCOMPARE(notifications(*sim), notified);
    const Run history = brevik(scenario, {QStringLiteral("--history")});
    QVERIFY2(
        history.out.startsWith(QStringLiteral("#")) &&
            history.out.contains(QStringLiteral("  守护  ✅ 自动关闭残留系统代理 127.0.0.1:7890")),
        qPrintable(history.out));
    QVERIFY(logBlocked || QFileInfo(logs + "/agent.log").size() <= 200000);
}

void TestCli::agentInstallAndRemoval()
{
    const auto sim = SimulatedMac::open(QStringLiteral("healthy"), true);
    QVERIFY(sim);
    const QString plist = sim->home() + kAgentPlist;
    const QStringList install{QStringLiteral("--install-agent")};

    const Run installed = brevik(QStringLiteral("healthy"), install);
    QCOMPARE(installed.code, 0);
    QCOMPARE(installed.out,
             QStringLiteral(
                 "后台守护已安装：即使本工具关闭，也会每 5 秒自动检测并修复代理残留断网。\n"));
    QVERIFY(readAll(plist).contains("<string>--guard</string>"));
    QVERIFY(agentListed(*sim));

    // A full disk: what was installed stays installed, the file as it was, the job loaded.
    const QByteArray before = readAll(plist);
    const Run full = brevik(QStringLiteral("healthy"), install, false, true);
    QCOMPARE(full.code, 1);
    QVERIFY2(full.out.startsWith(QStringLiteral("写入守护配置失败：")), qPrintable(full.out));
    QCOMPARE(readAll(plist), before);
    QVERIFY(agentListed(*sim));

    // An agent that starts a program that is gone repairs nothing: the status says so.
    QFile moved(plist);
    QVERIFY(moved.open(QIODevice::WriteOnly));
    moved.write(QByteArray(before).replace(BREVIK_EXECUTABLE, "/gone/brevik"));
    moved.close();
    const Run status = brevik(QStringLiteral("healthy"), {QStringLiteral("--guard-status")});
    QCOMPARE(status.out.section('\n', 1),
             QStringLiteral("⚠️ "
                            "后台守护需要重新安装：守护配置指向的程序已不存在或已被移动。\n"));

    const Run removed = brevik(QStringLiteral("healthy"), {QStringLiteral("--uninstall-agent")});
    QCOMPARE(removed.code, 0);
    QCOMPARE(removed.out, QStringLiteral("后台守护已卸载。\n"));
    QVERIFY(!QFile::exists(plist));
    QVERIFY(!agentListed(*sim));

    // No log folder launchd could write the agent's output to: no success is claimed. The
    // log names only what happened: one installation, one removal.
    const QString logs = sim->home() + QStringLiteral("/Library/Logs/Brevik");
    const QByteArray log = readAll(logs + QStringLiteral("/guard.log"));
    QCOMPARE(log.count("[后台守护] 已卸载"), 1);
    QVERIFY(QDir(logs).removeRecursively());
    writeFile(logs, "not a folder\n");
    const Run noFolder = brevik(QStringLiteral("healthy"), install);
    QCOMPARE(noFolder.code, 1);
    QVERIFY2(noFolder.out.startsWith(QStringLiteral("无法使用日志目录 ")), qPrintable(noFolder.out));
    QFile::remove(logs);
}

void TestCli::fixThenUndo()
{
    const QString scenario = QStringLiteral("residual-proxy");
    const auto sim = SimulatedMac::open(scenario, true);
    QVERIFY(sim);
    const Run fix =
        brevik(scenario, {QStringLiteral("--fix"), QStringLiteral("fix-proxy-off-all")});
    QCOMPARE(fix.code, 0);
    QVERIFY2(
        fix.out.startsWith(QStringLiteral("✅ 修复成功：已关闭所有服务的系统代理，网络已恢复直连")),
        qPrintable(fix.out));
    QVERIFY(servicesWithProxyOn(*sim).isEmpty());

    // Someone points Wi-Fi's web proxy elsewhere after the repair: undo asks first.
    const QJsonObject theirs{{"enabled", true}, {"server", "10.0.0.2"}, {"port", 8080}};
    QVERIFY(setState(*sim, {"services", "Wi-Fi", "proxies", "web"}, theirs));
    const Run refused = brevik(scenario, {QStringLiteral("--undo")});
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.out.contains(QStringLiteral("「Wi-Fi」的网页代理（HTTP）")) &&
                 refused.out.contains(QStringLiteral("--force")),
             qPrintable(refused.out));
    QCOMPARE(servicesWithProxyOn(*sim), QStringList{"Wi-Fi"});

    const Run forced = brevik(scenario, {"--undo", "1", "--force"});
    QCOMPARE(forced.code, 0);
    QVERIFY2(forced.out.startsWith(QStringLiteral("✅ 已撤销 #1")), qPrintable(forced.out));
    QCOMPARE(sim->state()[u"services"][u"Wi-Fi"][u"proxies"][u"web"].toObject(),
             (QJsonObject{{"enabled", true}, {"server", "127.0.0.1"}, {"port", 7890}}));
    QCOMPARE(servicesWithProxyOn(*sim).size(), 3);

    const QStringList history =
        brevik(scenario, {QStringLiteral("--history")}).out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(history.size(), 2);
    QVERIFY2(history.at(0).startsWith(QStringLiteral("#2  ")) &&
                 history.at(0).contains(QStringLiteral("✅ 撤销 #1：")) &&
                 history.at(1).endsWith(QStringLiteral("（已撤销）")),
             qPrintable(history.join('\n')));
    QCOMPARE(brevik(scenario, {QStringLiteral("--undo"), QStringLiteral("9")}).code, 2);
}

void TestCli::undoWithCancelledPromptChangesNothing()
{
    // Settings only an administrator may change: the repair and its undo need the prompt.
    QTemporaryDir dir;
    const QString scenario = dir.filePath(QStringLiteral("locked.json"));
    QFile file(scenario);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(QJsonObject{{"extends", "residual-proxy"},
                                         {"admin", QJsonObject{{"prompt", "accept"},
                                                               {"networksetupNeedsAdmin", true}}}})
                   .toJson());
    file.close();
    const auto sim = SimulatedMac::open(scenario, true);
    QVERIFY(sim);
    QCOMPARE(brevik(scenario, {QStringLiteral("--fix"), QStringLiteral("fix-proxy-off-all")}).code,
             0);
    QVERIFY(servicesWithProxyOn(*sim).isEmpty());
    QVERIFY(setState(*sim, {"admin", "prompt"}, QStringLiteral("cancel")));

    const Run undo = brevik(scenario, {QStringLiteral("--undo")});
    QCOMPARE(undo.code, 1);
    QCOMPARE(undo.out,
             QStringLiteral(
                 "⚠️ 已取消授权，#1「一键关闭系统代理（立即恢复上网）」"
                 "没有撤销，未做任何修改。\n"));
    QVERIFY(servicesWithProxyOn(*sim).isEmpty());
    // Written ahead like every change, the cancelled undo is listed as what it was: nothing
    // happened, and the repair it was about still counts as not taken back.
    const QStringList history =
        QString(brevik(scenario, {QStringLiteral("--history")}).out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(history.size(), 2);
    QVERIFY2(history.first().endsWith(QStringLiteral("（未做任何修改）")), qPrintable(history.first()));
    QVERIFY(!history.last().contains(QStringLiteral("（已撤销）")));
}

void TestCli::scanOutputs()
{
    const QString scenario = QStringLiteral("residual-proxy");
    const Run json = brevik(scenario, {QStringLiteral("--scan"), QStringLiteral("--json")}, true);
    QCOMPARE(json.code, 0);
    QJsonParseError error;
    const QJsonObject doc = QJsonDocument::fromJson(json.out.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    const auto keys = [](const QJsonValue &value) {
        const QStringList list = value.toObject().keys();
        return QSet<QString>(list.begin(), list.end());
    };
    QCOMPARE(keys(doc), (QSet<QString>{"findings", "ai", "internet", "seconds"}));
    QVERIFY(doc.value("seconds").isDouble());
    QCOMPARE(keys(doc.value("internet")),
             (QSet<QString>{"ok", "code", "ms", "via", "tried", "summary", "unusableProxy"}));
    QCOMPARE(doc.value("internet")["unusableProxy"].toString(), QStringLiteral("127.0.0.1:7890"));
    QCOMPARE(doc.value("ai").toArray().size(), 6);
    QCOMPARE(keys(doc.value("ai").toArray().first()).size(), 6);
    const QJsonArray findings = doc.value("findings").toArray();
    int crashes = 0;
    for (const QJsonValue &finding : findings) {
        QCOMPARE(keys(finding), (QSet<QString>{"id", "severity", "category", "title", "detail",
                                               "fixHint", "manualSteps", "fix"}));
        if (finding["id"] != QLatin1String("proxy-dead-crash"))
            continue;
        ++crashes;
        QCOMPARE(finding["severity"].toString(), QStringLiteral("error"));
        const QJsonObject fix = finding["fix"].toObject();
        QCOMPARE(fix["id"].toString(), QStringLiteral("fix-proxy-off-all"));
        QVERIFY(!fix["needsAdmin"].toBool() && fix["fallbackAdmin"].toBool());
    }
    QCOMPARE(crashes, 1);

    // The text's verdict is the last step's: the search page was fetched once (the proxy is
    // dead, so directly only), not again after the scan.
    const Run text = brevik(scenario, {QStringLiteral("--scan")}, true);
    QCOMPARE(text.code, 0);
    QVERIFY(text.out.contains(
        QStringLiteral("修复：一键关闭系统代理（立即恢复上网） · brevik --fix fix-proxy-off-all")));
    // The page came directly only: the last line says the apps behind the proxy are cut off.
    const QString last = text.out.trimmed().split(QLatin1Char('\n')).last();
    QVERIFY2(last.startsWith(QStringLiteral("上网实测：仅直连通过 www.bing.com")) &&
                 last.endsWith(QStringLiteral("走系统代理的应用仍无法上网。")),
             qPrintable(last));
    const auto sim = SimulatedMac::open(scenario, false);
    QVERIFY(sim);
    int fetches = 0;
    for (const SimCall &call : sim->calls())
        fetches += call.tool == QLatin1String("curl") &&
                   !call.args.filter(QStringLiteral("www.bing.com/search")).isEmpty();
    QCOMPARE(fetches, 1);
}

void TestCli::interruptEndsEveryCommand_data()
{
    QTest::addColumn<QByteArray>("scenario"); // laid over the healthy Mac
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("interruptDuring"); // a command the program runs
    QTest::addColumn<int>("signal");

    // The proxy client takes 1.5 s to accept (in real time): the snapshot's port probe,
    // which prints nothing, would run to its end unattended.
    QTest::newRow("Ctrl-C during the scan's port probe")
        << QByteArray(R"({"timeScale": 1, "processes": {"1234": {"listen": [
               {"address": "127.0.0.1", "port": 7890, "delay": 1.5}]}}})")
        << QStringList{"--scan"} << "nc" << int(SIGINT);
    // The window runs its commands from its own module.
    QTest::newRow("SIGTERM while the window scans")
        << QByteArray(R"({"timeScale": 1, "processes": {"1234": {"listen": [
               {"address": "127.0.0.1", "port": 7890, "delay": 1.5}]}}})")
        << QStringList{} << "nc" << int(SIGTERM);
    // A router that answers nothing: the reset switches Wi-Fi off, sleeps, switches it on,
    // then takes the interface down and up.
    QTest::newRow("SIGTERM during the interface reset")
        << QByteArray(R"({"timeScale": 0.1, "admin": {"prompt": "accept"},
                          "route": {"gateway": "192.168.1.254", "interface": "en0"}})")
        << QStringList{"--fix", "fix-reset-iface"} << "sleep" << int(SIGTERM);
}

void TestCli::interruptEndsEveryCommand()
{
    QFETCH(QByteArray, scenario);
    QFETCH(QStringList, args);
    QFETCH(QString, interruptDuring);
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("interrupted.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"extends": "healthy", )" + scenario.mid(1));
    file.close();

    QProcess process;
    QProcessEnvironment env = simulation(path, true);
    env.remove(QStringLiteral("BREVIK_SIM_TIME_SCALE"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(BREVIK_EXECUTABLE), args);
    QVERIFY(process.waitForStarted());
    const pid_t pid = pid_t(process.processId());
    const QString folder = m_root.filePath(QStringLiteral("interrupted"));
    QTRY_VERIFY_WITH_TIMEOUT(processesOn(folder).contains(interruptDuring), 120000);
    kill(pid, signal);

    QVERIFY(process.waitForFinished(30000));
    const qint64 endedMs = QDateTime::currentMSecsSinceEpoch();
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(process.exitCode(), signal);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(processesOn(folder).isEmpty(), 30000);
    // Nothing runs on the simulated Mac any more, so its call log is complete. A stand-in
    // records its call when it ends by itself, never when a signal ends it. Until the signal
    // is handled the program may start and finish commands as usual; one that ended after
    // the program itself is one that carried on.
    for (const SimCall &call : CallLog::read(CallLog::file(folder)))
        QVERIFY2(call.endMs <= endedMs,
                 qPrintable(call.tool + ' ' + call.args.join(' ') + " carried on"));
}

void TestCli::tenRunsAtOnce_data()
{
    QTest::addColumn<bool>("folderMade");
    QTest::newRow("the simulated Mac is there") << true;
    QTest::newRow("the first runs make it") << false;
}

void TestCli::tenRunsAtOnce()
{
    // The launch agent, the app and a terminal may all start on the same Mac at once: none
    // of them may find the simulated Mac half made or half replaced.
    QFETCH(bool, folderMade);
    for (int round = 0; round < 5; ++round) {
        QVERIFY(QDir(m_root.filePath(QStringLiteral("healthy"))).removeRecursively());
        if (folderMade)
            QCOMPARE(brevik(QStringLiteral("healthy"), {QStringLiteral("--guard")}, true).code, 0);
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < 10; ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setProcessEnvironment(simulation(QStringLiteral("healthy"), false));
            runs.back()->start(QStringLiteral(BREVIK_EXECUTABLE), {QStringLiteral("--guard")});
        }
        for (const auto &run : runs) {
            QVERIFY(run->waitForFinished(180000));
            QVERIFY2(run->exitStatus() == QProcess::NormalExit && run->exitCode() == 0,
                     run->readAllStandardError().constData());
            QCOMPARE(run->readAllStandardOutput(), QByteArray());
        }
    }
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
