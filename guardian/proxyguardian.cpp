#include "guardian/proxyguardian.h"

#include "exec/shell.h"
#include "model/netconfig.h"
#include "model/proxyendpoint.h"
#include "diagnostics/recheck.h"
#include "repair/changelock.h"
#include "repair/statefiles.h"
#include "repair/recording.h"

#include <QCoreApplication>
#include <QDir>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(ProxyGuardian)
};

const QString kProxyQuery = QStringLiteral("scutil --proxy");
// Shared by the app and the agent's runs: a rest one of them began holds for both.
const QString kBackoffFile = QStringLiteral("/guard-backoff.json");
// The guardian repairs what a scan reports as this finding, with the same commands.
const QString kRepairedFinding = QStringLiteral("proxy-dead-crash");
constexpr double kProbeTimeout = 6.0;
constexpr double kRepairCommandTimeout = 10.0;

QString sightingText(const ProxySighting &seen)
{
    switch (seen.kind) {
    case ProxySighting::Kind::off:
        return Texts::tr("系统代理已关闭（直连）——关闭或打开 ClashX 都不会影响上网");
    // A PAC file on disk, or a kind switched on without a port, names nothing we could test.
    case ProxySighting::Kind::noPort:
        return Texts::tr("系统代理已开启但未取到端口，守护暂不处理");
    case ProxySighting::Kind::listening:
        return Texts::tr("代理链路正常（%1 正在监听）").arg(seen.target());
    case ProxySighting::Kind::clientStarting:
        return Texts::tr("代理软件运行中、端口尚未就绪——守护暂不处理，避免误关");
    case ProxySighting::Kind::elsewhere:
        return Texts::tr("系统代理指向其他主机 %1（无法连接）——不是本机残留，守护不会关闭它")
            .arg(seen.target());
    case ProxySighting::Kind::dead:
        break;
    }
    return Texts::tr("⚠️ 发现残留代理 %1（无人监听）——确认中…")
        .arg(seen.target());
}

} // namespace

ProxyGuardian &ProxyGuardian::shared()
{
    static ProxyGuardian instance(QDir::homePath());
    return instance;
}

ProxyGuardian::ProxyGuardian(const QString &homeDir, Clock clock)
    : m_home(homeDir), m_clock(clock),
      m_log(homeDir + QStringLiteral("/Library/Logs/Brevik/guard.log"), clock),
      m_agent(homeDir, logDir(), m_log)
{
}

QString ProxyGuardian::logDir() const
{
    return m_home + QStringLiteral("/Library/Logs/Brevik");
}

QStringList ProxyGuardian::statePaths() const
{
    // Only the user's own folder: a file in the shared temporary folder could be planted by
    // anyone, a link among them.
    return {stateFolder() + QStringLiteral("/guard-state.json")};
}

QString ProxyGuardian::stateFolder() const
{
    return ChangeLock::folderOf(m_home);
}

GuardBackoff::State ProxyGuardian::loadBackoff() const
{
    const StateFiles::Content content = StateFiles::readSmall(stateFolder() + kBackoffFile, 4096);
    return GuardBackoff::fromBytes(content.bytes).value_or(GuardBackoff::State{});
}

void ProxyGuardian::saveBackoff(const GuardBackoff::State &state) const
{
    StateFiles::replace(stateFolder() + kBackoffFile, GuardBackoff::toBytes(state));
}

void ProxyGuardian::resume()
{
    const GuardBackoff::State state = loadBackoff();
    if (state.rest == GuardBackoff::Rest::none)
        return;
    saveBackoff(GuardBackoff::State{});
    m_log.append(Texts::tr("[守护] 已按用户要求恢复处理 %1").arg(state.target));
}

ProxyGuardian::Status
ProxyGuardian::checkOnce(bool autoFix, const std::optional<GuardConfirmation::State> &carried)
{
    using GuardConfirmation::Step;
    if (carried)
        m_state = *carried;
    const ProxySighting seen = sightProxy();
    Status status;
    status.proxyEnabled = seen.kind != ProxySighting::Kind::off;
    status.proxyHost = seen.host;
    status.proxyPort = seen.port;
    status.portAlive = seen.portAlive;
    status.clientRunning = seen.clientRunning;
    const GuardConfirmation::Decision decision = GuardConfirmation::decide(m_state, seen, autoFix);
    m_state = decision.next;
    status.text = sightingText(seen);
    if (decision.step == Step::paused)
        status.text =
            Texts::tr("⚠️ 发现残留代理 %1（无人监听）——已暂停自动修复")
                .arg(seen.target());
    const GuardBackoff::State backoff = loadBackoff();
    const GuardBackoff::Permit permit = GuardBackoff::permit(backoff, seen.target(), m_clock());
    if (decision.step != Step::repair) {
        // A rest holds for the proxy as long as it lasts, repair due or not: while it does,
        // a dead sighting of it is no news (a client keeps writing it back), and says so.
        if (seen.kind == ProxySighting::Kind::dead && !permit.allowed) {
            status.rest = GuardBackoff::restText(permit.next);
            status.text = GuardBackoff::restStatus(permit.next);
        }
        return status;
    }
    if (!(permit.next == backoff))
        saveBackoff(permit.next);
    if (!permit.allowed) {
        // Resting: the sighting stays confirmed, so the first check after the rest acts.
        status.rest = GuardBackoff::restText(permit.next);
        status.text = GuardBackoff::restStatus(permit.next);
        return status;
    }
    repair(status, seen.target(), permit.next);
    return status;
}

void ProxyGuardian::repair(Status &status, const QString &target,
                           const GuardBackoff::State &backoff)
{
    const QStringList services = NetConfig::allServices();
    if (services.isEmpty()) {
        status.text = Texts::tr("未找到网络服务，无法自动修复");
        return;
    }
    FixAction repair{.id = QStringLiteral("fix-proxy-off-all"),
                     .title = Texts::tr("自动关闭残留系统代理 %1").arg(target)};
    for (const QString &service : services)
        repair.operations << NetConfig::disableProxyOps(service);
    // Written down, on the disk, before it runs, so that the user can take it back even when
    // this run is killed half-way.
    const Journal journal(Journal::pathIn(m_home), m_home);
    JournalEntry entry =
        Recording::before(kRepairedFinding, repair, RepairOrigin::guardian, {}, m_clock);
    const QString unrecorded = journal.start(entry);
    // Every service, every kind: a failing command must not keep the others from running.
    for (const QString &command : repair.commands())
        shell(command, kRepairCommandTimeout);

    // Every kind must be off now, the automatic proxy included: a PAC-only leftover is
    // repaired like any other.
    const bool verified = !parseScutilProxy(shell(kProxyQuery, kProbeTimeout).output).enabled;
    m_state = GuardConfirmation::afterRepair(m_state, verified);
    status.text =
        verified ? Texts::tr("✅ 已自动修复：系统代理残留（%1）已关闭，网络恢复直连").arg(target)
                 : Texts::tr("❌ 自动修复失败，请点击「立即修复」手动处理");
    if (verified) {
        const QList<Recheck::Verdict> verdicts = Recheck::run({kRepairedFinding}, m_clock);
        if (!verdicts.isEmpty())
            entry.verdict = Recheck::line(verdicts.first());
    }
    FixResult result{verified, status.text, verified ? FixEnd::succeeded : FixEnd::failed, true};
    // A repair that changed nothing is marked so, and lists as nothing.
    Recording::finish(entry, result);
    if (unrecorded.isEmpty())
        journal.finish(entry);

    const GuardBackoff::After after = GuardBackoff::afterRepair(backoff, target, verified, m_clock());
    saveBackoff(after.next);
    if (after.restBegins) {
        status.rest = GuardBackoff::restText(after.next);
        status.restBegins = true;
        m_log.append(Texts::tr("[暂停] %1").arg(status.rest.mid(2)));
    }
    if (!verified) {
        m_log.append(Texts::tr("[失败] 尝试关闭残留代理未生效"));
        return;
    }
    ++m_fixedCount;
    m_lastFix = m_clock();
    status.didFix = true;
    m_log.append(Texts::tr("[自动修复] 关闭残留系统代理 %1（服务：%2）")
                     .arg(target, services.join(Texts::tr("、", "between names in a list"))));
}

} // namespace brevik
