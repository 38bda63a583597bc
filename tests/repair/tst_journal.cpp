#include "repair/journal.h"
#include "repair/opeffect.h"
#include "repair/undo.h"
#include "repair/settingio.h"

#include "tests/support/scriptedrunner.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <thread>
#include <vector>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

// A first record as Brevik writes it: Wi-Fi's web proxy switched off.
QJsonObject startRecord(qint64 id, const QString &title = u"关闭系统代理"_s)
{
    JournalEntry entry;
    entry.id = id;
    entry.time = QDateTime(QDate(2026, 12, 7), QTime(10, 0));
    entry.title = title;
    entry.repairId = u"fix-proxy-off-all"_s;
    entry.pid = 1;
    entry.operations = {RepairOps::ProxyState{u"Wi-Fi"_s, ProxyKind::web, false}};
    entry.settings << RecordedSetting{
        {SettingKind::webProxy, u"Wi-Fi"_s},
        QJsonValue(QJsonObject{{"enabled", true}, {"server", "127.0.0.1"}, {"port", "7890"}}),
        QJsonObject{{"enabled", false}, {"server", "127.0.0.1"}, {"port", "7890"}}};
    return entry.startRecord();
}

QByteArray line(const QJsonObject &record)
{
    return QJsonDocument(record).toJson(QJsonDocument::Compact);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QList<qint64> idsOf(const QList<JournalEntry> &entries)
{
    QList<qint64> ids;
    for (const JournalEntry &entry : entries)
        ids << entry.id;
    return ids;
}

} // namespace

class TestJournal : public QObject {
    Q_OBJECT

private slots:
    void settingsReadAndRestored_data();
    void settingsReadAndRestored();
    void badLinesHideAndRenumberNothing_data();
    void badLinesHideAndRenumberNothing();
    void valuesNotOfTheirTypeAreNeverUndone_data();
    void valuesNotOfTheirTypeAreNeverUndone();
    void linksAreRefused_data();
    void linksAreRefused();
    void appendsStayWholeNumberedAndBounded();
};

void TestJournal::settingsReadAndRestored_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("output");   // what the setting's query prints (exit 0)
    QTest::addColumn<QJsonValue>("value"); // undefined: unreadable
    QTest::addColumn<QJsonValue>("current");
    QTest::addColumn<QStringList>("restore");
    QTest::addColumn<int>("limits"); // what cannot be brought back

    const auto proxy = [](bool on, const QString &server, const QString &port) {
        return QJsonValue(QJsonObject{{"enabled", on}, {"server", server}, {"port", port}});
    };
    const auto kind = [](SettingKind k) { return int(k); };
    QTest::newRow("web proxy switched off, its server kept")
        << kind(SettingKind::webProxy) << u"Wi-Fi"_s
        << u"Enabled: No\nServer: 127.0.0.1\nPort: 7890\nAuthenticated Proxy Enabled: 0\n"_s
        << proxy(false, "127.0.0.1", "7890") << proxy(true, "127.0.0.1", "7890")
        << QStringList{"networksetup -setwebproxystate 'Wi-Fi' off"} << 0;
    QTest::newRow("secure web proxy pointed elsewhere since")
        << kind(SettingKind::secureWebProxy) << u"Wi-Fi"_s
        << u"Enabled: Yes\nServer: 10.0.0.9\nPort: 8443\nAuthenticated Proxy Enabled: 0\n"_s
        << proxy(true, "10.0.0.9", "8443") << proxy(false, "127.0.0.1", "7890")
        << QStringList{"networksetup -setsecurewebproxy 'Wi-Fi' 10.0.0.9 8443"} << 0;
    QTest::newRow("socks never set: switched off, the server stays")
        << kind(SettingKind::socksProxy) << u"USB 10/100/1000 LAN"_s
        << u"Enabled: No\nServer: \nPort: 0\nAuthenticated Proxy Enabled: 0\n"_s
        << proxy(false, "", "0") << proxy(true, "127.0.0.1", "7890")
        << QStringList{"networksetup -setsocksfirewallproxystate 'USB 10/100/1000 LAN' off"} << 1;
    QTest::newRow("automatic proxy with a URL, switched off")
        << kind(SettingKind::autoProxy) << u"Wi-Fi"_s
        << u"URL: http://127.0.0.1:1089/proxy.pac\nEnabled: No\n"_s
        << QJsonValue(QJsonObject{{"enabled", false}, {"url", "http://127.0.0.1:1089/proxy.pac"}})
        << QJsonValue(QJsonObject{{"enabled", false}, {"url", "http://10.1.1.1/x.pac"}})
        << QStringList{"networksetup -setautoproxyurl 'Wi-Fi' 'http://127.0.0.1:1089/proxy.pac'",
                       "networksetup -setautoproxystate 'Wi-Fi' off"}
        << 0;
    QTest::newRow("no bypass list")
        << kind(SettingKind::bypassDomains) << u"Wi-Fi"_s
        << u"There aren't any bypass domains set on Wi-Fi.\n"_s << QJsonValue(QJsonArray())
        << QJsonValue(QJsonArray{"127.0.0.1", "localhost"})
        << QStringList{"networksetup -setproxybypassdomains 'Wi-Fi' Empty"} << 0;
    QTest::newRow("bypass list with a wildcard")
        << kind(SettingKind::bypassDomains) << u"Wi-Fi"_s << u"*.corp.example\n10.0.0.0/8\n"_s
        << QJsonValue(QJsonArray{"*.corp.example", "10.0.0.0/8"}) << QJsonValue(QJsonArray())
        << QStringList{"networksetup -setproxybypassdomains 'Wi-Fi' '*.corp.example' 10.0.0.0/8"}
        << 0;
    QTest::newRow("dns servers from DHCP only")
        << kind(SettingKind::dnsServers) << u"Wi-Fi"_s
        << u"There aren't any DNS Servers set on Wi-Fi.\n"_s << QJsonValue(QJsonArray())
        << QJsonValue(QJsonArray{"223.5.5.5", "119.29.29.29"})
        << QStringList{"networksetup -setdnsservers 'Wi-Fi' Empty"} << 0;
    QTest::newRow("ipv6 automatic")
        << kind(SettingKind::ipv6) << u"Wi-Fi"_s
        << u"DHCP Configuration\nIP address: 192.168.1.23\nClient ID: \nIPv6: Automatic\nIPv6 IP "
           "address: none\nIPv6 Router: none\nWi-Fi ID: a4:83:e7:12:34:56\n"_s
        << QJsonValue("Automatic") << QJsonValue("Off")
        << QStringList{"networksetup -setv6automatic 'Wi-Fi'"} << 0;
    QTest::newRow("ipv6 manual cannot be restored")
        << kind(SettingKind::ipv6) << u"Wi-Fi"_s << u"IPv6: Manual\n"_s << QJsonValue("Manual")
        << QJsonValue("Off") << QStringList{} << 1;
    QTest::newRow("wifi power off")
        << kind(SettingKind::wifiPower) << u"en0"_s << u"Wi-Fi Power (en0): Off\n"_s
        << QJsonValue(false) << QJsonValue(true)
        << QStringList{"networksetup -setairportpower en0 off"} << 0;
    QTest::newRow("mtu") << kind(SettingKind::mtu) << u"en0"_s
                         << u"en0: flags=8863<UP,BROADCAST,SMART,RUNNING,SIMPLEX,MULTICAST> mtu "
                            "1500\n\toptions=6460<TSO4,TSO6>\n"_s
                         << QJsonValue(1500) << QJsonValue(1400)
                         << QStringList{"ifconfig en0 mtu 1500"} << 0;
    QTest::newRow("network time off")
        << kind(SettingKind::networkTime) << QString() << u"Network Time: Off\n"_s
        << QJsonValue(false) << QJsonValue(true)
        << QStringList{"systemsetup -setusingnetworktime off"} << 0;
    QTest::newRow("network time needs rights to be read")
        << kind(SettingKind::networkTime) << QString()
        << u"You need administrator access to run this tool... exiting!\n"_s
        << QJsonValue(QJsonValue::Undefined) << QJsonValue() << QStringList{} << 0;
    QTest::newRow("unknown service on macOS 26, exit 0")
        << kind(SettingKind::bypassDomains) << u"Wi-Fi 2"_s
        << u"** Error: Unable to find item in network database.\n"_s
        << QJsonValue(QJsonValue::Undefined) << QJsonValue() << QStringList{} << 0;
    QTest::newRow("unknown service")
        << kind(SettingKind::dnsServers) << u"Wi-Fi 2"_s
        << u"Wi-Fi 2 is not a recognized network service.\n** Error: The parameters were not "
           "valid.\n"_s
        << QJsonValue(QJsonValue::Undefined) << QJsonValue() << QStringList{} << 0;
}

void TestJournal::settingsReadAndRestored()
{
    QFETCH(int, kind);
    QFETCH(QString, target);
    QFETCH(QString, output);
    QFETCH(QJsonValue, value);
    QFETCH(QJsonValue, current);

    const SettingKey key{SettingKind(kind), target};
    const std::optional<QJsonValue> read = SettingIO::parse(key, {0, output});
    QCOMPARE(read.has_value(), !value.isUndefined());
    if (!read)
        return;
    QCOMPARE(*read, value);

    QStringList limits;
    const QList<RepairOp> ops = SettingIO::restore(key, *read, current, &limits);
    QTEST(renderCommands(ops), "restore");
    QTEST(int(limits.size()), "limits");
    // Each restoring operation writes this very setting, so the undo's own entry records
    // them; together they bring the value back.
    for (const RepairOp &op : ops) {
        const OpEffect effect = OpEffects::of(op);
        QVERIFY2(effect.type == OpEffect::Type::setting && effect.write.key == key,
                 qPrintable(renderCommand(op)));
    }
    if (limits.isEmpty())
        QCOMPARE(OpEffects::applied(key, current, ops), value);
}

void TestJournal::badLinesHideAndRenumberNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<qint64>>("visible"); // before the next entry is written
    QTest::addColumn<qint64>("next");

    const QByteArray one = line(startRecord(1));
    const QByteArray two = line(startRecord(2));
    QTest::newRow("last record without its line feed")
        << one + '\n' + two << QList<qint64>{1, 2} << qint64(3);
    QTest::newRow("a record cut short by a crash")
        << one + '\n' + two.left(40) << QList<qint64>{1} << qint64(2);
    QTest::newRow("a negative and a text id")
        << one + "\n{\"id\":-7,\"by\":\"window\"}\n{\"id\":\"9\",\"by\":\"window\"}\n" + two + '\n'
        << QList<qint64>{1, 2} << qint64(3);
    QTest::newRow("an id too large to count on")
        << one + "\n{\"id\":1e300,\"by\":\"window\"}\n" + two + '\n' << QList<qint64>{1, 2}
        << qint64(3);
    QTest::newRow("a planted second #1 changes nothing of the first")
        << one + '\n' + line(startRecord(1, u"别的"_s)) + '\n' + two + '\n'
        << QList<qint64>{1, 2} << qint64(3);
    QTest::newRow("two 30 MB lines hide neither older nor newer records")
        << one + '\n' + QByteArray(30 * 1024 * 1024, 'x') + '\n' + two + '\n' +
               QByteArray(30 * 1024 * 1024, 'y') + '\n' + line(startRecord(3)) + '\n'
        << QList<qint64>{1, 2, 3} << qint64(4);
    QTest::newRow("numbers go on from the last id a cut left")
        << line(JournalRecords::floorRecord(40)) + '\n' << QList<qint64>{} << qint64(41);
}

void TestJournal::badLinesHideAndRenumberNothing()
{
    QFETCH(QByteArray, content);
    QTemporaryDir home;
    const Journal journal(Journal::pathIn(home.path()), home.path());
    writeBytes(journal.path(), content);

    const Journal::Read read = journal.read();
    QVERIFY(read.error.isEmpty());
    QTEST(idsOf(read.entries), "visible");
    for (const JournalEntry &entry : read.entries)
        QCOMPARE(entry.title, u"关闭系统代理"_s);

    JournalEntry next;
    next.title = u"下一条"_s;
    QVERIFY(journal.start(next).isEmpty());
    QTEST(next.id, "next");
    QFETCH(QList<qint64>, visible);
    QCOMPARE(idsOf(journal.entries()), visible << next.id);
    // Written whole: it reads back with its own title.
    QCOMPARE(journal.entries().last().title, u"下一条"_s);
}

void TestJournal::valuesNotOfTheirTypeAreNeverUndone_data()
{
    QTest::addColumn<QString>("path"); // into the first record
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("reason");

    const QString canary = u"x'; touch /tmp/brevik-canary; '"_s;
    QTest::newRow("a port outside 1-65535")
        << u"operations/0/port"_s << QJsonValue(70000) << u"记录的操作不合规"_s;
    QTest::newRow("a port as a number, where text was")
        << u"settings/0/before/port"_s << QJsonValue(7890) << QString();
    QTest::newRow("a service name with a line feed")
        << u"settings/0/target"_s << QJsonValue(u"Wi-Fi\nx"_s) << u"设置的对象「"_s;
    QTest::newRow("shell text in a server")
        << u"settings/0/before/server"_s << QJsonValue(canary) << u"修复前的值不合规"_s;
    QTest::newRow("a file outside the ones Brevik edits")
        << u"files/0/path"_s << QJsonValue(u"/etc/sudoers"_s) << u"文件不在 Brevik 修改的范围内"_s;
    QTest::newRow("a backup that is not the file's")
        << u"files/0/backup"_s << QJsonValue(u"/etc/hosts.brevik.bak; rm -rf ~"_s)
        << u"备份文件的路径不合规"_s;
    QTest::newRow("a checksum that is shell text")
        << u"files/0/backupChecksum"_s << QJsonValue(canary) << u"校验值不合规"_s;
    QTest::newRow("a title with a control character")
        << u"title"_s << QJsonValue(u"a\u0007b"_s) << u"标题或编号不是文字"_s;
}

void TestJournal::valuesNotOfTheirTypeAreNeverUndone()
{
    QFETCH(QString, path);
    QFETCH(QJsonValue, value);
    QFETCH(QString, reason);
    QTemporaryDir home;
    const Journal journal(Journal::pathIn(home.path()), home.path());

    QJsonObject record = startRecord(1);
    record.insert(u"files"_s, QJsonArray{QJsonObject{{"path", "/etc/hosts"},
                                                     {"backup", "/etc/hosts.brevik.bak.2"},
                                                     {"backupChecksum", "123 45"}}});
    record.insert(u"operations"_s,
                  QJsonArray{QJsonObject{{"op", "proxy-server"}, {"service", "Wi-Fi"},
                                         {"proxy", "web"}, {"host", "127.0.0.1"}, {"port", "7890"}}});
    // Walks down the path and puts the value in.
    const std::function<QJsonValue(QJsonValue, QStringList)> put = [&](QJsonValue node,
                                                                       QStringList keys) {
        if (keys.isEmpty())
            return value;
        const QString key = keys.takeFirst();
        if (node.isArray()) {
            QJsonArray array = node.toArray();
            array[key.toInt()] = put(array.at(key.toInt()), keys);
            return QJsonValue(array);
        }
        QJsonObject object = node.toObject();
        object.insert(key, put(object.value(key), keys));
        return QJsonValue(object);
    };
    record = put(record, path.split(u'/')).toObject();
    writeBytes(journal.path(), line(record) + '\n');

    const QList<JournalEntry> entries = journal.entries();
    QCOMPARE(entries.size(), 1); // listed, whatever it holds
    QVERIFY2(entries.first().unreadable.startsWith(reason), qPrintable(entries.first().unreadable));
    if (!reason.isEmpty()) {
        QVERIFY(!Undo::undoable(entries.first()));
        QVERIFY(!Undo::latest(entries));
        // Not one command is built, not one query runs.
        auto runner = std::make_shared<ScriptedRunner>();
        ScopedRunner scope(runner);
        const Undo::Result result =
            Undo::run(Undo::plan(entries.first()), true, RepairOrigin::commandLine, journal);
        QCOMPARE(result.status, Undo::Status::refused);
        QVERIFY(runner->commands().isEmpty());
    } else {
        QCOMPARE(entries.first().settings.first().before->toObject().value("port"), QJsonValue("7890"));
    }
}

void TestJournal::linksAreRefused_data()
{
    QTest::addColumn<QString>("linked"); // relative to the Brevik folder; "." the folder itself
    QTest::newRow("the journal") << u"journal.jsonl"_s;
    QTest::newRow("its lock") << u"journal.jsonl.lock"_s;
    QTest::newRow("the folder") << u"."_s;
}

void TestJournal::linksAreRefused()
{
    QFETCH(QString, linked);
    QTemporaryDir home;
    const Journal journal(Journal::pathIn(home.path()), home.path());
    const QString folder = QFileInfo(journal.path()).absolutePath();
    const QString target = home.filePath(u"victim"_s);
    writeBytes(target + u"/file"_s, "precious\n");
    QDir().mkpath(QFileInfo(folder).absolutePath());
    if (linked == u"."_s) {
        QVERIFY(QFile::link(target, folder));
    } else {
        QDir().mkpath(folder);
        QVERIFY(QFile::link(target + u"/file"_s, folder + u'/' + linked));
    }

    JournalEntry entry;
    const QString problem = journal.start(entry);
    QVERIFY2(problem.contains(u"符号链接"_s), qPrintable(problem));
    QCOMPARE(entry.id, 0);
    QFile file(target + u"/file"_s);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("precious\n"));
    QCOMPARE(QDir(target).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{u"file"_s});
    if (linked == u"journal.jsonl"_s)
        QVERIFY(journal.read().error.contains(u"符号链接"_s));
}

void TestJournal::appendsStayWholeNumberedAndBounded()
{
    QTemporaryDir home;
    const Journal journal(Journal::pathIn(home.path()));
    // Writers of several processes at once: here threads, each with its own descriptors.
    constexpr int kWriters = 4;
    constexpr int kEach = 25;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&journal, w] {
            for (int i = 0; i < kEach; ++i) {
                JournalEntry entry;
                entry.title = QStringLiteral("writer %1").arg(w);
                entry.log = QString(2000, QLatin1Char('x'));
                entry.end = EntryEnd::succeeded;
                if (journal.start(entry).isEmpty())
                    journal.finish(entry);
            }
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    const QList<qint64> ids = idsOf(journal.entries());
    QCOMPARE(ids.size(), kWriters * kEach);
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(ids.at(i), qint64(i + 1));
    for (const JournalEntry &entry : journal.entries())
        QVERIFY(entry.ok());

    // Grown past its limit, it keeps its newest entries and goes on numbering.
    qint64 last = 0;
    for (int i = 0; i < 12; ++i) {
        JournalEntry large;
        large.log = QString(100000, QLatin1Char('y'));
        QVERIFY(journal.start(large).isEmpty() && journal.finish(large).isEmpty());
        last = large.id;
    }
    QCOMPARE(last, qint64(kWriters * kEach + 12));
    QVERIFY(QFileInfo(journal.path()).size() <= Journal::kSizeLimit);
    const QList<JournalEntry> kept = journal.entries();
    QVERIFY(!kept.isEmpty() && kept.size() < kWriters * kEach);
    QCOMPARE(kept.last().id, last);
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
