#include "appmodel/appmodel.h"

#include "appmodel/background.h"
#include "guardian/proxyguardian.h"
#include "repair/changelock.h"

#include <QPointer>

namespace brevik {

namespace {

constexpr int kGuardLogLines = 8;

} // namespace

void AppModel::startGuardianIfNeeded()
{
    setAgentInstalled(m_guardian.agent().isInstalled());
    setGuardLog(m_guardian.log().tail(kGuardLogLines));
    refreshGuardFixedCount();
    refreshHistory();
    m_guardTimer.start();
    // The first check runs whether or not the guardian is switched on.
    tickGuardian();
}

void AppModel::tickGuardian()
{
    if (!m_guardBusy)
        startGuardianTick();
}

void AppModel::toggleGuardian()
{
    setGuardianOn(!m_guardianOn);
    if (!m_guardianOn) {
        // A check already running still finishes, and its text then replaces this one.
        setGuardStatus(tr("守护已暂停（不会自动修复代理残留）"));
        return;
    }
    tickGuardian();
}

void AppModel::startGuardianTick()
{
    m_guardBusy = true;
    const QPointer<AppModel> self(this);
    ProxyGuardian *guardian = &m_guardian;
    Background::start(Background::Priority::background, [self, guardian, journal = m_journal] {
        // A repair or an undo under way (perhaps behind an open password prompt) holds the
        // change lock: this turn is skipped, never queued.
        const ChangeLock lock = ChangeLock::take(guardian->stateFolder(), tr("守护：检查残留代理"),
                                                 ChangeLock::Wait::never);
        if (lock.busy()) {
            Background::onMainThreadAndWait([&] {
                if (self)
                    self->m_guardBusy = false;
            });
            return;
        }
        const ProxyGuardian::Status status = guardian->checkOnce(true);
        const int fixedCount = guardian->fixedCount();
        const QStringList lines = guardian->log().tail(kGuardLogLines);
        // A repair of the guardian is in the journal now.
        const std::optional<QList<HistoryItem>> history =
            status.didFix ? std::optional(historyOf(journal)) : std::nullopt;
        Background::onMainThreadAndWait([&] {
            if (!self)
                return;
            if (history)
                self->setHistory(*history);
            self->setGuardStatus(status.text);
            self->setGuardRest(status.rest);
            self->setGuardFixedCount(fixedCount);
            self->setGuardLog(lines);
            self->m_guardBusy = false;
            // Show the repaired state; a scan already running may have read the Mac before the
            // repair, so another follows it.
            if (status.didFix)
                self->requestRescan();
        });
    });
}

void AppModel::resumeGuardian()
{
    if (m_guardRest.isEmpty())
        return;
    const QPointer<AppModel> self(this);
    ProxyGuardian *guardian = &m_guardian;
    Background::start(Background::Priority::userInitiated, [self, guardian] {
        const ChangeLock lock = ChangeLock::take(guardian->stateFolder(), tr("守护：恢复处理"),
                                                 ChangeLock::Wait::untilFree);
        guardian->resume();
        const QStringList lines = guardian->log().tail(kGuardLogLines);
        Background::onMainThreadAndWait([&] {
            if (!self)
                return;
            self->setGuardRest({});
            self->setGuardLog(lines);
            self->tickGuardian();
        });
    });
}

void AppModel::refreshGuardFixedCount()
{
    // The count is a plain field that a running check writes on its own thread; between
    // checks it is settled, and the check's own hop made its last write visible here.
    if (!m_guardBusy)
        setGuardFixedCount(m_guardian.fixedCount());
}

void AppModel::installGuardAgent()
{
    showAgentOutcome(m_guardian.agent().install().msg);
}

void AppModel::uninstallGuardAgent()
{
    showAgentOutcome(m_guardian.agent().uninstall().msg);
}

void AppModel::showAgentOutcome(const QString &message)
{
    // Whatever the call reported, the button follows what launchd actually holds.
    setAgentInstalled(m_guardian.agent().isInstalled());
    setGuardStatus(message);
    setGuardLog(m_guardian.log().tail(kGuardLogLines));
}

} // namespace brevik
