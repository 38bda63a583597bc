#include "appmodel/appmodel.h"
#include "guardian/proxyguardian.h"
#include "tests/integration/scanonsim.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

using namespace brevik;

using namespace std::chrono_literals;

namespace {

constexpr int kWaitMs = 90000;
constexpr AppModel::Pacing kFast{100ms, 200ms};

// Counts the model's announcements made on any thread but its own: every property change
// is followed, on the thread that made it, by stateChanged.
struct ThreadWatch {
    explicit ThreadWatch(AppModel &model)
    {
        QObject::connect(
            &model, &AppModel::stateChanged, &model,
            [this, &model] { offMainThread += QThread::currentThread() != model.thread(); },
            Qt::DirectConnection);
    }
    std::atomic<int> offMainThread{0};
};

// A model whose commands all run on one simulated Mac, with a guardian of that Mac.
struct ModelOnMac {
    explicit ModelOnMac(const SimulatedMac &mac, AppModel::Pacing pacing = kFast)
        : mac(mac), on(mac), guardian(mac.home()), model(guardian, pacing), watch(model)
    {
    }

    SimulatedMac mac;
    OnSimulatedMac on;
    ProxyGuardian guardian;
    AppModel model;
    ThreadWatch watch;
};

std::optional<Finding> findingWithId(const QList<Finding> &findings, const QString &id)
{
    return ScanOutcome{{}, findings}.find(id);
}

int callsOf(const SimulatedMac &mac, const QStringList &args)
{
    int count = 0;
    for (const SimCall &call : mac.calls())
        count += call.args == args;
    return count;
}

} // namespace

class TestAppModelFlows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void scanPublishesStepByStep();
    void repairRunsOnceThenUndo_data();
    void repairRunsOnceThenUndo();
    void undoDuringAScanIsFollowedByARescan();
    void fixAllIgnoresInfoRepairs();
    void guardianRepairsOnSecondTick();
    void guardianBacksOff();
    void guardianSwitch();
    void modelGoneWhileWorking();

private:
    ModelOnMac &open(const QString &scenario);
    // Scans and waits for the internet test that follows.
    void scanToRest();

    QTemporaryDir m_root;
    std::unique_ptr<ModelOnMac> m_flow;
};

void TestAppModelFlows::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0.05");
}

void TestAppModelFlows::cleanup()
{
    if (!m_flow)
        return;
    const bool idle = AppModel::waitForBackgroundWork(std::chrono::milliseconds(kWaitMs));
    const int offMainThread = m_flow->watch.offMainThread.load();
    m_flow.reset(); // before any check can return, so that the next test starts clean
    QVERIFY(idle);
    // Every flow, whatever it did, announced every change on the main thread.
    QCOMPARE(offMainThread, 0);
}

ModelOnMac &TestAppModelFlows::open(const QString &scenario)
{
    QString error;
    const auto mac = SimulatedMac::open(scenario, true, &error);
    if (!mac)
        qFatal("%s", qPrintable(error));
    m_flow.reset();
    m_flow = std::make_unique<ModelOnMac>(*mac);
    return *m_flow;
}

void TestAppModelFlows::scanToRest()
{
    AppModel &model = m_flow->model;
    model.scan();
    QTRY_VERIFY_WITH_TIMEOUT(!model.scanning() && model.netResult() && !model.netChecking(),
                             kWaitMs);
}

void TestAppModelFlows::scanPublishesStepByStep()
{
    QObject scope; // ends the connections below with the test
    AppModel &model = open(QStringLiteral("healthy")).model;
    const QList<ScanStep> steps = DiagnosticsRun().steps();
    QStringList names;
    for (const ScanStep &step : steps)
        names << step.name;
    QList<QList<Finding>> published;
    connect(&model, &AppModel::findingsChanged, &scope, [&] { published << model.findings(); });
    QList<double> values;
    QStringList texts;
    connect(&model, &AppModel::progressValueChanged, &scope,
            [&] { values << model.progressValue(); });
    connect(&model, &AppModel::progressTextChanged, &scope, [&] { texts << model.progressText(); });
    bool testFollowedScan = false;
    connect(&model, &AppModel::netCheckingChanged, &scope, [&] {
        if (model.netChecking())
            testFollowedScan = !model.scanning() && model.lastScan();
    });

    model.scan();
    QVERIFY(model.scanning());
    QCOMPARE(model.progressValue(), 0.0);
    QSignalSpy anyChange(&model, &AppModel::stateChanged);
    model.scan();
    QCOMPARE(anyChange.size(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!model.scanning(), kWaitMs);

    // The share of steps ended, which only grows, then the whole.
    QVERIFY(std::is_sorted(values.cbegin(), values.cend()));
    QCOMPARE(values.last(), 1.0);
    for (double value : std::as_const(values))
        QCOMPARE(value * steps.size(), std::round(value * steps.size()));
    // While a step is awaited, the overlay names the steps still running, in step order.
    QCOMPARE(texts.takeFirst(), QStringLiteral("正在读取网络配置…"));
    QCOMPARE(texts.takeLast(), QStringLiteral("诊断完成"));
    for (const QString &text : std::as_const(texts)) {
        QStringList lines = text.split(QLatin1Char('\n'));
        if (lines.last().startsWith(QStringLiteral("及另外 ")))
            lines.removeLast();
        QVERIFY2(!lines.isEmpty() && lines.size() <= 3, qPrintable(text));
        qsizetype previous = -1;
        for (const QString &line : std::as_const(lines)) {
            const qsizetype place = names.indexOf(line);
            QVERIFY2(place > previous, qPrintable(text));
            previous = place;
        }
    }
    // The findings grow step by step, each publication the last one and one step more.
    QCOMPARE(published.size(), steps.size());
    for (qsizetype i = 1; i < published.size(); ++i)
        QCOMPARE(published[i].mid(0, published[i - 1].size()), published[i - 1]);
    QCOMPARE(model.progressText(), QStringLiteral("诊断完成"));
    QVERIFY(model.scanSeconds() > 0);
    QCOMPARE(model.aiItems().size(), 6);
    QVERIFY(testFollowedScan);
    QCOMPARE(model.netCheckAfterFix(), false);
}

void TestAppModelFlows::repairRunsOnceThenUndo_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("logStart");
    QTest::addColumn<bool>("repaired"); // then tested, and taken back

    QTest::newRow("repair succeeds") << QStringLiteral("residual-proxy") << "✅ 修复成功" << true;
    QTest::newRow("password prompt cancelled")
        << QStringLiteral("admin-cancel") << "⚠️ 已取消授权，未做任何修改。"
        << false;
}

void TestAppModelFlows::repairRunsOnceThenUndo()
{
    QObject scope; // ends the connections below with the test
    QFETCH(QString, scenario);
    QFETCH(QString, logStart);
    QFETCH(bool, repaired);
    ModelOnMac &flow = open(scenario);
    AppModel &model = flow.model;
    scanToRest();
    const auto crash = findingWithId(model.findings(), QStringLiteral("proxy-dead-crash"));
    QVERIFY(crash && crash->fix);
    QSignalSpy scans(&model, &AppModel::scanningChanged);
    std::optional<bool> testAfterFix; // how the internet test started, if one did
    connect(&model, &AppModel::netCheckingChanged, &scope, [&] {
        if (model.netChecking())
            testAfterFix = model.netCheckAfterFix() && !model.fixingId();
    });
    const auto proxyState = [&](const char *state) {
        return callsOf(flow.mac, {QStringLiteral("-setwebproxystate"), QStringLiteral("Wi-Fi"),
                                  QLatin1String(state)});
    };

    model.fix(*crash);
    model.fix(*crash);
    QCOMPARE(model.fixingId(), std::optional<QString>(crash->id));
    QCOMPARE(model.fixLog().value(crash->id), QStringLiteral("⏳ 正在执行修复…"));
    // An undo while the repair runs is refused, and says why.
    model.undoLast();
    QVERIFY(!model.undoBusy());
    QCOMPARE(model.undoText(),
             QStringLiteral("⚠️ 正在修复，请等修复结束后再撤销。"));
    QTRY_VERIFY_WITH_TIMEOUT(!model.fixingId(), kWaitMs);
    QVERIFY2(model.fixLog().value(crash->id).startsWith(logStart),
             qPrintable(model.fixLog().value(crash->id)));
    QCOMPARE(proxyState("off"), 1);
    QCOMPARE(testAfterFix, repaired ? std::optional<bool>(true) : std::nullopt);
    // The check run again found it gone: the card is repaired, no second run, no password.
    QCOMPARE(model.repaired().contains(crash->id), repaired);
    if (!repaired) {
        // Nothing changed: nothing to show anew.
        QTest::qWait(500);
        QCOMPARE(scans.size(), 0);
        return;
    }
    model.fix(*crash);
    QVERIFY(!model.fixingId());
    QCOMPARE(proxyState("off"), 1);
    // Then the whole window shows the Mac as it now is.
    QTRY_VERIFY_WITH_TIMEOUT(scans.size() == 2 && !model.netChecking(), kWaitMs);
    QVERIFY(!findingWithId(model.findings(), crash->id));

    QCOMPARE(model.history().size(), 1);
    QCOMPARE(model.history().first().origin + model.history().first().sign, "窗口✅");
    model.undoLast();
    model.undoLast();  // dropped, not queued
    model.fix(*crash); // a repair while an undo runs is dropped too
    QVERIFY(model.undoBusy() && !model.fixingId());
    QTRY_VERIFY_WITH_TIMEOUT(!model.undoBusy(), kWaitMs);
    QVERIFY2(model.undoText().startsWith(QStringLiteral("✅ 已撤销 #1")),
             qPrintable(model.undoText()));
    QCOMPARE(model.history().size(), 2);
    QVERIFY(model.history().at(1).undone);
    QCOMPARE(proxyState("on"), 1);
    // The rescan shows the proxy back as it was.
    QTRY_VERIFY_WITH_TIMEOUT(scans.size() == 4, kWaitMs);
    QVERIFY(findingWithId(model.findings(), crash->id));
}

// A scan that was running while an undo changed the settings may have read them before: the
// window must end on a scan that began after the undo.
void TestAppModelFlows::undoDuringAScanIsFollowedByARescan()
{
    QObject scope; // ends the connections below with the test
    AppModel &model = open(QStringLiteral("residual-proxy")).model;
    scanToRest();
    const auto crash = findingWithId(model.findings(), QStringLiteral("proxy-dead-crash"));
    QVERIFY(crash);
    model.fix(*crash);
    QTRY_VERIFY_WITH_TIMEOUT(!model.fixingId() && !model.netChecking(), kWaitMs);

    bool undoEnded = false;
    int scansAfterUndo = 0;
    connect(&model, &AppModel::undoBusyChanged, &scope, [&] { undoEnded = !model.undoBusy(); });
    connect(&model, &AppModel::scanningChanged, &scope,
            [&] { scansAfterUndo += undoEnded && model.scanning(); });
    model.undoLast();
    model.scan();
    QVERIFY(model.undoBusy() && model.scanning());
    QTRY_VERIFY_WITH_TIMEOUT(undoEnded && scansAfterUndo == 1 && !model.scanning(), kWaitMs);
    QVERIFY2(model.undoText().startsWith(QStringLiteral("✅ 已撤销")), qPrintable(model.undoText()));
    // The proxy is back on, and so is the finding about it.
    QVERIFY(findingWithId(model.findings(), crash->id));
}

void TestAppModelFlows::fixAllIgnoresInfoRepairs()
{
    AppModel &model = open(QStringLiteral("ipv6-broken")).model;
    scanToRest();
    const auto ipv6 = findingWithId(model.findings(), QStringLiteral("ipv6-unreachable"));
    QVERIFY(ipv6 && ipv6->severity == Severity::info && ipv6->fix);
    QSignalSpy anyChange(&model, &AppModel::stateChanged);
    model.fixAll();
    QCOMPARE(anyChange.size(), 0);
}

void TestAppModelFlows::guardianRepairsOnSecondTick()
{
    QObject scope; // ends the connections below with the test
    AppModel &model = open(QStringLiteral("residual-proxy")).model;
    QStringList statuses;
    connect(&model, &AppModel::guardStatusChanged, &scope,
            [&] { statuses << model.guardStatus(); });
    QSignalSpy scans(&model, &AppModel::scanningChanged);

    model.startGuardianIfNeeded();
    QTRY_VERIFY_WITH_TIMEOUT(model.guardFixedCount() == 1, kWaitMs);
    QVERIFY(statuses.size() >= 2);
    QCOMPARE(statuses[0],
             QStringLiteral(
                 "⚠️ 发现残留代理 127.0.0.1:7890（无人监听）——确认中…"));
    QCOMPARE(statuses[1],
             QStringLiteral("✅ 已自动修复：系统代理残留（127.0.0.1:7890）已关闭，网络恢复直连"));
    QVERIFY(model.guardLog().last().contains(
        QStringLiteral("[自动修复] 关闭残留系统代理 127.0.0.1:7890")));
    QVERIFY(scans.size() >= 1); // the rescan that shows the repaired state
    QTRY_VERIFY_WITH_TIMEOUT(!model.scanning(), kWaitMs);
    QCOMPARE(model.history().size(), 1);
    QCOMPARE(model.history().first().origin + model.history().first().sign, "守护✅");
}

// Settings only an administrator may change: every automatic repair fails. After two in a
// row the guardian rests from that proxy, says why on its card, and lists nothing in the
// history (nothing changed); the card's button makes it act again.
void TestAppModelFlows::guardianBacksOff()
{
    ModelOnMac &flow = open(QStringLiteral("residual-proxy"));
    AppModel &model = flow.model;
    QVERIFY(flow.mac.updateState([](QJsonObject &state) {
        QJsonObject admin = state.value(QStringLiteral("admin")).toObject();
        admin.insert(QStringLiteral("networksetupNeedsAdmin"), true);
        state.insert(QStringLiteral("admin"), admin);
        return true;
    }));
    model.startGuardianIfNeeded();
    QTRY_VERIFY_WITH_TIMEOUT(!model.guardRest().isEmpty(), kWaitMs);
    QVERIFY2(model.guardRest().contains(QStringLiteral("连续 2 次自动关闭都没有生效")),
             qPrintable(model.guardRest()));
    // Resting, it tries no more: ticks go on, repairs do not.
    const int attempts = callsOf(flow.mac, {QStringLiteral("-setwebproxystate"),
                                            QStringLiteral("Wi-Fi"), QStringLiteral("off")});
    QCOMPARE(attempts, 2);
    QTest::qWait(600);
    QCOMPARE(callsOf(flow.mac, {QStringLiteral("-setwebproxystate"), QStringLiteral("Wi-Fi"),
                                QStringLiteral("off")}),
             attempts);
    QVERIFY(!model.guardRest().isEmpty());
    model.refreshHistory();
    QTest::qWait(300);
    QVERIFY(model.history().isEmpty());
    QCOMPARE(model.guardLog().filter(QStringLiteral("[暂停]")).size(), 1);

    model.resumeGuardian();
    QTRY_VERIFY_WITH_TIMEOUT(callsOf(flow.mac, {QStringLiteral("-setwebproxystate"),
                                                QStringLiteral("Wi-Fi"), QStringLiteral("off")}) >
                                 attempts,
                             kWaitMs);
    model.toggleGuardian(); // no more checks after the test
}

void TestAppModelFlows::guardianSwitch()
{
    QObject scope; // ends the connections below with the test
    ModelOnMac &flow = open(QStringLiteral("healthy"));
    AppModel &model = flow.model;
    const QString paused = QStringLiteral("守护已暂停（不会自动修复代理残留）");
    // Switched off while the first check publishes, so that no check is in flight after.
    connect(&model, &AppModel::guardStatusChanged, &scope, [&] {
        if (model.guardianOn())
            model.toggleGuardian();
    });
    model.startGuardianIfNeeded();
    QTRY_VERIFY_WITH_TIMEOUT(!model.guardianOn(), kWaitMs);
    QCOMPARE(model.guardStatus(), paused);

    // A model whose timer never started: whatever check follows came from switching on.
    AppModel fresh(flow.guardian, kFast);
    fresh.toggleGuardian();
    QCOMPARE(fresh.guardStatus(), paused);
    fresh.toggleGuardian();
    QTRY_COMPARE_WITH_TIMEOUT(fresh.guardStatus(),
                              QStringLiteral("代理链路正常（127.0.0.1:7890 正在监听）"), kWaitMs);
}

void TestAppModelFlows::modelGoneWhileWorking()
{
    ModelOnMac &flow = open(QStringLiteral("residual-proxy"));
    auto *model = new AppModel(flow.guardian, kFast);
    model->scan();
    model->startGuardianIfNeeded();
    delete model;
    // The tasks end on their own and publish into nothing.
    QVERIFY(AppModel::waitForBackgroundWork(std::chrono::milliseconds(kWaitMs)));
}

QTEST_GUILESS_MAIN(TestAppModelFlows)
#include "tst_appmodelflows.moc"
