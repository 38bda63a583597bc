// route, netstat, ipconfig, ifconfig and arp: the interfaces, their addresses and their routes.

#include "sim/standin/network.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QJsonArray>
#include <algorithm>

namespace brevik {

namespace {

QJsonObject interfaces(const Sim &sim)
{
    return sim.state().value(QStringLiteral("interfaces")).toObject();
}

QStringList interfaceNames(const Sim &sim)
{
    const QJsonObject all = interfaces(sim);
    QStringList names = all.keys();
    std::stable_sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        return all.value(a).toObject().value(QStringLiteral("index")).toInt() <
               all.value(b).toObject().value(QStringLiteral("index")).toInt();
    });
    return names;
}

// Changing an interface needs root on a Mac.
bool rootOnly(const Sim &sim, const QString &tool, const QString &what)
{
    if (sim.admin())
        return true;
    err(QStringLiteral("%1: %2: Operation not permitted\n").arg(tool, what));
    return false;
}

bool ipv6Off(const Sim &sim, const QString &device)
{
    const QJsonObject services = sim.state().value(QStringLiteral("services")).toObject();
    for (auto it = services.begin(); it != services.end(); ++it) {
        const QJsonObject svc = it.value().toObject();
        if (svc.value(QStringLiteral("device")).toString() == device)
            return svc.value(QStringLiteral("ipv6")).toString() == QLatin1String("off");
    }
    return false;
}

QString interfaceBlock(const Sim &sim, const QString &name)
{
    const QJsonObject iface = interfaces(sim).value(name).toObject();
    const QString kind = iface.value(QStringLiteral("kind")).toString(QStringLiteral("ethernet"));
    const bool active = Net::interfaceActive(sim.state(), name);
    const bool up = iface.value(QStringLiteral("up")).toBool(true);
    QString flags = iface.value(QStringLiteral("flags")).toString();
    if (flags.isEmpty()) {
        if (kind == QLatin1String("loopback"))
            flags = QStringLiteral("8049<UP,LOOPBACK,RUNNING,MULTICAST>");
        else if (kind == QLatin1String("tunnel"))
            flags = QStringLiteral("8051<UP,POINTOPOINT,RUNNING,MULTICAST>");
        else
            flags = up ? QStringLiteral("8863<UP,BROADCAST,SMART,RUNNING,SIMPLEX,MULTICAST>")
                       : QStringLiteral("8822<BROADCAST,SMART,SIMPLEX,MULTICAST>");
    }
    const int mtu = iface.value(QStringLiteral("mtu")).toInt(1500);
    QString text = QStringLiteral("%1: flags=%2 mtu %3\n").arg(name, flags).arg(mtu);
    if (kind == QLatin1String("ethernet"))
        text +=
            QStringLiteral("\toptions=6460<TSO4,TSO6,CHANNEL_IO,PARTIAL_CSUM,ZEROINVERT_CSUM>\n");
    const QString ether = iface.value(QStringLiteral("ether")).toString();
    if (!ether.isEmpty())
        text += QStringLiteral("\tether %1\n").arg(ether);
    const bool showAddresses =
        active || kind == QLatin1String("loopback") || kind == QLatin1String("tunnel");
    if (showAddresses) {
        const QString scope = QString::number(iface.value(QStringLiteral("index")).toInt(), 16);
        if (!ipv6Off(sim, name)) {
            for (const QString &address : toStringList(iface.value(QStringLiteral("inet6")))) {
                if (address.startsWith(QLatin1String("fe80")))
                    text += QStringLiteral("\tinet6 %1 prefixlen 64 secured scopeid 0x%2\n")
                                .arg(address, scope);
                else if (address == QLatin1String("::1"))
                    text += QStringLiteral("\tinet6 ::1 prefixlen 128\n");
                else
                    text +=
                        QStringLiteral("\tinet6 %1 prefixlen 64 autoconf secured\n").arg(address);
            }
        }
        const QString inet = iface.value(QStringLiteral("inet")).toString();
        if (!inet.isEmpty()) {
            // A point-to-point link names its far end: "inet 10.8.0.6 --> 10.8.0.5 netmask …".
            const QString peer = iface.value(QStringLiteral("destination")).toString();
            text += QStringLiteral("\tinet %1%2 netmask %3")
                        .arg(inet, peer.isEmpty() ? QString() : QStringLiteral(" --> ") + peer,
                             iface.value(QStringLiteral("netmask"))
                                 .toString(QStringLiteral("0xffffff00")));
            const QString broadcast = iface.value(QStringLiteral("broadcast")).toString();
            text += broadcast.isEmpty() ? QStringLiteral("\n")
                                        : QStringLiteral(" broadcast %1\n").arg(broadcast);
        }
    }
    text += QStringLiteral("\tnd6 options=201<PERFORMNUD,DAD>\n");
    if (kind == QLatin1String("ethernet")) {
        text += QStringLiteral("\tmedia: autoselect\n\tstatus: %1\n")
                    .arg(active ? "active" : "inactive");
    }
    return text;
}

int setInterface(Sim &sim, const QString &name, const QStringList &args)
{
    const QString what = args.value(0);
    if (what == QLatin1String("down") || what == QLatin1String("up")) {
        if (!rootOnly(sim, QStringLiteral("ifconfig"), QStringLiteral("ioctl (SIOCSIFFLAGS)")))
            return 1;
        return sim.update([&](QJsonObject &state) {
            setAt(state, {"interfaces", name, "up"}, what == QLatin1String("up"));
            return true;
        })
                   ? 0
                   : 1;
    }
    if (what == QLatin1String("mtu")) {
        bool ok = false;
        const int mtu = args.value(1).toInt(&ok);
        if (!ok || mtu < 576 || mtu > 9000) {
            err(QStringLiteral("ifconfig: ioctl (set mtu): Invalid argument\n"));
            return 1;
        }
        if (!rootOnly(sim, QStringLiteral("ifconfig"), QStringLiteral("ioctl (set mtu)")))
            return 1;
        return sim.update([&](QJsonObject &state) {
            setAt(state, {"interfaces", name, "mtu"}, mtu);
            return true;
        })
                   ? 0
                   : 1;
    }
    err(QStringLiteral("ifconfig: %1: not simulated\n").arg(args.join(QLatin1Char(' '))));
    return 1;
}

} // namespace

// "route -n get default", or "route -n get -ifscope en0 default": macOS keeps a default route
// per interface that has a router (flagged I, IFSCOPE, in "netstat -rn"), and the scoped
// lookup finds it even while a tunnel holds the unscoped default.
int routeMain(Sim &sim, const QStringList &args)
{
    QStringList words = args;
    words.removeAll(QStringLiteral("-n"));
    QString scope;
    const qsizetype ifscope = words.indexOf(QStringLiteral("-ifscope"));
    if (ifscope >= 0) {
        scope = words.value(ifscope + 1);
        words.remove(ifscope, std::min<qsizetype>(2, words.size() - ifscope));
    }
    if (words != QStringList{QStringLiteral("get"), QStringLiteral("default")} ||
        (ifscope >= 0 && scope.isEmpty())) {
        err(QStringLiteral("route: %1: not simulated\n").arg(args.join(QLatin1Char(' '))));
        return 1;
    }
    const QJsonObject &state = sim.state();
    const QString device = scope.isEmpty() ? Net::routeInterface(state) : scope;
    const QString gateway = scope.isEmpty() ? Net::gateway(state) : Net::router(state, scope);
    if (device.isEmpty() || (!scope.isEmpty() && gateway.isEmpty())) {
        err(QStringLiteral("route: writing to routing socket: not in table\n"));
        return 1;
    }
    QString text =
        QStringLiteral("   route to: default\ndestination: default\n       mask: default\n");
    // A default route through a tunnel names no gateway: "interface: ipsec0" alone.
    if (!gateway.isEmpty())
        text += QStringLiteral("    gateway: %1\n").arg(gateway);
    text += QStringLiteral("  interface: %1\n").arg(device);
    QStringList flags{QStringLiteral("UP")};
    if (!gateway.isEmpty())
        flags << QStringLiteral("GATEWAY");
    flags << QStringLiteral("DONE") << QStringLiteral("STATIC") << QStringLiteral("PRCLONING");
    flags << (scope.isEmpty() ? QStringLiteral("GLOBAL") : QStringLiteral("IFSCOPE"));
    text += QStringLiteral("      flags: <%1>\n").arg(flags.join(QLatin1Char(',')));
    text += QStringLiteral(
        " recvpipe  sendpipe  ssthresh  rtt,msec    rttvar  hopcount      mtu     expire\n");
    text +=
        QStringLiteral("       0         0         0         0         0         0 %1         0\n")
            .arg(at(state, {"interfaces", device, "mtu"}).toInt(1500), 9);
    out(text);
    return 0;
}

// "netstat -rn -f inet": the IPv4 routing table, its interface in the Netif column.
int netstatMain(Sim &sim, const QStringList &args)
{
    QStringList words = args;
    words.removeAll(QStringLiteral("-rn"));
    words.removeAll(QStringLiteral("-nr"));
    if (!args.contains(QStringLiteral("-rn")) && !args.contains(QStringLiteral("-nr"))) {
        err(QStringLiteral("netstat: %1: not simulated\n").arg(args.join(QLatin1Char(' '))));
        return 1;
    }
    if (!words.isEmpty() && words != QStringList{QStringLiteral("-f"), QStringLiteral("inet")}) {
        err(QStringLiteral("netstat: %1: not simulated\n").arg(args.join(QLatin1Char(' '))));
        return 1;
    }
    const QJsonObject &state = sim.state();
    const auto row = [](const QString &destination, const QString &gateway, const QString &flags,
                        const QString &netif, const QString &expire = {}) {
        return QStringLiteral("%1 %2 %3 %4 %5\n")
            .arg(destination, -18)
            .arg(gateway, -18)
            .arg(flags, -19)
            .arg(netif, 5)
            .arg(expire, 6);
    };
    const auto link = [&](const QString &name) {
        return QStringLiteral("link#%1").arg(at(state, {"interfaces", name, "index"}).toInt());
    };
    QString text = QStringLiteral("Routing tables\n\nInternet:\n") +
                   row(QStringLiteral("Destination"), QStringLiteral("Gateway"),
                       QStringLiteral("Flags"), QStringLiteral("Netif"), QStringLiteral("Expire"));
    const QString routeDevice = Net::routeInterface(state);
    if (!routeDevice.isEmpty()) {
        const QString gateway = Net::gateway(state);
        text += gateway.isEmpty()
                    ? row(QStringLiteral("default"), link(routeDevice), QStringLiteral("UCSg"),
                          routeDevice)
                    : row(QStringLiteral("default"), gateway, QStringLiteral("UGScg"), routeDevice);
    }
    for (const QString &name : interfaceNames(sim)) {
        // Every interface with a router keeps a default route of its own, scoped to it.
        const QString router = Net::router(state, name);
        if (!router.isEmpty() && name != routeDevice)
            text += row(QStringLiteral("default"), router, QStringLiteral("UGScIg"), name);
    }
    text += row(QStringLiteral("127"), QStringLiteral("127.0.0.1"), QStringLiteral("UCS"),
                QStringLiteral("lo0"));
    text += row(QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1"), QStringLiteral("UH"),
                QStringLiteral("lo0"));
    for (const QString &name : interfaceNames(sim)) {
        const QJsonObject iface = interfaces(sim).value(name).toObject();
        const QString inet = iface.value(QStringLiteral("inet")).toString();
        if (inet.isEmpty() || name == QLatin1String("lo0") || !Net::interfaceActive(state, name))
            continue;
        // A point-to-point link routes its far end; a LAN its own address.
        if (Net::isTunnel(name))
            text += row(iface.value(QStringLiteral("destination")).toString(inet), inet,
                        QStringLiteral("UH"), name);
        else
            text += row(inet + QStringLiteral("/32"), link(name), QStringLiteral("UCS"), name,
                        QStringLiteral("!"));
    }
    out(text);
    return 0;
}

int ipconfigMain(Sim &sim, const QStringList &args)
{
    const QString verb = args.value(0);
    const QString name = args.value(1);
    if (verb == QLatin1String("getifaddr")) {
        // Nothing at all, exit 1, when the interface has no IPv4 address.
        const QString inet = at(sim.state(), {"interfaces", name, "inet"}).toString();
        if (!Net::interfaceActive(sim.state(), name) || inet.isEmpty())
            return 1;
        out(inet + QLatin1Char('\n'));
        return 0;
    }
    if (verb == QLatin1String("set") && args.size() >= 3) {
        if (!interfaces(sim).contains(name)) {
            err(QStringLiteral("ipconfig: set %1: no such interface\n").arg(name));
            return 1;
        }
        if (!rootOnly(sim, QStringLiteral("ipconfig"), QStringLiteral("set")))
            return 1;
        // A lease the scenario offers ("dhcpLease") is taken on renewal; without one the
        // interface keeps what it had (a self-assigned address stays self-assigned).
        const QJsonObject lease = objectAt(sim.state(), {"dhcpLease", name});
        if (args.value(2).compare(QLatin1String("DHCP"), Qt::CaseInsensitive) == 0 &&
            !lease.isEmpty()) {
            return sim.update([&](QJsonObject &state) {
                for (const QString &key : {QStringLiteral("inet"), QStringLiteral("netmask"),
                                           QStringLiteral("broadcast")}) {
                    if (lease.contains(key))
                        setAt(state, {"interfaces", name, key}, lease.value(key));
                }
                // The lease's router becomes the interface's own; the default route follows
                // it unless a tunnel holds that route.
                if (lease.contains(QStringLiteral("gateway"))) {
                    setAt(state, {"interfaces", name, "router"},
                          lease.value(QStringLiteral("gateway")));
                    if (!Net::isTunnel(Net::routeInterface(state)))
                        state.insert(
                            QStringLiteral("route"),
                            QJsonObject{{"gateway", lease.value(QStringLiteral("gateway"))},
                                        {"interface", name}});
                }
                return true;
            })
                       ? 0
                       : 1;
        }
        return 0;
    }
    err(QStringLiteral("ipconfig: %1: not simulated\n").arg(args.join(QLatin1Char(' '))));
    return 1;
}

int ifconfigMain(Sim &sim, const QStringList &args)
{
    if (args.value(0) == QLatin1String("-l")) {
        out(interfaceNames(sim).join(QLatin1Char(' ')) + QLatin1Char('\n'));
        return 0;
    }
    if (args.isEmpty() || args.value(0) == QLatin1String("-a")) {
        QString text;
        for (const QString &name : interfaceNames(sim))
            text += interfaceBlock(sim, name);
        out(text);
        return 0;
    }
    const QString name = args.first();
    if (!interfaces(sim).contains(name)) {
        err(QStringLiteral("ifconfig: interface %1 does not exist\n").arg(name));
        return 1;
    }
    if (args.size() > 1)
        return setInterface(sim, name, args.mid(1));
    out(interfaceBlock(sim, name));
    return 0;
}

int arpMain(Sim &sim, const QStringList &args)
{
    QStringList words = args;
    words.removeAll(QStringLiteral("-n"));
    const QString address = words.value(0);
    if (address.isEmpty() || address.startsWith(QLatin1Char('-'))) {
        err(QStringLiteral("usage: arp [-n] [-i interface] hostname\n"));
        return 1;
    }
    const QJsonObject &state = sim.state();
    const QJsonObject entry = Net::remote(state, address);
    // Neighbours live on the local link, never on a tunnel.
    const QString device = Net::lanInterface(state);
    if (device.isEmpty() || !entry.value(QStringLiteral("lan")).toBool()) {
        out(QStringLiteral("%1 (%1) -- no entry\n").arg(address));
        return 1;
    }
    const QString mac = entry.value(QStringLiteral("arp")).toString(QStringLiteral("(incomplete)"));
    out(QStringLiteral("? (%1) at %2 on %3 ifscope [ethernet]\n").arg(address, mac, device));
    return 0;
}

} // namespace brevik
