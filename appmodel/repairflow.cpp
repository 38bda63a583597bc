#include "appmodel/appmodel.h"

#include "appmodel/background.h"
#include "appmodel/headline.h"
#include "repair/changelock.h"
#include "repair/recording.h"

#include <QFileInfo>
#include <QPointer>

namespace brevik {

void AppModel::fix(const Finding &finding)
{
    // A finding the check no longer finds is repaired: no second run, no second password.
    if (!finding.fix || m_fixingId || m_fixingAll || m_undoBusy || m_scanning ||
        m_repaired.contains(finding.id))
        return;
    setFixingId(finding.id);
    setFixLogEntry(finding.id, tr("⏳ 正在执行修复…"));

    const QPointer<AppModel> self(this);
    Background::start(Background::Priority::userInitiated, [self, finding, journal = m_journal] {
        const ChangeLock lock = ChangeLock::take(
            QFileInfo(journal.path()).absolutePath(), tr("修复：%1").arg(finding.title),
            ChangeLock::Wait::untilFree, [self, id = finding.id](const ChangeLock::Holder &holder) {
                Background::postToMainThread([self, id, holder] {
                    if (self)
                        self->setFixLogEntry(id, ChangeLock::waitingText(holder));
                });
            });
        const FixResult result = Recording::apply(finding, RepairOrigin::window, journal);
        const QList<HistoryItem> history = historyOf(journal);
        Background::onMainThreadAndWait([&] {
            if (!self)
                return;
            self->setFixLogEntry(finding.id, result.log);
            self->markRepaired(finding.id, result);
            self->setHistory(history);
            // Cleared whatever the outcome: a failed repair must leave the
            // buttons usable.
            self->setFixingId(std::nullopt);
            if (result.ok)
                self->verifyInternet(true);
            // Settings changed: the card says repaired for a moment, then a rescan shows the
            // whole Mac as it now is (the other findings were judged before the repair).
            if (result.ranAny)
                QTimer::singleShot(self->m_pacing.rescanDelay, self.data(),
                                   [self] { self->requestRescan(); });
        });
    });
}

void AppModel::fixAll()
{
    // Info findings are never targets, even when they carry a repair.
    QList<Finding> targets = problems();
    targets.removeIf([this](const Finding &finding) {
        return !finding.hasFix() || m_repaired.contains(finding.id);
    });
    if (targets.isEmpty() || m_fixingAll || m_scanning || m_undoBusy)
        return;
    setBatchReport(std::nullopt);
    setFixingAll(true);
    setProgressValue(0.05);
    setProgressText(tr("开始批量修复…"));

    const QPointer<AppModel> self(this);
    Background::start(Background::Priority::userInitiated, [self, targets, journal = m_journal] {
        // The engine's texts only tell the user where the batch is; it must not wait for the
        // window to draw them.
        const auto progress = [self](const QString &text) {
            Background::postToMainThread([self, text] {
                if (self)
                    self->setProgressText(text);
            });
        };
        const ChangeLock lock = ChangeLock::take(QFileInfo(journal.path()).absolutePath(),
                                                 tr("批量修复"), ChangeLock::Wait::untilFree,
                                                 [&progress](const ChangeLock::Holder &holder) {
                                                     progress(ChangeLock::waitingText(holder));
                                                 });
        QMap<QString, QString> logs;
        const QMap<QString, FixResult> results =
            Recording::applyAll(targets, progress, RepairOrigin::window, journal);
        for (auto result = results.cbegin(); result != results.cend(); ++result)
            logs.insert(result.key(), result->log);
        const QList<HistoryItem> history = historyOf(journal);
        Background::onMainThreadAndWait([&] {
            if (!self)
                return;
            self->setHistory(history);
            QMap<QString, QString> log = self->m_fixLog;
            log.insert(logs);
            self->setFixLog(log);
            for (auto result = results.cbegin(); result != results.cend(); ++result)
                self->markRepaired(result.key(), *result);
            // The rescan replaces the findings and their logs; the report stays.
            const BatchReport report = batchReportOf(targets, results);
            self->setBatchReport(report);
            self->setFixingAll(false);
            self->startInternetTest(report.outcome);
            // Then the rescan shows what the repairs changed. The timer goes with the model.
            QTimer::singleShot(self->m_pacing.rescanDelay, self.data(),
                               [self] { self->requestRescan(); });
        });
    });
}

void AppModel::dismissBatchReport()
{
    setBatchReport(std::nullopt);
}

void AppModel::verifyInternet(bool afterFix)
{
    // Only a successful repair asks for a test of its own.
    startInternetTest(afterFix ? std::optional(RepairOutcome::succeeded) : std::nullopt);
}

void AppModel::startInternetTest(std::optional<RepairOutcome> repair)
{
    if (m_netChecking)
        return;
    // The flag first: whoever reacts to the test starting reads why it started.
    setNetCheckAfterFix(repair.has_value(), repair);
    setNetChecking(true);

    const QPointer<AppModel> self(this);
    Background::start(Background::Priority::userInitiated, [self] {
        const NetVerifyResult result = NetVerify::bingSearch();
        Background::onMainThreadAndWait([&] {
            if (!self)
                return;
            self->setNetResult(result);
            self->setNetChecking(false);
            self->refreshGuardFixedCount();
        });
    });
}

} // namespace brevik
