#include "diagnostics/stepschedule.h"

#include <QScopeGuard>
#include <QTest>

#include <future>
#include <memory>

using namespace brevik;

using namespace std::chrono_literals;

namespace {

// Four steps named "s0" to "s3"; the held ones end only when released, the others at once.
struct HeldSteps {
    explicit HeldSteps(const QList<int> &held)
    {
        for (int i = 0; i < 4; ++i) {
            auto release = std::make_shared<std::promise<void>>();
            std::shared_future<void> released = release->get_future().share();
            if (held.contains(i))
                releases << release;
            else
                release->set_value();
            steps << ScanStep{QStringLiteral("s%1").arg(i), [released] {
                                  released.wait();
                                  return QList<Finding>{};
                              }};
        }
    }
    void releaseAll()
    {
        for (const auto &release : std::as_const(releases))
            release->set_value();
        releases.clear();
    }

    QList<ScanStep> steps;
    QList<std::shared_ptr<std::promise<void>>> releases;
};

} // namespace

class TestStepSchedule : public QObject {
    Q_OBJECT

private slots:
    void runningAndEnded_data();
    void runningAndEnded();
};

void TestStepSchedule::runningAndEnded_data()
{
    QTest::addColumn<ScanPace>("pace");
    QTest::addColumn<QList<int>>("held");
    QTest::addColumn<int>("taken"); // steps whose findings were taken first
    QTest::addColumn<QStringList>("running");
    QTest::addColumn<int>("ended");

    // Side by side, the step awaited is not the only one that matters: later ones have ended.
    QTest::newRow("side by side, the first holds")
        << ScanPace::overlapped << QList<int>{0} << 0 << QStringList{"s0"} << 3;
    QTest::newRow("side by side, two hold")
        << ScanPace::overlapped << QList<int>{1, 3} << 1 << QStringList{"s1", "s3"} << 2;
    QTest::newRow("side by side, none holds")
        << ScanPace::overlapped << QList<int>{} << 2 << QStringList{} << 4;
    // One after another, a step runs when asked for: the next one is all there is.
    QTest::newRow("one after another, at the start")
        << ScanPace::sequential << QList<int>{} << 0 << QStringList{"s0"} << 0;
    QTest::newRow("one after another, two taken")
        << ScanPace::sequential << QList<int>{} << 2 << QStringList{"s2"} << 2;
}

void TestStepSchedule::runningAndEnded()
{
    QFETCH(ScanPace, pace);
    QFETCH(QList<int>, held);
    QFETCH(int, taken);

    HeldSteps steps(held);
    StepSchedule schedule(steps.steps, pace);
    // Before the schedule ends, which waits for its steps, whatever this test concludes.
    const auto release = qScopeGuard([&steps] { steps.releaseAll(); });
    for (int i = 0; i < taken; ++i)
        schedule.findings(i);
    // Side by side, the steps not held end on their own threads; wait until they have.
    if (pace == ScanPace::overlapped) {
        for (int i = taken; i < schedule.size(); ++i) {
            if (!held.contains(i))
                QVERIFY(schedule.wait(i, 10s));
        }
        for (int i : held)
            QVERIFY(!schedule.wait(i, 10ms));
    }
    QTEST(schedule.running(taken), "running");
    QTEST(int(schedule.ended()), "ended");
    steps.releaseAll();
    for (int i = taken; i < schedule.size(); ++i)
        schedule.findings(i);
    QCOMPARE(schedule.ended(), schedule.size());
    QCOMPARE(schedule.running(0), QStringList{});
}

QTEST_GUILESS_MAIN(TestStepSchedule)
#include "tst_stepschedule.moc"
