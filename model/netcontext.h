#pragma once

#include "model/dnsconfig.h"
#include "model/netconfig.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace brevik {

// One snapshot of the machine's network configuration, taken once per scan so that
// every check judges the same moment. The empty snapshot is all defaults.
struct NetContext {
    // The interface on the local network, e.g. en0: the default route's, or, when a VPN holds
    // the default route without naming a gateway, the link underneath that has a router.
    QString iface;
    QString service; // its network service in the service order, e.g. "USB 10/100/1000 LAN 2"
    QString ip;      // its IPv4 address
    std::optional<QString> gateway;
    QString vpnIface; // the tunnel holding the default route without a gateway, e.g. ipsec0
    QList<ServiceOrderEntry> serviceOrder;
    QStringList allServices; // every network service, in system order
    // The proxy is judged on the switched-on services only: a switched-off one carries no
    // traffic. Host, port, PAC and bypass list are those of one service, `proxyService`.
    bool proxyEnabled = false;
    QString proxyHost;
    QString proxyPort;       // ports stay text
    QString proxyServerKind; // "HTTP", "HTTPS" or "SOCKS": whose host and port these are
    QString proxyPacUrl;     // automatic proxy (PAC) URL while it is on
    QString proxyService;    // the service judged: the primary one when its proxy is on
    QStringList proxyKinds;
    QStringList proxyServices;
    QStringList idleProxyServices; // switched-off services that still have a proxy on
    QStringList bypassDomains;
    bool clashRunning = false; // a local proxy client of any family runs
    QStringList clashApps;
    QStringList clashPorts; // every listening TCP port of the machine
    bool proxyTargetAlive = false;
    bool pacTargetAlive = false; // the PAC URL's host accepted a connection
    DnsConfiguration dns;        // every resolver of "scutil --dns"
    QStringList dnsServers;      // the default resolver's servers: the ones every name goes to
    QString wifiPort;
    bool hasIPv6 = false;
    QStringList utunIfaces; // tunnels in use or left behind; the system's own are not among them
    QStringList vpnConfigured;
};

// Tunnel interfaces as macOS names them: utun (network extensions: WireGuard, IKEv2 and most
// VPN apps), ipsec (the built-in IPsec client) and ppp (L2TP, PPTP and PPPoE).
bool isTunnelInterface(const QString &name);

} // namespace brevik
