#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace brevik {

// One resolver of "scutil --dns".
struct DnsResolver {
    QStringList nameservers;
    QString domain; // "domain : corp.example": asked only for names in that domain
    QStringList searchDomains;
    QString iface;       // "if_index : 13 (utun0)": the interface its servers are reached through
    QStringList flags;   // "Scoped", "Supplemental", "Request A records", …
    bool mdns = false;   // "options : mdns": the local multicast names, no server
    bool scoped = false; // listed under "DNS configuration (for scoped queries)"
};

// How macOS resolves names: the resolvers in the order scutil lists them, the scoped ones
// (each bound to one interface, for queries that ask for it) after them.
struct DnsConfiguration {
    QList<DnsResolver> resolvers;
};

// Reads the text of "scutil --dns".
DnsConfiguration parseDnsConfiguration(const QString &output);

// The resolver every name goes to unless another claims it: the first unscoped one without a
// domain. A VPN's resolver that asks to see every name first ("Supplemental" without a domain)
// is passed over for the one that stays when the VPN goes; only when there is no such one is
// it taken. Null when there is none at all.
const DnsResolver *defaultResolver(const DnsConfiguration &config);

// The servers of the default resolver, without repeats.
QStringList defaultServers(const DnsConfiguration &config);

// Resolvers other than the default that have servers of their own: the split domains and the
// VPNs that see every name first. Scoped resolvers are not among them.
QList<DnsResolver> supplementalResolvers(const DnsConfiguration &config);

// The tunnel interfaces whose resolvers hold servers, when no resolver outside a tunnel does:
// the names resolve through the VPN alone and stop when it drops. Empty otherwise.
QStringList vpnOnlyDnsInterfaces(const DnsConfiguration &config);

// The servers of the resolvers bound to `iface`, without repeats.
QStringList serversOn(const DnsConfiguration &config, const QString &iface);

} // namespace brevik
