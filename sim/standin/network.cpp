#include "sim/standin/network.h"

#include "sim/standin/sim.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>

namespace brevik {

namespace {

QJsonObject interfaces(const QJsonObject &state)
{
    return state.value(QStringLiteral("interfaces")).toObject();
}

bool webSite(const QJsonObject &entry)
{
    return entry.contains(QStringLiteral("direct")) || entry.contains(QStringLiteral("paths"));
}

// "/etc/hosts": the address, then names, "#" starts a comment.
std::optional<QString> hostsFileAddress(const Sim &sim, const QString &host)
{
    QFile file(sim.hostsFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    static const QRegularExpression blanks(QStringLiteral("[ \t]+"));
    const QString text = QString::fromUtf8(file.readAll());
    // Every request looks its name up here: with a blocklist of a hundred thousand names,
    // only the lines that mention the name are split.
    if (!text.contains(host, Qt::CaseInsensitive))
        return std::nullopt;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (!line.contains(host, Qt::CaseInsensitive))
            continue;
        line = line.left(line.indexOf(QLatin1Char('#'))).trimmed();
        const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
        for (int i = 1; i < words.size(); ++i) {
            if (words.at(i).compare(host, Qt::CaseInsensitive) == 0)
                return words.first();
        }
    }
    return std::nullopt;
}

} // namespace

namespace Net {

bool isIPv4(const QString &text)
{
    static const QRegularExpression v4(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    return v4.match(text).hasMatch();
}

bool isIPv6(const QString &text)
{
    static const QRegularExpression v6(QStringLiteral("^[0-9A-Fa-f:.]+(%[A-Za-z0-9]+)?$"));
    return text.count(QLatin1Char(':')) >= 2 && v6.match(text).hasMatch();
}

bool isLoopback(const QString &address)
{
    return address.startsWith(QLatin1String("127.")) || address == QLatin1String("::1") ||
           address.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

bool interfaceActive(const QJsonObject &state, const QString &name)
{
    const QJsonObject iface = interfaces(state).value(name).toObject();
    if (iface.isEmpty() || !iface.value(QStringLiteral("up")).toBool(true))
        return false;
    if (iface.value(QStringLiteral("status")).toString(QStringLiteral("active")) !=
        QLatin1String("active"))
        return false;
    const QJsonObject wifi = state.value(QStringLiteral("wifi")).toObject();
    if (wifi.value(QStringLiteral("device")).toString() == name)
        return wifi.value(QStringLiteral("power")).toBool(true);
    return true;
}

bool isTunnel(const QString &name)
{
    return name.startsWith(QLatin1String("utun")) || name.startsWith(QLatin1String("ipsec")) ||
           name.startsWith(QLatin1String("ppp"));
}

QString routeInterface(const QJsonObject &state)
{
    const QJsonObject route = state.value(QStringLiteral("route")).toObject();
    const QString name = route.value(QStringLiteral("interface")).toString();
    if (name.isEmpty() || !interfaceActive(state, name))
        return {};
    // A tunnel may carry the route before it shows an address; a wired or wireless link may not.
    if (interfaces(state)
            .value(name)
            .toObject()
            .value(QStringLiteral("inet"))
            .toString()
            .isEmpty() &&
        !isTunnel(name))
        return {};
    return name;
}

QString gateway(const QJsonObject &state)
{
    if (routeInterface(state).isEmpty())
        return {};
    return objectAt(state, {"route"}).value(QStringLiteral("gateway")).toString();
}

bool linkUp(const QJsonObject &state)
{
    return !routeInterface(state).isEmpty();
}

QString router(const QJsonObject &state, const QString &name)
{
    const QJsonObject iface = interfaces(state).value(name).toObject();
    if (!interfaceActive(state, name) || iface.value(QStringLiteral("inet")).toString().isEmpty())
        return {};
    const QString own = iface.value(QStringLiteral("router")).toString();
    if (!own.isEmpty())
        return own;
    return routeInterface(state) == name ? gateway(state) : QString();
}

QString lanInterface(const QJsonObject &state)
{
    const QString device = routeInterface(state);
    if (!isTunnel(device))
        return device;
    const QJsonObject services = state.value(QStringLiteral("services")).toObject();
    for (const QString &name : toStringList(state.value(QStringLiteral("serviceOrder")))) {
        const QJsonObject service = services.value(name).toObject();
        const QString candidate = service.value(QStringLiteral("device")).toString();
        if (service.value(QStringLiteral("enabled")).toBool(true) && !candidate.isEmpty() &&
            !router(state, candidate).isEmpty())
            return candidate;
    }
    return {};
}

QString uplink(const QJsonObject &state)
{
    return objectAt(state, {"network"})
        .value(QStringLiteral("uplink"))
        .toString(QStringLiteral("ok"));
}

QString primaryService(const QJsonObject &state)
{
    const QJsonObject services = state.value(QStringLiteral("services")).toObject();
    const QStringList order = toStringList(state.value(QStringLiteral("serviceOrder")));
    const QString device = lanInterface(state);
    for (const QString &name : order) {
        if (!device.isEmpty() &&
            services.value(name).toObject().value(QStringLiteral("device")).toString() == device)
            return name;
    }
    for (const QString &name : order) {
        if (services.value(name).toObject().value(QStringLiteral("enabled")).toBool(true))
            return name;
    }
    return order.value(0);
}

QStringList dnsServers(const QJsonObject &state)
{
    if (!linkUp(state))
        return {};
    const QStringList own = toStringList(at(state, {"services", primaryService(state), "dns"}));
    return own.isEmpty() ? toStringList(state.value(QStringLiteral("dhcpDns"))) : own;
}

std::optional<VpnDns> vpnDns(const QJsonObject &state)
{
    const QJsonObject vpn = state.value(QStringLiteral("vpnDns")).toObject();
    const QString iface = vpn.value(QStringLiteral("interface")).toString();
    if (iface.isEmpty() || !interfaceActive(state, iface))
        return std::nullopt;
    return VpnDns{iface, toStringList(vpn.value(QStringLiteral("servers"))),
                  toStringList(vpn.value(QStringLiteral("domains")))};
}

bool dnsWorks(const QJsonObject &state)
{
    if (uplink(state) == QLatin1String("down"))
        return false;
    QStringList servers = dnsServers(state);
    if (const std::optional<VpnDns> vpn = vpnDns(state); vpn && vpn->domains.isEmpty())
        servers << vpn->servers;
    for (const QString &server : servers) {
        for (const auto &port : remote(state, server).value(QStringLiteral("tcp")).toArray()) {
            if (port.toInt() == 53)
                return true;
        }
    }
    return false;
}

QJsonObject remote(const QJsonObject &state, const QString &host)
{
    const QJsonObject all = state.value(QStringLiteral("remote")).toObject();
    for (auto it = all.begin(); it != all.end(); ++it) {
        if (it.key().compare(host, Qt::CaseInsensitive) == 0)
            return it.value().toObject();
    }
    const QString site = siteOfAddress(state, host);
    return site.isEmpty() ? QJsonObject() : all.value(site).toObject();
}

QString siteOfAddress(const QJsonObject &state, const QString &address)
{
    const QJsonObject all = state.value(QStringLiteral("remote")).toObject();
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        if (toStringList(entry.value(QStringLiteral("addresses"))).contains(address) ||
            toStringList(entry.value(QStringLiteral("addresses6"))).contains(address))
            return it.key();
    }
    return {};
}

Addresses dnsAnswer(const QJsonObject &state, const QString &host)
{
    const QJsonObject entry = remote(state, host);
    Addresses answer;
    answer.v4 = toStringList(entry.contains(QStringLiteral("dns"))
                                 ? entry.value(QStringLiteral("dns"))
                                 : entry.value(QStringLiteral("addresses")));
    answer.v6 = toStringList(entry.contains(QStringLiteral("dns6"))
                                 ? entry.value(QStringLiteral("dns6"))
                                 : entry.value(QStringLiteral("addresses6")));
    return answer;
}

Addresses resolve(const Sim &sim, const QString &host)
{
    Addresses result;
    if (isIPv4(host)) {
        result.v4 << host;
        return result;
    }
    if (isIPv6(host)) {
        result.v6 << host;
        return result;
    }
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        result.v4 << QStringLiteral("127.0.0.1");
        result.v6 << QStringLiteral("::1");
        return result;
    }
    if (const std::optional<QString> pinned = hostsFileAddress(sim, host)) {
        (isIPv6(*pinned) ? result.v6 : result.v4) << *pinned;
        result.fromHostsFile = true;
        return result;
    }
    if (!dnsWorks(sim.state()))
        return result;
    return dnsAnswer(sim.state(), host);
}

bool hasGlobalIPv6(const QJsonObject &state)
{
    // An IPv4 tunnel leaves IPv6 to the link underneath.
    const QString device = lanInterface(state);
    if (device.isEmpty() ||
        at(state, {"services", primaryService(state), "ipv6"}).toString() == QLatin1String("off"))
        return false;
    const QStringList addresses = toStringList(at(state, {"interfaces", device, "inet6"}));
    for (const QString &address : addresses) {
        if (address.startsWith(QLatin1Char('2')) || address.startsWith(QLatin1Char('3')))
            return true;
    }
    return false;
}

bool isOwnAddress(const QJsonObject &state, const QString &address)
{
    if (isLoopback(address) || address == QLatin1String("0.0.0.0"))
        return true;
    const QJsonObject all = interfaces(state);
    for (auto it = all.begin(); it != all.end(); ++it) {
        if (interfaceActive(state, it.key()) &&
            it.value().toObject().value(QStringLiteral("inet")).toString() == address)
            return true;
    }
    return false;
}

std::optional<QJsonObject> listener(const QJsonObject &state, const QString &host, int port)
{
    if (!isOwnAddress(state, host))
        return std::nullopt;
    const QJsonObject processes = state.value(QStringLiteral("processes")).toObject();
    for (auto it = processes.begin(); it != processes.end(); ++it) {
        const QJsonArray listens = it.value().toObject().value(QStringLiteral("listen")).toArray();
        for (const auto &value : listens) {
            const QJsonObject listen = value.toObject();
            if (listen.value(QStringLiteral("port")).toInt() != port)
                continue;
            const QString bound =
                listen.value(QStringLiteral("address")).toString(QStringLiteral("*"));
            const bool v6 = bound.startsWith(QLatin1Char('['));
            const bool any = bound == QLatin1String("*");
            const bool loopback =
                bound == QLatin1String("127.0.0.1") || bound == QLatin1String("[::1]");
            if (any || (loopback && isLoopback(host) && v6 == (host == QLatin1String("::1"))) ||
                bound == host)
                return listen;
        }
    }
    return std::nullopt;
}

Connection connect(const QJsonObject &state, const QString &address, int port)
{
    Connection connection;
    if (isOwnAddress(state, address)) {
        const std::optional<QJsonObject> open = listener(state, address, port);
        connection.result = open ? Connect::Open : Connect::Refused;
        connection.delay = open ? open->value(QStringLiteral("delay")).toDouble() : 0;
        return connection;
    }
    if (!linkUp(state)) {
        connection.result = Connect::Unreachable;
        return connection;
    }
    const QString site = siteOfAddress(state, address);
    const QJsonObject entry = remote(state, address);
    connection.site = site.isEmpty() ? address : site;
    const bool lan = entry.value(QStringLiteral("lan")).toBool();
    if (!lan && uplink(state) == QLatin1String("portal") && (port == 80 || port == 443)) {
        connection.result = Connect::Portal;
        connection.delay = 0.02;
        return connection;
    }
    if (entry.isEmpty() || (!lan && uplink(state) != QLatin1String("ok"))) {
        connection.result = Connect::Timeout;
        return connection;
    }
    QList<int> ports;
    for (const auto &value : entry.value(QStringLiteral("tcp")).toArray())
        ports << value.toInt();
    if (webSite(entry))
        ports << 80 << 443;
    if (ports.contains(port)) {
        connection.result = Connect::Open;
        connection.delay = entry.value(QStringLiteral("ping"))
                               .toObject()
                               .value(QStringLiteral("rtt"))
                               .toDouble(20) /
                           1000.0;
    } else {
        connection.result = entry.value(QStringLiteral("tcpFiltered")).toBool() ? Connect::Timeout
                                                                                : Connect::Refused;
    }
    return connection;
}

} // namespace Net

} // namespace brevik
