#pragma once

#include "model/repairop.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace brevik {

// The proxy settings of one network service.
struct ProxyState {
    bool enabled = false; // any of the four kinds is on
    QStringList kinds;    // labels of the kinds that are on, in kind order
    // Server of the first switched-on kind among HTTP, HTTPS and SOCKS: a kind that is off
    // still prints its old (or empty) server and port 0, which say nothing about the traffic.
    QString host;
    QString port;
    QString serverKind; // label of that kind; empty when none of the three is on
    QString pacUrl;     // the automatic proxy (PAC) URL while it is on; empty otherwise
    QStringList bypass;
};

// One entry of the service list; a switched-off service carries no traffic.
struct NetworkService {
    QString name;
    bool enabled = true;
};

// One entry of the service order: the service line "(2) USB 10/100/1000 LAN 2", then its
// "(Hardware Port: USB 10/100/1000 LAN, Device: en11)". A second adapter of one kind gets a
// service named "… 2" while its hardware port keeps the plain name.
struct ServiceOrderEntry {
    QString name;
    QString device;      // empty for a service bound to no interface
    bool enabled = true; // "(*) Thunderbolt Bridge" marks a switched-off service
};

// Reading and building the per-service proxy settings through networksetup.
namespace NetConfig {

// All network services, switched-off ones included and marked, in system order.
QList<NetworkService> services();

// The services in the order the system tries them, each with its device.
QList<ServiceOrderEntry> serviceOrder();

// Names of all network services, switched-off ones included, in system order.
QStringList allServices();

// The proxy state of one service (five networksetup queries).
ProxyState proxyState(const QString &service);

// Every proxy kind of the service switched off, the automatic proxy included.
QList<RepairOp> disableProxyOps(const QString &service);
// The same, as the command lines that run.
QStringList disableProxyCommands(const QString &service);

// The service's proxies pointed at host:port, and the default bypass list written.
QList<RepairOp> enableProxyOps(const QString &service, const QString &host, const QString &port);

// networksetup reports a failed call on standard output, where values go, and on recent
// systems with exit code 0: "Ethernet is not a recognized network service.",
// "** Error: The parameters were not valid.", "** Error: Unable to find item in network
// database.". True for such a line.
bool isToolError(const QString &line);

// True when any line of the output is one of those sentences: the call read nothing.
bool reportsError(const QString &output);

// True unless the bypass list holds both "127.0.0.1" and "localhost".
bool defaultBypassNeeded(const QStringList &bypass);

// The service's bypass list completed: the entries in `current` are kept in their order and
// the missing local defaults follow. The tool's own sentences ("There aren't any bypass
// domains set on Wi-Fi.") are not entries and are dropped.
RepairOp completeBypassOp(const QString &service, const QStringList &current);

} // namespace NetConfig

} // namespace brevik
