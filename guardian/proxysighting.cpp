#include "guardian/proxysighting.h"

#include "exec/shell.h"
#include "model/proxyclients.h"
#include "model/proxyendpoint.h"

#include <QRegularExpression>

namespace brevik {

namespace {

const QString kProxyQuery = QStringLiteral("scutil --proxy");
constexpr double kProbeTimeout = 6.0;

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

} // namespace

ProxySighting sightProxy()
{
    using Kind = ProxySighting::Kind;
    // An unreadable or failed query simply finds no proxy.
    const ScutilProxy proxy = parseScutilProxy(shell(kProxyQuery, kProbeTimeout).output);
    ProxySighting seen{.kind = Kind::off, .host = proxy.host, .port = proxy.port};
    if (!proxy.enabled)
        return seen;
    seen.kind = Kind::noPort;
    if (proxy.port.isEmpty())
        return seen;
    // Host and port come from settings any program may write; keep them single words.
    seen.portAlive =
        shell(QStringLiteral("nc -z -G 1 ") + shellWord(proxy.host) + QLatin1Char(' ') +
                  shellWord(proxy.port) + QStringLiteral(" 2>/dev/null"),
              kProbeTimeout)
            .succeeded();
    seen.clientRunning = clientRunning(shell(kClientQuery, kProbeTimeout).output);
    seen.kind = seen.portAlive          ? Kind::listening
                : seen.clientRunning    ? Kind::clientStarting
                : onThisMac(proxy.host) ? Kind::dead
                                        : Kind::elsewhere;
    return seen;
}

} // namespace brevik
