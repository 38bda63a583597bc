#include "app/agentrun.h"

#include "exec/shell.h"
#include "guardian/guardstate.h"
#include "guardian/logfile.h"
#include "guardian/notification.h"
#include "guardian/proxyguardian.h"
#include "repair/changelock.h"

#include <QCoreApplication>
#include <QTextStream>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(AgentRun)
};

constexpr double kNotificationTimeout = 10.0;

bool isNotable(const ProxyGuardian::Status &status)
{
    return status.didFix || status.text.startsWith(QStringLiteral("⚠️")) ||
           status.text.startsWith(QStringLiteral("❌")) ||
           status.text.startsWith(QStringLiteral("✅"));
}

} // namespace

namespace AgentRun {

void once(ProxyGuardian &guardian, QTextStream &out, const QDateTime &now)
{
    // Runs start every 5 s whatever the others do: while another holds the change lock (a
    // run still repairing, a repair behind an open password prompt) this one skips its turn,
    // so that one sighting gives one repair. It reads and writes the carried count under the
    // lock too. A lock that cannot be made at all does not stop the guardian.
    const ChangeLock lock = ChangeLock::take(guardian.stateFolder(), Texts::tr("守护：后台检查"),
                                             ChangeLock::Wait::never);
    if (lock.busy())
        return;
    const QStringList paths = guardian.statePaths();
    const std::optional<GuardObservation> previous = GuardState::load(paths, now);
    const ProxyGuardian::Status status = guardian.checkOnce(
        true, previous ? GuardConfirmation::State{previous->target, previous->count}
                       : GuardConfirmation::State{});
    // A proxy without a port leaves the count as it was, and so does this run.
    if (!status.proxyEnabled || !status.proxyPort.isEmpty()) {
        GuardState::save(paths, {status.proxyHost + QLatin1Char(':') + status.proxyPort,
                                 guardian.consecutiveFailures(), now});
    }
    // Healthy and undecided states leave no trace, so the log keeps only what mattered.
    if (isNotable(status)) {
        guardian.log().append(Texts::tr("[守护] %1").arg(status.text));
        out << status.text << '\n';
        out.flush();
    }
    // One notification, once, when the guardian stops acting on a proxy: why, and what to do.
    // Until the rest ends every run stays silent.
    if (status.restBegins) {
        out << status.rest << '\n';
        out.flush();
        shell(Notification::command(QStringLiteral("Brevik"), status.rest.mid(2)),
              kNotificationTimeout);
    } else if (status.didFix) {
        // The agent acts while nobody watches: tell the user what changed and how to take it
        // back.
        shell(Notification::command(
                  QStringLiteral("Brevik"),
                  Texts::tr("已关闭所有网络服务上残留的系统代理 %1，网络恢复直连。如需撤销：运行 "
                            "brevik --undo，或在 Brevik 窗口菜单选择「撤销上次修复」。")
                      .arg(status.proxyHost + QLatin1Char(':') + status.proxyPort)),
              kNotificationTimeout);
    }
    // Cut even when nothing was appended: launchd appends the agent's output on its own, and
    // a log that grew past its limit by other hands would otherwise stay so.
    const QString logs = guardian.logDir();
    for (const QString &path : {guardian.log().path(), logs + QStringLiteral("/agent.log"),
                                logs + QStringLiteral("/agent.err.log")})
        LogFile::cutIfOversized(path);
}

} // namespace AgentRun

} // namespace brevik
