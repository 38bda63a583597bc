// scutil: --proxy (the primary service's proxies), --dns (the resolvers), --nc list (VPNs).

#include "sim/standin/network.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QJsonArray>
#include <QMap>

namespace brevik {

namespace {

int proxy(const Sim &sim)
{
    const QJsonObject svc = objectAt(sim.state(), {"services", Net::primaryService(sim.state())});
    const QJsonObject proxies = svc.value(QStringLiteral("proxies")).toObject();
    // scutil prints the dictionary's keys in sorted order; QMap keeps them so.
    QMap<QString, QString> keys;
    keys.insert(QStringLiteral("FTPPassive"), QStringLiteral("1"));
    const QList<QPair<QString, QString>> kinds{
        {"web", "HTTP"}, {"secureweb", "HTTPS"}, {"socks", "SOCKS"}};
    for (const auto &[key, prefix] : kinds) {
        const QJsonObject kind = proxies.value(key).toObject();
        keys.insert(prefix + QStringLiteral("Enable"),
                    kind.value(QStringLiteral("enabled")).toBool() ? "1" : "0");
        // A kind that was set once keeps its host and port after it is switched off.
        const QString server = kind.value(QStringLiteral("server")).toString();
        if (!server.isEmpty()) {
            keys.insert(prefix + QStringLiteral("Proxy"), server);
            keys.insert(prefix + QStringLiteral("Port"),
                        QString::number(kind.value(QStringLiteral("port")).toInt()));
        }
    }
    const QJsonObject pac = proxies.value(QStringLiteral("auto")).toObject();
    const QString url = pac.value(QStringLiteral("url")).toString();
    // Printed even when no PAC was ever set.
    keys.insert(QStringLiteral("ProxyAutoConfigEnable"),
                pac.value(QStringLiteral("enabled")).toBool() ? "1" : "0");
    if (!url.isEmpty())
        keys.insert(QStringLiteral("ProxyAutoConfigURLString"), url);
    QString text = QStringLiteral("<dictionary> {\n");
    const QStringList bypass = toStringList(svc.value(QStringLiteral("bypass")));
    if (!bypass.isEmpty()) {
        text += QStringLiteral("  ExceptionsList : <array> {\n");
        for (int i = 0; i < bypass.size(); ++i)
            text += QStringLiteral("    %1 : %2\n").arg(i).arg(bypass.at(i));
        text += QStringLiteral("  }\n");
    }
    for (auto it = keys.begin(); it != keys.end(); ++it)
        text += QStringLiteral("  %1 : %2\n").arg(it.key(), it.value());
    out(text + QStringLiteral("}\n"));
    return 0;
}

QString resolverBlock(int number, const QStringList &lines)
{
    QString text = QStringLiteral("resolver #%1\n").arg(number);
    for (const QString &line : lines)
        text += QStringLiteral("  ") + line + QLatin1Char('\n');
    return text;
}

QStringList nameserverLines(const QStringList &servers)
{
    QStringList lines;
    for (int i = 0; i < servers.size(); ++i)
        lines << QStringLiteral("nameserver[%1] : %2").arg(i).arg(servers.at(i));
    return lines;
}

QString ifIndex(const QJsonObject &state, const QString &device)
{
    return QStringLiteral("if_index : %1 (%2)")
        .arg(at(state, {"interfaces", device, "index"}).toInt())
        .arg(device);
}

QStringList mdnsResolver(const QString &domain, int order)
{
    return {QStringLiteral("domain   : ") + domain,
            QStringLiteral("options  : mdns"),
            QStringLiteral("timeout  : 5"),
            QStringLiteral("flags    : Request A records"),
            QStringLiteral("reach    : 0x00000000 (Not Reachable)"),
            QStringLiteral("order    : %1").arg(order)};
}

// The default resolver first (with no server at all when a VPN took every name and the link
// handed out none), then a VPN's domains, the multicast names, and the resolvers scoped to
// each interface that has servers.
int dns(const Sim &sim)
{
    const QJsonObject &state = sim.state();
    const QStringList servers = Net::dnsServers(state);
    const QString device = Net::lanInterface(state);
    const QString domain = state.value(QStringLiteral("searchDomain")).toString();
    const std::optional<Net::VpnDns> vpn = Net::vpnDns(state);
    const QString reachable =
        QStringLiteral("reach    : 0x00020002 (Reachable,Directly Reachable Address)");
    const QString tunnelReach =
        QStringLiteral("reach    : 0x00000003 (Reachable,Transient Connection)");

    QList<QStringList> resolvers;
    QStringList lan;
    if (!domain.isEmpty())
        lan << QStringLiteral("search domain[0] : ") + domain;
    lan << nameserverLines(servers);
    if (!servers.isEmpty()) {
        resolvers << (QStringList(lan)
                      << ifIndex(state, device) << QStringLiteral("flags    : Request A records")
                      << reachable);
    } else if (vpn) {
        resolvers << QStringList{QStringLiteral("flags    : Request A records"),
                                 QStringLiteral("reach    : 0x00000000 (Not Reachable)")};
    }
    if (vpn) {
        int order = 101400;
        for (const QString &vpnDomain : vpn->domains) {
            resolvers << (QStringList{QStringLiteral("domain   : ") + vpnDomain}
                          << nameserverLines(vpn->servers) << ifIndex(state, vpn->iface)
                          << QStringLiteral("flags    : Supplemental, Request A records")
                          << tunnelReach << QStringLiteral("order    : %1").arg(order++));
        }
    }
    resolvers << mdnsResolver(QStringLiteral("local"), 300000)
              << mdnsResolver(QStringLiteral("254.169.in-addr.arpa"), 300200);

    QList<QStringList> scoped;
    if (!servers.isEmpty())
        scoped << (QStringList(lan)
                   << ifIndex(state, device)
                   << QStringLiteral("flags    : Scoped, Request A records") << reachable);
    if (vpn && !vpn->servers.isEmpty())
        scoped << (nameserverLines(vpn->servers)
                   << ifIndex(state, vpn->iface)
                   << QStringLiteral("flags    : Scoped, Request A records") << tunnelReach);

    QStringList blocks;
    for (int i = 0; i < resolvers.size(); ++i)
        blocks << resolverBlock(i + 1, resolvers.at(i));
    QString text = QStringLiteral("DNS configuration\n\n") + blocks.join(QLatin1Char('\n'));
    if (!scoped.isEmpty()) {
        blocks.clear();
        for (int i = 0; i < scoped.size(); ++i)
            blocks << resolverBlock(i + 1, scoped.at(i));
        text += QStringLiteral("\nDNS configuration (for scoped queries)\n\n") +
                blocks.join(QLatin1Char('\n'));
    }
    out(text);
    return 0;
}

int vpnList(const Sim &sim)
{
    QString text =
        QStringLiteral("Available network connection services in the current set (*=enabled):\n");
    for (const auto &value : sim.state().value(QStringLiteral("vpns")).toArray()) {
        const QJsonObject vpn = value.toObject();
        const QString status =
            QLatin1Char('(') + vpn.value(QStringLiteral("status")).toString() + QLatin1Char(')');
        const QString name =
            QLatin1Char('"') + vpn.value(QStringLiteral("name")).toString() + QLatin1Char('"');
        text += QStringLiteral("* %1 %2 %3 %4 %5\n")
                    .arg(status.leftJustified(16), vpn.value(QStringLiteral("id")).toString(),
                         vpn.value(QStringLiteral("type")).toString().leftJustified(18),
                         name.leftJustified(32), vpn.value(QStringLiteral("kind")).toString());
    }
    out(text);
    return 0;
}

} // namespace

int scutilMain(Sim &sim, const QStringList &args)
{
    const QString option = args.value(0);
    if (option == QLatin1String("--proxy"))
        return proxy(sim);
    if (option == QLatin1String("--dns"))
        return dns(sim);
    if (option == QLatin1String("--nc") && args.value(1) == QLatin1String("list"))
        return vpnList(sim);
    if (option == QLatin1String("--get")) {
        const QString value = at(sim.state(), {"names", args.value(1)}).toString();
        if (value.isEmpty()) {
            out(args.value(1) + QStringLiteral(": not set\n"));
            return 1;
        }
        out(value + QLatin1Char('\n'));
        return 0;
    }
    err(QStringLiteral("scutil: option %1 is not simulated\n").arg(args.join(QLatin1Char(' '))));
    return 1;
}

} // namespace brevik
