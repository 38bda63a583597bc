#include "diagnostics/diagnosticsrun.h"

#include "diagnostics/textparse.h"
#include "exec/shell.h"
#include "model/netconfig.h"
#include "model/proxyclients.h"
#include "model/proxyendpoint.h"
#include "model/tunnels.h"

#include <QSet>

namespace brevik {

namespace {

QString valueAfter(QString line, const QString &prefix)
{
    return TextParse::trimBlanks(line.remove(prefix));
}

struct Route {
    QString iface;
    std::optional<QString> gateway;
};

// "route -n get default" right-aligns its keys:
//     gateway: 192.168.1.1
//   interface: en0
// A default route through a tunnel may print "gateway: -" or, as the built-in IPsec client's
// does, no gateway line at all: "interface: ipsec0" alone.
Route route(const QString &command)
{
    Route route;
    for (const QString &raw : TextParse::lines(shell(command).output)) {
        const QString line = TextParse::trimBlanks(raw);
        if (line.startsWith(QLatin1String("interface:"))) {
            route.iface = valueAfter(line, QStringLiteral("interface:"));
        } else if (line.startsWith(QLatin1String("gateway:"))) {
            const QString gateway = valueAfter(line, QStringLiteral("gateway:"));
            if (!gateway.isEmpty() && gateway != QLatin1String("-"))
                route.gateway = gateway;
        }
    }
    return route;
}

void readDefaultRoute(NetContext &ctx)
{
    const Route found = route(QStringLiteral("route -n get default 2>/dev/null"));
    ctx.iface = found.iface;
    ctx.gateway = found.gateway;
}

// A VPN that takes the default route without naming a gateway still rides on a link with a
// router. macOS keeps a default route scoped to every interface that has one ("default
// 192.168.1.1 UGScI en0" in "netstat -rn"), and "route -n get -ifscope en0 default" prints it
// in the form above, "interface: en0" included. The services are asked in the order the system
// tries them; an interface without such a route answers "not in table".
void readLinkUnderTunnel(NetContext &ctx)
{
    if (ctx.gateway || !isTunnelInterface(ctx.iface))
        return;
    ctx.vpnIface = ctx.iface;
    ctx.iface.clear();
    QStringList asked;
    for (const ServiceOrderEntry &entry : ctx.serviceOrder) {
        if (!entry.enabled || entry.device.isEmpty() || isTunnelInterface(entry.device) ||
            asked.contains(entry.device))
            continue;
        asked << entry.device;
        const Route scoped =
            route(QStringLiteral("route -n get -ifscope ") + shellWord(entry.device) +
                  QStringLiteral(" default 2>/dev/null"));
        // Only a route bound to the interface asked for says anything about it.
        if (scoped.iface == entry.device && scoped.gateway) {
            ctx.iface = scoped.iface;
            ctx.gateway = scoped.gateway;
            return;
        }
    }
}

QString ipv4Address(const QString &iface)
{
    // "ipconfig getifaddr" prints the address and a newline, or nothing when there is none.
    return shell(QStringLiteral("ipconfig getifaddr ") + shellWord(iface) +
                 QStringLiteral(" 2>/dev/null"))
        .output.trimmed();
}

void readAddress(NetContext &ctx)
{
    if (!ctx.iface.isEmpty()) {
        ctx.ip = ipv4Address(ctx.iface);
        return;
    }
    // Without a default route on a link the first wired or wireless port with an address
    // stands in.
    for (const char *candidate : {"en0", "en1", "en2", "en3"}) {
        const QString iface = QLatin1String(candidate);
        const QString ip = ipv4Address(iface);
        if (!ip.isEmpty()) {
            ctx.iface = iface;
            ctx.ip = ip;
            return;
        }
    }
    // A tunnel with no such port under it (PPPoE on a Mac, say) is all the routing table offers.
    if (!ctx.vpnIface.isEmpty()) {
        ctx.iface = ctx.vpnIface;
        ctx.ip = ipv4Address(ctx.iface);
    }
}

// The service the system uses for the interface: the first switched-on one bound to it. Its
// name, not its hardware port's, is what networksetup's setters take: with two adapters of
// one kind, the port name belongs to both and the first service is the idle adapter's.
QString serviceOf(const NetContext &ctx)
{
    if (ctx.iface.isEmpty())
        return {};
    for (const ServiceOrderEntry &entry : ctx.serviceOrder) {
        if (entry.enabled && entry.device == ctx.iface)
            return entry.name;
    }
    return {};
}

// Blocks of "Hardware Port: Wi-Fi" / "Device: en0" / "Ethernet Address: …".
void readWifiPort(NetContext &ctx)
{
    const QString output =
        shell(QStringLiteral("networksetup -listallhardwareports 2>/dev/null")).output;
    QString port;
    for (const QString &raw : TextParse::lines(output)) {
        const QString line = TextParse::trimBlanks(raw);
        if (line.startsWith(QLatin1String("Hardware Port:"))) {
            port = valueAfter(line, QStringLiteral("Hardware Port:"));
        } else if (line.startsWith(QLatin1String("Device:"))) {
            // Older systems call the wireless port "AirPort".
            if (port.contains(QLatin1String("Wi-Fi")) || port.contains(QLatin1String("AirPort")))
                ctx.wifiPort = valueAfter(line, QStringLiteral("Device:"));
        }
    }
}

void judgeProxyOf(NetContext &ctx, const QString &service, const ProxyState &state)
{
    ctx.proxyService = service;
    ctx.proxyHost = state.host;
    ctx.proxyPort = state.port;
    ctx.proxyServerKind = state.serverKind;
    ctx.proxyPacUrl = state.pacUrl;
    ctx.bypassDomains = state.bypass;
}

void readProxySettings(NetContext &ctx, const QList<NetworkService> &services)
{
    for (const NetworkService &service : services) {
        const ProxyState state = NetConfig::proxyState(service.name);
        if (!state.enabled)
            continue;
        // A switched-off service sends nothing through its proxy, whatever the proxy says.
        if (!service.enabled) {
            ctx.idleProxyServices << service.name;
            continue;
        }
        ctx.proxyEnabled = true;
        ctx.proxyServices << service.name;
        ctx.proxyKinds << state.kinds;
        // One service's settings are judged together: a host of one service paired with the
        // port of another is no proxy at all. The primary service carries the traffic, so
        // its proxy wins over one met earlier in the list.
        if (ctx.proxyService.isEmpty() || service.name == ctx.service)
            judgeProxyOf(ctx, service.name, state);
    }
    ctx.proxyKinds.removeDuplicates();
    ctx.proxyKinds.sort();
}

// "ps -Ao pid=,comm=" prints the pid and the executable's path as started:
//   1234 /Applications/ClashX.app/Contents/MacOS/ClashX
//   1240 /Applications/ClashX.app/Contents/MacOS/com.west2online.ClashX.ProxyConfigHelper
void readProxyClients(NetContext &ctx)
{
    const QString output = shell(QStringLiteral("ps -Ao pid=,comm= 2>/dev/null | ") +
                                 ProxyClients::familyFilter() + QStringLiteral(" 2>/dev/null"))
                               .output;
    // A set beside the list: a machine running thousands of matching processes must not
    // cost a scan of the list per line.
    QSet<QString> seen;
    for (const QString &line : TextParse::trimmedLines(output)) {
        const QStringList pieces = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (pieces.size() < 2)
            continue;
        if (ProxyClients::isHelper(line.section(QLatin1Char(' '), 1)))
            continue;
        // A path with blanks ("/Applications/Clash Verge.app/…") yields its first word only.
        const QString path = pieces.at(1);
        QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        // ClashX ships its engine as a separate "…Core" process.
        if (name.endsWith(QLatin1String("Core")))
            name = QStringLiteral("ClashX");
        if (!seen.contains(name)) {
            seen.insert(name);
            ctx.clashApps << name;
        }
    }
    ctx.clashRunning = !ctx.clashApps.isEmpty();
}

void readListeningPorts(NetContext &ctx)
{
    const QString output =
        shell(QStringLiteral("lsof -nP -iTCP -sTCP:LISTEN 2>/dev/null | awk '{print $9}' | grep -E "
                             "':[0-9]+$' | sed -E 's/.*:([0-9]+)$/\\1/' | sort -u | tr '\\n' ' '"))
            .output;
    ctx.clashPorts = output.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Any program can write the proxy host and port, so they enter the line as harmless words.
bool acceptsConnections(const QString &host, const QString &port)
{
    return shell(QStringLiteral("nc -z -G 2 ") + shellWord(host) + QLatin1Char(' ') +
                 shellWord(port) + QStringLiteral(" 2>/dev/null"))
               .succeeded();
}

void probeProxyTarget(NetContext &ctx)
{
    if (!ctx.proxyPort.isEmpty()) {
        const QString host = ctx.proxyHost.isEmpty() ? QStringLiteral("127.0.0.1") : ctx.proxyHost;
        ctx.proxyTargetAlive = acceptsConnections(host, ctx.proxyPort);
    }
    const ProxyEndpoint pac = pacEndpoint(ctx.proxyPacUrl);
    if (!pac.port.isEmpty())
        ctx.pacTargetAlive = acceptsConnections(pac.host, pac.port);
}

// Resolver by resolver: a VPN adds resolvers of its own, for its domains or scoped to its
// tunnel, and only the default one answers for every name.
void readDns(NetContext &ctx)
{
    ctx.dns = parseDnsConfiguration(shell(QStringLiteral("scutil --dns 2>/dev/null")).output);
    ctx.dnsServers = defaultServers(ctx.dns);
}

void readIPv6(NetContext &ctx)
{
    if (ctx.iface.isEmpty())
        return;
    // Link-local fe80:: addresses exist on every interface; only a global one counts.
    const QString output = shell(QStringLiteral("ifconfig ") + shellWord(ctx.iface) +
                                 QStringLiteral(" 2>/dev/null | awk '/inet6/ {print $2}' | "
                                                "grep -v '^fe80' | grep -E '^[23]' | head -1"))
                               .output;
    ctx.hasIPv6 = !output.trimmed().isEmpty();
}

// The addresses and routes tell a tunnel in use from one the system keeps for itself.
void readTunnels(NetContext &ctx)
{
    const QList<InterfaceAddresses> interfaces =
        parseInterfaces(shell(QStringLiteral("ifconfig -a 2>/dev/null")).output);
    const QStringList routed =
        routedInterfaces(shell(QStringLiteral("netstat -rn -f inet 2>/dev/null")).output);
    ctx.utunIfaces = tunnelsInUse(interfaces, routed).mid(0, 6);
}

// "* (Connected)      0F1E2D3C-… VPN (com.example.vpn) "Example VPN"   [VPN/com.example.vpn]"
void readVpnServices(NetContext &ctx)
{
    const QString output = shell(QStringLiteral("scutil --nc list 2>/dev/null | grep -E "
                                                "'\\(Connected\\)|\\(Disconnected\\)' | head -5"))
                               .output;
    ctx.vpnConfigured = TextParse::trimmedLines(output).mid(0, 5);
}

} // namespace

NetContext DiagnosticsRun::buildContext()
{
    // The steps run strictly in this order: each reads what the earlier ones found.
    NetContext ctx;
    const QList<NetworkService> services = NetConfig::services();
    for (const NetworkService &service : services)
        ctx.allServices << service.name;
    ctx.serviceOrder = NetConfig::serviceOrder();
    readDefaultRoute(ctx);
    readLinkUnderTunnel(ctx);
    readAddress(ctx);
    ctx.service = serviceOf(ctx);
    readWifiPort(ctx);
    if (ctx.service.isEmpty())
        ctx.service = ctx.allServices.isEmpty() ? QStringLiteral("Wi-Fi") : ctx.allServices.first();
    readProxySettings(ctx, services);
    readProxyClients(ctx);
    readListeningPorts(ctx);
    probeProxyTarget(ctx);
    readDns(ctx);
    readIPv6(ctx);
    readTunnels(ctx);
    readVpnServices(ctx);
    return ctx;
}

} // namespace brevik
