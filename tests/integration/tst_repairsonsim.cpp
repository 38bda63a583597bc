#include "exec/shell.h"
#include "model/netconfig.h"
#include "repair/adminscript.h"
#include "repair/fixengine.h"
#include "repair/recording.h"
#include "tests/integration/scanonsim.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QTest>
#include <thread>

using namespace brevik;

using namespace Qt::StringLiterals;

using FileTexts = QMap<QString, QString>; // path in the home folder → text; null: no such file

namespace {

QStringList servicesWithProxyOn(const SimulatedMac &mac)
{
    OnSimulatedMac on(mac);
    QStringList on_;
    for (const QString &service : NetConfig::allServices()) {
        if (NetConfig::proxyState(service).enabled)
            on_ << service;
    }
    return on_;
}

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QList<SimCall> promptsOf(const SimulatedMac &mac)
{
    QList<SimCall> prompts;
    for (const SimCall &call : mac.calls()) {
        if (call.tool == QLatin1String("osascript"))
            prompts << call;
    }
    return prompts;
}

} // namespace

Q_DECLARE_METATYPE(RepairOp)

class TestRepairsOnSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void promptOutcomes_data();
    void promptOutcomes();
    void batchAsksForThePasswordOnce_data();
    void batchAsksForThePasswordOnce();
    void cancelledPromptChangesNothing();
    void repairsAreRechecked_data();
    void repairsAreRechecked();
    void shellFileRepairs_data();
    void shellFileRepairs();

private:
    QTemporaryDir m_root;
};

void TestRepairsOnSim::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0.1");
}

void TestRepairsOnSim::promptOutcomes_data()
{
    QTest::addColumn<QList<RepairOp>>("ops");
    QTest::addColumn<bool>("needsAdmin"); // else: plainly first, the prompt as fallback
    QTest::addColumn<bool>("expectedOk");
    QTest::addColumn<QString>("expectedLog");

    // The network time can be set by an administrator only; interface en9 does not exist.
    const RepairOp networkTime = RepairOps::NetworkTime{true};
    const RepairOp noSuchMtu = RepairOps::Mtu{u"en9"_s, 1400};
    QTest::newRow("needsAdmin runs behind the prompt")
        << QList<RepairOp>{networkTime, RepairOps::FlushDnsCache{}} << true << true
        << u"✅ 修复成功：提示\nsetUsingNetworkTime: On"_s;
    QTest::newRow("a failing first command fails it, the rest still run")
        << QList<RepairOp>{noSuchMtu, networkTime} << true << false
        << u"❌ 执行失败（退出码 1）\n失败的命令：ifconfig en9 mtu 1400\n"
           u"ifconfig: interface en9 does not exist\nsetUsingNetworkTime: On"_s;
    QTest::newRow("refused plainly, done behind the prompt")
        << QList<RepairOp>{networkTime} << false << true
        << u"✅ 修复成功：提示\n（免密码方式未生效，已通过管理员权限完成）\nsetUsingNetworkTime: On"_s;
    QTest::newRow("failing behind the prompt too")
        << QList<RepairOp>{noSuchMtu} << false << false
        << u"❌ 执行失败（退出码 1）\n失败的命令：ifconfig en9 mtu 1400\n"
           u"ifconfig: interface en9 does not exist"_s;
}

void TestRepairsOnSim::promptOutcomes()
{
    QFETCH(QList<RepairOp>, ops);
    QFETCH(bool, needsAdmin);
    const auto mac = SimulatedMac::open(QStringLiteral("healthy"), true);
    QVERIFY(mac);
    OnSimulatedMac on(*mac);
    const FixResult result = FixEngine::apply(FixAction{.id = QStringLiteral("fix-x"),
                                                        .operations = ops,
                                                        .needsAdmin = needsAdmin,
                                                        .fallbackAdmin = !needsAdmin,
                                                        .successHint = QStringLiteral("提示")});
    QTEST(result.ok, "expectedOk");
    QTEST(result.log, "expectedLog");
    QCOMPARE(promptsOf(*mac).size(), 1);
}

void TestRepairsOnSim::batchAsksForThePasswordOnce_data()
{
    QTest::addColumn<int>("takenBackups"); // .brevik.bak, .1, … already there
    QTest::addColumn<bool>("hostsGone");   // the hosts file disappears between scan and repair
    QTest::newRow("all three repaired, the earlier backup kept") << 1 << false;
    // The first backup stays for good; of the numbered ones the newest ten.
    QTest::newRow("twelve earlier backups: the newest ten numbered ones stay") << 13 << false;
    // Behind the same prompt the other two still succeed, and only the hosts repair fails.
    QTest::newRow("the hosts file cannot be backed up") << 1 << true;
}

void TestRepairsOnSim::batchAsksForThePasswordOnce()
{
    QFETCH(int, takenBackups);
    QFETCH(bool, hostsGone);
    // Three faults whose repairs all end up needing rights: the residual proxy (settings
    // locked to administrators, so its plain run fails), a clock an hour ahead and a
    // hijacked hosts entry.
    QTemporaryDir dir;
    const QString hosts = QStringLiteral(
        "127.0.0.1\tlocalhost\n255.255.255.255\tbroadcasthost\n0.0.0.0 api.anthropic.com\n");
    const QString path = writeScenario(
        dir, QStringLiteral("three-faults"),
        {{"extends", "residual-proxy"},
         {"clockOffsetSeconds", 3600},
         {"hostsFile", hosts},
         {"admin", QJsonObject{{"prompt", "accept"}, {"networksetupNeedsAdmin", true}}}});
    QString error;
    const auto mac = SimulatedMac::open(path, true, &error);
    QVERIFY2(mac, qPrintable(error));
    const QString backup = mac->hostsFile() + QStringLiteral(".brevik.bak");
    for (int n = 0; n < takenBackups; ++n)
        writeFile(n == 0 ? backup : backup + QLatin1Char('.') + QString::number(n), "earlier\n");
    const ScanOutcome before = scanOn(*mac);
    for (const char *id : {"proxy-dead-crash", "clock-skew", "hosts-hijack"})
        QVERIFY2(before.ids().contains(QLatin1String(id)), qPrintable(before.ids().join(", ")));

    QList<QStringList> adminGroups;
    for (const Finding &finding : before.findings) {
        if (finding.fix && (finding.fix->needsAdmin || finding.fix->fallbackAdmin))
            adminGroups << finding.fix->commands();
    }
    if (hostsGone)
        QVERIFY(QFile::remove(mac->hostsFile()));
    QMap<QString, QString> logs;
    {
        OnSimulatedMac on(*mac);
        const QMap<QString, FixResult> results = FixEngine::applyAll(before.findings, {});
        for (auto result = results.cbegin(); result != results.cend(); ++result)
            logs.insert(result.key(), result->log);
    }
    const QList<SimCall> prompts = promptsOf(*mac);
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(prompts.first().args.size(), 2);
    // The stand-ins see the command after the simulation moved /etc/hosts into its folder.
    const QString expected =
        mac->makeRunner()->mapPaths(adminCommandLine({AdminScript::build(adminGroups)}));
    QCOMPARE(QStringLiteral("osascript -e ") + shellQuote(prompts.first().args.at(1)), expected);
    for (const char *id : {"proxy-dead-crash", "clock-skew"})
        QVERIFY2(logs.value(id).startsWith(QStringLiteral("✅ 修复成功")),
                 qPrintable(logs.value(id)));
    const QString hostsLog = logs.value(QStringLiteral("hosts-hijack"));
    QVERIFY2(hostsLog.startsWith(hostsGone ? QStringLiteral("❌ 批量修复失败：")
                                           : QStringLiteral("✅ 修复成功")),
             qPrintable(hostsLog));

    const ScanOutcome after = scanOn(*mac);
    QVERIFY(!after.ids().contains(QStringLiteral("proxy-dead-crash")));
    QVERIFY(!after.ids().contains(QStringLiteral("clock-skew")));
    QVERIFY(!after.ids().contains(QStringLiteral("hosts-hijack")));
    QCOMPARE(readAll(backup), QStringLiteral("earlier\n"));
    // The new backup follows the highest number; numbered ones more than ten back are gone.
    const QString made = backup + QLatin1Char('.') + QString::number(takenBackups);
    QCOMPARE(QFileInfo::exists(made), !hostsGone);
    if (!hostsGone)
        QCOMPARE(readAll(made), hosts);
    QStringList numbered;
    for (const QString &name : QDir(QFileInfo(backup).absolutePath())
                                   .entryList({QFileInfo(backup).fileName() + ".*"}, QDir::Files))
        numbered << name.section(QLatin1Char('.'), -1);
    QCOMPARE(numbered.size(), std::min(takenBackups - (hostsGone ? 1 : 0), 10));
}

void TestRepairsOnSim::cancelledPromptChangesNothing()
{
    QString error;
    const auto mac = SimulatedMac::open(QStringLiteral("admin-cancel"), true, &error);
    QVERIFY2(mac, qPrintable(error));
    const ScanOutcome scan = scanOn(*mac);
    const auto crash = scan.find(QStringLiteral("proxy-dead-crash"));
    QVERIFY(crash && crash->fix);
    const QStringList proxiesBefore = servicesWithProxyOn(*mac);
    QVERIFY(!proxiesBefore.isEmpty());

    FixResult single;
    QMap<QString, FixResult> batch;
    {
        OnSimulatedMac on(*mac);
        single = FixEngine::apply(*crash->fix);
        batch = FixEngine::applyAll({*crash}, {});
    }
    QVERIFY(!single.ok);
    QCOMPARE(single.log, QStringLiteral("⚠️ 已取消授权，未做任何修改。"));
    QCOMPARE(batch.value(crash->id).log,
             QStringLiteral(
                 "❌ 批量修复失败：\n⚠️ 已取消授权，未做任何修改。"));
    QCOMPARE(servicesWithProxyOn(*mac), proxiesBefore);
}

void TestRepairsOnSim::repairsAreRechecked_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QString>("log"); // how the log starts
    QTest::addColumn<bool>("fixed");

    QTest::newRow("the residual proxy switched off: gone")
        << "residual-proxy" << "proxy-dead-crash" << "✅ 修复成功" << true;
    QTest::newRow("DNS of the Mac's own where only the VPN had some")
        << "vpn-dns-only" << "dns-vpn-only" << "✅ 修复成功" << true;
    // Servers are set, but a service without a router is not the one the Mac resolves with.
    QTest::newRow("public DNS set on a Mac without a router: still none in use")
        << "self-assigned-ip" << "no-dns" << "❌ 命令已执行，但复查仍发现：" << false;
    // The renewal runs and exits 0, but no lease comes: the check still finds no address.
    QTest::newRow("a lease renewed with no DHCP server: still no address")
        << "self-assigned-ip" << "self-assigned-ip" << "❌ 命令已执行，但复查仍发现：" << false;
    QTest::newRow("the clock set by the network: in time")
        << "clock-skew" << "clock-skew" << "✅ 修复成功" << true;
}

// After its commands succeed, a repair's check runs again on a fresh snapshot: a repair that
// did not remove its finding is no success, and the journal keeps what the check found.
void TestRepairsOnSim::repairsAreRechecked()
{
    QFETCH(QString, scenario);
    QFETCH(QString, finding);
    const auto mac = SimulatedMac::open(scenario, true);
    QVERIFY(mac);
    const auto target = scanOn(*mac).find(finding);
    QVERIFY(target && target->fix);
    OnSimulatedMac on(*mac);
    const Journal journal(Journal::pathIn(mac->home()), mac->home());
    const FixResult result = Recording::apply(*target, RepairOrigin::commandLine, journal);
    QFETCH(QString, log);
    QFETCH(bool, fixed);
    QVERIFY2(result.log.startsWith(log), qPrintable(result.log));
    QCOMPARE(result.ok, fixed);
    QCOMPARE(result.fixedAt.has_value(), fixed);
    QCOMPARE(result.end, fixed ? FixEnd::succeeded : FixEnd::notFixed);
    const JournalEntry entry = journal.entries().constLast();
    QVERIFY2(entry.verdict.startsWith(fixed ? QStringLiteral("复查：已不再发现")
                                            : QStringLiteral("复查仍发现：") + target->title),
             qPrintable(entry.verdict));
    QCOMPARE(entry.end, fixed ? EntryEnd::succeeded : EntryEnd::notFixed);
}

void TestRepairsOnSim::shellFileRepairs_data()
{
    QTest::addColumn<FileTexts>("files"); // the start-up files before
    QTest::addColumn<QString>("twist");   // "", "symlink", "again", "at-once"
    QTest::addColumn<bool>("repaired");
    QTest::addColumn<FileTexts>("after"); // files and backups after

    const QString dead = QStringLiteral("export https_proxy=http://127.0.0.1:7890\n");
    const QString zshrc = QStringLiteral("alias ll='ls -la'\n") + dead;
    const QString done = QStringLiteral("alias ll='ls -la'\n# ") + dead;
    const QString live = QStringLiteral("export http_proxy=http://127.0.0.1:7897\n");
    QTest::newRow("only the stale lines: capitals, not comments, not a live port")
        << FileTexts{{".zshrc", "#export https_proxy=http://127.0.0.1:7890\nexport "
                                "HTTPS_PROXY=http://127.0.0.1:7890\n"},
                     {".bashrc", live},
                     {".bash_profile", "  ALL_PROXY=socks5://127.0.0.1:7890\n"}}
        << u""_s << true
        << FileTexts{{".zshrc", "#export https_proxy=http://127.0.0.1:7890\n# export "
                                "HTTPS_PROXY=http://127.0.0.1:7890\n"},
                     {".bashrc", live},
                     {".bashrc.brevik.bak", QString()},
                     {".bash_profile", "#   ALL_PROXY=socks5://127.0.0.1:7890\n"},
                     {".bash_profile.brevik.bak", "  ALL_PROXY=socks5://127.0.0.1:7890\n"}};
    QTest::newRow("a NUL byte does not hide the line")
        << FileTexts{{".zshrc", QStringLiteral("bin") + QChar(0) + "ary\n" + dead}} << u""_s << true
        << FileTexts{{".zshrc", QStringLiteral("bin") + QChar(0) + "ary\n# " + dead}};
    QTest::newRow("a symbolic link stays a link")
        << FileTexts{{".zshrc", zshrc}} << u"symlink"_s << true
        << FileTexts{{"dotfiles/zshrc", done}, {".zshrc.brevik.bak", zshrc}};
    const QString added = QStringLiteral("export ALL_PROXY=socks5://127.0.0.1:7891\n");
    QTest::newRow("a second repair keeps the first backup")
        << FileTexts{{".zshrc", zshrc}} << u"again"_s << true
        << FileTexts{{".zshrc", done + "# " + added},
                     {".zshrc.brevik.bak", zshrc},
                     {".zshrc.brevik.bak.1", done + added}};

    QTest::newRow("five repairs at once keep the original")
        << FileTexts{{".zshrc", zshrc}} << u"at-once"_s << true << FileTexts{{".zshrc", done}};
}

void TestRepairsOnSim::shellFileRepairs()
{
    QFETCH(FileTexts, files);
    QFETCH(QString, twist);
    QFETCH(bool, repaired);
    QFETCH(FileTexts, after);

    // No proxy client; something else listens on 7897.
    QJsonObject homeFiles{{".zshrc", QJsonValue::Null}};
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        homeFiles.insert(it.key(), it.value());
    QTemporaryDir dir;
    const QString scenario = writeScenario(
        dir, QStringLiteral("shell"),
        {{"extends", "stale-shell-proxy"},
         {"homeFiles", homeFiles},
         {"processes",
          QJsonObject{
              {"2600", QJsonObject{{"path", "/usr/local/bin/dev-server"},
                                   {"listen", QJsonArray{QJsonObject{{"address", "127.0.0.1"},
                                                                     {"port", 7897}}}}}}}}});
    QString error;
    const auto mac = SimulatedMac::open(scenario, true, &error);
    QVERIFY2(mac, qPrintable(error));
    const QString home = mac->home() + QLatin1Char('/');
    if (twist == QLatin1String("symlink")) {
        QVERIFY(QDir(home).mkpath(QStringLiteral("dotfiles")));
        QVERIFY(QFile::rename(home + ".zshrc", home + "dotfiles/zshrc"));
        QVERIFY(QFile::link(home + "dotfiles/zshrc", home + ".zshrc"));
    }

    const auto repair = [&mac, &twist] {
        const std::optional<Finding> stale = scanOn(*mac).find(QStringLiteral("shell-proxy-stale"));
        if (!stale || !stale->fix)
            return FixResult{false, QStringLiteral("no repair offered")};
        OnSimulatedMac on(*mac);
        FixResult result;
        if (twist == QLatin1String("at-once")) {
            std::vector<std::thread> runs;
            for (int i = 0; i < 5; ++i)
                runs.emplace_back([&] { FixEngine::apply(*stale->fix); });
            for (std::thread &run : runs)
                run.join();
            result.ok = true;
        } else {
            result = FixEngine::apply(*stale->fix);
        }
        return result;
    };
    FixResult result = repair();
    if (twist == QLatin1String("again")) {
        QVERIFY(result.ok);
        QFile zshrc(home + ".zshrc");
        QVERIFY(zshrc.open(QIODevice::Append));
        zshrc.write("export ALL_PROXY=socks5://127.0.0.1:7891\n");
        zshrc.close();
        result = repair();
    }
    QVERIFY2(result.ok == repaired, qPrintable(result.log));

    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        QVERIFY2(QFileInfo::exists(home + it.key()) == !it.value().isNull(), qPrintable(it.key()));
        QCOMPARE(readAll(home + it.key()), it.value().isNull() ? QString() : it.value());
    }
    if (twist == QLatin1String("symlink"))
        QVERIFY(QFileInfo(home + ".zshrc").isSymLink());
    if (twist == QLatin1String("at-once")) {
        // Which run copied first is open; one of the copies must be the original.
        QStringList backups;
        for (const QString &name :
             QDir(home).entryList({".zshrc.brevik.bak*"}, QDir::Hidden | QDir::Files))
            backups << readAll(home + name);
        QVERIFY2(backups.contains(files.value(".zshrc")), qPrintable(backups.join("|")));
    }
    QCOMPARE(scanOn(*mac).ids().contains(QStringLiteral("shell-proxy-stale")), !repaired);
}

QTEST_GUILESS_MAIN(TestRepairsOnSim)
#include "tst_repairsonsim.moc"
