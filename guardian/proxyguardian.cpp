#include "guardian/proxyguardian.h"

#include "exec/shell.h"
#include "model/netconfig.h"

#include <QDir>

namespace {

const QString kProxyQuery = QStringLiteral("scutil --proxy");
constexpr double kProbeTimeout = 6.0;
constexpr double kRepairCommandTimeout = 10.0;

// Process names of the proxy clients we know; one that is starting up has not opened its
// port yet and must not have its proxy switched off under it.
const QString kClientQuery =
    QStringLiteral("ps -Ao comm= 2>/dev/null | grep -i -E "
                   "'clash|mihomo|surge|stash|verge|sing-box|v2ray|xray|trojan' | grep -v grep "
                   "| head -1");

struct ProxyEndpoint {
    QString host = QStringLiteral("127.0.0.1");
    QString port;
};

bool anyEnabled(const QString &output, const QStringList &markers)
{
    for (const QString &marker : markers) {
        if (output.contains(marker))
            return true;
    }
    return false;
}

// Reads the HTTP proxy from "scutil --proxy", whose lines look like "  HTTPPort : 7890".
// An HTTPS-only proxy gives its port; its host is not read ("HTTPSProxy :" is not
// "HTTPProxy :").
ProxyEndpoint parseEndpoint(const QString &output)
{
    ProxyEndpoint endpoint;
    QString httpPort;
    QString httpsPort;
    const QString hostKey = QStringLiteral("HTTPProxy :");
    const QString httpPortKey = QStringLiteral("HTTPPort :");
    const QString httpsPortKey = QStringLiteral("HTTPSPort :");
    for (const QString &raw : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QString line = raw.trimmed();
        if (line.startsWith(hostKey))
            endpoint.host = line.remove(hostKey).trimmed();
        else if (line.startsWith(httpPortKey))
            httpPort = line.remove(httpPortKey).trimmed();
        else if (line.startsWith(httpsPortKey))
            httpsPort = line.remove(httpsPortKey).trimmed();
    }
    endpoint.port = httpPort.isEmpty() ? httpsPort : httpPort;
    // "HTTPProxy :" with nothing after it
    if (endpoint.host.isEmpty())
        endpoint.host = QStringLiteral("127.0.0.1");
    return endpoint;
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
    return check(autoFix, QString());
}

ProxyGuardian::Status ProxyGuardian::check(bool autoFix, const QString &previousAgentText)
{
    // An unreadable or failed query simply finds no proxy.
    const QString proxyOutput = shell(kProxyQuery, kProbeTimeout).output;
    const ProxyEndpoint endpoint = parseEndpoint(proxyOutput);

    Status status;
    status.proxyEnabled = anyEnabled(proxyOutput, {QStringLiteral("HTTPEnable : 1"),
                                                   QStringLiteral("HTTPSEnable : 1"),
                                                   QStringLiteral("SOCKSEnable : 1"),
                                                   QStringLiteral("ProxyAutoConfigEnable : 1")});
    status.proxyHost = endpoint.host;
    status.proxyPort = endpoint.port;

    if (!status.proxyEnabled) {
        m_consecutiveFailures = 0;
        status.text = QStringLiteral("系统代理已关闭（直连）——关闭或打开 ClashX 都不会影响上网");
        return status;
    }
    // A PAC-only or SOCKS-only setup names no port we could test; leave the count alone.
    if (endpoint.port.isEmpty()) {
        status.text = QStringLiteral("系统代理已开启但未取到端口，守护暂不处理");
        return status;
    }

    const QString target = endpoint.host + QLatin1Char(':') + endpoint.port;
    // Host and port come from settings any program may write; keep them single words.
    status.portAlive =
        shell(QStringLiteral("nc -z -G 1 ") + shellWord(endpoint.host) + QLatin1Char(' ') +
                  shellWord(endpoint.port) + QStringLiteral(" 2>/dev/null"),
              kProbeTimeout)
            .code == 0;
    status.clientRunning = !shell(kClientQuery, kProbeTimeout).output.trimmed().isEmpty();

    if (status.portAlive || status.clientRunning) {
        m_consecutiveFailures = 0;
        status.text =
            status.portAlive
                ? QStringLiteral("代理链路正常（") + target + QStringLiteral(" 正在监听）")
                : QStringLiteral("代理软件运行中、端口尚未就绪——守护暂不处理，避免误关");
        return status;
    }

    // The agent starts a new process every few seconds; a moment-old verdict of the previous
    // run about this very proxy is the first observation this process could not make itself.
    if (m_consecutiveFailures == 0 && previousAgentText == confirmingText(target))
        m_consecutiveFailures = 1;
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
    // Every service, every kind: a failing command must not keep the others from running.
    for (const QString &service : services) {
        for (const QString &command : NetConfig::disableProxyCommands(service))
            shell(command, kRepairCommandTimeout);
    }

    const QString after = shell(kProxyQuery, kProbeTimeout).output;
    if (anyEnabled(after, {QStringLiteral("HTTPEnable : 1"), QStringLiteral("HTTPSEnable : 1"),
                           QStringLiteral("SOCKSEnable : 1")})) {
        status.text = QStringLiteral("❌ 自动修复失败，请点击「立即修复」手动处理");
        appendLog(QStringLiteral("[失败] 尝试关闭残留代理未生效"));
        return status;
    }

    ++m_fixedCount;
    m_lastFix = QDateTime::currentDateTime();
    status.didFix = true;
    status.text = QStringLiteral("✅ 已自动修复：系统代理残留（") + target +
                  QStringLiteral("）已关闭，网络恢复直连");
    appendLog(QStringLiteral("[自动修复] 关闭残留系统代理 ") + target + QStringLiteral("（服务：") +
              services.join(QStringLiteral("、")) + QStringLiteral("）"));
    m_consecutiveFailures = 0;
    return status;
}
