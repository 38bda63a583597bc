#include "appmodel/appmodel.h"

#include "appmodel/background.h"
#include "diagnostics/aistatusstore.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/stepschedule.h"

#include <QElapsedTimer>
#include <QPointer>

#include <functional>

namespace brevik {

namespace {

// What a scan task hands to the main thread between its steps. stepStarting answers whether
// anyone is still there to see the scan.
struct ScanPublisher {
    std::function<bool(const QString &name, double fraction)> stepStarting;
    std::function<void(const QList<Finding> &soFar)> findingsGathered;
};

// Gathers the snapshot, then runs the steps side by side and publishes them in order: a
// step's name while it is being waited for, its findings once it and every step before it
// have ended. Each publication returns only once the main thread has taken it, so the window
// sees the steps in order.
QList<Finding> runSteps(const ScanPublisher &publish)
{
    DiagnosticsRun run;
    run.ctx = DiagnosticsRun::buildContext();
    StepSchedule steps(run);
    const double count = steps.size() == 0 ? 1.0 : double(steps.size());
    QList<Finding> gathered;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        // A scan cannot be cancelled, but once its model is gone nobody would see the rest.
        if (!publish.stepStarting(steps.name(i), double(i) / count))
            break;
        gathered += steps.findings(i);
        publish.findingsGathered(gathered);
    }
    return gathered;
}

} // namespace

void AppModel::scan()
{
    if (m_scanning)
        return;
    setScanning(true);
    setProgressValue(0.0);
    setProgressText(QStringLiteral("正在读取网络配置…"));
    // Repair logs belong to the findings they were written for, and those go now.
    setFindings({});
    setFixLog({});
    QElapsedTimer started;
    started.start();

    const QPointer<AppModel> self(this);
    Background::start(Background::Priority::userInitiated, [self, started] {
        const ScanPublisher publish{
            [self](const QString &name, double fraction) {
                bool seen = false;
                Background::onMainThreadAndWait([&] {
                    if (!self)
                        return;
                    self->setProgressText(name);
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
            self->setProgressText(QStringLiteral("诊断完成"));
            self->setScanning(false);
            self->setLastScan(self->now());
            self->setScanSeconds(seconds);
            self->verifyInternet(false);
        });
    });
}

} // namespace brevik
