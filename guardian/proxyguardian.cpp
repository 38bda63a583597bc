#include "guardian/proxyguardian.h"

#include "exec/shell.h"
#include "model/netconfig.h"
#include "model/proxyclients.h"
#include "model/proxyendpoint.h"
#include "repair/recording.h"

#include <QDir>
#include <QRegularExpression>

namespace {

const QString kProxyQuery = QStringLiteral("scutil --proxy");
// The guardian repairs what a scan reports as this finding, with the same commands.
const QString kRepairedFinding = QStringLiteral("proxy-dead-crash");
constexpr double kProbeTimeout = 6.0;
constexpr double kRepairCommandTimeout = 10.0;

// Process paths of the proxy clients we know; one that is starting up has not opened its
// port yet and must not have its proxy switched off under it.
const QString kClientQuery =
    QStringLiteral("ps -Ao comm= 2>/dev/null | ") + ProxyClients::familyFilter();

// "ps -Ao comm=" prints one executable path a line, blanks included.
bool clientRunning(const QString &psOutput)
{
    for (const QString &line : psOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.trimmed().isEmpty() && !ProxyClients::isHelper(line))
            return true;
    }
    return false;
}

// The addresses of this Mac's interfaces, from "ifconfig -a" lines such as
// "\tinet 192.168.1.23 netmask 0xffffff00 …" and "\tinet6 fe80::1%lo0 prefixlen 64 …".
QStringList ownAddresses()
{
    QStringList addresses;
    const QString output = shell(QStringLiteral("ifconfig -a 2>/dev/null"), kProbeTimeout).output;
    for (const QString &raw : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList words =
            raw.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (words.size() >= 2 &&
            (words.first() == QLatin1String("inet") || words.first() == QLatin1String("inet6")))
            addresses << words.at(1).section(QLatin1Char('%'), 0, 0);
    }
    return addresses;
}

// Only a proxy on this Mac can be a client's leftover; one on another host (an office proxy
// out of reach) is somebody else's to run, and switching it off would break it for good.
bool onThisMac(const QString &host)
{
    return isLoopbackHost(host) || ownAddresses().contains(host);
}

QString confirmingText(const QString &target)
{
    return QStringLiteral("⚠️ 发现残留代理 ") + target +
           QStringLiteral("（无人监听）——确认中…");
}

} // namespace

ProxyGuardian &ProxyGuardian::shared()
{
    static ProxyGuardian instance(QDir::homePath());
    return instance;
}

ProxyGuardian::ProxyGuardian(const QString &homeDir)
    : m_home(homeDir), m_logPath(homeDir + QStringLiteral("/Library/Logs/Brevik/guard.log"))
{
}

QString ProxyGuardian::logDir() const
{
    return m_home + QStringLiteral("/Library/Logs/Brevik");
}

ProxyGuardian::Status ProxyGuardian::checkOnce(bool autoFix)
{
    return check(autoFix, std::nullopt);
}

ProxyGuardian::Status ProxyGuardian::check(bool autoFix,
                                           const std::optional<GuardObservation> &agentCarry)
{
    // An unreadable or failed query simply finds no proxy.
    const ScutilProxy proxy = parseScutilProxy(shell(kProxyQuery, kProbeTimeout).output);

    Status status;
    status.proxyEnabled = proxy.enabled;
    status.proxyHost = proxy.host;
    status.proxyPort = proxy.port;

    if (!status.proxyEnabled) {
        m_consecutiveFailures = 0;
        status.text = QStringLiteral("系统代理已关闭（直连）——关闭或打开 ClashX 都不会影响上网");
        return status;
    }
    // A PAC file on disk, or a kind switched on without a port, names nothing we could test;
    // leave the count alone.
    if (proxy.port.isEmpty()) {
        status.text = QStringLiteral("系统代理已开启但未取到端口，守护暂不处理");
        return status;
    }

    const QString target = proxy.host + QLatin1Char(':') + proxy.port;
    // Host and port come from settings any program may write; keep them single words.
    status.portAlive =
        shell(QStringLiteral("nc -z -G 1 ") + shellWord(proxy.host) + QLatin1Char(' ') +
                  shellWord(proxy.port) + QStringLiteral(" 2>/dev/null"),
              kProbeTimeout)
            .code == 0;
    status.clientRunning = clientRunning(shell(kClientQuery, kProbeTimeout).output);

    if (status.portAlive || status.clientRunning) {
        m_consecutiveFailures = 0;
        status.text =
            status.portAlive
                ? QStringLiteral("代理链路正常（") + target + QStringLiteral(" 正在监听）")
                : QStringLiteral("代理软件运行中、端口尚未就绪——守护暂不处理，避免误关");
        return status;
    }
    if (!onThisMac(proxy.host)) {
        m_consecutiveFailures = 0;
        status.text = QStringLiteral("系统代理指向其他主机 ") + target +
                      QStringLiteral("（无法连接）——不是本机残留，守护不会关闭它");
        return status;
    }

    // The agent starts a new process every few seconds: its count is the previous run's, as
    // long as that run watched this very proxy.
    if (agentCarry)
        m_consecutiveFailures = agentCarry->target == target ? agentCarry->count : 0;
    ++m_consecutiveFailures;
    if (m_consecutiveFailures < 2) {
        status.text = confirmingText(target);
        return status;
    }
    if (!autoFix) {
        status.text = QStringLiteral("⚠️ 发现残留代理 ") + target +
                      QStringLiteral("（无人监听）——已暂停自动修复");
        return status;
    }

    const QStringList services = NetConfig::allServices();
    if (services.isEmpty()) {
        status.text = QStringLiteral("未找到网络服务，无法自动修复");
        return status;
    }
    FixAction repair{.id = QStringLiteral("fix-proxy-off-all"),
                     .title = QStringLiteral("自动关闭残留系统代理 ") + target};
    for (const QString &service : services)
        repair.commands << NetConfig::disableProxyCommands(service);
    // Written down before it runs, so that the user can take it back.
    JournalEntry entry = Recording::before(kRepairedFinding, repair, RepairOrigin::guardian);
    // Every service, every kind: a failing command must not keep the others from running.
    for (const QString &command : repair.commands)
        shell(command, kRepairCommandTimeout);

    // Every kind must be off now, the automatic proxy included: a PAC-only leftover is
    // repaired like any other.
    const bool verified = !parseScutilProxy(shell(kProxyQuery, kProbeTimeout).output).enabled;
    status.text = verified ? QStringLiteral("✅ 已自动修复：系统代理残留（") + target +
                                 QStringLiteral("）已关闭，网络恢复直连")
                           : QStringLiteral("❌ 自动修复失败，请点击「立即修复」手动处理");
    Recording::finish(entry, verified, status.text);
    Journal(Journal::pathIn(m_home)).append(entry);
    if (!verified) {
        appendLog(QStringLiteral("[失败] 尝试关闭残留代理未生效"));
        return status;
    }

    ++m_fixedCount;
    m_lastFix = m_clock();
    status.didFix = true;
    appendLog(QStringLiteral("[自动修复] 关闭残留系统代理 ") + target + QStringLiteral("（服务：") +
              services.join(QStringLiteral("、")) + QStringLiteral("）"));
    m_consecutiveFailures = 0;
    return status;
}
