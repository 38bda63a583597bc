#include "repair/journal.h"
#include "tests/app/brevikprocess.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

using namespace brevik;

using namespace Qt::StringLiterals;

// What a user who lets a tool change their Mac must be able to count on, tried as an unlucky
// user and as an attacker would, with the real executable on the simulated Mac: text planted
// in the journal never runs, a process killed half-way leaves a record undo takes back,
// backups are restored only as they were made, a journal that cannot be written is told, and
// processes that change settings take turns.
namespace {

QString journalOf(const SimulatedMac &mac)
{
    return Journal::pathIn(mac.home());
}

QString cksum(const QByteArray &bytes)
{
    QProcess process;
    process.start(u"cksum"_s);
    process.write(bytes);
    process.closeWriteChannel();
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Writes the journal of the Mac: one entry, as its first record and its outcome.
void writeEntry(const SimulatedMac &mac, const QJsonObject &start, const QString &log)
{
    QDir().mkpath(QFileInfo(journalOf(mac)).absolutePath());
    const QJsonObject outcome{{"id", start.value("id")},
                              {"outcome", QJsonObject{{"end", "succeeded"}, {"log", log}}}};
    writeFile(journalOf(mac), QJsonDocument(start).toJson(QJsonDocument::Compact) + '\n' +
                                  QJsonDocument(outcome).toJson(QJsonDocument::Compact) + '\n');
}

// Waits until `count` calls of the stand-in `tool` whose first argument starts with `prefix`
// have ended on the Mac (or, for "backup", until the hosts file's backup exists), then kills
// `process` at once.
bool killAfterCalls(QProcess &process, const SimulatedMac &mac, const QString &tool,
                    const QString &prefix, int count)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        int seen = 0;
        for (const SimCall &call : mac.calls())
            seen += call.tool == tool && call.args.value(0).startsWith(prefix);
        // "backup": the hosts file's backup is on the disk.
        if (tool == u"backup"_s)
            seen = QFile::exists(mac.hostsFile() + u".brevik.bak"_s) ? count : -1;
        if (seen >= count) {
            ::kill(pid_t(process.processId()), SIGKILL);
            process.waitForFinished(5000);
            return true;
        }
        QTest::qWait(20);
    }
    return false;
}

} // namespace

class TestChangeSafety : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void plantedTextNeverRuns_data();
    void plantedTextNeverRuns();
    void killedHalfWayIsUndone_data();
    void killedHalfWayIsUndone();
    void backupsAreRestoredOnlyAsMade_data();
    void backupsAreRestoredOnlyAsMade();
    void journalFaultsAreTold_data();
    void journalFaultsAreTold();
    void changesTakeTurns();
    void partialRunIsToldAndUndone();

private:
    Run brevik(const QString &scenario, const QStringList &args, bool fileSizeLimit = false)
    {
        return runBrevik(simulation(m_root.path(), scenario, false), args, fileSizeLimit);
    }

    QTemporaryDir m_root;
};

void TestChangeSafety::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0.1");
}

void TestChangeSafety::plantedTextNeverRuns_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("readable"); // the entry is still taken back

    QTest::newRow("title") << u"title"_s << true;
    QTest::newRow("finding id") << u"finding"_s << true;
    QTest::newRow("one-time note") << u"oneTime"_s << true;
    QTest::newRow("service name") << u"target"_s << true;
    QTest::newRow("proxy server") << u"server"_s << false;
    QTest::newRow("edited file") << u"path"_s << false;
    QTest::newRow("backup") << u"backup"_s << false;
    QTest::newRow("backup checksum") << u"backupChecksum"_s << false;
}

// Every string field of an entry holds shell text in turn; --history and --undo run, the
// undo behind an accepted password prompt (the hosts file is the system's). The canary file
// the text would make must never appear.
void TestChangeSafety::plantedTextNeverRuns()
{
    QFETCH(QString, field);
    QFETCH(bool, readable);
    const auto mac = SimulatedMac::open(u"hosts-hijack"_s, true);
    QVERIFY(mac);
    const QString canary = m_root.filePath(u"canary-"_s + field);
    const QString planted = u"x'\"$(touch "_s + canary + u")\"`touch "_s + canary + u"`;touch "_s +
                            canary + u";'"_s;

    // A hosts repair whose backup is real: the undo restores it as the administrator.
    const QByteArray original = readAll(mac->hostsFile());
    writeFile(mac->hostsFile() + u".brevik.bak"_s, original);
    const QByteArray edited = original + "# edited\n";
    writeFile(mac->hostsFile(), edited);
    QJsonObject file{{"path", "/etc/hosts"},
                     {"backup", "/etc/hosts.brevik.bak"},
                     {"backupChecksum", cksum(original)}};
    QJsonObject setting{{"setting", "dns"}, {"target", "Wi-Fi"}, {"before", QJsonArray{}},
                        {"after", QJsonArray{"223.5.5.5"}}};
    QJsonObject start{{"id", 1},      {"time", "2026-12-07T10:00:00"},
                      {"by", "window"}, {"pid", 1},
                      {"finding", "hosts-hijack"}, {"repair", "fix-hosts"},
                      {"title", "注释可疑条目"}, {"admin", true},
                      {"oneTime", QJsonArray{"刷新 DNS 缓存"}}};
    if (field == u"title"_s || field == u"finding"_s)
        start.insert(field, planted);
    if (field == u"oneTime"_s)
        start.insert(field, QJsonArray{planted});
    if (field == u"target"_s)
        setting.insert(field, planted);
    if (field == u"server"_s)
        setting = {{"setting", "webproxy"}, {"target", "Wi-Fi"},
                   {"before", QJsonObject{{"enabled", true}, {"server", planted}, {"port", "7890"}}},
                   {"after", QJsonObject{{"enabled", false}}}};
    if (file.contains(field))
        file.insert(field, planted);
    start.insert(u"settings"_s, QJsonArray{setting});
    start.insert(u"files"_s, QJsonArray{file});
    writeEntry(*mac, start, u"✅ 修复成功"_s);
    QVERIFY(QJsonDocument(QJsonObject{{"checksumAfter", cksum(edited)}}).isObject());

    const Run history = brevik(u"hosts-hijack"_s, {u"--history"_s});
    QCOMPARE(history.code, 0);
    const Run undo = brevik(u"hosts-hijack"_s, {u"--undo"_s, u"1"_s, u"--force"_s});
    QVERIFY2(!QFile::exists(canary), qPrintable(undo.out));
    QCOMPARE(undo.code, readable ? 0 : 1);
    QVERIFY2(readable || undo.out.contains(u"这条记录的内容不可信"_s), qPrintable(undo.out));
    // A readable entry gets its file back; an unreadable one changes nothing, not even asks.
    QCOMPARE(readAll(mac->hostsFile()), readable ? original : edited);
    int prompts = 0;
    for (const SimCall &call : mac->calls())
        prompts += call.tool == u"osascript"_s;
    QCOMPARE(prompts, readable ? 1 : 0);
}

void TestChangeSafety::killedHalfWayIsUndone_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("tool");     // the stand-in whose calls are counted
    QTest::addColumn<QString>("argument"); // how the first argument of those calls starts
    QTest::addColumn<int>("killAfter");

    const QStringList fixProxy{u"--fix"_s, u"fix-proxy-off-all"_s};
    QTest::newRow("--fix after its first command")
        << u"residual-proxy"_s << fixProxy << u"networksetup"_s << u"-set"_s << 1;
    QTest::newRow("--fix after half of its commands")
        << u"residual-proxy"_s << fixProxy << u"networksetup"_s << u"-set"_s << 6;
    // The script behind the prompt has made the backup and is editing the file.
    QTest::newRow("--fix fix-hosts after the backup appeared")
        << u"hosts-hijack"_s << QStringList{u"--fix"_s, u"fix-hosts"_s} << u"backup"_s << u""_s
        << 0;
    QTest::newRow("the second --guard during its repair")
        << u"residual-proxy"_s << QStringList{u"--guard"_s} << u"networksetup"_s << u"-set"_s << 2;
}

// Killed at a step of its repair, the process leaves an entry: --history shows it interrupted
// and --undo brings the Mac back to where it was. An administrator script whose parent died
// stops before its next command.
void TestChangeSafety::killedHalfWayIsUndone()
{
    QFETCH(QString, scenario);
    QFETCH(QStringList, args);
    QFETCH(QString, tool);
    QFETCH(QString, argument);
    QFETCH(int, killAfter);
    const auto mac = SimulatedMac::open(scenario, true);
    QVERIFY(mac);
    // Every change takes a moment: time to kill in between.
    QVERIFY(setState(*mac, {u"slowTools"_s},
                     QJsonObject{{"networksetup", 2.0}, {"sed", 5.0}}));
    const QStringList proxiesBefore = servicesWithProxyOn(*mac);
    const QByteArray hostsBefore = readAll(mac->hostsFile());
    if (args.first() == u"--guard"_s)
        QCOMPARE(brevik(scenario, args).code, 0); // the first sighting

    QProcess process;
    startBrevik(process, simulation(m_root.path(), scenario, false), args);
    QVERIFY(killAfterCalls(process, *mac, tool, argument, killAfter));
    // What the dead process started (a stand-in, the administrator's script) ends on its own.
    QTRY_VERIFY_WITH_TIMEOUT(processesOn(mac->folder()).isEmpty(), 60000);
    for (const SimCall &call : mac->calls())
        QVERIFY2(!(call.tool == u"dscacheutil"_s && call.args.contains(u"-flushcache"_s)),
                 "the administrator's script went on after its parent died");

    const Run history = brevik(scenario, {u"--history"_s});
    QVERIFY2(history.out.contains(u"（中断：进程在完成前退出，可撤销）"_s), qPrintable(history.out));
    QVERIFY(setState(*mac, {u"slowTools"_s}, QJsonValue::Undefined));
    const Run undo = brevik(scenario, {u"--undo"_s});
    QVERIFY2(undo.code == 0, qPrintable(undo.out + undo.err));
    QCOMPARE(servicesWithProxyOn(*mac), proxiesBefore);
    QCOMPARE(readAll(mac->hostsFile()), hostsBefore);
}

void TestChangeSafety::backupsAreRestoredOnlyAsMade_data()
{
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    QTest::addColumn<bool>("restored");

    QTest::newRow("untouched") << u""_s << 0 << u"✅ 已撤销"_s << true;
    QTest::newRow("backup deleted") << u"delete-backup"_s << 1 << u"不见了"_s << false;
    QTest::newRow("backup changed, even when forced")
        << u"change-backup"_s << 1 << u"在修复之后被改动过，不会用它还原"_s << false;
    QTest::newRow("the file changed since: asks first")
        << u"change-file"_s << 1 << u"又被改动过"_s << false;
}

void TestChangeSafety::backupsAreRestoredOnlyAsMade()
{
    QFETCH(QString, tamper);
    const QString scenario = u"hosts-hijack"_s;
    const auto mac = SimulatedMac::open(scenario, true);
    QVERIFY(mac);
    const QByteArray original = readAll(mac->hostsFile());
    const Run fix = brevik(scenario, {u"--fix"_s, u"fix-hosts"_s});
    QVERIFY2(fix.code == 0, qPrintable(fix.out));
    const QString backup = mac->hostsFile() + u".brevik.bak"_s;
    QCOMPARE(readAll(backup), original);
    const QByteArray repaired = readAll(mac->hostsFile());
    QVERIFY(repaired != original);

    if (tamper == u"delete-backup"_s)
        QVERIFY(QFile::remove(backup));
    if (tamper == u"change-backup"_s)
        writeFile(backup, original + "0.0.0.0 evil.example\n");
    if (tamper == u"change-file"_s)
        writeFile(mac->hostsFile(), repaired + "10.0.0.1 mine\n");
    const Run undo =
        brevik(scenario, tamper == u"change-backup"_s ? QStringList{u"--undo"_s, u"--force"_s}
                                                      : QStringList{u"--undo"_s});
    QTEST(undo.code, "code");
    QFETCH(QString, said);
    QVERIFY2(undo.out.contains(said), qPrintable(undo.out));
    QFETCH(bool, restored);
    QCOMPARE(readAll(mac->hostsFile()) == original, restored);
    if (restored)
        QCOMPARE(readAll(backup + u".1"_s), repaired); // the undo backed up what it replaced
}

void TestChangeSafety::journalFaultsAreTold_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("historySays"); // on standard error, exit 1

    QTest::newRow("the journal is a folder") << u"folder"_s << false << u"是一个文件夹"_s;
    QTest::newRow("a link planted in the journal's place") << u"link"_s << false << u"符号链接"_s;
    QTest::newRow("a full disk") << u""_s << true << u""_s;
}

// The repair still runs (a Mac cut off wants the network back) and says that it cannot be
// undone; the exit code tells it apart. A journal that cannot be read is named, never taken
// for an empty one.
void TestChangeSafety::journalFaultsAreTold()
{
    QFETCH(QString, fault);
    QFETCH(bool, fullDisk);
    const QString scenario = u"residual-proxy"_s;
    const auto mac = SimulatedMac::open(scenario, true);
    QVERIFY(mac);
    const QString journal = journalOf(*mac);
    QDir().mkpath(QFileInfo(journal).absolutePath());
    const QString victim = m_root.filePath(u"victim"_s);
    writeFile(victim, "precious\n");
    if (fault == u"folder"_s)
        QVERIFY(QDir().mkpath(journal));
    if (fault == u"link"_s)
        QVERIFY(QFile::link(victim, journal));

    const Run fix = brevik(scenario, {u"--fix"_s, u"fix-proxy-off-all"_s}, fullDisk);
    QVERIFY2(fix.out.contains(u"这次修复没能写入修复记录，无法通过「撤销」还原"_s), qPrintable(fix.out));
    QCOMPARE(fix.code, fullDisk ? 1 : 3);
    QCOMPARE(readAll(victim), QByteArray("precious\n"));
    if (!fullDisk)
        QVERIFY(servicesWithProxyOn(*mac).isEmpty());

    QFETCH(QString, historySays);
    const Run history = brevik(scenario, {u"--history"_s});
    if (historySays.isEmpty()) {
        QCOMPARE(history.code, 0);
    } else {
        QCOMPARE(history.code, 1);
        QVERIFY2(history.err.contains(historySays), qPrintable(history.err));
    }
}

// Twelve agent runs at once after one sighting make one repair, one entry and one
// notification; four undos of one entry at once take it back once.
void TestChangeSafety::changesTakeTurns()
{
    const QString scenario = u"residual-proxy"_s;
    const auto mac = SimulatedMac::open(scenario, true);
    QVERIFY(mac);
    QCOMPARE(brevik(scenario, {u"--guard"_s}).code, 0);

    const auto atOnce = [&](const QStringList &args, int count) {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < count; ++i) {
            processes.push_back(std::make_unique<QProcess>());
            startBrevik(*processes.back(), simulation(m_root.path(), scenario, false), args);
        }
        QStringList outs;
        for (auto &process : processes)
            outs << finished(*process).out;
        return outs;
    };
    const QStringList guards = atOnce({u"--guard"_s}, 12);
    QCOMPARE(guards.filter(u"✅ 已自动修复"_s).size(), 1);
    QCOMPARE(notifications(*mac), 1);
    QVERIFY(servicesWithProxyOn(*mac).isEmpty());

    const QStringList undos = atOnce({u"--undo"_s, u"1"_s}, 4);
    QCOMPARE(undos.filter(u"✅ 已撤销 #1"_s).size(), 1);
    QCOMPARE(undos.filter(u"已经撤销过了"_s).size(), 3);
    QCOMPARE(servicesWithProxyOn(*mac).size(), 3);
    const QString history = brevik(scenario, {u"--history"_s}).out;
    QCOMPARE(history.count(u'\n'), 2);
    QVERIFY2(history.contains(u"（已撤销）"_s), qPrintable(history));
}

// The direct part of a repair changed settings, then the password prompt was cancelled: the
// log names what changed, and plain --undo takes it back.
void TestChangeSafety::partialRunIsToldAndUndone()
{
    QTemporaryDir dir;
    // A service the list still names but networksetup no longer knows (removed meanwhile):
    // the direct run stops there and the prompt is asked for the rest.
    QFile file(dir.filePath(u"ghost.json"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(QJsonObject{{"extends", "residual-proxy"},
                                         {"serviceOrder", QJsonArray{"Wi-Fi", "USB 10/100/1000 LAN",
                                                                     "Thunderbolt Bridge", "Ghost"}},
                                         {"admin", QJsonObject{{"prompt", "cancel"}}}})
                   .toJson());
    file.close();
    const auto mac = SimulatedMac::open(file.fileName(), true);
    QVERIFY(mac);
    const Run fix = runBrevik(simulation(m_root.path(), file.fileName(), false),
                              {u"--fix"_s, u"fix-proxy-off-all"_s});
    QCOMPARE(fix.code, 1);
    QVERIFY2(fix.out.contains(u"⚠️ 已取消授权。免密码方式已经做了以下改动，它们仍然有效"_s) &&
                 fix.out.contains(u"「Wi-Fi」的网页代理（HTTP）"_s) &&
                 !fix.out.contains(u"未做任何修改"_s),
             qPrintable(fix.out));
    QVERIFY(servicesWithProxyOn(*mac).isEmpty());

    QVERIFY(setState(*mac, {u"admin"_s, u"prompt"_s}, u"accept"_s));
    const Run undo =
        runBrevik(simulation(m_root.path(), file.fileName(), false), {u"--undo"_s});
    QVERIFY2(undo.code == 0, qPrintable(undo.out));
    QCOMPARE(servicesWithProxyOn(*mac).size(), 3);
}

QTEST_GUILESS_MAIN(TestChangeSafety)
#include "tst_changesafety.moc"
