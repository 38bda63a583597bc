#include "model/dnsconfig.h"

#include "model/netcontext.h"

#include <QRegularExpression>

namespace brevik {

namespace {

// "  nameserver[0] : 192.168.1.1", "  domain   : local", "  if_index : 6 (en0)". Values may hold
// colons themselves (IPv6 servers), keys never do.
const QRegularExpression &keyValue()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([A-Za-z_ ]*[A-Za-z_])(?:\\[\\d+\\])?\\s*:\\s*(.*?)\\s*$"));
    return pattern;
}

void take(DnsResolver &resolver, const QString &key, const QString &value)
{
    if (key == QLatin1String("nameserver")) {
        resolver.nameservers << value;
    } else if (key == QLatin1String("domain")) {
        resolver.domain = value;
    } else if (key == QLatin1String("search domain")) {
        resolver.searchDomains << value;
    } else if (key == QLatin1String("if_index")) {
        // "13 (utun0)"
        const qsizetype open = value.indexOf(QLatin1Char('('));
        const qsizetype close = value.lastIndexOf(QLatin1Char(')'));
        if (open >= 0 && close > open)
            resolver.iface = value.mid(open + 1, close - open - 1).trimmed();
    } else if (key == QLatin1String("flags")) {
        for (const QString &flag : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            resolver.flags << flag.trimmed();
    } else if (key == QLatin1String("options")) {
        resolver.mdns =
            resolver.mdns || value.split(QLatin1Char(' ')).contains(QStringLiteral("mdns"));
    }
}

bool unscopedDefault(const DnsResolver &resolver)
{
    return !resolver.scoped && resolver.domain.isEmpty() && !resolver.mdns &&
           !resolver.flags.contains(QStringLiteral("Scoped"));
}

} // namespace

DnsConfiguration parseDnsConfiguration(const QString &output)
{
    DnsConfiguration config;
    bool scopedSection = false;
    DnsResolver *current = nullptr;
    for (const QString &raw : output.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("DNS configuration"))) {
            scopedSection = line.contains(QLatin1String("scoped"));
            current = nullptr;
        } else if (line.startsWith(QLatin1String("resolver #"))) {
            config.resolvers << DnsResolver{};
            current = &config.resolvers.last();
            current->scoped = scopedSection;
        } else if (current) {
            // Older systems print the reachability alone on a line: "Not Reachable".
            const QRegularExpressionMatch match = keyValue().match(line);
            if (match.hasMatch())
                take(*current, match.captured(1).trimmed(), match.captured(2));
        }
    }
    return config;
}

const DnsResolver *defaultResolver(const DnsConfiguration &config)
{
    const DnsResolver *fallback = nullptr;
    for (const DnsResolver &resolver : config.resolvers) {
        if (!unscopedDefault(resolver))
            continue;
        if (!resolver.flags.contains(QStringLiteral("Supplemental")))
            return &resolver;
        if (!fallback)
            fallback = &resolver;
    }
    return fallback;
}

QStringList defaultServers(const DnsConfiguration &config)
{
    QStringList servers;
    if (const DnsResolver *resolver = defaultResolver(config))
        servers = resolver->nameservers;
    servers.removeDuplicates();
    return servers;
}

QList<DnsResolver> supplementalResolvers(const DnsConfiguration &config)
{
    const DnsResolver *chosen = defaultResolver(config);
    QList<DnsResolver> list;
    for (const DnsResolver &resolver : config.resolvers) {
        if (&resolver == chosen || resolver.scoped || resolver.mdns ||
            resolver.nameservers.isEmpty() || resolver.flags.contains(QStringLiteral("Scoped")))
            continue;
        list << resolver;
    }
    return list;
}

QStringList vpnOnlyDnsInterfaces(const DnsConfiguration &config)
{
    if (!defaultServers(config).isEmpty())
        return {};
    QStringList tunnels;
    for (const DnsResolver &resolver : config.resolvers) {
        if (resolver.nameservers.isEmpty() || resolver.mdns)
            continue;
        // A server outside any tunnel keeps answering when the VPN drops.
        if (!isTunnelInterface(resolver.iface))
            return {};
        if (!tunnels.contains(resolver.iface))
            tunnels << resolver.iface;
    }
    return tunnels;
}

QStringList serversOn(const DnsConfiguration &config, const QString &iface)
{
    QStringList servers;
    for (const DnsResolver &resolver : config.resolvers) {
        if (resolver.iface == iface)
            servers << resolver.nameservers;
    }
    servers.removeDuplicates();
    return servers;
}

} // namespace brevik
