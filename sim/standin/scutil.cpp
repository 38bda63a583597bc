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

int dns(const Sim &sim)
{
    const QJsonObject &state = sim.state();
    const QStringList servers = Net::dnsServers(state);
    const QString device = Net::lanInterface(state);
    const int index = at(state, {"interfaces", device, "index"}).toInt();
    const QString domain = state.value(QStringLiteral("searchDomain")).toString();
    QString text = QStringLiteral("DNS configuration\n\n");
    int resolver = 0;
    QString scoped;
    if (!servers.isEmpty()) {
        text += QStringLiteral("resolver #%1\n").arg(++resolver);
        if (!domain.isEmpty())
            text += QStringLiteral("  search domain[0] : %1\n").arg(domain);
        for (int i = 0; i < servers.size(); ++i) {
            text += QStringLiteral("  nameserver[%1] : %2\n").arg(i).arg(servers.at(i));
            scoped += QStringLiteral("  nameserver[%1] : %2\n").arg(i).arg(servers.at(i));
        }
        text += QStringLiteral("  if_index : %1 (%2)\n"
                               "  flags    : Request A records\n"
                               "  reach    : 0x00020002 (Reachable,Directly Reachable Address)\n\n")
                    .arg(index)
                    .arg(device);
    }
    text += QStringLiteral("resolver #%1\n"
                           "  domain   : local\n"
                           "  options  : mdns\n"
                           "  timeout  : 5\n"
                           "  flags    : Request A records\n"
                           "  reach    : 0x00000000 (Not Reachable)\n"
                           "  order    : 300000\n\n")
                .arg(++resolver);
    text += QStringLiteral("resolver #%1\n"
                           "  domain   : 254.169.in-addr.arpa\n"
                           "  options  : mdns\n"
                           "  timeout  : 5\n"
                           "  flags    : Request A records\n"
                           "  reach    : 0x00000000 (Not Reachable)\n"
                           "  order    : 300200\n")
                .arg(++resolver);
    if (!servers.isEmpty()) {
        text += QStringLiteral("\nDNS configuration (for scoped queries)\n\nresolver #1\n");
        if (!domain.isEmpty())
            text += QStringLiteral("  search domain[0] : %1\n").arg(domain);
        text += scoped +
                QStringLiteral("  if_index : %1 (%2)\n"
                               "  flags    : Scoped, Request A records\n"
                               "  reach    : 0x00020002 (Reachable,Directly Reachable Address)\n")
                    .arg(index)
                    .arg(device);
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
