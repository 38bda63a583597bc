#include "guardian/guardbackoff.h"
#include "guardian/guardconfirmation.h"
#include "guardian/guardstate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace brevik;

namespace {

using Kind = ProxySighting::Kind;
using GuardConfirmation::Step;

// "dead" and "other" are two dead proxies on this Mac; the rest say what the check saw.
ProxySighting sighting(const QString &token)
{
    const QMap<QString, ProxySighting> sightings{
        {"off", {Kind::off, "", ""}},
        {"noport", {Kind::noPort, "", ""}},
        {"alive", {Kind::listening, "127.0.0.1", "7890"}},
        {"client", {Kind::clientStarting, "127.0.0.1", "7890"}},
        {"remote", {Kind::elsewhere, "10.20.30.40", "7890"}},
        {"dead", {Kind::dead, "127.0.0.1", "7890"}},
        {"other", {Kind::dead, "127.0.0.1", "7891"}},
    };
    return sightings.value(token);
}

} // namespace

class TestGuardConfirmation : public QObject {
    Q_OBJECT
private slots:
    void decisions_data();
    void decisions();
    void backoff_data();
    void backoff();
    void carriedObservation_data();
    void carriedObservation();
};

void TestGuardConfirmation::decisions_data()
{
    QTest::addColumn<QString>("sightings");
    QTest::addColumn<bool>("autoFix");
    QTest::addColumn<bool>("repairWorks");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("counts"); // after each sighting (and its repair)

    QTest::newRow("second dead sighting repairs")
        << "dead dead" << true << true << "confirming repair" << QList<int>{1, 0};
    QTest::newRow("a live port ends the count")
        << "dead alive dead dead" << true << true << "confirming - confirming repair"
        << QList<int>{1, 0, 1, 0};
    QTest::newRow("a starting client ends the count")
        << "dead client dead" << true << true << "confirming - confirming" << QList<int>{1, 0, 1};
    QTest::newRow("proxy off ends the count")
        << "dead off dead" << true << true << "confirming - confirming" << QList<int>{1, 0, 1};
    QTest::newRow("no port leaves the count alone")
        << "dead noport dead" << true << true << "confirming - repair" << QList<int>{1, 1, 0};
    QTest::newRow("another host's proxy is never counted")
        << "dead remote remote dead" << true << true << "confirming - - confirming"
        << QList<int>{1, 0, 0, 1};
    QTest::newRow("another dead proxy starts afresh")
        << "dead other dead" << true << true << "confirming confirming confirming"
        << QList<int>{1, 1, 1};
    QTest::newRow("paused checks keep counting")
        << "dead dead dead" << false << true << "confirming paused paused" << QList<int>{1, 2, 3};
    QTest::newRow("a failed repair is retried at once")
        << "dead dead dead" << true << false << "confirming repair repair" << QList<int>{1, 2, 3};
}

void TestGuardConfirmation::decisions()
{
    QFETCH(QString, sightings);
    QFETCH(bool, autoFix);
    QFETCH(bool, repairWorks);
    QFETCH(QString, steps);
    QFETCH(QList<int>, counts);

    const QStringList seen = sightings.split(' ');
    const QStringList expected = steps.split(' ');
    const QStringList names{"-", "confirming", "paused", "repair"}; // in the order of Step
    GuardConfirmation::State state;
    for (qsizetype i = 0; i < seen.size(); ++i) {
        const GuardConfirmation::Decision decision =
            GuardConfirmation::decide(state, sighting(seen.at(i)), autoFix);
        state = decision.step == Step::repair
                    ? GuardConfirmation::afterRepair(decision.next, repairWorks)
                    : decision.next;
        const QByteArray where = QByteArray::number(i + 1) + ": " + seen.at(i).toUtf8();
        QVERIFY2(names.at(int(decision.step)) == expected.at(i), where.constData());
        QVERIFY2(state.count == counts.at(i), where.constData());
    }
}

void TestGuardConfirmation::backoff_data()
{
    // Events a minute apart unless "+N" moves the clock N minutes on: "ok" a repair that took,
    // "fail" one that did not, "other" a repair of another proxy, "resume" the user's button.
    // What each step finds: "act" may repair, "rest" must not, "rest!" a rest begins with it.
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("three repairs within ten minutes: it rests")
        << QStringList{"ok", "ok", "ok", "ok"} << QStringList{"act", "act", "rest!", "rest"};
    QTest::newRow("three repairs spread over more than ten minutes: no rest")
        << QStringList{"ok", "+9", "ok", "+9", "ok", "ok"}
        << QStringList{"act", "", "act", "", "act", "act"};
    QTest::newRow("two failures in a row: it rests")
        << QStringList{"fail", "fail", "ok"} << QStringList{"act", "rest!", "rest"};
    QTest::newRow("a repair that took between failures: no rest")
        << QStringList{"fail", "ok", "fail", "ok"} << QStringList{"act", "act", "act", "act"};
    QTest::newRow("ten minutes later it acts again")
        << QStringList{"fail", "fail", "+8", "ok", "+2", "ok"}
        << QStringList{"act", "rest!", "", "rest", "", "act"};
    QTest::newRow("another proxy is acted on at once")
        << QStringList{"ok", "ok", "ok", "other"} << QStringList{"act", "act", "rest!", "act"};
    QTest::newRow("the user's button ends the rest")
        << QStringList{"fail", "fail", "resume", "ok"} << QStringList{"act", "rest!", "", "act"};
}

void TestGuardConfirmation::backoff()
{
    QFETCH(QStringList, events);
    QFETCH(QStringList, expected);
    GuardBackoff::State state;
    QDateTime now = QDateTime::fromSecsSinceEpoch(1'770'000'000);
    for (qsizetype i = 0; i < events.size(); ++i) {
        const QString event = events.at(i);
        const QByteArray where = QByteArray::number(i + 1) + ": " + event.toUtf8();
        if (event.startsWith(u'+')) {
            now = now.addSecs(event.mid(1).toInt() * 60);
            continue;
        }
        now = now.addSecs(60);
        if (event == QLatin1String("resume")) {
            state = {};
            continue;
        }
        const QString target = event == QLatin1String("other") ? "127.0.0.1:7891" : "127.0.0.1:7890";
        const GuardBackoff::Permit permit = GuardBackoff::permit(state, target, now);
        state = permit.next;
        QString step = permit.allowed ? "act" : "rest";
        if (permit.allowed) {
            const GuardBackoff::After after =
                GuardBackoff::afterRepair(state, target, event != QLatin1String("fail"), now);
            state = after.next;
            if (after.restBegins)
                step = "rest!";
        }
        QVERIFY2(step == expected.at(i), where.constData());
        // Carried between agent runs, the state reads back as it was written.
        QCOMPARE(GuardBackoff::fromBytes(GuardBackoff::toBytes(state)), state);
    }
}

void TestGuardConfirmation::carriedObservation_data()
{
    QTest::addColumn<QList<int>>("ages"); // seconds before now, one per stored file
    QTest::addColumn<QString>("planted"); // in place of the first file: "count", "link"
    QTest::addColumn<int>("carried");     // the count of the one loaded; 0: none

    // Each file holds the count of its position, 1 for the first.
    QTest::newRow("a fresh observation is carried") << QList<int>{5} << "" << 1;
    QTest::newRow("older than three intervals is ignored") << QList<int>{16} << "" << 0;
    QTest::newRow("from the future is ignored") << QList<int>{-30} << "" << 0;
    QTest::newRow("the newer of two wins") << QList<int>{10, 3} << "" << 2;
    QTest::newRow("nothing stored") << QList<int>{} << "" << 0;
    // The next run would count one more: a count that cannot be ours is no count.
    QTest::newRow("a count at the integer's limit") << QList<int>{} << "count" << 0;
    // Neither read nor written through: the file it leads to stays as it was.
    QTest::newRow("a link in the state's place") << QList<int>{} << "link" << 0;
}

void TestGuardConfirmation::carriedObservation()
{
    QFETCH(QList<int>, ages);
    QFETCH(QString, planted);
    QFETCH(int, carried);

    QTemporaryDir dir;
    const QStringList paths{dir.filePath("own/state.json"), dir.filePath("tmp/state.json")};
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'770'000'000);
    for (qsizetype i = 0; i < ages.size(); ++i)
        QVERIFY(GuardState::save({paths.at(i)},
                                 {"127.0.0.1:7890", int(i) + 1, now.addSecs(-ages.at(i))}));
    const QByteArray fresh = R"({"target":"127.0.0.1:7890","count":2147483647,"observed":")" +
                             now.toUTC().toString(Qt::ISODateWithMs).toUtf8() + R"("})";
    QDir().mkpath(dir.filePath("own"));
    QFile victim(dir.filePath("victim.json"));
    if (!planted.isEmpty()) {
        QVERIFY(victim.open(QIODevice::WriteOnly));
        victim.write(fresh);
        victim.close();
    }
    if (planted == QLatin1String("count"))
        QVERIFY(QFile::rename(victim.fileName(), paths.first()));
    if (planted == QLatin1String("link"))
        QVERIFY(QFile::link(victim.fileName(), paths.first()));
    const std::optional<GuardObservation> loaded = GuardState::load(paths, now);
    QCOMPARE(loaded ? loaded->count : 0, carried);
    if (planted == QLatin1String("link")) {
        QVERIFY(!GuardState::save({paths.first()}, {"127.0.0.1:7890", 1, now}));
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), fresh);
    }
}

QTEST_GUILESS_MAIN(TestGuardConfirmation)
#include "tst_guardconfirmation.moc"
