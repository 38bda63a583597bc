#include "appmodel/appmodel.h"

#include "appmodel/background.h"
#include "diagnostics/aistatusstore.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/stepschedule.h"

#include <QElapsedTimer>
#include <QPointer>

#include <functional>
#include <utility>

namespace brevik {

namespace {

// What a scan task hands to the main thread while it runs. progress answers whether anyone
// is still there to see the scan.
struct ScanPublisher {
    std::function<bool(const QString &text, double fraction)> progress;
    std::function<void(const QList<Finding> &soFar)> findingsGathered;
};

// How often the overlay hears which steps are still running while one is awaited.
constexpr std::chrono::milliseconds kProgressPoll{100};
// How many running steps the overlay names before it counts the rest.
constexpr qsizetype kNamedSteps = 3;

// The steps still running, one a line: side by side, the step awaited need not be the only
// one, and steps after it may have ended long ago.
QString runningText(const QStringList &names)
{
    if (names.size() <= kNamedSteps)
        return names.join(QLatin1Char('\n'));
    return names.mid(0, kNamedSteps - 1).join(QLatin1Char('\n')) + QLatin1Char('\n') +
           AppModel::tr("及另外 %n 项", nullptr, int(names.size() - (kNamedSteps - 1)));
}

// Gathers the snapshot, then runs the steps side by side and publishes them in order: while
// a step is awaited, the steps still running and the share of all that have ended; a step's
// findings once it and every step before it have ended. Each publication returns only once
// the main thread has taken it, so the window sees the steps in order.
QList<Finding> runSteps(const ScanPublisher &publish)
{
    DiagnosticsRun run;
    run.ctx = DiagnosticsRun::buildContext();
    StepSchedule steps(run);
    const double count = steps.size() == 0 ? 1.0 : double(steps.size());
    QList<Finding> gathered;
    QString shownText;
    double shownFraction = -1;
    // A scan cannot be cancelled, but once its model is gone nobody would see the rest.
    const auto seen = [&](qsizetype step) {
        // Nothing from here on still running: the step is being taken as it is.
        const QStringList running = steps.running(step);
        const QString text =
            runningText(running.isEmpty() ? QStringList{steps.name(step)} : running);
        const double fraction = double(steps.ended()) / count;
        if (text == shownText && fraction == shownFraction)
            return true;
        shownText = text;
        shownFraction = fraction;
        return publish.progress(text, fraction);
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (!seen(i))
            return gathered;
        while (!steps.wait(i, kProgressPoll)) {
            if (!seen(i))
                return gathered;
        }
        gathered += steps.findings(i);
        publish.findingsGathered(gathered);
    }
    return gathered;
}

} // namespace

void AppModel::requestRescan()
{
    if (m_scanning)
        m_rescanPending = true;
    else
        scan();
}

void AppModel::scan()
{
    if (m_scanning)
        return;
    setScanning(true);
    setProgressValue(0.0);
    setProgressText(tr("正在读取网络配置…"));
    // Repair logs belong to the findings they were written for, and those go now.
    setFindings({});
    setFixLog({});
    setRepaired({});
    QElapsedTimer started;
    started.start();

    const QPointer<AppModel> self(this);
    Background::start(Background::Priority::userInitiated, [self, started] {
        const ScanPublisher publish{
            [self](const QString &text, double fraction) {
                bool seen = false;
                Background::onMainThreadAndWait([&] {
                    if (!self)
                        return;
                    self->setProgressText(text);
                    self->setProgressValue(fraction);
                    seen = true;
                });
                return seen;
            },
            [self](const QList<Finding> &soFar) {
                Background::onMainThreadAndWait([&] {
                    if (self)
                        self->setFindings(soFar);
                });
            },
        };
        const QList<Finding> findings = runSteps(publish);
        // The AI step wrote the store on this very task, so these are this scan's rows.
        const AIStatusStore::Snapshot ai = AIStatusStore::shared().snapshot();
        const double seconds = double(started.nsecsElapsed()) / 1e9;

        Background::onMainThreadAndWait([&] {
            if (!self)
                return;
            self->setFindings(findings);
            self->setAIItems(ai.items, ai.proxied);
            self->setProgressValue(1.0);
            self->setProgressText(tr("诊断完成"));
            self->setScanning(false);
            self->setLastScan(self->now());
            self->setScanSeconds(seconds);
            // Settings changed while this scan ran: what it found may already be gone. The
            // next scan tests the internet at its own end.
            if (std::exchange(self->m_rescanPending, false))
                self->scan();
            else
                self->verifyInternet(false);
        });
    });
}

} // namespace brevik
