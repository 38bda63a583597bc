#include "repair/commandeffect.h"
#include "repair/journal.h"
#include "repair/settingio.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <thread>
#include <vector>

using namespace brevik;

using namespace Qt::StringLiterals;

class TestJournal : public QObject {
    Q_OBJECT

private slots:
    void settingsReadAndRestored_data();
    void settingsReadAndRestored();
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
    QTest::newRow("service switched off")
        << kind(SettingKind::serviceEnabled) << u"Wi-Fi"_s << u"Disabled\n"_s << QJsonValue(false)
        << QJsonValue(true)
        << QStringList{"networksetup -setnetworkserviceenabled "
                       "'Wi-Fi' off"}
        << 0;
    QTest::newRow("service order")
        << kind(SettingKind::serviceOrder) << QString()
        << u"An asterisk (*) denotes that a network service is disabled.\n(1) Wi-Fi\n(Hardware "
           "Port: Wi-Fi, Device: en0)\n\n(*) Thunderbolt Bridge\n(Hardware Port: Thunderbolt "
           "Bridge, Device: bridge0)\n"_s
        << QJsonValue(QJsonArray{"Wi-Fi", "Thunderbolt Bridge"})
        << QJsonValue(QJsonArray{"Thunderbolt Bridge", "Wi-Fi"})
        << QStringList{"networksetup -ordernetworkservices 'Wi-Fi' 'Thunderbolt Bridge'"} << 0;
    QTest::newRow("wifi power off")
        << kind(SettingKind::wifiPower) << u"en0"_s << u"Wi-Fi Power (en0): Off\n"_s
        << QJsonValue(false) << QJsonValue(true)
        << QStringList{"networksetup -setairportpower en0 off"} << 0;
    QTest::newRow("mtu") << kind(SettingKind::mtu) << u"en0"_s
                         << u"en0: flags=8863<UP,BROADCAST,SMART,RUNNING,SIMPLEX,MULTICAST> mtu "
                            "1500\n\toptions=6460<TSO4,TSO6>\n"_s
                         << QJsonValue(1500) << QJsonValue(1400)
                         << QStringList{"ifconfig en0 mtu 1500"} << 0;
    QTest::newRow("firewall off")
        << kind(SettingKind::firewall) << QString() << u"Firewall is disabled. (State = 0)\n"_s
        << QJsonValue(0) << QJsonValue(1)
        << QStringList{"/usr/libexec/ApplicationFirewall/socketfilterfw --setglobalstate off"} << 0;
    QTest::newRow("network time off")
        << kind(SettingKind::networkTime) << QString() << u"Network Time: Off\n"_s
        << QJsonValue(false) << QJsonValue(true)
        << QStringList{"systemsetup -setusingnetworktime off"} << 0;
    QTest::newRow("network time needs rights to be read")
        << kind(SettingKind::networkTime) << QString()
        << u"You need administrator access to run this tool... exiting!\n"_s
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
    const QStringList commands = SettingIO::restore(key, *read, current, &limits);
    QTEST(commands, "restore");
    QTEST(int(limits.size()), "limits");
    // The one parser of setter commands reads each of them as a write of this very setting,
    // so the undo's own entry records them; together they bring the value back.
    for (const QString &command : commands) {
        const CommandEffect effect = CommandEffects::of(command);
        QVERIFY2(effect.type == CommandEffect::Type::setting && effect.write.key == key,
                 qPrintable(command));
    }
    if (limits.isEmpty())
        QCOMPARE(CommandEffects::applied(key, current, commands), value);
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
                journal.append(entry);
            }
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    QList<qint64> ids;
    for (const JournalEntry &entry : journal.entries())
        ids << entry.id;
    QCOMPARE(ids.size(), kWriters * kEach);
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(ids.at(i), qint64(i + 1));

    // Grown past its limit, it keeps its newest entries and goes on numbering.
    JournalEntry large;
    large.log = QString(100000, QLatin1Char('y'));
    qint64 last = 0;
    for (int i = 0; i < 12; ++i)
        last = journal.append(large);
    QCOMPARE(last, qint64(kWriters * kEach + 12));
    QVERIFY(QFileInfo(journal.path()).size() <= Journal::kSizeLimit);
    const QList<JournalEntry> kept = journal.entries();
    QVERIFY(!kept.isEmpty() && kept.size() < kWriters * kEach);
    QCOMPARE(kept.last().id, last);
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
