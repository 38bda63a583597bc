#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

class Sim;

// The simulated Mac's network as the tools see it: which interface carries the default
// route, what DNS answers, what a remote host does with a packet or a connection.
namespace Net {

bool isIPv4(const QString &text);
bool isIPv6(const QString &text);
bool isLoopback(const QString &address);

// An interface is in use when it is up and its link is active (for the Wi-Fi device, also
// when the radio is on).
bool interfaceActive(const QJsonObject &state, const QString &name);

// utun (network extensions), ipsec (the built-in IPsec client), ppp (L2TP, PPTP, PPPoE).
bool isTunnel(const QString &name);

// The interface of the default route, if that route is in force.
QString routeInterface(const QJsonObject &state);
QString gateway(const QJsonObject &state);
bool linkUp(const QJsonObject &state);

// The router an active interface with an address learned ("router", else the default
// route's gateway when the route leaves through it): what its scoped default route names.
QString router(const QJsonObject &state, const QString &name);

// The interface on the local network: the default route's, or, when that route goes through
// a tunnel, the first interface in service order that has a router (the one carrying the
// tunnel).
QString lanInterface(const QJsonObject &state);

// Beyond the local network: "ok", "down" (nothing passes the router) or "portal" (a
// captive portal answers every web request and drops everything else).
QString uplink(const QJsonObject &state);

// The service whose device is on the local network (lanInterface); else the first enabled one.
QString primaryService(const QJsonObject &state);

// DNS servers in force: the primary service's own, else those the network handed out.
QStringList dnsServers(const QJsonObject &state);
// A connected VPN's resolver ("vpnDns": interface, servers, domains), while its tunnel is up.
// With domains it answers for those alone (split DNS); without, for every name.
struct VpnDns {
    QString iface;
    QStringList servers;
    QStringList domains;
};
std::optional<VpnDns> vpnDns(const QJsonObject &state);

// Names resolve when the uplink is not down and one of the servers in force is a host the
// scenario knows with port 53 open (a VPN's resolver for every name counts too); a server
// typed in for another network answers nothing.
bool dnsWorks(const QJsonObject &state);

// The scenario's entry for a host name or address ("remote"), matched without regard to
// letter case; for an address, also the site whose "addresses" hold it.
QJsonObject remote(const QJsonObject &state, const QString &host);
QString siteOfAddress(const QJsonObject &state, const QString &address);

struct Addresses {
    QStringList v4;
    QStringList v6;
    bool fromHostsFile = false;
};

// What DNS answers for a name (no hosts file), empty when it knows none.
Addresses dnsAnswer(const QJsonObject &state, const QString &host);

// The system resolver: an address stays itself; a name is looked up in the hosts file,
// then in DNS when DNS works.
Addresses resolve(const Sim &sim, const QString &host);

// The primary interface's global IPv6 address, if any.
bool hasGlobalIPv6(const QJsonObject &state);

// A local listener on host:port (host a loopback or own address, or "*").
std::optional<QJsonObject> listener(const QJsonObject &state, const QString &host, int port);
bool isOwnAddress(const QJsonObject &state, const QString &address);

enum class Connect { Open, Refused, Timeout, Unreachable, Portal };

struct Connection {
    Connect result = Connect::Timeout;
    double delay = 0; // seconds until the answer (or, for Timeout, never)
    QString site;     // the remote entry that answered
};

// A TCP connection from the Mac straight to address:port.
Connection connect(const QJsonObject &state, const QString &address, int port);

} // namespace Net

} // namespace brevik
