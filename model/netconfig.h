#pragma once

#include <QString>
#include <QStringList>

// The proxy settings of one network service.
struct ProxyState {
    bool enabled = false; // any of the four kinds is on
    QStringList kinds;    // labels of the kinds that are on, in kind order
    QString host;
    QString port;
    QStringList bypass;
};

// Reading and building the per-service proxy settings through networksetup.
namespace NetConfig {

// Names of all network services, switched-off ones included, in system order.
QStringList allServices();

// The proxy state of one service (five networksetup queries).
ProxyState proxyState(const QString &service);

// Commands that switch every proxy kind of the service off.
QStringList disableProxyCommands(const QString &service);

// Commands that point the service's proxies at host:port and write the default bypass list.
QStringList enableProxyCommands(const QString &service, const QString &host, const QString &port);

// True unless the bypass list holds both "127.0.0.1" and "localhost".
bool defaultBypassNeeded(const QStringList &bypass);

} // namespace NetConfig
