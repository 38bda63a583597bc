#include "repair/recording.h"
#include "repair/undo.h"
#include "sim/scenario.h"
#include "tests/integration/scanonsim.h"

#include <QJsonArray>
#include <QTest>

using namespace brevik;

namespace {

// What the journal cannot restore, by design: a repair that does one of these says so, and
// its undo names it. Everything else a built-in repair does must be restorable.
const QStringList kOneTimeActions{
    QStringLiteral("续订 DHCP 租约"),    QStringLiteral("刷新 DNS 缓存"),
    QStringLiteral("重启 DNS 解析服务"), QStringLiteral("按网络时间校准系统时钟"),
    QStringLiteral("重置网络接口"),
};

QJsonObject withDefaults(const QJsonObject &object, const QJsonObject &defaults)
{
    QJsonObject result = defaults;
    for (auto it = defaults.begin(); it != defaults.end(); ++it) {
        if (object.contains(it.key()))
            result.insert(it.key(), object.value(it.key()));
    }
    return result;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The settings the journal covers, read from the simulated Mac's own state (not through the
// tools the journal reads them with), with the tools' defaults for what was never set.
QJsonObject coveredSettings(const SimulatedMac &mac)
{
    const QJsonObject state = mac.state();
    const QJsonObject server{{"enabled", false}, {"server", ""}, {"port", 0}};
    QJsonObject services;
    for (const QJsonValue &name : state.value("serviceOrder").toArray()) {
        const QJsonObject service =
            state.value("services").toObject().value(name.toString()).toObject();
        const QJsonObject proxies = service.value("proxies").toObject();
        services.insert(
            name.toString(),
            QJsonObject{{"web", withDefaults(proxies.value("web").toObject(), server)},
                        {"secureweb", withDefaults(proxies.value("secureweb").toObject(), server)},
                        {"socks", withDefaults(proxies.value("socks").toObject(), server)},
                        {"auto", withDefaults(proxies.value("auto").toObject(),
                                              {{"enabled", false}, {"url", ""}})},
                        {"rest", withDefaults(service, {{"bypass", QJsonArray()},
                                                        {"dns", QJsonArray()},
                                                        {"ipv6", "automatic"},
                                                        {"enabled", true}})}});
    }
    QJsonObject mtus;
    const QJsonObject interfaces = state.value("interfaces").toObject();
    for (auto it = interfaces.begin(); it != interfaces.end(); ++it)
        mtus.insert(it.key(), it.value().toObject().value("mtu").toInt(1500));
    QJsonObject files{{"hosts", readText(mac.hostsFile())}};
    for (const char *name : {".zshrc", ".zprofile", ".bashrc", ".bash_profile", ".profile"})
        files.insert(name, readText(mac.home() + "/" + name));
    return {{"services", services},
            {"serviceOrder", state.value("serviceOrder")},
            {"wifiPower", state.value("wifi").toObject().value("power").toBool(true)},
            {"mtu", mtus},
            {"firewall", state.value("firewall").toObject().value("enabled").toBool()},
            {"networkTime", state.value("networkTime").toBool(true)},
            {"files", files}};
}

} // namespace

class TestUndoOnSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyRepairIsUndone_data();
    void everyRepairIsUndone();

private:
    QTemporaryDir m_root;
    QMap<QString, QList<Finding>> m_scans; // scenario → its findings
};

void TestUndoOnSim::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0.05");
}

void TestUndoOnSim::everyRepairIsUndone_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("findingId");
    for (const QString &scenario : Scenario::builtInNames()) {
        const auto mac = SimulatedMac::open(scenario, true);
        QVERIFY(mac);
        m_scans.insert(scenario, scanOn(*mac).findings);
        for (const Finding &finding : m_scans.value(scenario)) {
            if (finding.fix && !finding.fix->operations.isEmpty())
                QTest::addRow("%s / %s", qPrintable(scenario), qPrintable(finding.fix->id))
                    << scenario << finding.id;
        }
    }
}

void TestUndoOnSim::everyRepairIsUndone()
{
    QFETCH(QString, scenario);
    QFETCH(QString, findingId);
    const std::optional<Finding> finding = ScanOutcome{{}, m_scans.value(scenario)}.find(findingId);
    QVERIFY(finding);
    const auto mac = SimulatedMac::open(scenario, true);
    QVERIFY(mac);
    const QJsonObject before = coveredSettings(*mac);

    OnSimulatedMac on(*mac);
    const Journal journal(Journal::pathIn(mac->home()));
    Recording::apply(*finding, RepairOrigin::window, journal);
    const QList<JournalEntry> entries = journal.entries();
    QCOMPARE(entries.size(), 1);
    const JournalEntry &repair = entries.first();
    QVERIFY2(repair.unrecorded.isEmpty(), qPrintable(repair.unrecorded.join(" | ")));
    for (const QString &what : repair.oneTime) {
        QVERIFY2(std::any_of(kOneTimeActions.cbegin(), kOneTimeActions.cend(),
                             [&what](const QString &known) { return what.startsWith(known); }),
                 qPrintable(what));
    }

    const Undo::Result undo = Undo::run(Undo::plan(repair), false, RepairOrigin::window, journal);
    QVERIFY2(undo.status == Undo::Status::restored ||
                 undo.status == Undo::Status::alreadyAsBefore ||
                 (undo.status == Undo::Status::nothingToUndo && repair.settings.isEmpty() &&
                  repair.files.isEmpty()),
             qPrintable(undo.text));
    for (const QString &what : repair.oneTime)
        QVERIFY2(undo.text.contains(what), qPrintable(undo.text));
    const QJsonObject after = coveredSettings(*mac);
    QVERIFY2(after == before, qPrintable(QString::fromUtf8(QJsonDocument(after).toJson()) + "\n" +
                                         repair.log + "\n" + undo.text));
}

QTEST_GUILESS_MAIN(TestUndoOnSim)
#include "tst_undoonsim.moc"
