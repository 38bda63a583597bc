#include "model/tunnels.h"

#include "model/netcontext.h"

#include <QRegularExpression>

namespace brevik {

namespace {

QStringList words(const QString &line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return line.split(blanks, Qt::SkipEmptyParts);
}

} // namespace

QList<InterfaceAddresses> parseInterfaces(const QString &output)
{
    // "utun3: flags=8051<UP,POINTOPOINT,RUNNING,MULTICAST> mtu 1380"
    static const QRegularExpression header(QStringLiteral("^([A-Za-z0-9]+): flags="));
    QList<InterfaceAddresses> list;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = header.match(line);
        if (match.hasMatch()) {
            list << InterfaceAddresses{match.captured(1), {}, {}};
            continue;
        }
        if (list.isEmpty())
            continue;
        // "inet 10.8.0.6 --> 10.8.0.5 netmask 0xffffffff", "inet6 fd7a:ab:cd::ef:12 prefixlen 48"
        const QStringList parts = words(line);
        if (parts.size() < 2)
            continue;
        if (parts.first() == QLatin1String("inet")) {
            list.last().ipv4 << parts.at(1);
        } else if (parts.first() == QLatin1String("inet6") &&
                   !parts.at(1).startsWith(QLatin1String("fe80"), Qt::CaseInsensitive)) {
            list.last().ipv6 << parts.at(1);
        }
    }
    return list;
}

QStringList routedInterfaces(const QString &output)
{
    // "Destination  Gateway  Flags  Netif Expire"; systems before 10.15 add "Refs" and "Use"
    // before "Netif". The expiry column may be empty, so the column is counted from the left.
    // The IPv6 table is passed over: there every tunnel of the system has a link-local default
    // route ("default  fe80::%utun0  UGcIg  utun0").
    qsizetype column = -1;
    bool ipv4 = true;
    QStringList routed;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QStringList parts = words(line);
        if (line.startsWith(QLatin1String("Internet"))) {
            ipv4 = line.startsWith(QLatin1String("Internet:"));
            column = -1;
            continue;
        }
        if (!ipv4)
            continue;
        if (parts.value(0) == QLatin1String("Destination")) {
            column = parts.indexOf(QStringLiteral("Netif"));
            continue;
        }
        if (column < 0 || parts.size() <= column)
            continue;
        const QString iface = parts.at(column);
        if (!routed.contains(iface))
            routed << iface;
    }
    return routed;
}

QStringList tunnelsInUse(const QList<InterfaceAddresses> &interfaces, const QStringList &routed)
{
    QStringList tunnels;
    for (const InterfaceAddresses &iface : interfaces) {
        if (!isTunnelInterface(iface.name) || tunnels.contains(iface.name))
            continue;
        if (!iface.ipv4.isEmpty() || !iface.ipv6.isEmpty() || routed.contains(iface.name))
            tunnels << iface.name;
    }
    // A route says the tunnel is there even when ifconfig did not answer.
    for (const QString &name : routed) {
        if (isTunnelInterface(name) && !tunnels.contains(name))
            tunnels << name;
    }
    return tunnels;
}

} // namespace brevik
