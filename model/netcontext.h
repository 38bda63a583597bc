#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One snapshot of the machine's network configuration, taken once per scan so that
// every check judges the same moment. The empty snapshot is all defaults.
struct NetContext {
    QString iface;   // primary interface, e.g. en0
    QString service; // its network service, e.g. Wi-Fi
    QString ip;      // its IPv4 address
    std::optional<QString> gateway;
    QStringList allServices; // every network service, in system order
    bool proxyEnabled = false;
    QString proxyHost;
    QString proxyPort; // ports stay text
    QStringList proxyKinds;
    QStringList proxyServices;
    QStringList bypassDomains;
    bool clashRunning = false; // a local proxy client of any family runs
    QStringList clashApps;
    QStringList clashPorts; // every listening TCP port of the machine
    bool proxyTargetAlive = false;
    QStringList dnsServers;
    QString wifiPort;
    bool hasIPv6 = false;
    QStringList utunIfaces;
    QStringList vpnConfigured;
};
