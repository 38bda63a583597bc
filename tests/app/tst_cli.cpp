#include "exec/runner.h"
#include "exec/shell.h"
#include "model/netconfig.h"
#include "sim/simulatedmac.h"

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

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
    qint64 pid = 0;
};

// The proxy kinds switched on across all services of the simulated Mac, read through the
// same networksetup queries the app uses.
QStringList servicesWithProxyOn(const SimulatedMac &mac)
{
    ScopedRunner scope(mac.makeRunner());
    QStringList on;
    for (const QString &service : NetConfig::allServices()) {
        if (NetConfig::proxyState(service).enabled)
            on << service;
    }
    return on;
}

// Linux's process table: the pids of every process below `root`, and their names.
QMap<pid_t, QString> descendants(pid_t root)
{
    QMultiMap<pid_t, pid_t> children;
    QMap<pid_t, QString> names;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid …": the name may hold blanks, the last ")" ends it.
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (close < 0 || rest.size() < 2)
            continue;
        const pid_t pid = entry.toInt();
        children.insert(rest.at(1).toInt(), pid);
        names.insert(
            pid, QString::fromUtf8(line.mid(line.indexOf('(') + 1, close - line.indexOf('(') - 1)));
    }
    QMap<pid_t, QString> found;
    QList<pid_t> todo{root};
    while (!todo.isEmpty()) {
        for (pid_t child : children.values(todo.takeFirst())) {
            found.insert(child, names.value(child));
            todo << child;
        }
    }
    return found;
}

// Live processes (zombies aside) that run on the simulated Mac in `folder`.
QList<pid_t> processesOn(const QString &folder)
{
    const QByteArray marker = "BREVIK_SIM_DIR=" + QFile::encodeName(folder);
    QList<pid_t> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!environ.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray state = stat.readAll();
        if (state.mid(state.lastIndexOf(')') + 2, 1) == "Z")
            continue;
        if (environ.readAll().split('\0').contains(marker))
            found << entry.toInt();
    }
    return found;
}

int notifications(const SimulatedMac &mac)
{
    int count = 0;
    for (const SimCall &call : mac.calls())
        count += call.tool == QLatin1String("osascript") &&
                 call.args.value(1).startsWith(QLatin1String("display notification "));
    return count;
}

QJsonObject webProxyOf(const SimulatedMac &mac, const QString &service)
{
    return mac.state()["services"][service]["proxies"]["web"].toObject();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void guardConfirmsThenRepairsThenStaysQuiet_data();
    void guardConfirmsThenRepairsThenStaysQuiet();
    void guardAcrossRuns_data();
    void guardAcrossRuns();
    void guardStatusNeverRepairs();
    void switchPrecedence_data();
    void switchPrecedence();
    void windowOnlyWithoutSwitch_data();
    void windowOnlyWithoutSwitch();
    void agentInstallUninstallRoundTrip();
    void agentInstallFailures_data();
    void agentInstallFailures();
    void fixRestoresTheMachine();
    void fixWithoutMatchingFindingExits2();
    void undoAsksBeforeOverwritingChanges();
    void undoWithCancelledPromptChangesNothing();
    void scanJsonHasTheDocumentedShape();
    void scanTextListsFindingsAndVerdict();
    void tenRunsAtOnce_data();
    void tenRunsAtOnce();
    void interruptEndsEveryCommand_data();
    void interruptEndsEveryCommand();

private:
    // `fileSizeLimit`: run under "ulimit -f 0", a disk with no room left.
    Run brevik(const QString &scenario, const QStringList &args, bool fresh = false,
               bool fileSizeLimit = false);
    std::optional<SimulatedMac> mac(const QString &scenario, bool fresh);

    QTemporaryDir m_root;
};

void TestCli::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0.1");
}

Run TestCli::brevik(const QString &scenario, const QStringList &args, bool fresh,
                    bool fileSizeLimit)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVIK_SIMULATE"), scenario);
    env.insert(QStringLiteral("BREVIK_SIM_ROOT"), m_root.path());
    if (fresh)
        env.insert(QStringLiteral("BREVIK_SIM_FRESH"), QStringLiteral("1"));
    else
        env.remove(QStringLiteral("BREVIK_SIM_FRESH"));
    process.setProcessEnvironment(env);
    const QString brevik = QStringLiteral(BREVIK_EXECUTABLE);
    if (fileSizeLimit)
        process.start("/bin/bash",
                      QStringList{"-c", "trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"", brevik} +
                          args);
    else
        process.start(brevik, args);
    const qint64 pid = process.processId();
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished(5000);
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()), pid};
}

std::optional<SimulatedMac> TestCli::mac(const QString &scenario, bool fresh)
{
    return SimulatedMac::open(scenario, fresh);
}

void TestCli::guardConfirmsThenRepairsThenStaysQuiet_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("target"); // empty: the guardian must never act
    QTest::newRow("residual proxy") << "residual-proxy"
                                    << "127.0.0.1:7890";
    QTest::newRow("client's helper still runs") << "residual-proxy-helper"
                                                << "127.0.0.1:7890";
    QTest::newRow("local pac, nothing listens") << "pac-dead"
                                                << "127.0.0.1:1089";
    QTest::newRow("office proxy out of reach") << "company-proxy-dead"
                                               << "";
    QTest::newRow("working socks-only proxy") << "socks-only-proxy"
                                              << "";
}

void TestCli::guardConfirmsThenRepairsThenStaysQuiet()
{
    QFETCH(QString, scenario);
    QFETCH(QString, target);
    const auto sim = mac(scenario, true);
    QVERIFY(sim);
    const QStringList before = servicesWithProxyOn(*sim);
    QVERIFY(before.size() >= 2);

    const Run first = brevik(scenario, {QStringLiteral("--guard")});
    QCOMPARE(first.code, 0);
    const Run second = brevik(scenario, {QStringLiteral("--guard")});
    QCOMPARE(second.code, 0);
    const Run third = brevik(scenario, {QStringLiteral("--guard")});
    QCOMPARE(third.code, 0);
    QCOMPARE(third.out, QString());
    if (target.isEmpty()) {
        QCOMPARE(first.out + second.out, QString());
        QCOMPARE(servicesWithProxyOn(*sim), before);
        QCOMPARE(notifications(*sim), 0);
        return;
    }
    QCOMPARE(first.out, QStringLiteral("⚠️ 发现残留代理 ") + target +
                            QStringLiteral("（无人监听）——确认中…\n"));
    QCOMPARE(second.out, QStringLiteral("✅ 已自动修复：系统代理残留（") + target +
                             QStringLiteral("）已关闭，网络恢复直连\n"));
    QVERIFY(servicesWithProxyOn(*sim).isEmpty());
    // The agent repaired while nobody watched: one notification, one journal entry.
    QCOMPARE(notifications(*sim), 1);
    const Run history = brevik(scenario, {QStringLiteral("--history")});
    QVERIFY2(history.out.startsWith(QStringLiteral("#1  ")) &&
                 history.out.contains(QStringLiteral("  守护  ✅ 自动关闭残留系统代理 ") + target),
             qPrintable(history.out));

    QFile log(sim->home() + QStringLiteral("/Library/Logs/Brevik/guard.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    QVERIFY(text.contains(QStringLiteral("[守护] ⚠️ 发现残留代理 ") + target));
    QVERIFY(text.contains(QStringLiteral("[自动修复] 关闭残留系统代理 ") + target +
                          QStringLiteral("（服务：")));
}

void TestCli::guardAcrossRuns_data()
{
    QTest::addColumn<QStringList>("changes"); // made to the Mac before each run
    QTest::addColumn<QStringList>("printed"); // what each run prints, in short
    QTest::addColumn<bool>("logBlocked");     // a file where the log folder belongs

    QTest::newRow("dead, client back, dead again: confirms again")
        << QStringList{"", "client-up", "client-gone", ""}
        << QStringList{"confirming", "", "confirming", "repaired"} << false;
    QTest::newRow("a failed repair is retried by the next run")
        << QStringList{"settings-locked", "", "settings-open"}
        << QStringList{"confirming", "failed", "repaired"} << false;
    QTest::newRow("an unwritable log folder does not stop the repair")
        << QStringList{"", ""} << QStringList{"confirming", "repaired"} << true;
}

void TestCli::guardAcrossRuns()
{
    QFETCH(QStringList, changes);
    QFETCH(QStringList, printed);
    QFETCH(bool, logBlocked);

    const auto sim = mac(QStringLiteral("residual-proxy"), true);
    QVERIFY(sim);
    if (logBlocked) {
        QVERIFY(QDir().mkpath(sim->home() + "/Library/Logs"));
        QFile blocker(sim->home() + "/Library/Logs/Brevik");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    const QMap<QString, QString> texts{
        {"", ""},
        {"confirming",
         "⚠️ 发现残留代理 127.0.0.1:7890（无人监听）——确认中…\n"},
        {"failed", "❌ 自动修复失败，请点击「立即修复」手动处理\n"},
        {"repaired", "✅ 已自动修复：系统代理残留（127.0.0.1:7890）已关闭，网络恢复直连\n"}};
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const QString change = changes.at(i);
        QVERIFY(sim->updateState([&change](QJsonObject &state) {
            QJsonObject processes = state.value("processes").toObject();
            QJsonObject admin = state.value("admin").toObject();
            if (change == "client-up")
                processes.insert(
                    "1234", QJsonObject{{"path", "/Applications/ClashX.app/Contents/MacOS/ClashX"},
                                        {"listen", QJsonArray{QJsonObject{{"address", "127.0.0.1"},
                                                                          {"port", 7890}}}}});
            if (change == "client-gone")
                processes.remove("1234");
            if (change.startsWith("settings-"))
                admin.insert("networksetupNeedsAdmin", change == "settings-locked");
            state.insert("processes", processes);
            state.insert("admin", admin);
            return true;
        }));
        const Run run = brevik(QStringLiteral("residual-proxy"), {QStringLiteral("--guard")});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out == texts.value(printed.at(i)),
                 qPrintable(QStringLiteral("run %1: %2").arg(i + 1).arg(run.out)));
    }
    QVERIFY(servicesWithProxyOn(*sim).isEmpty());
}

void TestCli::guardStatusNeverRepairs()
{
    const auto sim = mac(QStringLiteral("residual-proxy"), true);
    QVERIFY(sim);
    const QStringList before = servicesWithProxyOn(*sim);
    for (int i = 0; i < 3; ++i) {
        const Run run =
            brevik(QStringLiteral("residual-proxy"), {QStringLiteral("--guard-status")});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.startsWith(
                     QStringLiteral("⚠️ 发现残留代理 127.0.0.1:7890（无人监听）")),
                 qPrintable(run.out));
        QVERIFY(run.out.endsWith(QLatin1Char('\n')));
    }
    QCOMPARE(servicesWithProxyOn(*sim), before);
}

void TestCli::switchPrecedence_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expectedStart");
    QTest::newRow("guard beats install-agent")
        << QStringList{"--install-agent", "--guard"} << "⚠️ 发现残留代理";
    QTest::newRow("guard beats scan")
        << QStringList{"--scan", "--guard"} << "⚠️ 发现残留代理";
    QTest::newRow("guard beats undo")
        << QStringList{"--undo", "--guard"} << "⚠️ 发现残留代理";
}

void TestCli::switchPrecedence()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expectedStart);
    const Run run = brevik(QStringLiteral("residual-proxy"), args, true);
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.startsWith(expectedStart), qPrintable(run.out));
    const auto sim = mac(QStringLiteral("residual-proxy"), false);
    QVERIFY(sim);
    QVERIFY2(!QFile::exists(sim->home() +
                            QStringLiteral("/Library/LaunchAgents/com.ostrand.brevik.guard.plist")),
             "a lower-ranked switch ran");
}

void TestCli::windowOnlyWithoutSwitch_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("window");
    QTest::newRow("guard") << QStringList{"--guard"} << false;
    QTest::newRow("guard-status") << QStringList{"--guard-status"} << false;
    QTest::newRow("uninstall-agent") << QStringList{"--uninstall-agent"} << false;
    QTest::newRow("scan --json") << QStringList{"--scan", "--json"} << false;
    QTest::newRow("fix without an id") << QStringList{"--fix"} << false;
    QTest::newRow("history") << QStringList{"--history"} << false;
    QTest::newRow("no switch") << QStringList{} << true;
    QTest::newRow("switch with a value is no switch") << QStringList{"--guard=1"} << true;
    QTest::newRow("capitals are no switch") << QStringList{"--GUARD"} << true;
}

// A terminal mode neither makes a window application (which would load a platform plugin)
// nor maps the widget libraries; without a switch exactly one window opens. The start-up
// trace reports the window's first paint and quits once the first finding is in.
void TestCli::windowOnlyWithoutSwitch()
{
    QFETCH(QStringList, args);
    QFETCH(bool, window);
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

    const Run run = brevik(QStringLiteral("healthy"), args, true);
    QVERIFY2(run.code == 0 || run.code == 2, qPrintable(run.err));
    QCOMPARE(run.err.contains(QStringLiteral("/platforms")), window);
    QCOMPARE(run.err.contains(QStringLiteral("brevik-startup: first paint, 1 window(s)")), window);
    if (window)
        QVERIFY(run.err.contains(QStringLiteral("brevik-startup: first finding")));
    // glibc's loader writes what it maps to LD_DEBUG_OUTPUT.PID; other systems skip this.
    QFile mapped(loaderLog.path() + QStringLiteral("/ld.%1").arg(run.pid));
    if (mapped.open(QIODevice::ReadOnly)) {
        const QByteArray libraries = mapped.readAll();
        QCOMPARE(libraries.contains("libQt6Widgets"), window);
        QCOMPARE(libraries.contains("libQt6Gui"), window);
    }
}

void TestCli::agentInstallUninstallRoundTrip()
{
    const auto sim = mac(QStringLiteral("healthy"), true);
    QVERIFY(sim);
    const QString plist =
        sim->home() + QStringLiteral("/Library/LaunchAgents/com.ostrand.brevik.guard.plist");

    const Run install = brevik(QStringLiteral("healthy"), {QStringLiteral("--install-agent")});
    QCOMPARE(install.code, 0);
    QCOMPARE(install.out,
             QStringLiteral(
                 "后台守护已安装：即使本工具关闭，也会每 5 秒自动检测并修复代理残留断网。\n"));
    QVERIFY(QFile::exists(plist));
    {
        ScopedRunner scope(sim->makeRunner());
        QVERIFY(shell(QStringLiteral("launchctl list"))
                    .output.contains(QStringLiteral("com.ostrand.brevik.guard")));
    }
    QFile file(plist);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<string>--guard</string>"));

    const Run again = brevik(QStringLiteral("healthy"), {QStringLiteral("--install-agent")});
    QCOMPARE(again.code, 0);

    const Run uninstall = brevik(QStringLiteral("healthy"), {QStringLiteral("--uninstall-agent")});
    QCOMPARE(uninstall.code, 0);
    QCOMPARE(uninstall.out, QStringLiteral("后台守护已卸载。\n"));
    QVERIFY(!QFile::exists(plist));
    ScopedRunner scope(sim->makeRunner());
    QVERIFY(!shell(QStringLiteral("launchctl list"))
                 .output.contains(QStringLiteral("com.ostrand.brevik.guard")));
}

void TestCli::agentInstallFailures_data()
{
    QTest::addColumn<bool>("installedBefore");
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("a file where the agents folder belongs") << false << false;
    QTest::newRow("a full disk keeps the installed agent") << true << true;
}

void TestCli::agentInstallFailures()
{
    QFETCH(bool, installedBefore);
    QFETCH(bool, diskFull);

    const auto sim = mac(QStringLiteral("healthy"), true);
    QVERIFY(sim);
    const QString agents = sim->home() + QStringLiteral("/Library/LaunchAgents");
    const QString plist = agents + QStringLiteral("/com.ostrand.brevik.guard.plist");
    if (installedBefore) {
        QCOMPARE(brevik(QStringLiteral("healthy"), {QStringLiteral("--install-agent")}).code, 0);
    } else {
        QDir(agents).removeRecursively();
        QVERIFY(QDir().mkpath(sim->home() + QStringLiteral("/Library")));
        QFile blocker(agents);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    QFile file(plist);
    const QByteArray before = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();

    const Run run =
        brevik(QStringLiteral("healthy"), {QStringLiteral("--install-agent")}, false, diskFull);
    QCOMPARE(run.code, 1);
    QVERIFY2(run.out.startsWith(QStringLiteral("写入守护配置失败：")), qPrintable(run.out));
    // What was installed stays installed: the file as it was, the job still loaded.
    QCOMPARE(file.open(QIODevice::ReadOnly), installedBefore);
    QCOMPARE(installedBefore ? file.readAll() : QByteArray(), before);
    ScopedRunner scope(sim->makeRunner());
    QCOMPARE(shell(QStringLiteral("launchctl list com.ostrand.brevik.guard")).code == 0,
             installedBefore);
}

void TestCli::fixRestoresTheMachine()
{
    const auto sim = mac(QStringLiteral("residual-proxy"), true);
    QVERIFY(sim);
    const Run fix = brevik(QStringLiteral("residual-proxy"),
                           {QStringLiteral("--fix"), QStringLiteral("fix-proxy-off-all")});
    QCOMPARE(fix.code, 0);
    QVERIFY2(
        fix.out.startsWith(QStringLiteral("✅ 修复成功：已关闭所有服务的系统代理，网络已恢复直连")),
        qPrintable(fix.out));
    QVERIFY(servicesWithProxyOn(*sim).isEmpty());

    const Run scan = brevik(QStringLiteral("residual-proxy"),
                            {QStringLiteral("--scan"), QStringLiteral("--json")});
    QCOMPARE(scan.code, 0);
    const QJsonObject doc = QJsonDocument::fromJson(scan.out.toUtf8()).object();
    QStringList ids;
    for (const QJsonValue &finding : doc.value(QStringLiteral("findings")).toArray())
        ids << finding.toObject().value(QStringLiteral("id")).toString();
    QVERIFY2(ids.contains(QStringLiteral("proxy-off")), qPrintable(ids.join(", ")));
    QVERIFY(!ids.contains(QStringLiteral("proxy-dead-crash")));
    QVERIFY(doc.value(QStringLiteral("internet")).toObject().value(QStringLiteral("ok")).toBool());
}

void TestCli::fixWithoutMatchingFindingExits2()
{
    const Run run = brevik(QStringLiteral("healthy"),
                           {QStringLiteral("--fix"), QStringLiteral("fix-proxy-off-all")}, true);
    QCOMPARE(run.code, 2);
    QCOMPARE(run.out, QString());
    const Run missing = brevik(QStringLiteral("healthy"), {QStringLiteral("--fix")});
    QCOMPARE(missing.code, 2);
}

void TestCli::undoAsksBeforeOverwritingChanges()
{
    const auto sim = mac(QStringLiteral("residual-proxy"), true);
    QVERIFY(sim);
    const QStringList fix{QStringLiteral("--fix"), QStringLiteral("fix-proxy-off-all")};
    QCOMPARE(brevik(QStringLiteral("residual-proxy"), fix).code, 0);
    // Someone points Wi-Fi's web proxy elsewhere after the repair.
    const QJsonObject theirs{{"enabled", true}, {"server", "10.0.0.2"}, {"port", 8080}};
    QVERIFY(sim->updateState([&theirs](QJsonObject &state) {
        QJsonObject services = state["services"].toObject();
        QJsonObject wifi = services["Wi-Fi"].toObject();
        QJsonObject proxies = wifi["proxies"].toObject();
        proxies["web"] = theirs;
        wifi["proxies"] = proxies;
        services["Wi-Fi"] = wifi;
        state["services"] = services;
        return true;
    }));

    const Run refused = brevik(QStringLiteral("residual-proxy"), {QStringLiteral("--undo")});
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.out.contains(QStringLiteral("「Wi-Fi」的网页代理（HTTP）")) &&
                 refused.out.contains(QStringLiteral("--force")),
             qPrintable(refused.out));
    QCOMPARE(webProxyOf(*sim, "Wi-Fi"), theirs);
    QVERIFY(servicesWithProxyOn(*sim) == QStringList{"Wi-Fi"});

    const Run forced =
        brevik(QStringLiteral("residual-proxy"),
               {QStringLiteral("--undo"), QStringLiteral("1"), QStringLiteral("--force")});
    QCOMPARE(forced.code, 0);
    QVERIFY2(forced.out.startsWith(QStringLiteral("✅ 已撤销 #1")), qPrintable(forced.out));
    QCOMPARE(webProxyOf(*sim, "Wi-Fi"),
             (QJsonObject{{"enabled", true}, {"server", "127.0.0.1"}, {"port", 7890}}));
    QCOMPARE(servicesWithProxyOn(*sim).size(), 3);

    const QStringList history =
        brevik(QStringLiteral("residual-proxy"), {QStringLiteral("--history")})
            .out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(history.size(), 2);
    QVERIFY2(history.at(0).startsWith(QStringLiteral("#2  ")) &&
                 history.at(0).contains(QStringLiteral("✅ 撤销 #1：")) &&
                 history.at(1).endsWith(QStringLiteral("（已撤销）")),
             qPrintable(history.join('\n')));
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
    const auto sim = mac(scenario, true);
    QVERIFY(sim);
    QCOMPARE(brevik(scenario, {QStringLiteral("--fix"), QStringLiteral("fix-proxy-off-all")}).code,
             0);
    QVERIFY(servicesWithProxyOn(*sim).isEmpty());
    QVERIFY(sim->updateState([](QJsonObject &state) {
        QJsonObject admin = state["admin"].toObject();
        admin["prompt"] = "cancel";
        state["admin"] = admin;
        return true;
    }));

    const Run undo = brevik(scenario, {QStringLiteral("--undo")});
    QCOMPARE(undo.code, 1);
    QCOMPARE(
        undo.out,
        QStringLiteral(
            "⚠️ 已取消授权，#1「一键关闭系统代理（立即恢复上网）」"
            "没有撤销，未做任何修改。\n"));
    QVERIFY(servicesWithProxyOn(*sim).isEmpty());
    // Nothing happened, so nothing is journaled.
    QCOMPARE(brevik(scenario, {QStringLiteral("--history")}).out.count(QLatin1Char('\n')), 1);
}

void TestCli::scanJsonHasTheDocumentedShape()
{
    const Run run = brevik(QStringLiteral("residual-proxy"),
                           {QStringLiteral("--scan"), QStringLiteral("--json")}, true);
    QCOMPARE(run.code, 0);
    QJsonParseError error;
    const QJsonObject doc = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QStringList keys = doc.keys();
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()),
             (QSet<QString>{"findings", "ai", "internet", "seconds"}));
    QVERIFY(doc.value(QStringLiteral("seconds")).isDouble());

    bool sawCrash = false;
    const QSet<QString> severities{"ok", "info", "warn", "error"};
    for (const QJsonValue &value : doc.value(QStringLiteral("findings")).toArray()) {
        const QJsonObject finding = value.toObject();
        QCOMPARE(finding.keys().size(), 8);
        QVERIFY(severities.contains(finding.value(QStringLiteral("severity")).toString()));
        QVERIFY(finding.value(QStringLiteral("fixHint")).isString() ||
                finding.value(QStringLiteral("fixHint")).isNull());
        QVERIFY(finding.value(QStringLiteral("manualSteps")).isArray());
        if (finding.value(QStringLiteral("id")).toString() == QLatin1String("proxy-dead-crash")) {
            sawCrash = true;
            QCOMPARE(finding.value(QStringLiteral("severity")).toString(), QStringLiteral("error"));
            QCOMPARE(finding.value(QStringLiteral("category")).toString(),
                     QStringLiteral("代理 / 科学上网"));
            const QJsonObject fix = finding.value(QStringLiteral("fix")).toObject();
            QCOMPARE(fix.value(QStringLiteral("id")).toString(),
                     QStringLiteral("fix-proxy-off-all"));
            QCOMPARE(fix.value(QStringLiteral("needsAdmin")).toBool(), false);
            QCOMPARE(fix.value(QStringLiteral("fallbackAdmin")).toBool(), true);
            QVERIFY(!fix.value(QStringLiteral("commands")).toArray().isEmpty());
        }
    }
    QVERIFY(sawCrash);
    const QJsonArray ai = doc.value(QStringLiteral("ai")).toArray();
    QCOMPARE(ai.size(), 6);
    QCOMPARE(ai.first().toObject().keys().size(), 6);
    const QJsonObject internet = doc.value(QStringLiteral("internet")).toObject();
    const QStringList internetKeys = internet.keys();
    QCOMPARE(QSet<QString>(internetKeys.begin(), internetKeys.end()),
             (QSet<QString>{"ok", "code", "ms", "via", "tried", "summary"}));
}

void TestCli::scanTextListsFindingsAndVerdict()
{
    const Run run = brevik(QStringLiteral("residual-proxy"), {QStringLiteral("--scan")}, true);
    QCOMPARE(run.code, 0);
    QVERIFY(
        run.out.contains(QStringLiteral("[故障] 致命：系统代理指向已关闭的代理软件（整机断网）")));
    QVERIFY(run.out.contains(
        QStringLiteral("修复：一键关闭系统代理（立即恢复上网） · brevik --fix fix-proxy-off-all")));
    QVERIFY(run.out.contains(QStringLiteral("上网实测：")));
    // The verdict is the last step's: the search page was fetched once (the proxy is dead,
    // so directly only), not again after the scan.
    const auto residual = mac(QStringLiteral("residual-proxy"), false);
    QVERIFY(residual);
    int fetches = 0;
    for (const SimCall &call : residual->calls())
        fetches += call.tool == QLatin1String("curl") &&
                   !call.args.filter(QStringLiteral("www.bing.com/search")).isEmpty();
    QCOMPARE(fetches, 1);
}

void TestCli::tenRunsAtOnce_data()
{
    QTest::addColumn<bool>("folderMade");
    QTest::newRow("the simulated Mac is there") << true;
    QTest::newRow("the first runs make it") << false;
}

void TestCli::tenRunsAtOnce()
{
    // The launch agent, the app and a terminal may all start on the same Mac at once.
    QFETCH(bool, folderMade);
    for (int round = 0; round < 10; ++round) {
        QVERIFY(QDir(m_root.filePath(QStringLiteral("healthy"))).removeRecursively());
        if (folderMade)
            QVERIFY(mac(QStringLiteral("healthy"), true));
        std::vector<std::unique_ptr<QProcess>> runs;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BREVIK_SIMULATE"), QStringLiteral("healthy"));
        env.insert(QStringLiteral("BREVIK_SIM_ROOT"), m_root.path());
        env.remove(QStringLiteral("BREVIK_SIM_FRESH"));
        for (int i = 0; i < 10; ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setProcessEnvironment(env);
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVIK_SIMULATE"), path);
    env.insert(QStringLiteral("BREVIK_SIM_ROOT"), m_root.path());
    env.insert(QStringLiteral("BREVIK_SIM_FRESH"), QStringLiteral("1"));
    env.remove(QStringLiteral("BREVIK_SIM_TIME_SCALE"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(BREVIK_EXECUTABLE), args);
    QVERIFY(process.waitForStarted());
    const pid_t pid = pid_t(process.processId());
    QTRY_VERIFY_WITH_TIMEOUT(descendants(pid).values().contains(interruptDuring), 120000);
    const qint64 interruptMs = QDateTime::currentMSecsSinceEpoch();
    kill(pid, signal);

    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(process.exitCode(), signal);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    const QString folder = m_root.filePath(QStringLiteral("interrupted"));
    QTRY_VERIFY_WITH_TIMEOUT(processesOn(folder).isEmpty(), 30000);
    // Nothing runs on the simulated Mac any more, so its call log is complete. A stand-in
    // records its call when it ends by itself, never when a signal ends it: a call that
    // ended after the interrupt is one that carried on.
    for (const SimCall &call : CallLog::read(CallLog::file(folder)))
        QVERIFY2(call.endMs <= interruptMs,
                 qPrintable(call.tool + ' ' + call.args.join(' ') + " carried on"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
