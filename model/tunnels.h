#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace brevik {

// One interface block of "ifconfig -a".
struct InterfaceAddresses {
    QString name;
    QStringList ipv4;
    QStringList ipv6; // link-local (fe80::…%utun0) ones left out
};

// Reads "ifconfig -a": a block per interface, its first line "utun0: flags=…", the others
// indented ("\tinet6 fe80::…%utun0 prefixlen 64 scopeid 0x13").
QList<InterfaceAddresses> parseInterfaces(const QString &output);

// The interfaces that IPv4 routes of "netstat -rn -f inet" leave through (its Netif column).
QStringList routedInterfaces(const QString &output);

// The tunnel interfaces a VPN is using or left behind: those with an IPv4 address, an IPv6
// address that is not link-local, or a route through them. macOS keeps tunnels of its own
// (utun0 to utun3 on every Apple-silicon Mac, for iCloud and Continuity) with a link-local
// address alone and no route; they are not counted. In "ifconfig -a" order, then the routed
// ones ifconfig did not list.
QStringList tunnelsInUse(const QList<InterfaceAddresses> &interfaces, const QStringList &routed);

} // namespace brevik
